#pragma once
// The kit's slider (the chart's zoom, the replay's day): the standard slider
// as it is.

#include "platform/slider_control.h"

namespace velloran {

class CQZSliderCtrl : public SliderControl {};

}  // namespace velloran
