#pragma once
// A single-line edit field on Qt's line edit: caret, selection, the input
// method (Hangul), password and upper-case styles and a length limit. Its
// colours are asked of the field itself and then of its parent before each
// paint (ctl::kControlColor); focus and text changes go to the parent as
// kCommand codes, and keys reach the field's window procedure first.

#include <memory>
#include <string>

#include "platform/control_codes.h"
#include "platform/window.h"

namespace velloran {

struct EditStyle {
  bool password = false;
  bool uppercase = false;  // typed, pasted or set Latin letters become upper case
  bool read_only = false;
  bool border = false;
  int limit = 0;  // characters; 0 is the system's maximum
};

class EditControl : public Window {
 public:
  EditControl();
  ~EditControl() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, const EditStyle& style = {},
                            const WindowStyle& window = {});

  // The field's text; these hide Window's so that both stay the same.
  void SetText(const std::u16string& text);
  [[nodiscard]] std::u16string Text() const;

  void SetFont(const Font& font);
  void SetLimit(int characters);
  void SetPasswordStyle(bool password);
  void SetReadOnly(bool read_only);
  // Space kept free inside the field at the left and right edges.
  void SetMargins(int left, int right);

  // Selection by character index; end -1 means the end of the text, start -1
  // removes the selection. The caret goes to end.
  void SetSel(int start, int end);
  void SelectAll() { SetSel(0, -1); }
  [[nodiscard]] int SelectionStart() const;
  [[nodiscard]] int SelectionEnd() const;
  [[nodiscard]] int CaretPosition() const;
  void SetCaretPosition(int position);

  // Asks for the colours again and repaints.
  void RefreshColors();
  // Called from OnKeyDown: the field does not handle this key.
  void SwallowKey() { swallow_key_ = true; }

  LResult WindowProc(WindowMessage& m) override;

 protected:
  // The colours of the field; true when filled in. The default asks the
  // parent with ctl::kControlColor.
  virtual bool QueryColors(ControlColors& colors);
  void OnSize(int width, int height) override;

 private:
  class LineEdit;
  friend class LineEdit;
  LineEdit* edit_ = nullptr;  // owned by the window's widget
  EditStyle style_;
  bool swallow_key_ = false;
};

// Latin a-z become A-Z; everything else stays.
[[nodiscard]] std::u16string UpperLatin(std::u16string text);

}  // namespace velloran
