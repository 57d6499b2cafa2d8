#include "ui/qz_combo_box.h"

#include "platform/bitmap_resources.h"
#include "ui/memory_dc.h"

namespace velloran {

CQZComboBox::CQZComboBox() {
  SetBackgroundColor(Rgb(255, 255, 255));
}

bool CQZComboBox::Create(Window* parent, int id, const Rect& rect, int drop_height,
                         const WindowStyle& window) {
  ComboStyle style;
  style.drop_height = drop_height;
  return ComboBoxControl::Create(parent, id, rect, style, window);
}

void CQZComboBox::SetFrameColor(Color c) {
  frame_ = c;
  Invalidate();
}

void CQZComboBox::SetTextColor(Color c) {
  text_ = c;
  Invalidate();
}

void CQZComboBox::DrawFace(const DrawItem& item) {
  CMemoryDC dc(item.dc, item.rect, false, BackgroundColor());
  const Rect& r = item.rect;
  dc.FrameRect(r, frame_);
  dc.DrawBitmap(LoadBitmapResource(kArrowBitmap), r.right - 20, r.top + 2);
  if (item.item < 0) return;
  dc.SetFont(font());
  dc.SetTextColor(text_);
  dc.SetTransparentBackground(true);
  dc.DrawText(GetLBText(item.item), {r.left + 4, r.top, r.right - 20, r.bottom},
              text_flag::kLeft | text_flag::kVCenter | text_flag::kSingleLine |
                  text_flag::kNoPrefix | text_flag::kEndEllipsis);
}

}  // namespace velloran
