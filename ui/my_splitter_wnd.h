#pragma once
// The main frame's static splitter: bars 3 pixels wide in gaps of 4 pixels
// with a border of 1, each bar marked by an inner light rectangle. The frame
// locks it to keep the layout fixed.

#include "platform/splitter_window.h"

namespace velloran {

class CMySplitterWnd : public SplitterWindow {
 public:
  static constexpr int kBarWidth = 3;
  static constexpr int kGap = 4;
  static constexpr int kBorder = 1;
  static constexpr Color kInner = Rgb(180, 184, 195);

  CMySplitterWnd();

 protected:
  void DrawBar(DrawContext& dc, const Rect& r, Bar kind) override;
};

}  // namespace velloran
