#include "server/order_book.h"

#include <algorithm>
#include <cmath>

#include "server/tick_size.h"

namespace velloran::server {

void Book::SumTotals() {
  ask_total = bid_total = 0;
  for (int i = 0; i < 10; ++i) {
    ask_total += ask_qty[i];
    bid_total += bid_qty[i];
  }
}

LevelHistory::Level& LevelHistory::Slot(int ordinal) {
  if (levels_.empty()) {
    base_ordinal_ = ordinal;
    levels_.resize(1);
  } else if (ordinal < base_ordinal_) {
    // Some room below as well: a falling price reaches lower levels one by one.
    const int grow = base_ordinal_ - ordinal + 8;
    levels_.insert(levels_.begin(), grow, Level{});
    base_ordinal_ -= grow;
  } else if (ordinal - base_ordinal_ >= static_cast<int>(levels_.size())) {
    levels_.resize(ordinal - base_ordinal_ + 1);
  }
  return levels_[ordinal - base_ordinal_];
}

void LevelHistory::RecordLevel(int price, int stamp, int bid_qty, int ask_qty, int market,
                               bool etf) {
  if (price <= 0) return;
  Level& l = Slot(GridOrdinal(price, market, etf));
  l = Level{price, stamp, bid_qty, ask_qty};
}

void LevelHistory::Record(const Book& book, int stamp, int market, bool etf) {
  // The levels of a side are consecutive grid prices: one ordinal and one
  // room check a side, then plain stores.
  auto side = [&](const std::array<int, 10>& prices, const std::array<int, 10>& qtys, int step,
                  bool ask) {
    int n = 0;
    while (n < 10 && prices[n] > 0) ++n;
    if (n == 0) return;
    const int first = GridOrdinal(prices[0], market, etf), last = first + step * (n - 1);
    Slot(std::min(first, last));
    Slot(std::max(first, last));
    Level* l = &levels_[first - base_ordinal_];
    for (int i = 0; i < n; ++i, l += step)
      *l = ask ? Level{prices[i], stamp, 0, qtys[i]} : Level{prices[i], stamp, qtys[i], 0};
  };
  side(book.ask_price, book.ask_qty, 1, true);
  side(book.bid_price, book.bid_qty, -1, false);
}

std::vector<LevelHistory::Level> LevelHistory::Levels() const {
  std::vector<Level> out;
  for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
    if (it->price > 0) out.push_back(*it);
  return out;
}

const LevelHistory::Level* LevelHistory::Find(int price, int market, bool etf) const {
  if (price <= 0 || levels_.empty()) return nullptr;
  const int k = GridOrdinal(price, market, etf) - base_ordinal_;
  if (k < 0 || k >= static_cast<int>(levels_.size()) || levels_[k].price != price) return nullptr;
  return &levels_[k];
}

void TradeRing::Push(const TradeRecord& trade) {
  if (static_cast<int>(items_.size()) < kCapacity) {
    items_.push_back(trade);
    return;
  }
  items_[next_] = trade;
  next_ = (next_ + 1) % kCapacity;
}

const TradeRecord& TradeRing::Newest(int k) const {
  const int n = size();
  const int newest = n < kCapacity ? n - 1 : (next_ + kCapacity - 1) % kCapacity;
  return items_[(newest - k + n) % n];
}

void DriftBook(Book& live, const Book& base, SimRandom& rng) {
  const int changes = 1 + static_cast<int>(rng.Below(3));
  for (int c = 0; c < changes; ++c) {
    const bool ask = rng.Chance(0.5);
    // The levels near the best change most often.
    const int level = std::min(9, static_cast<int>(rng.Exponential(2.5)));
    const double n = rng.Normal();
    const int price = ask ? live.ask_price[level] : live.bid_price[level];
    if (price == 0) continue;
    int& qty = ask ? live.ask_qty[level] : live.bid_qty[level];
    const int anchor = ask ? base.ask_qty[level] : base.bid_qty[level];
    const double log_qty = std::log(std::max(1, qty));
    const double moved = log_qty + 0.3 * (std::log(std::max(1, anchor)) - log_qty) + 0.25 * n;
    qty = static_cast<int>(std::clamp(std::exp(moved), 1.0, 2.0e8));
  }
  live.SumTotals();
}

}  // namespace velloran::server
