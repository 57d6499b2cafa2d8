#include "grid/qz_header_ctrl.h"

#include <algorithm>

namespace velloran {

void CQZHeaderCtrl::SetSortMark(int column, int direction) {
  if (direction == 0) column = -1;
  if (column < 0) direction = 0;
  if (column == sort_column_ && direction == sort_direction_) return;
  sort_column_ = column;
  sort_direction_ = direction;
  Invalidate();
}

bool CQZHeaderCtrl::IsPriceTitle(std::u16string_view title) {
  return title == u"포착가" || title == u"알람가1" || title == u"알람가2";
}

void CQZHeaderCtrl::DrawItem(DrawContext& dc, const HeaderPaint& cell) {
  const Rect& r = cell.rect;
  const bool price = IsPriceTitle(cell.header_item->title);
  Color face = price ? kPriceFace : kCellFace;
  if (cell.pressed) face = Rgb(face.r - 20, face.g - 20, face.b - 20);  // held down
  dc.FillRect(r, face);
  dc.FillRect({r.right - 1, r.top, r.right, r.bottom}, kLine);
  dc.FillRect({r.left, r.bottom - 1, r.right, r.bottom}, kLine);

  Rect text = r.Deflated(6, 0);
  unsigned align = cell.header_item->align == ColumnAlign::kLeft    ? text_flag::kLeft
                   : cell.header_item->align == ColumnAlign::kRight ? text_flag::kRight
                                                                    : text_flag::kCenter;
  if (cell.item == sort_column_ && sort_direction_ != 0) {
    // A small filled triangle; the title keeps the rest of the cell.
    const int right = r.right - kMarkMargin;
    const int left = right - kMarkWidth;
    const int mid = (r.top + r.bottom) / 2;
    for (int row = 0; row < 4; ++row) {
      // Ascending: the point at the top.
      const int y = sort_direction_ > 0 ? mid - 2 + row : mid + 1 - row;
      dc.FillRect({left + 3 - row, y, left + 4 + row, y + 1}, kMarkColor);
    }
    text.right = std::min(text.right, left - 2);
    align = text_flag::kCenter;
  }
  dc.SetTransparentBackground(true);
  dc.SetTextColor(Rgb(50, 50, 50));
  dc.DrawText(cell.header_item->title, text,
              align | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix |
                  text_flag::kEndEllipsis);
}

}  // namespace velloran
