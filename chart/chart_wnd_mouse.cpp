// The chart window under the mouse: the cross-hair with its two labels, drag
// zoom with the rubber band, and the data tip of the bar under a mouse at
// rest. All of it follows the panes' mouse events; nothing polls.

#include "chart/chart_wnd.h"

#include <algorithm>
#include <cstdlib>

#include "chart/chart_text.h"
#include "net/text_util.h"
#include "platform/child_rect.h"

namespace velloran {
namespace {

using namespace chart_text;

constexpr int kLabelHeight = 16;
constexpr int kTimeLabelLeft = 30;   // left of the cursor
constexpr int kTimeLabelAbove = 18;  // above the candle pane's bottom
constexpr int kTipOffset = 5;
constexpr int kTipLeftOffset = 155;
constexpr int kBandWidth = 2;
constexpr int kTipLines = 6;
constexpr double kHoldMargin = 0.00001;

// The size of a text in the labels' font.
Size LabelTextSize(const std::u16string& text) {
  Bitmap probe(1, 1);
  DrawContext dc(probe);
  dc.SetFont(Font::Points(u"굴림", 8));
  return dc.TextExtent(text);
}

}  // namespace

Point CQZChartWnd::InPane(const CQZBaseChart& pane, Point p) const {
  const Rect r = ChildRect(pane);
  return {p.x - r.left, p.y - r.top};
}

Rect CQZChartWnd::DragArea() const {
  const Rect top = ChildRect(candle_);
  const Rect bottom = ChildRect(volume_);
  return {top.left, top.top, std::max(top.right, bottom.right), bottom.bottom};
}

void CQZChartWnd::OnPaneMouse(CQZBaseChart& pane, PaneMouse what, Point p, WParam) {
  const Rect r = ChildRect(pane);
  const Point at{p.x + r.left, p.y + r.top};
  switch (what) {
    case PaneMouse::kMove:
      if (!dragging_) {
        MouseOverPane(pane, at);
      } else if (DragArea().Contains(at)) {
        StretchBand(at);
      } else {
        EndDrag(at);  // leaving the panes ends the drag like a release
      }
      return;
    case PaneMouse::kLButtonDown:
      BeginDrag(at);
      return;
    case PaneMouse::kLButtonUp:
      if (dragging_) EndDrag(at);
      return;
    case PaneMouse::kLeave:
      if (dragging_) EndDrag(mouse_);
      over_ = nullptr;
      KillTimer(kRestTimer);
      ClearCrossHair();
      tip_.SetText(u"");
      return;
  }
}

void CQZChartWnd::MouseOverPane(CQZBaseChart& pane, Point at) {
  // Only while the frame holding the chart is in front.
  if (!IsInActiveWindow()) return;
  // The system repeats the last point when windows appear under the mouse:
  // the mouse still rests.
  if (over_ == &pane && at == mouse_) return;
  over_ = &pane;
  mouse_ = at;
  // The tip waits for the mouse to rest again.
  tip_.SetText(u"");
  SetTimer(kRestTimer, kRestMs);
  ShowCrossHair(pane, at);
}

CQZBaseChart* CQZChartWnd::PaneAt(Point at) {
  if (ChildRect(candle_).Contains(at)) return &candle_;
  if (ChildRect(volume_).Contains(at)) return &volume_;
  return nullptr;
}

void CQZChartWnd::RefreshCrossHair() {
  if (over_ == nullptr || dragging_ || !IsInActiveWindow()) return;
  ShowCrossHair(over_ == &candle_ ? static_cast<CQZBaseChart&>(candle_) : volume_, mouse_);
}

void CQZChartWnd::ShowCrossHair(CQZBaseChart& pane, Point at) {
  if (data().Count() == 0) {  // no bars: nothing to point at
    ClearCrossHair();
    return;
  }
  const Point p = InPane(pane, at);
  const int axis_left = ChildRect(pane).left + pane.value_axis().left;
  const std::int64_t value = pane.ValueAtCursor(p);
  value_label_.Move({axis_left, at.y - kLabelHeight / 2, ClientRect().right,
                     at.y - kLabelHeight / 2 + kLabelHeight});
  value_label_.SetText(CQZBaseChart::Grouped(value));
  if (&pane != &candle_) {
    horizontal_.Hide();
    vertical_.Hide();
    time_label_.SetText(u"");
    return;
  }
  horizontal_.MoveTo(at);
  vertical_.MoveTo(at);
  const int index = candle_.BarUnderMouse(p);
  if (index < 0) {
    time_label_.SetText(u"");
    return;
  }
  const std::u16string text = TimeLabelText(data().Bar(index));
  const int top = ChildRect(candle_).bottom - kTimeLabelAbove;
  const int left = at.x - kTimeLabelLeft;
  time_label_.Move({left, top, left + LabelTextSize(text).width + 6, top + kLabelHeight});
  time_label_.SetText(text);
}

void CQZChartWnd::ClearCrossHair() {
  horizontal_.Hide();
  vertical_.Hide();
  time_label_.SetText(u"");
  value_label_.SetText(u"");
}

std::u16string CQZChartWnd::TimeLabelText(const TICK& bar) const {
  if (type() == u"M") return DateText(bar.date).substr(0, 7);
  if (type() == u"J") {
    std::u16string t = FormatInt(bar.time);
    if (t.size() > 4) t.insert(4, u"/");
    return t;
  }
  if (series_.minute())
    return MonthDayText(bar.date) + u" " + ClockText(bar.time);
  return DateText(bar.date);
}

std::u16string CQZChartWnd::TipText(const TICK& bar) const {
  const bool minutes = series_.minute();
  return chart_text::BarTipText(bar, minutes ? ClockText(bar.time) : std::u16string());
}

void CQZChartWnd::ShowTipAtRest() {
  if (over_ != &candle_ || dragging_ || !IsInActiveWindow()) {
    tip_.SetText(u"");
    return;
  }
  const Point p = InPane(candle_, mouse_);
  const int index = candle_.BarUnderMouse(p);
  const TICK bar = index >= 0 ? data().Bar(index) : TICK{};
  const auto value = static_cast<double>(candle_.ValueAtCursor(p));
  const bool holds =
      index >= 0 && bar.high * (1 + kHoldMargin) > value && value > bar.low - bar.low * kHoldMargin;
  if (!holds) {
    tip_.SetText(u"");
    return;
  }
  int x = mouse_.x + kTipOffset;
  if (x + kTipWidth > ClientRect().right) x = mouse_.x - kTipLeftOffset;
  const Point screen = ClientToScreen({x, mouse_.y + kTipOffset});
  // Six lines; a font taller than the one the size was chosen for gets the
  // height it needs.
  const int height =
      std::max(kTipHeight, kTipLines * LabelTextSize(u"가").height + 2 * tip_.inset() + 2);
  tip_.Move({screen.x, screen.y, screen.x + kTipWidth, screen.y + height});
  tip_.SetText(TipText(bar));
}

void CQZChartWnd::BeginDrag(Point at) {
  dragging_ = true;
  press_ = at;
  mouse_ = at;
  KillTimer(kRestTimer);
  tip_.SetText(u"");
  StretchBand(at);
}

void CQZChartWnd::StretchBand(Point at) {
  mouse_ = at;
  const Rect area = DragArea();
  const int left = std::min(press_.x, at.x);
  const int right = std::max(std::max(press_.x, at.x), left + kBandWidth);
  band_.ShowOver({left, area.top, right, area.bottom});
}

void CQZChartWnd::EndDrag(Point at) {
  dragging_ = false;
  band_.Show(false);
  // The mouse rests where the drag ended: the cross-hair is read there.
  over_ = PaneAt(at);
  mouse_ = at;
  if (over_ == nullptr) ClearCrossHair();
  if (std::abs(at.x - press_.x) < kMinDrag) return;
  const int a = candle_.BarAtX(InPane(candle_, press_).x);
  const int b = candle_.BarAtX(InPane(candle_, at).x);
  if (a < 0 || b < 0) return;
  int count = 0;
  int old_end = 0;
  {
    count = data().Count();
    old_end = std::min(data().End(), count);
  }
  int end = 0;
  int start = 0;
  if (a == b) {  // one bar: the whole history
    end = count;
    start = 0;
  } else if (a > b) {  // towards newer bars: zoom in
    end = std::min(a, count);
    start = std::max(b, 0);
  } else {  // towards older bars: zoom out
    end = std::min(b + old_end - a, count);
    start = std::max(a, 0);
  }
  SetView(end, start);
  ResetScrollBar();
  slider_.SetPos(std::min(data().End(), count) - data().Start());
}

}  // namespace velloran
