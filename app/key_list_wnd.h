#pragma once
// The key list: a pop-up over the main window that shows every key of the
// key table (app/key_map.h) with what it does. F1 opens and closes it, Esc
// or a press elsewhere closes it.

#include "platform/window.h"

namespace velloran {

class CKeyListWnd : public Window {
 public:
  static constexpr int kWidth = 380;
  static constexpr int kTitleHeight = 28;
  static constexpr int kRowHeight = 20;
  static constexpr int kKeyColumn = 110;
  static constexpr Color kTitleBack = Rgb(238, 227, 197);
  static constexpr Color kFrame = Rgb(58, 58, 58);
  static constexpr Color kText = Rgb(50, 50, 50);
  static constexpr Color kKeyBack = Rgb(234, 234, 234);
  static constexpr Color kLine = Rgb(216, 216, 216);

  CKeyListWnd() { SetBackgroundColor(Rgb(255, 255, 255)); }
  // Its height for the table's rows.
  [[nodiscard]] static int Height();

 protected:
  void OnPaint(DrawContext& dc) override;
};

}  // namespace velloran
