#pragma once
// A label window: text on a coloured background, shown while it has text.
// Lines split at line feeds, each cut with an ellipsis where it does not fit.

#include <string>

#include "platform/window.h"

namespace velloran {

class CTipWnd : public Window {
 public:
  static constexpr int kRepaintTimer = 11010;

  CTipWnd();

  // A non-empty text shows the window and repaints it 5 ms later; an empty
  // one hides it. Hides Window::SetText, which it keeps the same.
  void SetText(const std::u16string& text);
  void SetBkColor(Color c);
  void SetTextColor(Color c);
  void SetInset(int pixels);
  [[nodiscard]] int inset() const { return inset_; }

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;

 private:
  Color text_color_ = Rgb(0, 0, 0);
  int inset_ = 1;
  Font font_ = Font::Points(u"굴림", 8);
};

}  // namespace velloran
