#include "ui/bit_button.h"

#include "platform/bitmap_resources.h"
#include "platform/child_rect.h"

namespace velloran {

Bitmap LoadMappedBitmap(int resource_id, Color face) {
  const Bitmap& source = LoadBitmapResource(resource_id);
  if (source.IsNull()) return Bitmap();
  Bitmap mapped = source;
  DrawContext dc(mapped);
  constexpr Color kLightGrey = Rgb(192, 192, 192);
  for (int y = 0; y < mapped.height(); ++y)
    for (int x = 0; x < mapped.width(); ++x)
      if (source.PixelAt(x, y) == kLightGrey) dc.SetPixel(x, y, face);
  return mapped;
}

bool CBitButton::Create(const std::u16string& caption, const WindowStyle& style, const Rect& rect,
                        Window* parent, int id) {
  return ButtonControl::Create(parent, id, rect, caption, {ButtonKind::kOwnerDrawn}, style);
}

bool CBitButton::LoadBitmap(int resource_id) {
  Bitmap b = LoadMappedBitmap(resource_id, kFace);
  if (b.IsNull()) return false;
  bitmap_ = b;
  bitmap_id_ = resource_id;
  Resize();
  Invalidate();
  return true;
}

void CBitButton::Resize() {
  if (bitmap_.IsNull() || !IsCreated()) return;
  const Rect r = ChildRect(*this);
  const int height = hover_mode_ ? bitmap_.height() / 2 : bitmap_.height();
  Move({r.left, r.top, r.left + bitmap_.width(), r.top + height});
}

void CBitButton::SetToggleBitmaps(int normal_id, int pressed_id) {
  normal_id_ = normal_id;
  pressed_id_ = pressed_id;
}

void CBitButton::SetHoverMode(bool hover) {
  hover_mode_ = hover;
  Resize();
  Invalidate();
}

void CBitButton::SetHandCursor(bool hand) {
  SetCursor(hand ? CursorKind::kHand : CursorKind::kArrow);
}

void CBitButton::SetToggle(int state) {
  state_ = state != 0 ? 1 : 0;
  LoadBitmap(state_ == 1 ? pressed_id_ : normal_id_);
  if (enable_link_) Enable(state_ == 0);
  UpdateNow();
}

void CBitButton::OnClicked() {
  if (behaviour_ != BitButtonBehaviour::kToggle) return;
  state_ = 1 - state_;
  LoadBitmap(state_ == 1 ? pressed_id_ : normal_id_);
}

void CBitButton::OnLButtonDown(Point p, WParam flags) {
  if (behaviour_ == BitButtonBehaviour::kPushOffset && !offset_) {
    offset_ = true;
    Move(ChildRect(*this).Offset(1, 1));
  }
  ButtonControl::OnLButtonDown(p, flags);
}

void CBitButton::OnLButtonUp(Point p, WParam flags) {
  if (offset_) {
    offset_ = false;
    Move(ChildRect(*this).Offset(-1, -1));
    p = {p.x + 1, p.y + 1};  // the same spot of the screen, as the button stands now
  }
  ButtonControl::OnLButtonUp(p, flags);
}

void CBitButton::DrawItem(const velloran::DrawItem& item) {
  const Rect& r = item.rect;
  if (bitmap_.IsNull()) {
    item.dc.FillRect(r, kFace);
    return;
  }
  const int top = hover_mode_ && item.hot ? bitmap_.height() / 2 : 0;
  item.dc.StretchBitmap(bitmap_, {0, top, r.width(), top + r.height()}, r);
}

}  // namespace velloran
