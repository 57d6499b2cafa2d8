#pragma once
// The order book of a demo-market stock: its ten levels a side, every price
// level it has shown during the day (what a newly subscribed client fills its
// deeper levels from), its last trades, and the small moves of its quantities
// between trades that a watched book shows.

#include <array>
#include <cstdint>
#include <vector>

#include "server/sim_random.h"

namespace velloran::server {

// Ten levels a side, index 0 the best; a price of 0 marks a level beyond the
// day's price limit.
struct Book {
  std::array<int, 10> ask_price{}, ask_qty{}, bid_price{}, bid_qty{};
  int ask_total = 0, bid_total = 0;

  void SumTotals();
  friend bool operator==(const Book&, const Book&) = default;
};

// Every price level shown during the day, with when it was last set and its
// quantities then. Levels are kept by their place on the tick grid, so
// recording a book costs a few stores.
class LevelHistory {
 public:
  struct Level {
    int price = 0;  // 0: never shown
    int stamp = 0;  // seconds of the day, or kPreviousDay
    int bid_qty = 0, ask_qty = 0;
  };
  // Stamp of a level last set by the previous trading day's closing book.
  static constexpr int kPreviousDay = -1;

  // Records every level of the book; a price now on one side has no
  // quantity left on the other.
  void Record(const Book& book, int stamp, int market, bool etf);
  void RecordLevel(int price, int stamp, int bid_qty, int ask_qty, int market, bool etf);
  // The shown levels, highest price first.
  [[nodiscard]] std::vector<Level> Levels() const;
  [[nodiscard]] const Level* Find(int price, int market, bool etf) const;
  [[nodiscard]] std::size_t bytes() const { return levels_.capacity() * sizeof(Level); }

 private:
  Level& Slot(int ordinal);

  int base_ordinal_ = 0;
  std::vector<Level> levels_;  // index: grid ordinal - base_ordinal_
};

// One trade as the stock's trade list keeps it; the rest of its quote record
// follows from the quote after it (see RecentQuotes in book_replies.h).
struct TradeRecord {
  int time = 0;  // hhmmss
  int price = 0, qty = 0;
  int high = 0, low = 0;
  int best_ask = 0, best_bid = 0;
  bool buy_side = true;
};

// The last kCapacity trades of a stock.
class TradeRing {
 public:
  static constexpr int kCapacity = 50;
  void Push(const TradeRecord& trade);
  [[nodiscard]] int size() const { return static_cast<int>(items_.size()); }
  // k = 0 is the newest.
  [[nodiscard]] const TradeRecord& Newest(int k) const;

 private:
  std::vector<TradeRecord> items_;
  int next_ = 0;  // where the next trade goes once the ring is full
};

// One move of a watched book between trades: one to three of its levels
// change their quantity, drawn back towards the book the last trade left.
// Prices never change, so the best ask and bid stay those of the last trade.
void DriftBook(Book& live, const Book& base, SimRandom& rng);

}  // namespace velloran::server
