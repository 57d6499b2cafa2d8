#pragma once
// KOA, one sample of a stock's order-book totals at a minute of the day, and
// the reading of the lines that carry the day's samples (the order book's
// 3015 packet, the replay's TOT lines): "YYYYMMDDhhmmss|ask total|bid total".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

struct KOA {
  std::u16string key;     // date and time, YYYYMMDDhhmmss
  std::int32_t time = 0;  // hhmmss
  std::int64_t bid_total = 0;
  std::int64_t ask_total = 0;
};

// A sample when the line's first field, read as a whole number, is above
// 1000; its time is the part after the eight-digit date (0 when the key is
// shorter). Missing totals read as 0.
[[nodiscard]] bool ReadKoaLine(std::u16string_view line, KOA& sample);
// Every sample of a text of such lines, in order.
[[nodiscard]] std::vector<KOA> ReadKoaLines(std::u16string_view text);

}  // namespace velloran
