#pragma once
// The arithmetic of the wheel and the keys over a chart: a new visible range
// after zooming around a bar, scrolling by bars or jumping to the newest.
// Ranges count bars from the newest, as the series does (exclusive end,
// start = the newest bars hidden at the right).

namespace velloran {

struct ChartRange {
  int end = 0;
  int start = 0;
  [[nodiscard]] int shown() const { return end - start; }
  bool operator==(const ChartRange&) const = default;
};

// Fewer bars than this are not zoomed into (unless the series has fewer).
inline constexpr int kMinZoomBars = 5;
// One wheel notch shows this share of bars fewer (in) or more (out).
inline constexpr double kZoomStep = 0.8;

// Zooms by notches (above 0 in, below 0 out) keeping the bar at anchor (a
// bar index from the newest; below 0: the middle of the view) under the same
// place of the plot. The range stays within the count of bars.
[[nodiscard]] ChartRange ZoomAround(ChartRange view, int count, int anchor, int notches);

// Moves the view by bars (above 0 towards older bars) keeping how many are shown.
[[nodiscard]] ChartRange ScrollBy(ChartRange view, int count, int bars);

// The bars one wheel notch scrolls: a tenth of the view, at least one.
[[nodiscard]] int ScrollStep(ChartRange view);

// The same number of bars, ending with the newest.
[[nodiscard]] ChartRange Newest(ChartRange view, int count);

}  // namespace velloran
