#include "ui/my_zone.h"

namespace velloran {

bool CMyZone::Create(Window* parent, int id, bool bordered) {
  bordered_ = bordered;
  return Window::Create(parent, id, {0, 0, 0, 0}, u"", {.visible = false});
}

void CMyZone::ShowOver(const Rect& rect) {
  if (!IsCreated() || parent() == nullptr) return;
  Show(false);
  const Bitmap whole = parent()->Render();
  beneath_ = Bitmap(std::max(rect.width(), 0), std::max(rect.height(), 0));
  {
    DrawContext dc(beneath_);
    dc.DrawBitmap(whole, -rect.left, -rect.top);
  }
  Move(rect);
  Show(true);
  Invalidate();
}

void CMyZone::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  if (beneath_.width() >= r.width() && beneath_.height() >= r.height())
    dc.DrawBitmap(beneath_, 0, 0);
  dc.AlphaFill(r, kCyan, kAlpha);
  if (bordered_) dc.FrameRect(r, Rgb(0, 0, 0));
}

}  // namespace velloran
