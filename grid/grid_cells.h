#pragma once
// What a cell of the screening grid shows, and what a row sorts by, for each
// column title the grid knows: read from the stock's screening record under
// the store's lock. The "임박" and "역상" cells store their distance and
// ratio in the record as they are read.

#include <string>
#include <string_view>

#include "platform/geometry.h"
#include "platform/header_ctrl.h"
#include "stock/stock_records.h"

namespace velloran {

enum class GridCell {
  kNone,  // a title the grid does not know: nothing shown, never sorted
  kCode,
  kName,
  kMemo,
  kCapturePrice,
  kAlarm1,
  kAlarm2,
  kPrice,
  kVolume,
  kRate,
  kChange,
  kAskTotal,
  kBidTotal,
  kStrength,
  kEndDate,
  kImminent,
  kReverse,
};

[[nodiscard]] GridCell CellOfTitle(std::u16string_view title);

namespace grid_colors {
inline constexpr Color kText = Rgb(50, 50, 50);
inline constexpr Color kRise = Rgb(231, 17, 14);
inline constexpr Color kFall = Rgb(30, 40, 235);
}  // namespace grid_colors

// Images of the grid's image strip (bitmap 340).
inline constexpr int kImminentBadge = 11;
inline constexpr int kReverseBadge = 13;

struct CellContent {
  std::u16string text;  // empty: nothing is drawn
  ColumnAlign align = ColumnAlign::kLeft;
  Color color = grid_colors::kText;
  int badge = -1;  // an image of the strip, or none
};

// The content of one cell. A cell that needs the quote stays empty while the
// record has none. A distance or ratio that is not finite (a capture price
// or bid total of 0) shows no badge.
void ReadCell(GridCell cell, const CQZData& record, CellContent& out);

// "20240105" as "2024.01.05".
[[nodiscard]] std::u16string DottedDate(std::u16string_view ymd);

// A row's key for one column. Texts point into the record: valid while the
// store's lock is held.
struct SortKey {
  enum class Kind { kMissing, kNumber, kText };
  Kind kind = Kind::kMissing;
  double number = 0;
  std::u16string_view text;
};

// Also refreshes the record's stored distance and ratio for those columns.
[[nodiscard]] SortKey SortKeyOf(GridCell cell, const CQZData& record);
// An ordering: negative when a goes first. direction 1 ascending, -1
// descending; equal keys compare 0, and missing keys (no quote, no finite
// value) go last in either direction.
[[nodiscard]] int CompareKeys(const SortKey& a, const SortKey& b, int direction);

}  // namespace velloran
