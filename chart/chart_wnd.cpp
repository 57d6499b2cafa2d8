#include "chart/chart_wnd.h"

#include <algorithm>

#include "net/session_requests.h"
#include "platform/child_rect.h"
#include "platform/control_codes.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

constexpr std::array<const char16_t*, 4> kPeriodCaptions = {u"월", u"주", u"일", u"분"};
constexpr std::array<const char16_t*, 3> kPeriodTypes = {u"M", u"J", u"D"};
constexpr std::array<const char16_t*, 5> kAverageCaptions = {u"5일선", u"10일선", u"20일선",
                                                             u"60일선", u"120일선"};
constexpr std::array<const char16_t*, 6> kMinuteItems = {u"1분",  u"3분",  u"5분",
                                                         u"10분", u"30분", u"60분"};
constexpr std::array<const char16_t*, 6> kMinuteTypes = {u"m1",  u"m3",  u"m5",
                                                         u"m10", u"m30", u"m60"};
constexpr int kButtonSize = 25;
constexpr int kButtonHeight = 22;
constexpr int kButtonStep = 26;
constexpr Point kComboAt{111, 5};
constexpr int kComboWidth = 50;
constexpr int kComboHeight = 20;
constexpr int kComboDrop = 100;
constexpr int kToggleSize = 13;
constexpr int kToggleStep = 15;
constexpr int kTipCreateWidth = 200;
constexpr int kTipCreateHeight = 225;
constexpr int kTipInset = 10;
// Shown bars below which a live trade on a day, week or month chart repaints
// the panes.
constexpr int kLiveRedrawBars = 150;

}  // namespace

CQZChartWnd::CQZChartWnd() {
  SetBackgroundColor(kStripColor);
  candle_.SetData(&series_.data());
  volume_.SetData(&series_.data());
}

CQZChartWnd::~CQZChartWnd() = default;

bool CQZChartWnd::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

int CQZChartWnd::OnCreate() {
  const Rect c = ClientRect();
  if (!candle_.Create(this, kCandleId, {0, kTopStrip, c.right, c.bottom}) ||
      !volume_.Create(this, kVolumeId, {0, c.bottom, c.right, c.bottom}))
    return -1;
  candle_.SetMargins(kAxisWidth, kTimeMargin);
  volume_.SetMargins(kAxisWidth, 0);
  candle_.SetMouseSink(this);
  volume_.SetMouseSink(this);
  if (!splitter_.Create(this, SplitterOrientation::kHorizontal, &candle_, kMinBorder,
                        kPaneSplitter))
    return -1;
  for (int i = 0; i < 4; ++i) {
    if (!period_[i].Create(this, kMonthId + i, {0, 0, kButtonSize, kButtonHeight},
                           kPeriodCaptions[i]))
      return -1;
  }
  if (!combo_.Create(this, kPeriodComboId, {0, 0, kComboWidth, kComboHeight}, kComboDrop))
    return -1;
  for (const char16_t* item : kMinuteItems) combo_.AddString(item);
  combo_.SetCurSel(0);
  for (std::size_t k = 0; k < averages_.size(); ++k) {
    if (!averages_[k].Create(this, kFirstAverageId + static_cast<int>(k),
                             {0, 0, kToggleSize, kToggleSize}, kAverageCaptions[k],
                             CQZChartCandle::kAverageColors[k]))
      return -1;
    averages_[k].SetCheck(data().AverageOn(CChartData::kPeriods[k]));
  }
  if (!scroll_.Create(this, kScrollBarId, {0, 0, 10, kBottomStrip}, false)) return -1;
  if (!slider_.Create(this, kSliderId, {0, 0, kAxisWidth, kBottomStrip},
                      SliderStyle{.vertical = false, .tool_tips = true, .ticks = true}))
    return -1;
  if (!newest_.Create(this, kNewestId, {0, 0, kNewestWidth, kBottomStrip}, u">|")) return -1;
  slider_.SetRange(1, 10);
  slider_.SetTicFreq(10);
  slider_.SetLineSize(1);
  slider_.SetPageSize(10);
  if (!CreateOverlays()) return -1;
  SyncTypeButtons();
  Layout();
  return 0;
}

