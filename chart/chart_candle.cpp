#include "chart/chart_candle.h"

#include <algorithm>
#include <vector>

#include "net/text_util.h"

namespace velloran {
namespace {



}  // namespace

int CQZChartCandle::ValueToY(double value) const {
  const ViewNumbers& v = view();
  if (v.top == v.bottom) return plot().top;
  return ScaleY(plot(),
                (static_cast<double>(v.top) - value) / static_cast<double>(v.top - v.bottom));
}

void CQZChartCandle::DrawAll(DrawContext& dc) {
  CQZBaseChart::DrawAll(dc);
  DrawAverages(dc);
}

void CQZChartCandle::DrawSeries(DrawContext& dc) {
  CQZBaseChart::DrawSeries(dc);
  if (view().count == 0) return;
  DrawLegend(dc);
  DrawCandles(dc);
}

void CQZChartCandle::DrawLegend(DrawContext& dc) {
  dc.SetFont(font());
  dc.SetTransparentBackground(true);
  int x = plot().left + 10;
  const int y = plot().top + 5;
  for (std::size_t k = 0; k < CChartData::kPeriods.size(); ++k) {
    if (!view().averages[k]) continue;
    const int n = CChartData::kPeriods[k];
    dc.SetTextColor(kAverageColors[k]);
    dc.TextOut(x, y, FormatInt(n));
    x += n == 5 ? 11 : 19;
  }
}

void CQZChartCandle::DrawCandles(DrawContext& dc) {
  // A doji takes the colour of the last candle that had one.
  Color last = kRise;
  const int n = ShownCount();
  for (int k = 0; k < n; ++k) {
    const TICK& bar = Shown(k);
    const double x = BarLeft(k);
    const int left = static_cast<int>(x);
    const int right = std::max(left + 1, static_cast<int>(x + body_width()));
    const int y_open = ValueToY(bar.open);
    const int y_close = ValueToY(bar.close);
    Rect body;
    if (bar.close == bar.open) {
      body = {left, y_close, right, y_close + 1};
    } else {
      last = bar.close < bar.open ? kFall : kRise;
      const int top = std::min(y_open, y_close);
      body = {left, top, right, std::max(std::max(y_open, y_close), top + 1)};
    }
    // Kept inside the frame by hand: a clip would slow every fill.
    dc.FillRect(body.Intersect(frame()), last);
    const int wick = static_cast<int>(x + pitch() / 2);
    const int y_high = ValueToY(bar.high);
    const Rect line{wick, y_high, wick + 1, std::max(ValueToY(bar.low) + 1, y_high + 1)};
    dc.FillRect(line.Intersect(frame()), last);
  }
}

void CQZChartCandle::DrawAverages(DrawContext& dc) {
  const int n = ShownCount();
  if (n == 0) return;
  dc.IntersectClip(frame());
  std::vector<Point> points;
  points.reserve(n);
  for (std::size_t a = 0; a < CChartData::kPeriods.size(); ++a) {
    if (!view().averages[a]) continue;
    points.clear();
    for (int k = 0; k < n; ++k) {
      const double v = AverageOf(Shown(k), static_cast<int>(a));
      // A bar without the average is passed over; the line goes on past it.
      if (!(v > 0)) continue;
      points.push_back({static_cast<int>(BarLeft(k) + pitch() / 2), ValueToY(v)});
    }
    if (points.size() < 2) continue;
    dc.SetPen({kAverageColors[a], 1, PenStyle::kSolid});
    dc.Polyline(points);
  }
  dc.ResetClip();
}

void CQZChartCandle::DrawValueAxis(DrawContext& dc) {
  CQZBaseChart::DrawValueAxis(dc);
  if (view().count == 0) return;
  const Rect& axis = value_axis();
  const ViewNumbers& v = view();
  // A step below 5 would rise by 0 and never reach the top.
  const std::int64_t rise = std::max<std::int64_t>(v.price_step / 5, 1);
  dc.SetFont(font());
  dc.SetTextColor(kTextColor);
  dc.SetTransparentBackground(true);
  int k = 0;
  for (std::int64_t value = v.bottom; value < v.top && k < kMaxMarks; value += rise, ++k) {
    const int y = ValueToY(static_cast<double>(value));
    const bool major = k % 5 == 0;
    dc.FillRect({axis.left, y, axis.left + (major ? 6 : 2), y + 1}, kTextColor);
    if (!major) continue;
    dc.FillRect({frame().left + 1, y, frame().right - 1, y + 1}, kGridColor);
    const Rect label{axis.left + 7, y - 7, axis.right, y + 7};
    if (label.bottom > plot().bottom + 7 || label.top < 0) continue;
    dc.DrawText(
        Grouped(value), label,
        text_flag::kLeft | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix);
  }
}

std::int64_t CQZChartCandle::ValueAtCursor(Point p) {
  CalcLayout();
  const ViewNumbers& v = view();
  const int height = plot().bottom - plot().top;
  if (v.count == 0 || height <= 0 || !plot().Contains(p)) return 0;
  const auto value =
      static_cast<std::int64_t>(static_cast<double>(v.top) - static_cast<double>(v.top - v.bottom) *
                                                                 (p.y - plot().top) / height);
  const std::int64_t unit = std::max<std::int64_t>(v.price_step / 20, 1);
  return value - value % unit;
}

}  // namespace velloran
