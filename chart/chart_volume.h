#pragma once
// The volume pane of a chart: a bar per shown bar, red where the volume rose
// against the bar before it, and the volume axis with K and M labels.

#include "chart/base_chart.h"

namespace velloran {

class CQZChartVolume : public CQZBaseChart {
 public:
  // The most marks the axis walks (a scale's step gives about 50).
  static constexpr std::int64_t kMaxMarks = 200;

  [[nodiscard]] int ValueToY(double value) const override;
  void DrawSeries(DrawContext& dc) override;
  void DrawValueAxis(DrawContext& dc) override;
  // The volume at p; 0 off the frame or with no bars.
  [[nodiscard]] std::int64_t ValueAtCursor(Point p) override;

  // An axis label: thousands as "K" above a step of 99998, millions as "M"
  // above 99999998.
  [[nodiscard]] static std::u16string VolumeLabel(std::int64_t value, std::int64_t step);
};

}  // namespace velloran