bool CQZChartWnd::CreateOverlays() {
  const WindowStyle hidden{.visible = false};
  // Lines, band and labels lie over the panes; the mouse goes through them
  // to the pane the user points at.
  if (!horizontal_.Create(this, 0, false, 1, kCrossColor, 1, 0) ||
      !vertical_.Create(this, 0, true, 1, kCrossColor, 1, kTopStrip) ||
      !band_.Create(this, kBandId, true) ||
      !time_label_.Create(this, kTimeLabelId, {0, 0, 0, 0}, u"", hidden) ||
      !value_label_.Create(this, kValueLabelId, {0, 0, 0, 0}, u"", hidden))
    return false;
  for (Window* w : std::initializer_list<Window*>{&horizontal_, &vertical_, &band_, &time_label_,
                                                  &value_label_})
    w->SetMouseTransparent(true);
  for (CTipWnd* label : {&time_label_, &value_label_}) {
    label->SetBkColor(kLabelColor);
    label->SetTextColor(Rgb(0, 0, 0));
  }
  const Point at = ClientToScreen({0, 0});
  if (!tip_.Create(this, kDataTipId, {at.x, at.y, at.x + kTipCreateWidth, at.y + kTipCreateHeight},
                   u"",
                   {.kind = WindowKind::kPopup,
                    .visible = false,
                    .frameless = true,
                    .tool = true,
                    .no_activate = true}))
    return false;
  tip_.SetMouseTransparent(true);
  tip_.SetBkColor(kTipColor);
  tip_.SetTextColor(Rgb(0, 0, 0));
  tip_.SetInset(kTipInset);
  return true;
}

void CQZChartWnd::OnSize(int, int) {
  Layout();
}

void CQZChartWnd::Layout() {
  if (!candle_.IsCreated()) return;
  const Rect c = ClientRect();
  const int w = c.width();
  const int h = c.height();
  const double ratio = splitter_.ratio() > 0 ? splitter_.ratio() : kDefaultSplit;
  const int bottom_strip = h - kBottomStrip;
  int border = std::max(static_cast<int>(h * ratio), kMinBorder);
  if (border + CMySplitter::kThickness > bottom_strip)
    border = bottom_strip - CMySplitter::kThickness;
  border = std::max(border, kTopStrip);

  for (int i = 0; i < 4; ++i) {
    const int x = 3 + kButtonStep * i;
    period_[i].Move({x, 3, x + kButtonSize, 3 + kButtonHeight});
  }
  combo_.Move({kComboAt.x, kComboAt.y, kComboAt.x + kComboWidth, kComboAt.y + kComboHeight});
  // From the right edge leftwards: 120, 60, 20, 10, 5.
  const int toggle_top = (kTopStrip - kToggleSize) / 2;
  for (int k = 0; k < static_cast<int>(averages_.size()); ++k) {
    const int x = w - kToggleStep * (static_cast<int>(averages_.size()) - k);
    averages_[k].Move({x, toggle_top, x + kToggleSize, toggle_top + kToggleSize});
  }
  candle_.Move({0, kTopStrip, w, border});
  splitter_.Move({0, border, w, border + CMySplitter::kThickness});
  volume_.Move({0, border + CMySplitter::kThickness, w, std::max(bottom_strip, border)});
  const int scroll_right = std::max(w - kAxisWidth - kNewestWidth, 0);
  scroll_.Move({0, bottom_strip, scroll_right, h});
  newest_.Move({scroll_right, bottom_strip, std::max(w - kAxisWidth, 0), h});
  slider_.Move({std::max(w - kAxisWidth, 0), bottom_strip, w, h});
  horizontal_.SetStart(0);
  horizontal_.SetLength(std::max(w - kAxisWidth, 0));
  vertical_.SetStart(kTopStrip);
  vertical_.SetLength(std::max(bottom_strip - kTopStrip, 0));
}

void CQZChartWnd::OnPaint(DrawContext& dc) {
  const Rect c = ClientRect();
  dc.FillRect({0, 0, c.right, kTopStrip + 1}, kStripColor);
  dc.FillRect({0, kTopStrip - 1, c.right, kTopStrip}, kStripLine);
}

void CQZChartWnd::OnTimer(int id) {
  if (id == kScrollTimer) {
    KillTimer(kScrollTimer);
    ApplyScroll();
  } else if (id == kRestTimer) {
    KillTimer(kRestTimer);
    ShowTipAtRest();
  }
}

void CQZChartWnd::OnMouseMove(Point p, WParam) {
  // Over the strips: nothing to point at.
  over_ = nullptr;
  if (dragging_) EndDrag(p);
  KillTimer(kRestTimer);
  ClearCrossHair();
  tip_.SetText(u"");
}

bool CQZChartWnd::OnCommand(int id, int code, const WindowHandle&) {
  if (id >= kMonthId && id <= kDayId && code == ctl::kButtonClicked) {
    SwitchPeriod(kPeriodTypes[id - kMonthId]);
    return true;
  }
  if ((id == kMinuteId && code == ctl::kButtonClicked) ||
      (id == kPeriodComboId && code == ctl::kComboSelChange)) {
    SwitchPeriod(ComboType());
    return true;
  }
  if (id == kNewestId && code == ctl::kButtonClicked) {
    ShowNewest();
    return true;
  }
  const int k = id - kFirstAverageId;
  if (k >= 0 && k < static_cast<int>(averages_.size()) && code == ctl::kButtonClicked) {
    data().SetAverageOn(CChartData::kPeriods[k], averages_[k].IsChecked());
    data().SetView(data().End(), data().Start());
    candle_.Redraw();
    return true;
  }
  return false;
}

