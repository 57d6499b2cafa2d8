#include "platform/button_control.h"

#include "platform/child_rect.h"
#include "platform/window_events.h"

namespace velloran {

namespace {

constexpr unsigned kCaptionFlags =
    text_flag::kSingleLine | text_flag::kVCenter | text_flag::kNoPrefix | text_flag::kEndEllipsis;

}  // namespace

ButtonControl::ButtonControl() {
  SetBackgroundColor(Rgb(240, 240, 240));
}

bool ButtonControl::Create(Window* parent, int id, const Rect& rect, const std::u16string& caption,
                           const ButtonStyle& style, const WindowStyle& window) {
  style_ = style;
  return Window::Create(parent, id, rect, caption, window);
}

void ButtonControl::SetCheck(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Invalidate();
}

void ButtonControl::SetFont(const Font& font) {
  font_ = font;
  Invalidate();
}

void ButtonControl::Click() {
  if (style_.kind == ButtonKind::kCheckBox && style_.auto_check) SetCheck(!checked_);
  OnClicked();
  CommandParent(ctl::kButtonClicked);
}

void ButtonControl::DrawItem(const velloran::DrawItem& item) {
  if (parent() != nullptr)
    parent()->Send(ctl::kDrawItem, static_cast<WParam>(id()), reinterpret_cast<LParam>(&item));
}

bool ButtonControl::OnEraseBackground(DrawContext& dc) {
  if (style_.transparent && parent() != nullptr) {
    PaintParentBackground(*this, dc);
    return true;
  }
  return Window::OnEraseBackground(dc);
}

void ButtonControl::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  switch (style_.kind) {
    case ButtonKind::kOwnerDrawn: {
      const velloran::DrawItem item{dc,       r,          id(),         -1,  IsPressed(),
                                    checked_, HasFocus(), !IsEnabled(), hot_};
      DrawItem(item);
      break;
    }
    case ButtonKind::kCheckBox:
      PaintCheckBox(dc, r);
      break;
    case ButtonKind::kPush:
      PaintPush(dc, r);
      break;
  }
}

void ButtonControl::PaintPush(DrawContext& dc, const Rect& r) {
  Color face = Rgb(225, 225, 225);
  Color border = Rgb(173, 173, 173);
  Color text = text_color_;
  if (!IsEnabled()) {
    face = Rgb(204, 204, 204);
    border = Rgb(191, 191, 191);
    text = Rgb(131, 131, 131);
  } else if (IsPressed() || checked_) {
    face = Rgb(204, 228, 247);
    border = Rgb(0, 84, 153);
  } else if (hot_ || HasFocus()) {
    face = Rgb(229, 241, 251);
    border = Rgb(0, 120, 215);
  }
  dc.FillRect(r, face);
  dc.FrameRect(r, border);
  dc.SetFont(font_);
  dc.SetTextColor(text);
  dc.SetTransparentBackground(true);
  const int shift = IsPressed() ? 1 : 0;
  dc.DrawText(Text(), r.Deflated(3, 1).Offset(shift, shift), kCaptionFlags | text_flag::kCenter);
}

void ButtonControl::PaintCheckBox(DrawContext& dc, const Rect& r) {
  const int top = r.top + (r.height() - 13) / 2;
  const Rect box{r.left, top, r.left + 13, top + 13};
  const bool enabled = IsEnabled();
  dc.FillRect(box, IsPressed() ? Rgb(204, 228, 247) : Rgb(255, 255, 255));
  dc.FrameRect(box, enabled ? Rgb(51, 51, 51) : Rgb(188, 188, 188));
  if (checked_) {
    dc.SetPen({enabled ? Rgb(51, 51, 51) : Rgb(188, 188, 188), 2, PenStyle::kSolid});
    dc.Line({box.left + 3, box.top + 6}, {box.left + 5, box.top + 9});
    dc.Line({box.left + 5, box.top + 9}, {box.left + 10, box.top + 3});
  }
  dc.SetFont(font_);
  dc.SetTextColor(enabled ? text_color_ : Rgb(131, 131, 131));
  dc.SetTransparentBackground(true);
  dc.DrawText(Text(), {box.right + 4, r.top, r.right, r.bottom}, kCaptionFlags);
}

void ButtonControl::OnLButtonDown(Point p, WParam) {
  SetFocus();
  SetCapture();
  pressed_ = true;
  inside_ = ClientRect().Contains(p);
  Invalidate();
}

void ButtonControl::OnLButtonUp(Point p, WParam) {
  if (!pressed_) return;
  ReleaseCapture();
  const bool click = ClientRect().Contains(p);
  pressed_ = false;
  inside_ = false;
  Invalidate();
  if (click) Click();
}

void ButtonControl::OnMouseMove(Point p, WParam) {
  const bool inside = ClientRect().Contains(p);
  if (!hot_ && inside) {
    hot_ = true;
    Invalidate();
  }
  if (pressed_ && inside != inside_) {
    inside_ = inside;
    Invalidate();
  }
}

void ButtonControl::OnMouseLeave() {
  if (!hot_) return;
  hot_ = false;
  Invalidate();
}

void ButtonControl::OnKeyDown(WParam key) {
  if (key != sys::kVkSpace || space_down_) return;
  space_down_ = true;
  pressed_ = inside_ = true;
  Invalidate();
}

void ButtonControl::OnKeyUp(WParam key) {
  if (key != sys::kVkSpace || !space_down_) return;
  space_down_ = false;
  pressed_ = inside_ = false;
  Invalidate();
  Click();
}

void ButtonControl::OnKillFocus() {
  if (space_down_) {
    space_down_ = false;
    pressed_ = inside_ = false;
  }
  Invalidate();
}

void PaintParentBackground(Window& child, DrawContext& dc) {
  Window* parent = child.parent();
  if (parent == nullptr) return;
  const Rect where = ChildRect(child);
  const Rect client = parent->ClientRect();
  if (client.IsEmpty()) return;
  // The parent paints as it would for itself, into a bitmap of its own size.
  Bitmap canvas(client.width(), client.height(), parent->BackgroundColor());
  {
    DrawContext pdc(canvas);
    parent->Send(sys::kEraseBackground, reinterpret_cast<WParam>(&pdc), 0);
    pdc.ResetClip();
    pdc.ResetMapping();
    parent->Send(sys::kPaint, reinterpret_cast<WParam>(&pdc), 0);
  }
  dc.DrawBitmap(canvas, -where.left, -where.top);
}

}  // namespace velloran
