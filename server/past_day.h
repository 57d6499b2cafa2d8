#pragma once
// A past trading day of one demo-market stock, minute by minute: one
// deterministic path per seed, stock and date that agrees with the day's bar
// (the first minute opens at its open, the last closes at its close, the
// minutes reach its high and low and their volumes add up to its volume),
// with the book totals at every minute's end. Charts draw its minutes, the
// time machine reads its totals, and a replay of that day can play it.

#include <cstdint>
#include <vector>

#include "server/market.h"

namespace velloran::server {

// Minute k of the day starts at 09:00 + k minutes (T) and holds the trades of
// (T, T + 60 s]; a minute without trades has volume 0 and stays at the last
// close. The totals are the book's at T + 60 s.
struct PastMinute {
  int open = 0, high = 0, low = 0, close = 0;
  std::int64_t volume = 0;
  int bid_total = 0, ask_total = 0;
};

class PastDay {
 public:
  static constexpr int kMinutes = (Market::kClose - Market::kOpen) / 60;

  // bar is the stock's bar of that day and prev_close the close before it.
  PastDay(const Market& market, int index, const DayBar& bar, int prev_close);

  [[nodiscard]] int date() const { return date_; }
  [[nodiscard]] const std::vector<PastMinute>& minutes() const { return minutes_; }
  // The book totals and the price at a time of that day: before 09:01 the
  // book at 09:00 and the previous close, after 15:30 the close.
  void StateAt(int seconds, int& bid_total, int& ask_total, int& price) const;

  // The book totals alone, as StateAt gives them, without drawing the price
  // path: what a screen of the whole market at a past minute needs.
  static void TotalsAt(const Market& market, int index, int date, int seconds, int& bid_total,
                       int& ask_total);

 private:
  int date_ = 0;
  int prev_close_ = 0;
  int open_bid_total_ = 0, open_ask_total_ = 0;
  std::vector<PastMinute> minutes_;
};

}  // namespace velloran::server