LResult CQZChartWnd::WindowProc(WindowMessage& m) {
  if (m.message == sys::kHScroll) {
    const int code = sys::LowWord(static_cast<std::intptr_t>(m.wparam));
    if (m.lparam == static_cast<LParam>(scroll_.handle().id())) {
      OnScrollBar(code, scroll_.TrackPos());
      return 0;
    }
    if (m.lparam == static_cast<LParam>(slider_.handle().id())) {
      OnSlider(code);
      return 0;
    }
  } else if (m.message == msg::kSplitterMoved) {
    // The splitter kept its new place as a ratio; the panes follow it.
    Layout();
    return 0;
  }
  return Window::WindowProc(m);
}

void CQZChartWnd::SetCode(std::u16string code) {
  if (!series_.SetCode(std::move(code))) return;
  DropBars();
}

void CQZChartWnd::SwitchPeriod(std::u16string type) {
  // Bars of another period would take the trades that come before the
  // reply by the new period's rule (a day bar cut into minutes, a minute
  // bar stretched over the day).
  if (type != series_.type()) {
    series_.DropBars();
    DropBars();
  }
  ChangeType(std::move(type));
  Request();
}

void CQZChartWnd::DropBars() {
  ClearCrossHair();
  tip_.SetText(u"");
  ResetScrollBar();
  RedrawPanes();
}

void CQZChartWnd::SetType(std::u16string type) {
  series_.SetType(std::move(type));
  if (series_.minute()) {
    const auto it = std::find(kMinuteTypes.begin(), kMinuteTypes.end(), series_.type());
    if (it != kMinuteTypes.end()) combo_.SetCurSel(static_cast<int>(it - kMinuteTypes.begin()));
  }
  ChangeType(series_.type());
}

void CQZChartWnd::ChangeType(std::u16string type) {
  series_.ChangeType(std::move(type));
  candle_.SetType(series_.type());
  volume_.SetType(series_.type());
  SyncTypeButtons();
}

void CQZChartWnd::SyncTypeButtons() {
  if (!period_[0].IsCreated()) return;
  period_[0].SetCheck(type() == u"M");
  period_[1].SetCheck(type() == u"J");
  period_[2].SetCheck(type() == u"D");
  period_[3].SetCheck(series_.minute());
}

std::u16string CQZChartWnd::ComboType() const {
  const int k = combo_.GetCurSel();
  return k >= 0 && k < static_cast<int>(kMinuteTypes.size()) ? kMinuteTypes[k] : u"m1";
}

ChartSession CQZChartWnd::Session() const {
  if (context_ == nullptr) return {};
  return {.trading_date = context_->TradingDate(),
          .server_hour = context_->ServerHour(),
          .market_open = context_->CheckMarketState(),
          .connection = context_->Connection()};
}

bool CQZChartWnd::Request(int other_count) {
  const Packet request = ChartRequest(code(), type(), chart_id_, other_count);
  const int bars = request.GetInt(u"CNT", kFullCount);
  SyncTypeButtons();
  if (context_ == nullptr || !context_->SendRequest(request)) return false;
  series_.Sent(context_->Connection(), bars);
  return true;
}

int CQZChartWnd::AcceptReply(std::u16string_view echoed_code, std::u16string_view echoed_type) {
  return series_.AcceptReply(echoed_code, echoed_type,
                             context_ != nullptr ? context_->Connection() : 0);
}

void CQZChartWnd::SetData(std::u16string_view data, std::u16string_view quote, int max_bars) {
  (void)series_.InstallReply(data, quote, Session(), max_bars);
  RedrawPanes();
  ResetSlider();
  ResetScrollBar();
}

void CQZChartWnd::UpdateQuote(const CPKT& quote) {
  series_.TakeQuote(quote, Session());
}

bool CQZChartWnd::ApplyTick(bool live) {
  const unsigned change = series_.MergeTrade(live, Session());
  if ((change & CChartSeries::kAskAgain) != 0) return false;
  const bool moved = (change & (CChartSeries::kNewBars | CChartSeries::kNewestBar)) != 0;
  if (series_.minute()) {
    // The scroll bar and the zoom reach the bars the day added.
    if (!moved) return true;
    ResetScrollBar();
    if ((change & CChartSeries::kNewBars) != 0) ResetSlider();
    RedrawPanes();
    return true;
  }
  // A long day, week or month chart is repainted by the next scroll or zoom.
  const CChartData& bars = data();
  const bool few = bars.End() - bars.Start() < kLiveRedrawBars;
  const bool week_or_month = type() != u"D";
  if (moved && few && (!week_or_month || (live && bars.Start() == 0)))
    RedrawPanes();
  else if ((change & CChartSeries::kNewestVolume) != 0 && few && bars.Start() == 0)
    volume_.Redraw();
  return true;
}

}  // namespace velloran
