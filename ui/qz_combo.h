#pragma once
// The plain drop-down list of the kit (the date lists): a standard combo box
// whose list drops at least 100 pixels.

#include "platform/combo_box_control.h"

namespace velloran {

class CQZCombo : public ComboBoxControl {
 public:
  static constexpr int kMinDropHeight = 100;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, int drop_height = 0,
                            const WindowStyle& window = {});
  void SetDropHeight(int pixels) {
    ComboBoxControl::SetDropHeight(std::max(pixels, kMinDropHeight));
  }
};

}  // namespace velloran
