#include "ui/memory_dc.h"

#include "platform/context_pixels.h"

namespace velloran {

namespace {

Rect Area(DrawContext& target, const Rect& rect) {
  if (!rect.IsEmpty()) return rect;
  const Size s = target.size();
  return {0, 0, s.width, s.height};
}

Bitmap Start(DrawContext& target, const Rect& rect, bool copy_target, Color background) {
  if (copy_target) return CopyContextPixels(target, rect);
  return Bitmap(rect.width(), rect.height(), background);
}

}  // namespace

CMemoryDC::CMemoryDC(DrawContext& target, const Rect& rect, bool copy_target, Color background)
    : detail::MemoryBitmap{Start(target, Area(target, rect), copy_target, background)},
      DrawContext(bitmap_),
      target_(target),
      rect_(Area(target, rect)) {
  SetWindowOrigin(rect_.left, rect_.top);
}

CMemoryDC::~CMemoryDC() {
  Finish();  // done drawing before the copy reads the bitmap
  target_.DrawBitmap(bitmap_, rect_.left, rect_.top);
}

}  // namespace velloran
