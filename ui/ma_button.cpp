#include "ui/ma_button.h"

namespace velloran {

bool CMAButton::Create(Window* parent, int id, const Rect& rect, const std::u16string& caption,
                       Color colour) {
  colour_ = colour;
  return ButtonControl::Create(parent, id, rect, caption, {ButtonKind::kOwnerDrawn});
}

void CMAButton::SetColor(Color c) {
  colour_ = c;
  Invalidate();
}

void CMAButton::DrawItem(const velloran::DrawItem& item) {
  DrawContext& dc = item.dc;
  const Rect& r = item.rect;
  dc.SetPen({kBorder, 1, PenStyle::kSolid});
  dc.SetBrush(colour_);
  dc.Rectangle(r);
  if (!item.checked) return;
  // The tick scales with the button: a pen a = height / 5 wide.
  const int a = r.height() / 5;
  const int w = r.width();
  dc.SetPen({Rgb(255, 255, 255), std::max(a, 1), PenStyle::kSolid});
  dc.Line({r.left + a, r.top + 2 * a + 1}, {r.left + w / 2, r.top + 4 * a + 1});
  dc.Line({r.left + w / 2, r.top + 3 * a + 1}, {r.left + w - a, r.top + a});
}

}  // namespace velloran
