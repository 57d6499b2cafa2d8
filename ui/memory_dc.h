#pragma once
// The off-screen context windows paint through: drawing goes to a bitmap of
// one rectangle of the target (the whole target by default), in the target's
// coordinates, and reaches the target in one copy when the context goes.

#include "platform/draw_context.h"

namespace velloran {

namespace detail {
// Holds the bitmap so that it exists before the context drawing on it.
struct MemoryBitmap {
  Bitmap bitmap_;
};
}  // namespace detail

class CMemoryDC : private detail::MemoryBitmap, public DrawContext {
 public:
  // rect is in the target's pixels; an empty rect takes the whole target. The
  // bitmap starts with the target's pixels when copy_target is set, otherwise
  // filled with background.
  explicit CMemoryDC(DrawContext& target, const Rect& rect = {}, bool copy_target = false,
                     Color background = Rgb(255, 255, 255));
  // Copies the bitmap to the target rectangle.
  ~CMemoryDC();
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;

  [[nodiscard]] const Rect& rect() const { return rect_; }

 private:
  DrawContext& target_;
  Rect rect_;
};

}  // namespace velloran
