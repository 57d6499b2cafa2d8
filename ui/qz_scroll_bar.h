#pragma once
// The chart window's history scroll bar: the standard scroll bar as it is.

#include "platform/scroll_bar_control.h"

namespace velloran {

class CQZScrollBar : public ScrollBarControl {};

}  // namespace velloran
