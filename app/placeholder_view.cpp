#include "app/placeholder_view.h"

namespace velloran {

CPlaceholderView::CPlaceholderView(std::u16string class_name) : class_name_(std::move(class_name)) {
  SetBackgroundColor(kBackground);
}

void CPlaceholderView::OnPaint(DrawContext& dc) {
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(kCaption);
  dc.SetTransparentBackground(true);
  dc.DrawText(class_name_, ClientRect(),
              text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine);
}

}  // namespace velloran
