#pragma once
// The screening grid's column header: flat grey cells, the price columns the
// user set ("포착가", "알람가1", "알람가2") in lilac, and an arrow at the
// right of the sorted column. Each cell's data is the column's descriptor.

#include "platform/header_ctrl.h"

namespace velloran {

class CQZHeaderCtrl : public HeaderCtrl {
 public:
  static constexpr Color kCellFace = Rgb(234, 234, 234);
  static constexpr Color kPriceFace = Rgb(226, 206, 237);
  static constexpr Color kMarkColor = Rgb(110, 110, 110);
  static constexpr int kMarkWidth = 7;  // the arrow, 4 pixels high
  static constexpr int kMarkMargin = 6;

  // direction 1 ascending (arrow up), -1 descending (arrow down); column -1
  // or direction 0: no mark.
  void SetSortMark(int column, int direction);
  [[nodiscard]] int sort_column() const { return sort_column_; }
  [[nodiscard]] int sort_direction() const { return sort_direction_; }

  [[nodiscard]] static bool IsPriceTitle(std::u16string_view title);

 protected:
  void DrawItem(DrawContext& dc, const HeaderPaint& cell) override;

 private:
  int sort_column_ = -1;
  int sort_direction_ = 0;
};

}  // namespace velloran
