#pragma once
// The replay control's slider over the trading day: a plain slider on the
// control's dark grey.

#include "platform/slider_control.h"

namespace velloran {

class CPlaySliderCtrl : public SliderControl {
 public:
  static constexpr Color kBackground = Rgb(83, 83, 83);
  CPlaySliderCtrl() { SetBackgroundColor(kBackground); }
};

}  // namespace velloran
