#include "replay/play_frame_geometry.h"

namespace velloran {

Rect PlayFramePlacement(const Rect& desktop, const FrameMetrics& m) {
  const int width = kPlayFrameClientWidth + 2 * m.frame_x;
  const int height = kPlayFrameClientHeight + 2 * m.frame_y;
  if (desktop.width() < width || desktop.height() < height)
    return {desktop.left, desktop.top, desktop.right, desktop.bottom - kLowScreenMargin};
  const int x = desktop.left + (desktop.width() - width) / 2;
  const int y = desktop.top + (desktop.height() - height) / 2;
  return {x, y, x + width, y + height};
}

}  // namespace velloran
