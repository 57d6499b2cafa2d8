// The chart window's view of its bars: scrolling, slider zoom, and keeping
// the scroll bar and the slider in line with the view.

#include "chart/chart_wnd.h"

#include <algorithm>

#include "chart/chart_zoom.h"
#include "platform/control_codes.h"
#include "platform/window_events.h"

namespace velloran {
namespace {

// The highest thumb position of a bar with this page (the system's rule: a
// page of n ends n - 1 before the range's maximum).
int ScrollLimit(int max, int page) {
  return page > 0 ? max - page + 1 : max;
}

}  // namespace

void CQZChartWnd::SetView(int end, int start) {
  series_.SetVisible(end, start);
  RedrawPanes();
  // The labels under a resting mouse read the new scale at once.
  RefreshCrossHair();
}

void CQZChartWnd::RedrawPanes() {
  candle_.Redraw();
  volume_.Redraw();
}

void CQZChartWnd::ResetScrollBar() {
  int count = 0;
  int end = 0;
  int start = 0;
  {
    count = data().Count();
    end = std::min(data().End(), count);
    start = data().Start();
  }
  const int hidden = std::max(count - std::max(end - start, 0), 0);
  const int page = hidden / 10;
  // The thumb at the right end shows the newest bars (start 0).
  scroll_.SetScrollInfo(0, hidden + page, page, ScrollLimit(hidden + page, page) - start);
  scroll_pos_ = wanted_scroll_ = scroll_.pos();
}

void CQZChartWnd::ResetSlider() {
  int count = 0;
  int shown = 0;
  {
    count = data().Count();
    shown = std::min(data().End(), count) - data().Start();
  }
  // A range of 1 to 0 bars would be upside down.
  slider_.SetRange(1, std::max(count, 1));
  slider_.SetPos(shown);
}

void CQZChartWnd::OnScrollBar(int code, int track) {
  const int limit = ScrollLimit(scroll_.max(), scroll_.page());
  int pos = wanted_scroll_;
  switch (code) {
    case ctl::kLineUp:
      --pos;
      break;
    case ctl::kLineDown:
      ++pos;
      break;
    case ctl::kPageUp:
      pos -= std::max(scroll_.page(), 1);
      break;
    case ctl::kPageDown:
      pos += std::max(scroll_.page(), 1);
      break;
    case ctl::kThumbTrack:
    case ctl::kThumbPosition:
      pos = track;
      break;
    case ctl::kTop:
      pos = scroll_.min();
      break;
    case ctl::kBottom:
      pos = limit;
      break;
    default:
      return;
  }
  wanted_scroll_ = std::clamp(pos, scroll_.min(), std::max(limit, scroll_.min()));
  scroll_.SetPos(wanted_scroll_);
  SetTimer(kScrollTimer, 1);
}

void CQZChartWnd::ApplyScroll() {
  const int pos = wanted_scroll_;
  if (pos == scroll_pos_) return;
  scroll_pos_ = pos;
  const int page = scroll_.page();
  const int limit = ScrollLimit(scroll_.max(), page);
  const int hidden = page > 0 ? limit - 1 : limit;
  int end = 0;
  int start = 0;
  {
    end = std::min(data().End(), data().Count());
    start = data().Start();
  }
  // The same number of bars, moved.
  const int new_start = std::clamp(limit - pos, 0, std::max(hidden, 0));
  SetView(end + (new_start - start), new_start);
}

void CQZChartWnd::OnSlider(int code) {
  if (code == ctl::kEndScroll) return;
  int end = slider_.GetPos();
  int start = data().Start();
  if (end - start < 1) {
    start = 0;
    end = 1;
  }
  SetView(end, start);
  ResetScrollBar();
}

void CQZChartWnd::ShowRange(int end, int start) {
  SetView(end, start);
  ResetScrollBar();
  ResetSlider();
}

void CQZChartWnd::ShowNewest() {
  const int count = data().Count();
  const ChartRange to = Newest({std::min(data().End(), count), data().Start()}, count);
  ShowRange(to.end, to.start);
}

void CQZChartWnd::Wheel(CQZBaseChart& pane, int delta, bool horizontal, Point p, WParam flags) {
  // A fine wheel sends small deltas: they add up to notches.
  wheel_rest_ += delta;
  const int notches = wheel_rest_ / kWheelNotch;
  wheel_rest_ -= notches * kWheelNotch;
  const int count = data().Count();
  if (notches == 0 || count == 0) return;
  const ChartRange view{std::min(data().End(), count), data().Start()};
  ChartRange to;
  if (horizontal || (flags & sys::kShiftFlag) != 0) {
    // Up or left goes back in time, as a page scrolls.
    to = ScrollBy(view, count, (horizontal ? -notches : notches) * ScrollStep(view));
  } else {
    to = ZoomAround(view, count, pane.BarAtX(p.x), notches);
  }
  if (to == view) return;
  ShowRange(to.end, to.start);
}

}  // namespace velloran
