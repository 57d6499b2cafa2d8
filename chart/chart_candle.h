#pragma once
// The candle pane of a chart: candles with the doji rule, the legend and the
// lines of the averages that are on, and the price axis with its grid.

#include <array>

#include "chart/base_chart.h"

namespace velloran {

class CQZChartCandle : public CQZBaseChart {
 public:
  // The lines of the 5, 10, 20, 60 and 120-bar averages.
  static constexpr std::array<Color, 5> kAverageColors = {
      Rgb(206, 32, 183), Rgb(7, 39, 174), Rgb(245, 176, 0), Rgb(1, 159, 66), Rgb(119, 119, 119)};
  static constexpr int kMaxMarks = 101;

  [[nodiscard]] int ValueToY(double value) const override;
  void DrawAll(DrawContext& dc) override;
  void DrawSeries(DrawContext& dc) override;
  void DrawValueAxis(DrawContext& dc) override;
  // The price at p, cut down to a multiple of a twentieth of the price step.
  [[nodiscard]] std::int64_t ValueAtCursor(Point p) override;

 private:
  void DrawLegend(DrawContext& dc);
  void DrawCandles(DrawContext& dc);
  void DrawAverages(DrawContext& dc);
};

}  // namespace velloran
