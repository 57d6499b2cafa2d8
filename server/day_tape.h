#pragma once
// One stock's trading day as a replay plays it: every book it showed from the
// pre-open on (a watched book's moves and each trade's book) and every trade,
// re-run from the stock's own generator, so the tape agrees with the quotes,
// bars and books the live market sent. A book is kept as its best prices and
// twenty quantities: the level prices follow from the tick grid.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "server/market.h"

namespace velloran::server {

struct TapeSnapshot {
  std::int32_t ms = 0;      // milliseconds of the day
  std::int32_t trades = 0;  // trades of the day up to this book
  std::int32_t best_ask = 0, best_bid = 0;
  std::array<std::int32_t, 10> ask_qty{}, bid_qty{};
  [[nodiscard]] int second() const { return ms / 1000; }
};

// One trade; the day's running figures of its quote follow from the trades before it.
struct TapeTrade {
  std::int32_t ms = 0;
  std::int32_t price = 0;
  std::int32_t qty = 0;  // negative when the trade hit the bid
  std::int32_t best_ask = 0, best_bid = 0;
};

class DayTape {
 public:
  // The tape of a stock on date (today or an earlier trading day), run to
  // the pre-open; false when the market has no such stock or trading day.
  [[nodiscard]] bool Start(const Market& market, int index, int date);
  // Runs the day on up to the second given (the close at most).
  void RunTo(const Market& market, int seconds);

  [[nodiscard]] int index() const { return index_; }
  [[nodiscard]] int date() const { return date_; }
  [[nodiscard]] int previous_date() const { return previous_date_; }
  [[nodiscard]] int until() const { return until_; }
  // The day's master data: previous close, limits, names.
  [[nodiscard]] const Stock& stock() const { return sim_; }
  [[nodiscard]] const std::vector<TapeSnapshot>& snapshots() const { return snapshots_; }
  // The trades in time order.
  [[nodiscard]] const std::vector<TapeTrade>& trades() const { return trades_; }
  // The quotes the market sent after trades [from, to), in order.
  [[nodiscard]] std::vector<Quote> Quotes(std::size_t from, std::size_t to) const;
  // The levels the day had shown before snapshot k (each trade's book is
  // recorded at its second, as the market keeps them), from the nearest
  // kept copy at or before k; from is set to that copy's snapshot.
  [[nodiscard]] const LevelHistory& LevelsBefore(std::size_t k, std::size_t& from) const;
  // The full book of a snapshot.
  [[nodiscard]] Book BookOf(const TapeSnapshot& snapshot) const;
  // Memory held by the snapshots and trades.
  [[nodiscard]] std::size_t bytes() const;

 private:
  void Take(const MarketEvents& events);

  static constexpr std::size_t kLevelCopyEvery = 1024;

  int index_ = -1, date_ = 0, previous_date_ = 0, until_ = 0;
  Stock sim_;
  MarketEvents scratch_;
  std::vector<TapeSnapshot> snapshots_;
  std::vector<TapeTrade> trades_;
  LevelHistory levels_;                   // after the last snapshot
  std::vector<LevelHistory> level_copies_;  // [j]: before snapshot j * kLevelCopyEvery
};

}  // namespace velloran::server
