#include "app/frame_geometry.h"

namespace velloran {

Rect FramePlacement(const Rect& work_area, const Rect& desktop, const FrameMetrics& m) {
  const Rect area = work_area.width() < kSmallWorkArea || work_area.height() < kSmallWorkArea
                        ? desktop
                        : work_area;
  int width = 2 * m.frame_x + kFrameClientWidth;
  int height = 2 * m.frame_x + kFrameClientHeight;
  // Offsets count from the area's own corner: a panel at the top or left of
  // the screen moves the area's origin away from (0, 0).
  int x = area.left;
  int y = area.top;
  if (area.width() < width) {
    width = area.width();
  } else {
    x += (area.width() - width) / 2;
  }
  if (area.height() < height) {
    height = area.height() - kLowScreenMargin;
  } else {
    y += (area.height() - height) / 2;
  }
  return {x, y, x + width, y + height};
}

Rect FrameRegion(Size window, const FrameMetrics& m) {
  const int a = m.frame_x - 3;
  return {a, a, window.width - a, window.height - m.frame_y + 3};
}

HitCode FrameHitTest(Size window, Point p, const FrameMetrics& m) {
  const int bx = m.border_x + 2;
  const int by = m.border_y + 2;
  if (!Rect{0, 0, window.width, window.height}.Contains(p)) return HitCode::kNowhere;
  if (Rect{bx, by, window.width - bx, window.height - by}.Contains(p)) return HitCode::kClient;
  const bool left = p.x < bx;
  const bool right = p.x >= window.width - bx;
  const bool top = p.y < by;
  const bool bottom = p.y >= window.height - by;
  if (top && left) return HitCode::kTopLeft;
  if (top && right) return HitCode::kTopRight;
  if (bottom && left) return HitCode::kBottomLeft;
  if (bottom && right) return HitCode::kBottomRight;
  if (top) return HitCode::kTop;
  if (bottom) return HitCode::kBottom;
  if (left) return HitCode::kLeft;
  if (right) return HitCode::kRight;
  return HitCode::kNowhere;
}

}  // namespace velloran
