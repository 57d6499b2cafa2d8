#pragma once
// Push buttons, owner-drawn buttons and two-state check boxes, painted by us.
// A click (press and release over the button, or Space while it has the
// focus) sends kCommand ctl::kButtonClicked to the parent. An owner-drawn
// button is painted by DrawItem: a derived class overrides it, otherwise the
// parent gets ctl::kDrawItem.

#include <string>

#include "platform/control_codes.h"
#include "platform/window.h"

namespace velloran {

enum class ButtonKind { kPush, kOwnerDrawn, kCheckBox };

struct ButtonStyle {
  ButtonKind kind = ButtonKind::kPush;
  // A check box flips its check state itself on a click.
  bool auto_check = true;
  // The parent's painting shows through where the button draws nothing
  // (check boxes on a painted bar).
  bool transparent = false;
};

class ButtonControl : public Window {
 public:
  ButtonControl();

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, const std::u16string& caption,
                            const ButtonStyle& style = {}, const WindowStyle& window = {});

  [[nodiscard]] const ButtonStyle& style() const { return style_; }
  void SetCheck(bool checked);
  [[nodiscard]] bool IsChecked() const { return checked_; }
  [[nodiscard]] bool IsPressed() const { return pressed_ && inside_; }
  [[nodiscard]] bool IsHot() const { return hot_; }
  void SetFont(const Font& font);
  [[nodiscard]] const Font& font() const { return font_; }
  void SetTextColor(Color c) { text_color_ = c; }
  // Clicks as the user would: the kit's buttons and tests use it.
  void Click();

 protected:
  // Owner-drawn buttons: paints the button's face.
  virtual void DrawItem(const DrawItem& item);
  // Runs before the parent hears of the click.
  virtual void OnClicked() {}

  bool OnEraseBackground(DrawContext& dc) override;
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonDblClk(Point p, WParam flags) override { OnLButtonDown(p, flags); }
  void OnLButtonUp(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnMouseLeave() override;
  void OnKeyDown(WParam key) override;
  void OnKeyUp(WParam key) override;
  void OnSetFocus() override { Invalidate(); }
  void OnKillFocus() override;

 private:
  void PaintPush(DrawContext& dc, const Rect& r);
  void PaintCheckBox(DrawContext& dc, const Rect& r);

  ButtonStyle style_;
  Font font_ = Font::Points(u"굴림", 9);
  Color text_color_ = Rgb(0, 0, 0);
  bool checked_ = false;
  bool pressed_ = false;  // the left button went down on the button and is held
  bool inside_ = false;   // the held mouse is over the button
  bool space_down_ = false;
  bool hot_ = false;
};

// Paints what the parent shows under the child: its background and painting,
// mapped so that the parent's coordinates land where the child lies.
void PaintParentBackground(Window& child, DrawContext& dc);

}  // namespace velloran
