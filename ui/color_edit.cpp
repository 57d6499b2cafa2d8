#include "ui/color_edit.h"

namespace velloran {

void CColorEdit::SetTextColor(Color c) {
  colors_.text = c;
  RefreshColors();
}

void CColorEdit::SetBkColor(Color c) {
  colors_.background = c;
  SetBackgroundColor(c);
  RefreshColors();
}

bool CColorEdit::QueryColors(ControlColors& colors) {
  colors = colors_;
  return true;
}

}  // namespace velloran
