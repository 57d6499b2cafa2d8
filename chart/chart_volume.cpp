#include "chart/chart_volume.h"

#include <algorithm>

#include "net/text_util.h"

namespace velloran {

int CQZChartVolume::ValueToY(double value) const {
  const std::int64_t top = view().volume_top;
  if (top <= 0) return plot().top;
  return ScaleY(plot(), (static_cast<double>(top) - value) / static_cast<double>(top));
}

void CQZChartVolume::DrawSeries(DrawContext& dc) {
  CQZBaseChart::DrawSeries(dc);
  const int n = ShownCount();
  if (n == 0) return;
  // The oldest shown bar is compared with the store's reference bar.
  std::int64_t before = reference() ? reference()->volume : Shown(0).volume;
  for (int k = 0; k < n; ++k) {
    const TICK& bar = Shown(k);
    const double x = BarLeft(k);
    const int left = static_cast<int>(x);
    const int right = std::max(left + 1, static_cast<int>(x + body_width()));
    const int y = ValueToY(static_cast<double>(bar.volume));
    // Kept inside the frame by hand: a clip would slow every fill.
    const Rect box{left, y, right, std::max(plot().bottom, y + 1)};
    dc.FillRect(box.Intersect(frame()), bar.volume > before ? kRise : kFall);
    before = bar.volume;
  }
}

std::u16string CQZChartVolume::VolumeLabel(std::int64_t value, std::int64_t step) {
  if (step > 99999998) return Grouped(value / 1000000) + u"M";
  if (step > 99998) return Grouped(value / 1000) + u"K";
  return Grouped(value);
}

void CQZChartVolume::DrawValueAxis(DrawContext& dc) {
  CQZBaseChart::DrawValueAxis(dc);
  const ViewNumbers& v = view();
  if (v.count == 0 || v.volume_top <= 0) return;
  const Rect& axis = value_axis();
  // A step below 5 would rise by 0 and never reach the top; a step left
  // behind by a volume top that grew without a rescale would take too long.
  const std::int64_t rise =
      std::max({v.volume_step / 5, v.volume_top / kMaxMarks, std::int64_t{1}});
  dc.SetFont(font());
  dc.SetTextColor(kTextColor);
  dc.SetTransparentBackground(true);
  int k = 0;
  for (std::int64_t value = 0; value < v.volume_top; value += rise, ++k) {
    const int y = ValueToY(static_cast<double>(value));
    if (k % 2 == 0) dc.FillRect({axis.left, y, axis.left + 2, y + 1}, kTextColor);
    if (k == 0 || k % 10 != 0) continue;
    dc.FillRect({axis.left, y, axis.left + 6, y + 1}, kTextColor);
    dc.FillRect({frame().left + 1, y, frame().right - 1, y + 1}, kGridColor);
    const Rect label{axis.left + 7, y - 7, axis.right, y + 7};
    if (label.bottom > plot().bottom || label.top < 0) continue;
    dc.DrawText(
        VolumeLabel(value, v.volume_step), label,
        text_flag::kLeft | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix);
  }
}

std::int64_t CQZChartVolume::ValueAtCursor(Point p) {
  CalcLayout();
  const ViewNumbers& v = view();
  const int height = plot().bottom - plot().top;
  if (v.count == 0 || height <= 0 || !frame().Contains(p)) return 0;
  return v.volume_top -
         static_cast<std::int64_t>(static_cast<double>(v.volume_top) * (p.y - plot().top) / height);
}

}  // namespace velloran
