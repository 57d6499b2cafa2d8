#pragma once
// The pixels a drawing context has drawn so far, for contexts that start from
// what their target already shows (the kit's off-screen context).

#include "platform/draw_context.h"

namespace velloran {

// A copy of the device rectangle of dc's target; white where it lies outside.
[[nodiscard]] Bitmap CopyContextPixels(DrawContext& dc, const Rect& device_rect);

}  // namespace velloran
