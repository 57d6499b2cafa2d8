#include "replay/player_wnd.h"

#include <algorithm>

#include "app/session_data.h"
#include "hoga/chart_view.h"
#include "net/decoder.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/session_requests.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "platform/application.h"
#include "platform/event_loop.h"
#include "platform/window_messages.h"
#include "replay/play_charts.h"
#include "replay/play_time.h"

namespace velloran {
namespace {

PlayEcho EchoOf(const ReplayEcho& e) {
  PlayEcho echo;
  echo.code = e.stock;
  echo.ymd = e.ymd;
  if (e.htime) echo.htime = ToInt(*e.htime);
  return echo;
}

}  // namespace

CPlayerWnd::CPlayerWnd(CSessionData& session, const CDecoder& decoder, std::string data_url)
    : session_(session),
      decoder_(decoder),
      ctrl_(session, model_),
      load_(std::move(data_url)) {
  SetBackgroundColor(kBackground);
  day_chart_.SetChartId(kDayChart);
  minute_chart_.SetChartId(kMinuteChart);
  day_chart_.SetContext(&chart_context_);
  minute_chart_.SetContext(&chart_context_);
}

CPlayerWnd::~CPlayerWnd() = default;

bool CPlayerWnd::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

int CPlayerWnd::OnCreate() {
  const Rect c = ClientRect();
  if (!code_box_.Create(kCodeBoxRect, this, kCodeBoxId, 0, 0) ||
      !name_box_.Create(kNameBoxRect, this, kNameBoxId, 0, 0))
    return -1;
  code_box_.SetSources(&session_);
  name_box_.SetSources(&session_);
  code_box_.SetShowCode(true);
  name_box_.SetShowCode(true);
  if (!book_.Create(this, kBookId, {0, kTopStrip, kBookWidth, c.bottom}, u"")) return -1;
  const Rect right{kCtrlLeft, 0, std::max(c.right, kCtrlLeft + 1), std::max(c.bottom - kCtrlHeight, 1)};
  const int half = (right.top + right.bottom) / 2;
  if (!day_chart_.Create(this, kDayChartId, {right.left, right.top, right.right, half}) ||
      !minute_chart_.Create(this, kMinuteChartId,
                            {right.left, half + CMySplitter::kThickness, right.right, right.bottom}))
    return -1;
  day_chart_.SetType(u"D");
  minute_chart_.SetType(u"m1");
  if (!splitter_.Create(this, SplitterOrientation::kHorizontal, &day_chart_, kSplitterMargin,
                        kSplitterColor))
    return -1;
  if (!ctrl_.Create(this, kCtrlId, {kCtrlLeft, c.bottom - kCtrlHeight, c.right, c.bottom}))
    return -1;
  WindowStyle hidden;
  hidden.visible = false;
  if (!load_.Create(this, kLoadId, {0, 0, kLoadSize.width, kLoadSize.height}, u"", hidden))
    return -1;
  Layout();
  SetTimer(kSettleTimer, kSettleDelayMs);
  ctrl_.SetPlayChanged([this] { SyncClockTimer(); });
  SyncClockTimer();
  return 0;
}

void CPlayerWnd::OnDestroy() {
  KillTimer(kClockTimer);
  KillTimer(kContinueTimer);
  KillTimer(kSeekTimer);
  strip_pacer_.Cancel();
}

LResult CPlayerWnd::WindowProc(WindowMessage& m) {
  switch (m.message) {
    case msg::kSelectStock:
      if (m.wparam == 0)
        Restart();
      else
        Start(UnpackStockCode(static_cast<std::intptr_t>(m.wparam)));
      return 0;
    case msg::kNotify: {
      // The replies are ours to free, used or not.
      const std::unique_ptr<Packet> packet = TakePacket(m);
      if (!packet) return 0;
      switch (static_cast<int>(m.wparam)) {
        case code::kReplayData: {
          const bool downloaded = packet.get() == download_reply_;
          if (downloaded) download_reply_ = nullptr;
          OnReplayData(*packet, downloaded ? PlayBlockSource::kDownload : PlayBlockSource::kSession);
          if (downloaded) {
            // Whatever it held, the download is over.
            load_.Show(false);
            Enable(true);
          }
          break;
        }
        case code::kChart:
          OnChartReply(*packet);
          break;
        case code::kReplayUpdate:
          OnStockInfo(*packet);
          break;
        default:
          break;
      }
      return 0;
    }
    case msg::kReplaySeek:
      Seek(static_cast<std::int32_t>(m.wparam));
      return 0;
    case msg::kSplitterMoved:
      Layout();
      return 0;
    default:
      return Window::WindowProc(m);
  }
}

void CPlayerWnd::OnTimer(int id) {
  if (strip_pacer_.OnTimer(id)) return;
  switch (id) {
    case kClockTimer:
      Tick();
      break;
    case kSettleTimer:
      KillTimer(kSettleTimer);
      Layout();
      break;
    case kContinueTimer:
      KillTimer(kContinueTimer);
      Send(model_.ContinueFetching());
      break;
    case kSeekTimer:
      KillTimer(kSeekTimer);
      HandleSeek(model_.SeekAllowedAgain());
      break;
    default:
      break;
  }
}

// ---- start

void CPlayerWnd::Start(std::u16string_view code) {
  std::u16string shcode, market;
  {
    const auto data = session_.Read();
    const Packet* master = data->FindMaster(code);
    if (master == nullptr) return;
    shcode = master->GetText(u"SHCODE", std::u16string(code));
    name_ = master->GetText(u"HNAME", u"");
    market = master->GetText(u"MARKET", u"");
  }
  StopFetching();
  book_.ClearBook();
  book_.ClearTrades();
  code_box_.ShowText(shcode);
  name_box_.ShowText(name_);
  ctrl_.ResetClock();
  strip_pacer_.Request();
  if (session_.socket() == nullptr) return;
  Send(model_.Start(shcode, market, ctrl_.Date()));
  for (CQZChartWnd* chart : {&day_chart_, &minute_chart_}) chart->SetCode(shcode);
  day_reply_ = {};
  minute_reply_ = {};
  (void)day_chart_.Request();
  (void)minute_chart_.Request(kOtherCount);
}

void CPlayerWnd::StopFetching() {
  KillTimer(kContinueTimer);
  // A download of the day before would hold the window, and the next day's
  // could not start.
  if (load_.downloading()) {
    load_.Cancel();
    Enable(true);
  }
  download_reply_ = nullptr;
}

void CPlayerWnd::Restart() {
  // Another date for the stock on show.
  if (model_.code() == u"000000") return;
  StopFetching();
  book_.ClearBook();
  book_.ClearTrades();
  strip_pacer_.Request();
  if (session_.socket() == nullptr) return;
  Send(model_.Start(model_.code(), model_.market(), ctrl_.Date()));
  ReinstallCharts(0);
}

// ---- replies

void CPlayerWnd::OnReplayData(const Packet& reply, PlayBlockSource source) {
  ReplayReply read = ReadReplayReply(reply, decoder_);
  if (read.kind == ReplayKind::kTimeLine)
    OnTimeLine(std::move(read));
  else if (read.kind == ReplayKind::kBlock)
    OnBlock(std::move(read), source);
}

void CPlayerWnd::OnTimeLine(ReplayReply&& read) {
  PlayTimeLine line;
  line.echo = EchoOf(read.echo);
  line.samples = std::move(read.time_line);
  line.soc = read.soc;
  line.ymd = read.echo.ymd.value_or(model_.ymd());
  const PlayTimeLineResult result = model_.OnTimeLine(std::move(line));
  if (!result.accepted) return;
  KillTimer(kContinueTimer);
  book_.SetMemoText(model_.soc());
  book_.SetDate(ToInt(model_.book_date()));
  book_.ClearBook();
  ctrl_.RedrawTimeLine();
  if (ToInt(ctrl_.Date()) == session_.TradingDate()) {
    const auto data = session_.Read();
    if (const Packet* master = data->FindMaster(model_.code())) {
      info_ = Packet(master->Text());
      book_.SetMaster(info_);
    }
  }
  Download(result.download);
}

void CPlayerWnd::OnBlock(ReplayReply&& read, PlayBlockSource source) {
  PlayBlock block;
  block.echo = EchoOf(read.echo);
  block.ix = read.ix;
  block.snapshots = std::move(read.snapshots);
  block.trades = std::move(read.trades);
  block.lines = read.data_lines;
  const PlayBlockResult result = model_.OnBlock(std::move(block), source);
  if (result.accepted) {
    if (result.start_continuation) SetTimer(kContinueTimer, kContinueDelayMs);
    if (result.seek_to)
      PostMessage(handle(), msg::kReplaySeek, static_cast<WParam>(*result.seek_to), 0);
    if (result.clock_moved) ReinstallCharts(model_.next_trade());
  }
}

void CPlayerWnd::OnChartReply(const Packet& reply) {
  CQZChartWnd* chart = nullptr;
  ChartReply* kept = nullptr;
  switch (reply.GetInt(u"CHART_ID", 0)) {
    case kDayChart:
      chart = &day_chart_;
      kept = &day_reply_;
      break;
    case kMinuteChart:
      chart = &minute_chart_;
      kept = &minute_reply_;
      break;
    default:
      return;
  }
  // A reply to an earlier request (another stock or type) is not shown.
  const int bars = chart->AcceptReply(reply.GetText(u"STKCD", u""), reply.GetText(u"TM", u""));
  if (bars <= 0) return;
  kept->data = decoder_.Decode(reply.GetText(u"DATA", u""), CChartView::ReplyBytes(bars));
  kept->bars = bars;
  InstallChart(*chart, model_.next_trade());
}

void CPlayerWnd::OnStockInfo(const Packet& info) {
  info_ = Packet(info.Text());
  book_.SetMaster(info_);
  strip_pacer_.Request();
}

// ---- the charts

void CPlayerWnd::InstallChart(CQZChartWnd& chart, std::size_t replayed) {
  const ChartReply& reply = &chart == &day_chart_ ? day_reply_ : minute_reply_;
  if (reply.bars <= 0) return;
  // The reply's quote is the server's now: not shown in a replay. Its bars
  // of the replayed day go too: the tape's trades build them, so the charts
  // agree with the book whatever the server's bars of that day say.
  chart.SetData(CutChartData(reply.data, ToInt(model_.ymd())), u"", reply.bars);
  const CPlayTape& tape = model_.tape();
  const std::size_t end = std::min(replayed, tape.trade_count());
  if (end == 0) return;
  if (ChartSpanSeconds(chart.type()) == 0) {
    MergeTrade(chart, tape.trade(end - 1), true);
    return;
  }
  for (std::size_t i = 0; i < end; ++i) MergeTrade(chart, tape.trade(i), i + 1 == end);
}

void CPlayerWnd::ReinstallCharts(std::size_t replayed) {
  InstallChart(day_chart_, replayed);
  InstallChart(minute_chart_, replayed);
}

void CPlayerWnd::MergeTrade(CQZChartWnd& chart, const CPKT& trade, bool last) {
  if (chart.type() == u"D" && !last) return;  // a day bar takes the day's figures of the last
  const int span = ChartSpanSeconds(chart.type());
  const std::int32_t ymd = ToInt(model_.ymd());
  if (span > 0) {
    CChartData& bars = chart.data();
    if (bars.Count() == 0 || bars.Bar(0).date < ymd)
      bars.InsertNewest(FirstMinuteBar(trade, span, ymd, bars.Count() > 0 ? bars.Bar(0).close : 0));
  }
  chart.UpdateQuote(trade);
  // Bars of an earlier period are not asked for again: the reply would
  // bring the day's later bars.
  (void)chart.ApplyTick(true);
}

// ---- seeking and the clock

void CPlayerWnd::Seek(std::int32_t hhmmss) {
  HandleSeek(model_.Seek(hhmmss));
}

bool CPlayerWnd::OnKeyAction(KeyAction action) {
  constexpr int kMinute = 60;
  constexpr std::int32_t kOpenHhmmss = 90000;
  switch (action) {
    case KeyAction::kPlayPause:
      ctrl_.TogglePlay();
      return true;
    case KeyAction::kFaster:
      ctrl_.FastForward();
      return true;
    case KeyAction::kSlower:
      ctrl_.Rewind();
      return true;
    case KeyAction::kMinuteBack:
    case KeyAction::kMinuteOn:
    case KeyAction::kTenBack:
    case KeyAction::kTenOn: {
      const bool ten = action == KeyAction::kTenBack || action == KeyAction::kTenOn;
      const bool back = action == KeyAction::kMinuteBack || action == KeyAction::kTenBack;
      Seek(model_.SeekTargetBy((back ? -kMinute : kMinute) * (ten ? 10 : 1)));
      return true;
    }
    case KeyAction::kToOpen:
      Seek(kOpenHhmmss);
      return true;
    default:
      return false;
  }
}

void CPlayerWnd::HandleSeek(const PlaySeekResult& result) {
  if (!result.accepted) return;
  if (result.start_seek_timer) SetTimer(kSeekTimer, kSeekHoldMs);
  if (result.stop_continuation) KillTimer(kContinueTimer);
  // The trades the seek hands the list are merged by Apply: the charts are
  // built from the tape up to them.
  const PlayRelease& r = result.release;
  ReinstallCharts(r.trades_begin < r.trades_end ? r.trades_begin : model_.next_trade());
  Apply(result.release);
  Send(result.request);
  ctrl_.RefreshClock();
}

void CPlayerWnd::Tick() {
  const Clock::SteadyTime now = UiLoop().clock().Steady();
  const std::int64_t elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - last_tick_).count();
  last_tick_ = now;
  Apply(model_.Tick(elapsed));
  ctrl_.RefreshSpeed();
}

