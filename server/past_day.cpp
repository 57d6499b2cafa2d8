#include "server/past_day.h"

#include <algorithm>
#include <cmath>

#include "server/tick_size.h"

namespace velloran::server {
namespace {

// The book totals minute by minute: the log imbalance of ask to bid depth as
// a mean-reverting walk sampled at each minute's end, from its own generator
// so that the totals can be drawn without the price path.
class TotalsPath {
 public:
  TotalsPath(const Market& market, int index, int date)
      : rng_(MixSeed(market.config().seed ^ 0xB00C7, static_cast<std::uint64_t>(index),
                     static_cast<std::uint64_t>(date))),
        depth_(10 * market.stock(index).avg_level_qty) {
    imbalance_ = rng_.Normal() * Market::kImbalanceSigma;
  }
  // The totals now, then moves one minute on.
  void Take(int& bid_total, int& ask_total) {
    bid_total = Total(-imbalance_);
    ask_total = Total(imbalance_);
    const double keep = std::exp(-60.0 / Market::kImbalanceTauS);
    imbalance_ =
        imbalance_ * keep + std::sqrt(1 - keep * keep) * Market::kImbalanceSigma * rng_.Normal();
  }

 private:
  int Total(double log_scale) {
    const double v = depth_ * std::exp(log_scale) * rng_.Uniform(0.8, 1.2);
    return static_cast<int>(std::clamp(v, 10.0, 2.0e9));
  }
  SimRandom rng_;
  double depth_;
  double imbalance_ = 0;
};

int MinutesComplete(int seconds) {
  return std::clamp((seconds - Market::kOpen) / 60, 0, PastDay::kMinutes);
}

// Splits volume over the minutes, more at the open and the close, every unit
// placed; minute 0 always trades, as it holds the day's open.
std::vector<std::int64_t> SplitVolume(std::int64_t volume, SimRandom& rng) {
  constexpr int n = PastDay::kMinutes;
  std::vector<double> weight(n);
  double total = 0;
  for (int j = 0; j < n; ++j) {
    const double x = (j - (n - 1) / 2.0) / ((n - 1) / 2.0);
    weight[j] = (1 + 2 * x * x) * std::exp(0.5 * rng.Normal());
    total += weight[j];
  }
  std::vector<std::int64_t> out(n);
  std::int64_t placed = 0;
  for (int j = 0; j < n; ++j) {
    out[j] = static_cast<std::int64_t>(std::floor(static_cast<double>(volume) * weight[j] / total));
    placed += out[j];
  }
  auto largest = [&] {
    return static_cast<int>(std::max_element(out.begin(), out.end()) - out.begin());
  };
  while (placed > volume) {  // rounding of the division, if ever
    --out[largest()];
    --placed;
  }
  // What the rounding left, spread evenly (fewer than n units).
  const std::int64_t rest = volume - placed;
  for (std::int64_t k = 0; k < rest; ++k) ++out[static_cast<std::size_t>(k * n / rest)];
  if (out[0] == 0) {
    --out[largest()];
    ++out[0];
  }
  return out;
}

}  // namespace

PastDay::PastDay(const Market& market, int index, const DayBar& bar, int prev_close)
    : date_(bar.date), prev_close_(prev_close > 0 ? prev_close : bar.open) {
  const Stock& s = market.stock(index);
  const int open = bar.open, close = bar.close;
  const int high = std::max({bar.high, open, close}), low = std::min({bar.low, open, close});
  SimRandom rng(MixSeed(market.config().seed ^ 0x9A57, static_cast<std::uint64_t>(index),
                        static_cast<std::uint64_t>(bar.date)));
  const std::vector<std::int64_t> volume = SplitVolume(std::max<std::int64_t>(1, bar.volume), rng);
  std::vector<int> active;
  for (int j = 0; j < kMinutes; ++j)
    if (volume[j] > 0) active.push_back(j);

  // The closes of the trading minutes: a Brownian bridge from the open to the
  // close, stretched above the straight line up to the high and below it down
  // to the low, so that both are reached and never passed.
  const int n = static_cast<int>(active.size());
  std::vector<double> walk(n + 1, 0.0);
  for (int i = 1; i <= n; ++i) walk[i] = walk[i - 1] + rng.Normal();
  double above = 0, below = 0;
  std::vector<double> bridge(n + 1, 0.0);
  for (int i = 1; i < n; ++i) {
    bridge[i] = walk[i] - walk[n] * i / n;
    above = std::max(above, bridge[i]);
    below = std::max(below, -bridge[i]);
  }
  std::vector<int> closes(n + 1);
  closes[0] = open;
  for (int i = 1; i <= n; ++i) {
    const double line = open + static_cast<double>(close - open) * i / n;
    double v = line;
    if (bridge[i] > 0) v += bridge[i] / above * (high - line);
    if (bridge[i] < 0) v += -bridge[i] / below * (low - line);
    closes[i] = i == n ? close : std::clamp(RoundToTick(v, s.market, s.etf), low, high);
  }

  minutes_.resize(kMinutes);
  int last = open, a = 0;
  for (int j = 0; j < kMinutes; ++j) {
    PastMinute& m = minutes_[j];
    const double u_high = rng.Uniform(), u_low = rng.Uniform();
    if (a < n && active[a] == j) {
      m.open = closes[a];
      m.close = closes[a + 1];
      m.high = std::max(m.open, m.close);
      m.low = std::min(m.open, m.close);
      // A move inside the minute now and then, never past the day's range.
      if (u_high < 0.3) m.high = std::min(high, TickUp(m.high, s.market, s.etf));
      if (u_low < 0.3) m.low = std::max(low, TickDown(m.low, s.market, s.etf));
      m.volume = volume[j];
      last = m.close;
      ++a;
    } else {
      m.open = m.high = m.low = m.close = last;
    }
  }
  // A bridge that stayed on one side of the line leaves that extreme to a
  // minute's inside move.
  const int pick = active[rng.Below(active.size())];
  if (std::none_of(minutes_.begin(), minutes_.end(),
                   [&](const PastMinute& m) { return m.high == high; }))
    minutes_[pick].high = high;
  if (std::none_of(minutes_.begin(), minutes_.end(),
                   [&](const PastMinute& m) { return m.low == low; }))
    minutes_[pick].low = low;

  TotalsPath totals(market, index, bar.date);
  totals.Take(open_bid_total_, open_ask_total_);
  for (PastMinute& m : minutes_) totals.Take(m.bid_total, m.ask_total);
}

void PastDay::StateAt(int seconds, int& bid_total, int& ask_total, int& price) const {
  const int k = MinutesComplete(seconds);
  if (k == 0) {
    bid_total = open_bid_total_;
    ask_total = open_ask_total_;
    price = prev_close_;
    return;
  }
  const PastMinute& m = minutes_[k - 1];
  bid_total = m.bid_total;
  ask_total = m.ask_total;
  price = m.close;
}

void PastDay::TotalsAt(const Market& market, int index, int date, int seconds, int& bid_total,
                       int& ask_total) {
  TotalsPath totals(market, index, date);
  const int k = MinutesComplete(seconds);
  for (int j = 0; j <= k; ++j) totals.Take(bid_total, ask_total);
}

}  // namespace velloran::server
