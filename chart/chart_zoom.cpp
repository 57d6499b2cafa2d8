#include "chart/chart_zoom.h"

#include <algorithm>
#include <cmath>

namespace velloran {
namespace {

// A view of shown bars starting at start, moved and cut to fit count bars.
ChartRange Fit(int start, int shown, int count) {
  shown = std::clamp(shown, std::min(1, count), std::max(count, 0));
  start = std::clamp(start, 0, std::max(count - shown, 0));
  return {start + shown, start};
}

}  // namespace

ChartRange ZoomAround(ChartRange view, int count, int anchor, int notches) {
  if (count <= 0 || notches == 0) return view;
  view = Fit(view.start, view.shown(), count);
  const int shown = view.shown();
  const int low = std::min(kMinZoomBars, count);
  const double scaled = shown * std::pow(kZoomStep, notches);
  // From five bars up a notch always moves by at least one.
  const int wanted = std::clamp(static_cast<int>(std::lround(scaled)), low, count);
  if (anchor < view.start || anchor >= view.end) anchor = view.start + shown / 2;
  // The anchor keeps its share of the view from the right (newest) edge.
  const double from_right = (anchor - view.start + 0.5) / shown;
  const int start = static_cast<int>(std::lround(anchor + 0.5 - from_right * wanted));
  return Fit(start, wanted, count);
}

ChartRange ScrollBy(ChartRange view, int count, int bars) {
  if (count <= 0) return view;
  return Fit(view.start + bars, view.shown(), count);
}

int ScrollStep(ChartRange view) {
  return std::max(1, view.shown() / 10);
}

ChartRange Newest(ChartRange view, int count) {
  if (count <= 0) return view;
  return Fit(0, view.shown(), count);
}

}  // namespace velloran
