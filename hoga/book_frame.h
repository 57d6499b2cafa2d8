#pragma once
// What an order book is made of and what its window is handed: one price
// level (HOGA), the few values of the stock master the book reads, the
// exchange's tick rule, the stamp texts, and BookFrame, a copy of the whole
// book as it stood after one change, which the window paints from.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "net/quote.h"

namespace velloran {

class Packet;

// A 64-bit sum or difference of quantities held to what a level shows.
inline std::int32_t Clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// One price level.
struct HOGA {
  int level = 0;  // 1-20 in a frame; 0 in the level map
  int price = 0;
  int bid = 0;     // remaining buy quantity
  int ask = 0;     // remaining sell quantity
  int change = 0;  // of the remaining quantity since the previous update
  // When the level was last set: YYYYMMDDhhmmss from the level lines of a
  // snapshot, or hhmmss of the book that set it.
  std::u16string stamp;
  friend bool operator==(const HOGA&, const HOGA&) = default;
};

// The values of a stock's master packet the order book uses, copied.
struct MasterInfo {
  std::u16string code;  // empty until a master packet was found
  std::u16string name;
  int market = 0;
  int etf = 0;
  std::int32_t base_price = 0;  // KPRC
  std::int32_t upper_limit = 0;
  std::int32_t lower_limit = 0;
  std::u16string per, pbr, roe;

  static MasterInfo FromPacket(const Packet& master);
  friend bool operator==(const MasterInfo&, const MasterInfo&) = default;
};

// The price step of the exchange at a price: 5 for an ETF, otherwise by the
// market's bands (KOSDAQ without the two highest); 5 for any other market and
// before any master packet is known.
[[nodiscard]] int TickSize(std::int64_t price, const MasterInfo& master);

// What the change column shows for a level without a change: today's date
// stamps as hh:mm:ss, older ones as MM/DD hh:mm; a book's hhmmss only on
// levels 11-20 (levels 1-10 were all set by the book just shown).
[[nodiscard]] std::u16string StampText(std::u16string_view stamp, int level,
                                       std::u16string_view trading_date);

// The book as the window paints it.
struct BookFrame {
  static constexpr int kLevels = 20;

  std::u16string code;               // empty before the first snapshot
  std::array<HOGA, kLevels> asks{};  // index 0 is level 1; price 0: an empty level
  std::array<HOGA, kLevels> bids{};
  int largest = 0;  // the largest quantity of levels 1-10: the scale of the bars
  std::int32_t total_ask = 0, total_bid = 0;
  std::int32_t total_ask_change = 0, total_bid_change = 0;
  std::u16string book_time;  // hhmmss
  CPKT quote;
  std::int32_t base_price = 0;
  MasterInfo master;
  std::u16string trading_date;  // YYYYMMDD

  // The master's values belong to the stock shown.
  [[nodiscard]] bool MasterShown() const { return !code.empty() && master.code == code; }
};

}  // namespace velloran
