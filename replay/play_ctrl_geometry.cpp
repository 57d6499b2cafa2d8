#include "replay/play_ctrl_geometry.h"

#include <algorithm>
#include <cmath>

namespace velloran {

PlayCtrlGeometry::PlayCtrlGeometry(Size client) {
  box_ = {145, 25, client.width - 3, client.height - 5};
  plot_ = {160, 35, client.width - 13, client.height - 15};
  if (plot_.width() > 2) pixels_per_second_ = (plot_.width() - 2) / double(kPlayDaySpanSeconds);
  mid_ = (plot_.top + plot_.bottom) / 2;
  step_ = plot_.height() * 0.5 * 0.25;
}

int PlayCtrlGeometry::LineY(int i) const {
  return mid_ + static_cast<int>(step_ * i);
}

Rect PlayCtrlGeometry::DateComboRect() const {
  return {150, 5, std::max(box_.right, 151), 25};
}

int PlayCtrlGeometry::XOfTime(std::int32_t hhmmss) const {
  const std::int64_t seconds = (HhmmssToMs(hhmmss) - HhmmssToMs(kPlayDayStartHhmmss)) / 1000;
  return plot_.left + static_cast<int>(seconds * plot_.width() / kPlayDaySpanSeconds);
}

std::vector<PlayCtrlGeometry::Bar> PlayCtrlGeometry::Bars(const std::vector<KOA>& samples) const {
  std::vector<Bar> bars;
  const int top_limit = LineY(-kSteps);
  const int bottom_limit = LineY(kSteps);
  for (const KOA& s : samples) {
    if (s.time < kFirstBarTime || s.time > kLastBarTime) continue;
    const int x = XOfTime(s.time);
    // The n-th bar's right edge runs on with the day; in practice every bar
    // is one pixel wide.
    int right = plot_.left + 1 +
                static_cast<int>(static_cast<double>(bars.size() + 1) * pixels_per_second_);
    if (right <= x) right = x + 1;
    const double asks = static_cast<double>(s.ask_total != 0 ? s.ask_total : 1);
    const double bids = static_cast<double>(s.bid_total != 0 ? s.bid_total : 1);
    Bar bar;
    if (s.bid_total < s.ask_total) {
      // Clamped before rounding: a total against a 0 can be any size.
      const int top = static_cast<int>(std::lround(std::max(mid_ - step_ * asks / bids, double(top_limit))));
      bar = {{x, top, right, mid_}, BarKind::kAsks};
    } else if (s.ask_total < s.bid_total) {
      const int bottom =
          static_cast<int>(std::lround(std::min(mid_ + step_ * bids / asks, double(bottom_limit))));
      bar = {{x, mid_, right, bottom}, BarKind::kBids};
    } else {
      bar = {{x, mid_ - 1, right, mid_}, BarKind::kEven};
    }
    bars.push_back(bar);
  }
  return bars;
}

}  // namespace velloran