void CPlayerWnd::SyncClockTimer() {
  if (!model_.playing()) {
    KillTimer(kClockTimer);
    return;
  }
  last_tick_ = UiLoop().clock().Steady();
  SetTimer(kClockTimer, kClockPeriodMs);
}

void CPlayerWnd::Apply(const PlayRelease& release) {
  if (release.empty()) return;
  const CPlayTape& tape = model_.tape();
  if (release.clear_book) {
    book_.ClearBook();
    book_.ClearTrades();
  }
  if (release.snapshot && *release.snapshot < tape.snapshot_count())
    book_.ApplyBook(tape.snapshot(*release.snapshot));
  const std::size_t end = std::min(release.trades_end, tape.trade_count());
  for (std::size_t i = release.trades_begin; i < end; ++i) {
    const CPKT& trade = tape.trade(i);
    book_.ApplyQuote(trade);
    MergeTrade(day_chart_, trade, i + 1 == end);
    MergeTrade(minute_chart_, trade, i + 1 == end);
  }
  if (release.quote_changed) strip_pacer_.Request();
}

// ---- requests

void CPlayerWnd::Send(const PlayRequest& r) {
  switch (r.kind) {
    case PlayRequestKind::kTimeLine:
      (void)session_.Send(ReplayTimeLineRequest(r.code, r.market, r.ymd));
      break;
    case PlayRequestKind::kNextBlock:
      (void)session_.Send(ReplayNextBlockRequest(r.code, r.market, r.ymd, r.htime));
      break;
    case PlayRequestKind::kSeekBlock:
      (void)session_.Send(ReplaySeekBlockRequest(r.code, r.market, r.ymd, r.htime));
      break;
    case PlayRequestKind::kFirstBlock:
      Download(r);
      break;
    case PlayRequestKind::kNone:
      break;
  }
}

void CPlayerWnd::Download(const PlayRequest& r) {
  if (r.kind != PlayRequestKind::kFirstBlock) return;
  Enable(false);
  const bool started =
      load_.Download(ReplayFirstBlockRequest(r.code, r.market, r.ymd),
                     [this](std::unique_ptr<Packet> reply) {
                       if (!reply) {
                         // The window says why and hides itself; the player
                         // stays with what it had.
                         model_.OnDownloadFailed();
                         Enable(true);
                         return;
                       }
                       // The same path as the session's replies.
                       download_reply_ = reply.get();
                       if (!PostPacket(handle(), msg::kNotify, std::move(reply), false,
                                       code::kReplayData))
                         download_reply_ = nullptr;
                     });
  if (!started) {
    model_.OnDownloadFailed();
    Enable(true);
  }
}

}  // namespace velloran
