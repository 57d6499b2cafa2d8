#pragma once
// CStkEdit, the text field of a stock search box: Latin letters become upper
// case as they are typed, the input method stays on for Korean, and the keys
// that work the box's drop-down list (Enter, the arrows, PageUp, PageDown,
// Home, End) and Tab go to the box. The box searches when the text changes.

#include "platform/edit_control.h"

namespace velloran {

class CStkWnd;

class CStkEdit : public EditControl {
 public:
  explicit CStkEdit(CStkWnd& owner) : owner_(owner) {}

  [[nodiscard]] bool Create(CStkWnd& parent, int id, const Rect& rect);

 protected:
  void OnKeyDown(WParam key) override;
  void OnSetFocus() override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnKillFocus() override;

 private:
  CStkWnd& owner_;
};

}  // namespace velloran
