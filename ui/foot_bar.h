#pragma once
// The status strip along the bottom of the main frame: a plain bar that its
// owner fills with its own children.

#include "platform/window.h"

namespace velloran {

class CFootBar : public Window {
 public:
  static constexpr int kHeight = 20;
  static constexpr Color kBackground = Rgb(58, 58, 58);

  CFootBar() { SetBackgroundColor(kBackground); }
};

}  // namespace velloran
