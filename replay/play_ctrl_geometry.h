#pragma once
// Where the replay control puts things, without a display: the time-line box
// and its plot for a client size, the x of a time of day and the time of an
// x, the grid lines, the hour lines and the ratio bars of the day's totals.
// CPlayCtrl lays out and paints by it; a test checks it with no window.

#include <cstdint>
#include <vector>

#include "hoga/koa_samples.h"
#include "platform/geometry.h"
#include "replay/play_time.h"

namespace velloran {

class PlayCtrlGeometry {
 public:
  // The samples that get a bar.
  static constexpr int kFirstBarTime = 83000;
  static constexpr int kLastBarTime = 155900;
  // Bars show ratios up to this many grid steps from the middle.
  static constexpr int kSteps = 3;
  static constexpr int kFirstHour = 9;
  static constexpr int kLastHour = 16;

  enum class BarKind { kAsks, kBids, kEven };  // red up, blue down, red line
  struct Bar {
    Rect rect;
    BarKind kind = BarKind::kEven;
  };

  explicit PlayCtrlGeometry(Size client);

  // The rounded box and, inside it, the plot the grid and bars take.
  [[nodiscard]] const Rect& box() const { return box_; }
  [[nodiscard]] const Rect& plot() const { return plot_; }
  // (plot width - 2) / the day's seconds; 1.0 while the plot has no width.
  [[nodiscard]] double pixels_per_second() const { return pixels_per_second_; }
  [[nodiscard]] int mid() const { return mid_; }
  [[nodiscard]] double step() const { return step_; }
  // The y of the grid line i steps from the middle (negative: above).
  [[nodiscard]] int LineY(int i) const;
  // The date combo: from (150, 5), 20 high, to the box's right edge.
  [[nodiscard]] Rect DateComboRect() const;

  // x of a time of day (hhmmss) on the plot.
  [[nodiscard]] int XOfTime(std::int32_t hhmmss) const;
  // The time (hhmmss) a click at x seeks to: from the box's left edge
  // (08:00:00) across its width (16:00:00), kept within the day.
  [[nodiscard]] std::int32_t TimeOfX(int x) const {
    return TimelineXToHhmmss(x, box_.left, box_.width());
  }
  // The bars of the samples from 08:30:00 to 15:59:00, in order.
  [[nodiscard]] std::vector<Bar> Bars(const std::vector<KOA>& samples) const;

 private:
  Rect box_;
  Rect plot_;
  double pixels_per_second_ = 1.0;
  int mid_ = 0;
  double step_ = 0;
};

}  // namespace velloran
