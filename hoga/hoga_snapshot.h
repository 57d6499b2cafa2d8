#pragma once
// HogaSnapshot, one order-book snapshot of a replayed day as the day's HOGA
// block carries it: the time, the best prices, a few values passed through
// to the book, and the book text ("label|price|ask quantity|bid quantity"
// entries separated by ","). The replay's reader makes them; the twenty-level
// book applies them.

#include <cstdint>
#include <string>

namespace velloran {

struct HogaSnapshot {
  std::int32_t field0 = 0;  // passed through
  std::int32_t time = 0;    // hhmmss
  std::int32_t field2 = 0;  // passed through
  char16_t mark = u' ';     // the first character of field 3, a blank when it is empty
  std::int32_t best_ask = 0;
  std::int32_t best_bid = 0;
  std::int64_t field7 = 0;  // passed through
  std::int64_t field5 = 0;  // passed through
  std::u16string book;      // the level entries
  friend bool operator==(const HogaSnapshot&, const HogaSnapshot&) = default;
};

}  // namespace velloran
