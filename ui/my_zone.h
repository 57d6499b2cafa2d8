#pragma once
// The rubber band of the chart window: a window without background erase
// whose client area is the picture beneath it under translucent cyan.

#include "platform/window.h"

namespace velloran {

class CMyZone : public Window {
 public:
  static constexpr Color kCyan = Rgb(0, 255, 255);
  static constexpr int kAlpha = 110;

  // A hidden child; bordered draws a 1-pixel black frame.
  [[nodiscard]] bool Create(Window* parent, int id, bool bordered);
  // Takes the parent's picture under rect (parent coordinates), then shows
  // the band there.
  void ShowOver(const Rect& rect);

 protected:
  bool OnEraseBackground(DrawContext&) override { return true; }
  void OnPaint(DrawContext& dc) override;

 private:
  bool bordered_ = false;
  Bitmap beneath_;
};

}  // namespace velloran
