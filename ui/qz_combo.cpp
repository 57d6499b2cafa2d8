#include "ui/qz_combo.h"

namespace velloran {

bool CQZCombo::Create(Window* parent, int id, const Rect& rect, int drop_height,
                      const WindowStyle& window) {
  ComboStyle style;
  style.drop_height = std::max(drop_height, kMinDropHeight);
  return ComboBoxControl::Create(parent, id, rect, style, window);
}

}  // namespace velloran
