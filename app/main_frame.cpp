#include "app/main_frame.h"

#include "app/frame_habits.h"
#include "app/frame_keys.h"
#include "app/placeholder_view.h"
#include "net/packet_message.h"
#include "app/session_data.h"
#include "grid/qz_view.h"
#include "grid/top_bar.h"
#include "hoga/chart_view.h"
#include "hoga/hoga_view.h"
#include "hoga/koa_view.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/file_replace.h"
#include "platform/window_events.h"
#include "platform/application.h"
#include "platform/window_messages.h"
#include "replay/play_frame.h"

namespace velloran {
namespace {

constexpr char16_t kLoginRefused[] = u"로그인 실패\n회사로 문의해 주세요";

// Pane sizes: the ideal and minimum of the outer splitter's left column and
// of each inner splitter's upper row.
constexpr int kOuterLeftIdeal = 580;
constexpr int kOuterLeftMin = 100;
constexpr int kLeftTopIdeal = 762;
constexpr int kRightTopIdeal = 490;
constexpr int kTopRowMin = 10;
// The other panes' minimums: the work area beside the book, the ratio view
// under it and the charts under the work area stay of use on a small screen.
constexpr int kOuterRightMin = 300;
constexpr int kRatioViewMin = 80;
constexpr int kChartsMin = 120;
constexpr Rect kLeftPaneRect{0, 0, 620, 600};
constexpr Rect kRightPaneRect{0, 0, 614, 600};

bool IsMousePress(std::uint32_t message) {
  return message == sys::kLButtonDown || message == sys::kRButtonDown ||
         message == sys::kLButtonDblClk || message == sys::kRButtonDblClk;
}

}  // namespace

CMainFrame::CMainFrame(CSessionData& session, SessionEndpoint endpoint, SessionTimings timings,
                       FrameMetrics metrics)
    : session_(session),
      metrics_(metrics),
      driver_(std::make_unique<CSessionDriver>(UiLoop(), session, std::move(endpoint), timings)) {
  SetBackgroundColor(kFrameColor);
  MakeViews();
  driver_->SetStartHook([this] { OnSessionStart(); });
}

void CMainFrame::MakeViews() {
  alarms_ = std::make_unique<CAlarmCenter>(session_);
  top_bar_ = std::make_unique<CTopBar>(session_);
  auto hoga = std::make_unique<CHogaView>(session_);
  hoga->SetReplayFactory([this](const WindowHandle& book, const std::u16string& title) {
    return MakeReplayFrame(book, title);
  });
  hoga_ = std::move(hoga);
  koa_ = std::make_unique<CKOAView>(session_);
  qz_ = std::make_unique<CQZView>(session_);
  // Without a decoder the charts' replies decode to nothing.
  static const CDecoder kNoDecoder;
  auto chart = std::make_unique<CChartView>(session_.decoder() != nullptr ? *session_.decoder()
                                                                          : kNoDecoder);
  chart->SetContext(&session_);
  chart_ = std::move(chart);
}

std::unique_ptr<Window> CMainFrame::MakeReplayFrame(const WindowHandle& book,
                                                    const std::u16string& title) {
  static const CDecoder kNoDecoder;
  auto frame = std::make_unique<CPlayFrame>(
      session_, session_.decoder() != nullptr ? *session_.decoder() : kNoDecoder,
      replay_data_url_, metrics_);
  if (!frame->Open(book, title, ScreenArea())) return nullptr;
  if (!replay_place_.window.IsEmpty()) frame->Move(replay_place_.window);
  // The player's speeds are the doublings of real time.
  for (int step = 0; step < 8 && frame->player().model().speed() < replay_place_.speed; ++step)
    frame->player().ctrl().FastForward();
  return frame;
}

const CMainFrame::ReplayPlace& CMainFrame::replay_place() {
  auto* hoga = dynamic_cast<CHogaView*>(hoga_.get());
  auto* replay = hoga != nullptr ? dynamic_cast<CPlayFrame*>(hoga->replay()) : nullptr;
  if (replay != nullptr && replay->IsCreated()) {
    replay_place_ = {replay->NormalRect(), replay->player().model().speed()};
  }
  return replay_place_;
}

FrameRelations CMainFrame::Relations() const {
  return {handle(),       top_bar_->handle(), hoga_->handle(),
          koa_->handle(), qz_->handle(),      chart_->handle()};
}

void CMainFrame::OnSessionStart() {
  const FrameRelations relations = Relations();
  alarms_->SetTopBar(relations.top_bar);
  for (Window* w : {top_bar_.get(), hoga_.get(), koa_.get(), qz_.get(), chart_.get()}) {
    if (auto* pane = dynamic_cast<FramePane*>(w)) pane->SetRelations(relations);
  }
  // Until the order-book view exists, what the socket would route to it is freed.
  auto* hoga = dynamic_cast<CHogaView*>(hoga_.get());
  driver_->SetOrderBookView(hoga != nullptr ? &hoga->feed() : nullptr);
}

CMainFrame::~CMainFrame() {
  if (press_hook_ != 0) RemovePreTranslateHook(press_hook_);
  // The socket goes before the bars and splitters.
  driver_.reset();
}

bool CMainFrame::CreateFrame(const Rect& work_area, const Rect& screen) {
  WindowStyle style;
  style.kind = WindowKind::kTopLevel;
  style.frameless = true;
  style.visible = false;
  return Create(nullptr, 0, FramePlacement(work_area, screen, metrics_), u"Velloran", style);
}

int CMainFrame::OnCreate() {
  if (!title_bar_.Create(this, kTitleBarId)) return -1;
  if (!top_bar_->Create(this, kTopBarId, {}, u"")) return -1;
  if (!foot_bar_.Create(this, kFootBarId, {}, u"")) return -1;
  if (!CreateClient()) return -1;
  if (!alarms_->Create(*this)) return -1;
  alarms_->SetOnChange([this] {
    foot_bar_.SetAlarms(alarms_->book().waiting(), alarms_->book().entries().size());
  });
  // The notices stand over the tile wall's lower right corner, clear of its
  // scroll bars and of the time machine: over the charts' pane they would
  // hide its scroll bar, zoom slider and axis.
  alarms_->SetNoticeArea([this] {
    const auto* view = dynamic_cast<const CQZView*>(qz_.get());
    if (view == nullptr || !view->IsCreated()) return Rect{};
    const Rect free = view->FreeArea();
    const Point at = ScreenToClient(view->ClientToScreen({free.left, free.top}));
    return free.Offset(at.x - free.left, at.y - free.top);
  });
  SetText(u"Velloran");

  session_.SetWindows({handle(), hoga_->handle(), qz_->handle(), top_bar_->handle()});
  press_hook_ = AddPreTranslateHook([this](const WindowHandle& target, const WindowMessage& m) {
    return IsMousePress(m.message) && BeforeMousePress(target);
  });
  habits_ = std::make_unique<CFrameHabits>(session_, *this);
  habits_->Install();
  keys_ = std::make_unique<CFrameKeys>(*this);
  driver_->Start();
  SetTimer(kStatusTimer, kStatusPeriodMs);
  RefreshStatus();
  const Rect r = ClientRect();
  Layout(r.width(), r.height());
  return 0;
}

bool CMainFrame::CreateClient() {
  if (!outer_.CreateStatic(this, 1, 2, kFirstPaneId)) return false;
  if (!left_.CreateStatic(&outer_, 2, 1, kFirstPaneId + 1)) return false;
  if (!right_.CreateStatic(&outer_, 2, 1, kFirstPaneId + 2)) return false;
  outer_.SetPane(0, 0, &left_);
  outer_.SetPane(0, 1, &right_);
  if (!hoga_->Create(&left_, kFirstPaneId + 10, kLeftPaneRect, u"") ||
      !koa_->Create(&left_, kFirstPaneId + 11, kLeftPaneRect, u"") ||
      !qz_->Create(&right_, kFirstPaneId + 12, kRightPaneRect, u"") ||
      !chart_->Create(&right_, kFirstPaneId + 13, kRightPaneRect, u"")) {
    return false;
  }
  left_.SetPane(0, 0, hoga_.get());
  left_.SetPane(1, 0, koa_.get());
  right_.SetPane(0, 0, qz_.get());
  right_.SetPane(1, 0, chart_.get());
  // The ideal sizes hold for the frame's own size; every other size keeps
  // their shares.
  const Size outer{kFrameClientWidth,
                   kFrameClientHeight - CMyTitleBar::kHeight - kTopBarHeight - CFootBar::kHeight};
  const int border = CMySplitterWnd::kBorder;
  outer_.SetDesignSize(outer);
  left_.SetDesignSize({kOuterLeftIdeal, outer.height - 2 * border});
  right_.SetDesignSize({outer.width - kOuterLeftIdeal - 2 * border - CMySplitterWnd::kGap,
                        outer.height - 2 * border});
  outer_.SetColumnInfo(0, kOuterLeftIdeal, kOuterLeftMin);
  outer_.SetColumnInfo(1, 0, kOuterRightMin);
  left_.SetRowInfo(0, kLeftTopIdeal, kTopRowMin);
  left_.SetRowInfo(1, 0, kRatioViewMin);
  right_.SetRowInfo(0, kRightTopIdeal, kTopRowMin);
  right_.SetRowInfo(1, 0, kChartsMin);
  hoga_->SetFocus();  // the order-book view is the active view
  return true;
}

void CMainFrame::OnDestroy() {
  if (before_destroy_) std::exchange(before_destroy_, nullptr)();
  keys_.reset();
  KillTimer(kStatusTimer);
  if (press_hook_ != 0) RemovePreTranslateHook(press_hook_);
  press_hook_ = 0;
  habits_.reset();
  session_.SetWindows({});
  driver_.reset();
  if (quit_on_destroy_ && Application::Instance() != nullptr) Application::Instance()->Quit(0);
}

void CMainFrame::Layout(int width, int height) {
  const Rect inner = Rect{0, 0, width, height}.Deflated(metrics_.frame_x, metrics_.frame_y);
  if (inner.IsEmpty()) return;
  int y = inner.top;
  title_bar_.Move({inner.left, y, inner.right, y + CMyTitleBar::kHeight});
  y += CMyTitleBar::kHeight;
  top_bar_->Move({inner.left, y, inner.right, y + kTopBarHeight});
  y += kTopBarHeight;
  const int foot_top = std::max(y, inner.bottom - CFootBar::kHeight);
  foot_bar_.Move({inner.left, foot_top, inner.right, inner.bottom});
  outer_.Move({inner.left, y, inner.right, foot_top});
  alarms_->Layout(inner, foot_top);
}

void CMainFrame::OnSize(int width, int height) {
  if (width <= 0 || height <= 0) return;  // minimised
  SetRectMask(FrameRegion({width, height}, metrics_));
  Layout(width, height);
}

void CMainFrame::OnPaint(DrawContext& dc) {
  if (first_paint_at_ == std::chrono::steady_clock::time_point{}) {
    first_paint_at_ = UiLoop().clock().Steady();
  }
  // The frame's border ring; the bars and panes cover the inside.
  const Rect outer = ClientRect();
  const Rect inner = outer.Deflated(metrics_.frame_x, metrics_.frame_y);
  dc.ExcludeClip(inner);
  dc.FillRect(outer, kFrameColor);
  dc.ResetClip();
}

bool CMainFrame::OnCommand(int id, int code, const WindowHandle&) {
  if (id != kFootBarId) return false;
  if (code == CFrameFootBar::kAlarmsPressed) alarms_->ToggleList();
  if (code == CFrameFootBar::kJournalPressed) ToggleJournal();
  return code == CFrameFootBar::kAlarmsPressed || code == CFrameFootBar::kJournalPressed;
}

HitCode CMainFrame::HitTest(Point p) {
  const Rect r = ClientRect();
  return FrameHitTest({r.width(), r.height()}, p, metrics_);
}

void CMainFrame::OnTimer(int id) {
  if (id == kStatusTimer) {
    last_rate_ = rate_.Tick(driver_->Status().packets_received);
    RefreshStatus();
    (void)replay_place();  // kept for the workspace once the replay closes
    RefreshJournal();
  }
}

void CMainFrame::RefreshStatus() {
  alarms_->PlaceNotices();  // after the splitters moved
  alarms_->RestoreDay(session_.TradingDate());
  if (!driver_) return;
  const LinkStatus link = driver_->Status();
  const Clock::SteadyTime now = UiLoop().clock().Steady();
  feed_.Observe(now, link.packets_received, link.state == LinkState::kConnected,
                session_.CheckMarketState());
  const std::uint64_t time_updates = session_.server_time_updates();
  const std::int32_t server_time =
      server_clock_.Tick(now, time_updates, session_.server_time_of_day());
  foot_bar_.SetStatus(link.state, MakeFootTexts(link, server_time, last_rate_,
                                                feed_.stale() ? feed_.seconds_since_packet() : -1));
  // The panes keep the last data they had: they say so while it is stale.
  const FeedMark mark = MarkFor(link);
  if (!(mark == feed_mark_)) {
    feed_mark_ = mark;
    for (Window* w : {top_bar_.get(), hoga_.get(), koa_.get(), qz_.get(), chart_.get()}) {
      if (auto* pane = dynamic_cast<FramePane*>(w)) pane->SetLive(mark);
    }
  }
  if (!have_link_ || link.state != last_link_) {
    have_link_ = true;
    last_link_ = link.state;
    if (link_observer_) link_observer_(link);
  }
}

FeedMark CMainFrame::MarkFor(const LinkStatus& link) const {
  FeedMark mark;
  const bool lost = link.state != LinkState::kConnected;
  // Before anything arrived there is nothing stale to speak of.
  if ((!lost && !feed_.stale()) || link.packets_received == 0) return mark;
  mark.live = false;
  mark.cause = lost ? u"연결 끊김" : u"수신 지연";
  if (feed_.seconds_since_packet() >= 0) {
    mark.age = Widen(std::to_string(feed_.seconds_since_packet())) + u"초 전";
  }
  return mark;
}

bool CMainFrame::BeforeMousePress(const WindowHandle& target) {
  if (popup_.IsNull()) return false;
  Window* popup = Window::FromHandle(popup_);
  Window* pressed = Window::FromHandle(target);
  // A press inside the pop-up (on it or on one of its controls) keeps it open.
  if (popup != nullptr && pressed != nullptr && pressed->IsInside(*popup)) return false;
  PostMessage(popup_, msg::kClosePopup, 0, 0);
  return false;
}

LResult CMainFrame::WindowProc(WindowMessage& m) {
  switch (m.message) {
    case msg::kAlarmReached:
      if (const std::unique_ptr<Packet> alarm = TakePacket(m)) alarms_->OnAlarm(*alarm);
      return 0;
    case msg::kRegisterPopup:
      popup_ = WindowHandle::FromId(static_cast<std::uint64_t>(m.wparam));
      return 0;
    case msg::kNotify:
      if (m.wparam == 1 && m.lparam == 0) {
        ShowMessageBox(this, kLoginRefused);
        PostMessage(handle(), sys::kClose, 0, 0);
      }
      return 0;
    default:
      return Window::WindowProc(m);
  }
}

void CMainFrame::ToggleJournal() {
  if (journal_ && journal_->IsVisible()) {
    journal_->Show(false);
    return;
  }
  if (!journal_) {
    journal_ = std::make_unique<CJournalWnd>(CJournalWnd::Actions{
        [this](const JournalEntry& e) {
          // As a tile click: the top bar picks the stock.
          PostMessage(top_bar_->handle(), msg::kSelectStock,
                      static_cast<WParam>(PackStockCode(e.code)), 0);
        },
        [this](const JournalEntry& e) { ReplayFrom(e); },
        [this](const std::string& csv) {
          const auto path = session_.data_dir() / ("journal_" + Utf16ToUtf8(journal_->view().rows().empty()
                                                                   ? u"export"
                                                                   : journal_->view().rows().front()->time.substr(0, 8)) +
                                                   ".csv");
          const bool saved = !session_.data_dir().empty() && ReplaceFileContents(path, csv);
          journal_->SetExportNote(saved ? u"저장함: " + path.filename().u16string()
                                        : std::u16string(u"저장하지 못했습니다"));
        }});
    WindowStyle popup;
    popup.kind = WindowKind::kPopup;
    popup.tool = true;
    popup.visible = false;
    if (!journal_->Create(this, 0, {0, 0, CJournalWnd::kWidth, CJournalWnd::kHeight}, u"", popup)) {
      journal_.reset();
      return;
    }
  }
  const Rect foot = foot_bar_.WindowRect();
  const Point corner = ScreenToClient({foot.left, foot.top});
  const Point at = ClientToScreen({corner.x + 8, corner.y - CJournalWnd::kHeight - 4});
  journal_->Move({at.x, at.y, at.x + CJournalWnd::kWidth, at.y + CJournalWnd::kHeight});
  journal_->Show(true);
  journal_generation_ = 0;
  RefreshJournal();
  journal_->Activate();
  journal_->SetFocus();
}

void CMainFrame::RefreshJournal() {
  if (!journal_ || !journal_->IsVisible()) return;
  const std::uint64_t generation = session_.journal().generation();
  if (generation == journal_generation_) return;
  journal_generation_ = generation;
  journal_->SetEntries(session_.journal().Entries());
}

void CMainFrame::ReplayFrom(const JournalEntry& entry) {
  auto* hoga = dynamic_cast<CHogaView*>(hoga_.get());
  if (hoga == nullptr) return;
  // The order-book view owns the replay and routes its replies; it opens
  // the player on the stock, then the day and the minute are set.
  CPlayFrame* frame = dynamic_cast<CPlayFrame*>(hoga->OpenReplayOf(entry.code));
  if (frame == nullptr) return;
  CQZComboBox& dates = frame->player().ctrl().date_combo();
  const int index = dates.FindStringExact(entry.time.substr(0, 8));
  if (index >= 0 && index != dates.GetCurSel()) {
    dates.SetCurSel(index);
    SendMessage(frame->player().handle(), msg::kSelectStock, 0, 0);  // the date changed
  }
  const std::int32_t minute = ToInt(std::u16string_view(entry.time).substr(8, 4)) * 100;
  PostMessage(frame->player().handle(), msg::kReplaySeek, static_cast<WParam>(minute), 0);
}

}  // namespace velloran
