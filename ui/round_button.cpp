#include "ui/round_button.h"

namespace velloran {

bool CRoundButton::Create(Window* parent, int id, const Rect& rect, const std::u16string& caption,
                          RoundButtonStyle style) {
  round_style_ = style;
  return ButtonControl::Create(parent, id, rect, caption, {ButtonKind::kOwnerDrawn});
}

void CRoundButton::DrawItem(const velloran::DrawItem& item) {
  DrawContext& dc = item.dc;
  const Rect& r = item.rect;
  const Color face = item.checked ? kCheckedFace : kFace;
  const Color border = item.checked ? kCheckedBorder : kFace;
  // The corners outside the rounding show the parent's background.
  dc.FillRect(r, parent() != nullptr ? parent()->BackgroundColor() : BackgroundColor());
  dc.SetPen({border, 1, PenStyle::kSolid});
  dc.SetBrush(face);
  dc.RoundRect(r, 2, 2);
  Rect caption = r;
  if (round_style_ == RoundButtonStyle::kUnderlined) {
    dc.Line({r.left + 1, r.bottom - 2}, {r.right - 1, r.bottom - 2});
    caption.top += 1;
  }
  dc.SetFont(font());
  dc.SetTextColor(kText);
  dc.SetTransparentBackground(true);
  dc.DrawText(
      Text(), caption,
      text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix);
}

}  // namespace velloran
