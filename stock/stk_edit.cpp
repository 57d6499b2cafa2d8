#include "stock/stk_edit.h"

#include "stock/stk_wnd.h"

namespace velloran {

bool CStkEdit::Create(CStkWnd& parent, int id, const Rect& rect) {
  EditStyle style;
  style.uppercase = true;
  return EditControl::Create(&parent, id, rect, style);
}

void CStkEdit::OnKeyDown(WParam key) {
  if (owner_.OnEditKey(key)) SwallowKey();
}

void CStkEdit::OnSetFocus() {
  // Qt keeps the input method on for the field; it has no call that picks
  // the Hangul conversion mode, so the user's own mode stays as it is.
  SelectAll();
}

void CStkEdit::OnLButtonDown(Point, WParam) {
  // After the default handling placed the caret.
  SelectAll();
}

void CStkEdit::OnKillFocus() {
  owner_.OnEditFocusLost();
}

}  // namespace velloran
