#pragma once
// A multi-line text box on Qt's plain-text editor, read-only by default,
// with a vertical scroll bar: the memo boxes of the order-book views.

#include <string>

#include "platform/window.h"

namespace velloran {

class MemoControl : public Window {
 public:
  MemoControl();
  ~MemoControl() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, bool read_only = true,
                            const WindowStyle& window = {});

  // These hide Window's so that both stay the same.
  void SetText(const std::u16string& text);
  [[nodiscard]] std::u16string Text() const;
  void SetColors(Color text, Color background);
  void SetFont(const Font& font);
  void SetReadOnly(bool read_only);
  // The first line shown, and how many lines the text has.
  [[nodiscard]] int FirstVisibleLine() const;
  [[nodiscard]] int LineCount() const;
  void ScrollToLine(int line);

  LResult WindowProc(WindowMessage& m) override;

 protected:
  void OnSize(int width, int height) override;

 private:
  class Editor;
  Editor* editor_ = nullptr;  // owned by the window's widget
};

}  // namespace velloran
