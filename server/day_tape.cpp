#include "server/day_tape.h"

#include <algorithm>
#include <cmath>

#include "server/calendar.h"
#include "server/tick_size.h"

namespace velloran::server {

bool DayTape::Start(const Market& market, int index, int date) {
  if (!market.DayStart(index, date, sim_)) return false;
  index_ = index;
  date_ = date;
  const std::vector<int>& dates = market.trading_dates();
  const auto day = std::find(dates.begin(), dates.end(), date);
  previous_date_ = day + 1 < dates.end() ? *(day + 1) : 0;
  levels_ = sim_.levels;  // the previous day's closing book and the pre-open book
  snapshots_.clear();
  trades_.clear();
  level_copies_.clear();
  until_ = Market::kPreOpen;
  scratch_.Clear();
  market.RunAlone(sim_, index_, Market::kPreOpen, scratch_);
  Take(scratch_);
  return true;
}

void DayTape::RunTo(const Market& market, int seconds) {
  seconds = std::min(seconds, Market::kClose);
  if (index_ < 0 || seconds <= until_) return;
  // A minute at a time, so the events between stay few.
  while (until_ < seconds) {
    const int step = std::min(seconds, (until_ / 60 + 1) * 60);
    scratch_.Clear();
    market.RunAlone(sim_, index_, step, scratch_);
    until_ = step;
    Take(scratch_);
  }
  // The closing book, at the close itself: a replay of a whole day reaches 15:30:00.
  if (seconds == Market::kClose) {
    if (snapshots_.size() % kLevelCopyEvery == 0) level_copies_.push_back(levels_);
    const Book& b = sim_.live;
    TapeSnapshot s;
    s.ms = Market::kClose * 1000;
    s.trades = static_cast<std::int32_t>(trades_.size());
    s.best_ask = b.ask_price[0];
    s.best_bid = b.bid_price[0];
    std::copy(b.ask_qty.begin(), b.ask_qty.end(), s.ask_qty.begin());
    std::copy(b.bid_qty.begin(), b.bid_qty.end(), s.bid_qty.begin());
    snapshots_.push_back(s);
    // The day is whole: nothing more is added.
    snapshots_.shrink_to_fit();
    trades_.shrink_to_fit();
    scratch_ = MarketEvents{};
  }
}

void DayTape::Take(const MarketEvents& events) {
  std::size_t t = 0;
  for (const MarketEvents::BookChange& c : events.books) {
    if (snapshots_.size() % kLevelCopyEvery == 0) level_copies_.push_back(levels_);
    TapeSnapshot s;
    const double whole = std::floor(c.seconds);
    s.ms = static_cast<std::int32_t>(whole) * 1000 +
           std::min(999, static_cast<int>((c.seconds - whole) * 1000));
    // A trade's book follows it at the same time.
    if (t < events.trades.size() && events.trades[t].seconds == c.seconds) {
      const Quote& q = events.trades[t++].quote;
      const auto qty = static_cast<std::int32_t>(std::min<std::int64_t>(q.trade_volume, INT32_MAX));
      trades_.push_back({s.ms, q.price, q.buy_side ? qty : -qty, q.best_ask, q.best_bid});
      levels_.Record(c.book, s.second(), sim_.market, sim_.etf);
    }
    s.trades = static_cast<std::int32_t>(trades_.size());
    s.best_ask = c.book.ask_price[0];
    s.best_bid = c.book.bid_price[0];
    std::copy(c.book.ask_qty.begin(), c.book.ask_qty.end(), s.ask_qty.begin());
    std::copy(c.book.bid_qty.begin(), c.book.bid_qty.end(), s.bid_qty.begin());
    snapshots_.push_back(s);
  }
}

Book DayTape::BookOf(const TapeSnapshot& snapshot) const {
  const Stock& s = sim_;
  Book b;
  // As the market lays a book out: consecutive grid prices from the best
  // ones, none past the day's limits.
  int ask = snapshot.best_ask, bid = snapshot.best_bid;
  for (int i = 0; i < 10; ++i) {
    const bool ask_ok = ask > 0 && ask <= s.upper_limit;
    const bool bid_ok = bid > 0 && bid >= s.lower_limit;
    b.ask_price[i] = ask_ok ? ask : 0;
    b.bid_price[i] = bid_ok ? bid : 0;
    b.ask_qty[i] = ask_ok ? snapshot.ask_qty[i] : 0;
    b.bid_qty[i] = bid_ok ? snapshot.bid_qty[i] : 0;
    ask = ask_ok ? TickUp(ask, s.market, s.etf) : 0;
    bid = bid_ok && bid > TickSize(1, s.market, s.etf) ? TickDown(bid, s.market, s.etf) : 0;
  }
  b.SumTotals();
  return b;
}

std::vector<Quote> DayTape::Quotes(std::size_t from, std::size_t to) const {
  to = std::min(to, trades_.size());
  std::vector<Quote> out;
  if (from >= to) return out;
  out.reserve(to - from);
  Quote q;
  // The day's figures run from its first trade, as the market's Trade adds them up.
  for (std::size_t j = 0; j < to; ++j) {
    const TapeTrade& t = trades_[j];
    const std::int64_t qty = t.qty < 0 ? -static_cast<std::int64_t>(t.qty) : t.qty;
    q.time = HhmmssFromSeconds(t.ms / 1000);
    q.buy_side = t.qty > 0;
    if (j == 0) q.open = q.high = q.low = t.price;
    q.high = std::max(q.high, t.price);
    q.low = std::min(q.low, t.price);
    q.trade_volume = qty;
    q.volume += qty;
    (q.buy_side ? q.buy_volume : q.sell_volume) += qty;
    q.value_won += qty * t.price;
    q.best_ask = t.best_ask;
    q.best_bid = t.best_bid;
    if (j >= from) {
      ApplyPrice(q, sim_, t.price);
      out.push_back(q);
    }
  }
  return out;
}

const LevelHistory& DayTape::LevelsBefore(std::size_t k, std::size_t& from) const {
  const std::size_t j = std::min(k / kLevelCopyEvery, level_copies_.size() - 1);
  from = j * kLevelCopyEvery;
  return level_copies_[j];
}

std::size_t DayTape::bytes() const {
  std::size_t levels = 0;
  for (const LevelHistory& l : level_copies_) levels += l.bytes();
  return snapshots_.capacity() * sizeof(TapeSnapshot) + trades_.capacity() * sizeof(TapeTrade) +
         levels;
}

}  // namespace velloran::server
