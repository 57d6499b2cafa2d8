#include "server/market.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "server/calendar.h"
#include "server/stock_names.h"
#include "server/tick_size.h"

namespace velloran::server {
namespace {

constexpr double kNewsRunS = 1200.0;  // news lifts a price for 20 minutes
constexpr double kNewsLift = 0.10;    // by about 10 %
constexpr double kDriftGapS = 0.3;    // mean time between a watched book's moves

// How many times its mean rate a stock trades at a time of day: busiest in
// the first minutes, quietest at midday, picking up towards the close. Its
// mean over the session is kMeanPace.
double TradePace(double t) {
  const double from_open = std::max(0.0, t - Market::kOpen);
  const double to_close = std::max(0.0, Market::kClose - t);
  return 0.6 + 2.4 * std::exp(-from_open / 1200.0) + 0.9 * std::exp(-to_close / 1800.0);
}
constexpr double kMeanPace = 0.79;

// A stock's mean seconds between trades from one uniform draw: a few busy
// stocks trade several times a second, a third every second or few, the rest
// every few seconds.
double MeanTradeGap(double u) {
  auto span = [](double lo, double hi, double v) {
    return std::exp(std::log(lo) + (std::log(hi) - std::log(lo)) * v);
  };
  if (u < 0.08) return span(0.25, 1.0, u / 0.08);
  if (u < 0.38) return span(1.0, 4.0, (u - 0.08) / 0.30);
  return span(4.0, 15.0, (u - 0.38) / 0.62);
}

int Clamp(int v, int lo, int hi) {
  return std::min(std::max(v, lo), hi);
}

}  // namespace

Market::Market(const MarketConfig& config) : config_(config) {
  config_.stock_count = std::clamp(config_.stock_count, 1, 20000);
  if (!IsValidDate(config_.date)) config_.date = 20260105;
  config_.date = TradingDayOnOrBefore(config_.date);
  dates_ = TradingDaysBack(config_.date, kHistoryDays + 1);
  BuildStocks();
  for (int i = 0; i < static_cast<int>(stocks_.size()); ++i) StartDay(stocks_[i], i, config_.date);
}

int Market::Find(std::string_view code) const {
  const auto it = by_code_.find(std::string(code));
  return it == by_code_.end() ? -1 : it->second;
}

int Market::PhaseAt(int seconds) {
  if (seconds < kOpen) return kPhasePreOpen;
  if (seconds < kClose) return kPhaseOpen;
  return kPhaseClosed;
}

int Market::minute_index() const {
  return std::max(0, (std::min(now_, kClose) - kOpen) / 60);
}

void Market::BuildStocks() {
  SimRandom rng(MixSeed(config_.seed, 0x5EED));
  const int n = config_.stock_count;
  // About 950 KOSPI (ETFs among them) to 1,650 KOSDAQ.
  const int kospi = std::max(1, static_cast<int>(std::lround(n * 950.0 / 2600.0)));
  const int etfs = std::min(kospi, n / 26);

  std::set<int> codes;
  while (static_cast<int>(codes.size()) < n)
    codes.insert(static_cast<int>(1 + rng.Below(99999)) * 10);
  std::vector<int> code_list(codes.begin(), codes.end());
  for (std::size_t i = code_list.size(); i > 1; --i)
    std::swap(code_list[i - 1], code_list[rng.Below(i)]);

  std::vector<std::u16string> names = CompanyNames(n - etfs, rng);
  std::vector<std::u16string> etf_names = EtfNames(etfs, rng);

  stocks_.resize(n);
  for (int i = 0; i < n; ++i) {
    Stock& s = stocks_[i];
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06d", code_list[i]);
    s.code = buf;
    s.etf = i < etfs;
    s.market = i < kospi ? 1 : 2;
    s.name = s.etf ? etf_names[i] : names[i - etfs];
    double base;
    if (s.etf) {
      base = rng.Uniform(5000, 60000);
      s.day_sigma = 0.008;
      s.mean_gap_s = rng.Uniform(1, 4);
      s.etf_rate = rng.Uniform(-0.5, 0.5);
    } else {
      base = std::exp(s.market == 1 ? rng.Uniform(std::log(800.0), std::log(600000.0))
                                    : rng.Uniform(std::log(400.0), std::log(150000.0)));
      s.day_sigma = rng.Uniform(0.012, 0.035) * (s.market == 2 ? 1.2 : 1.0);
      s.mean_gap_s = MeanTradeGap(rng.Uniform());
      s.per = rng.Uniform(3, 60);
      s.pbr = rng.Uniform(0.3, 5);
      s.roe = rng.Uniform(-10, 30);
    }
    s.prev_close = RoundToTick(base, s.market, s.etf);
    s.upper_limit = FloorToTick(static_cast<int>(s.prev_close * 1.3), s.market, s.etf);
    s.lower_limit = CeilToTick(static_cast<int>(std::ceil(s.prev_close * 0.7)), s.market, s.etf);
    const double trades_per_day = (kClose - kOpen) * kMeanPace / s.mean_gap_s;
    const double value = std::exp(rng.Uniform(std::log(2e8), std::log(5e10)));
    s.prev_volume =
        std::clamp<std::int64_t>(static_cast<std::int64_t>(value / s.prev_close), 1000, 500000000);
    s.avg_trade_qty = std::max(1.0, s.prev_volume / trades_per_day);
    s.avg_level_qty = s.avg_trade_qty * rng.Uniform(3, 12);
    s.trade_sigma = s.day_sigma / std::sqrt(trades_per_day);

    const double u_box = rng.Uniform(), u_past = rng.Uniform(), u_news = rng.Uniform();
    const double u_rev = rng.Uniform();
    if (!s.etf && u_box < 0.05) {
      s.box_days = static_cast<int>(20 + rng.Below(26));
      s.day_sigma = 0.006;
    }
    if (!s.etf && u_past < 0.04) {
      s.news_past_date = dates_[1 + rng.Below(10)];
      s.headline = NewsHeadline(rng);
    }
    if (!s.etf && u_news < 0.03) {
      s.news_seconds = static_cast<int>(rng.Uniform(9 * 3600 + 5 * 60, 14 * 3600 + 30 * 60));
      s.headline = NewsHeadline(rng);
    }
    if (u_rev < 0.3) s.reverse_date = dates_[1 + rng.Below(60)];
  }
  // The list in code order, as the exchange publishes it.
  std::sort(stocks_.begin(), stocks_.end(),
            [](const Stock& a, const Stock& b) { return a.code < b.code; });
  for (int i = 0; i < n; ++i) by_code_[stocks_[i].code] = i;
}

std::vector<DayBar> Market::DayHistory(int index, int count) const {
  const Stock& s = stocks_[index];
  count = std::clamp(count, 0, kHistoryDays);
  SimRandom rng(MixSeed(config_.seed, static_cast<std::uint64_t>(index), 0xDA7));
  std::vector<DayBar> bars;
  bars.reserve(count);
  double close = s.prev_close;
  for (int d = 0; d < count; ++d) {
    const double n_open = rng.Normal(), n_high = rng.Normal(), n_low = rng.Normal();
    const double n_vol = rng.Normal(), n_move = rng.Normal(), u_box = rng.Uniform();
    DayBar bar;
    bar.date = dates_[d + 1];
    bar.close = RoundToTick(close, s.market, s.etf);
    bar.open = RoundToTick(bar.close * std::exp(n_open * s.day_sigma * 0.5), s.market, s.etf);
    const int top = std::max(bar.open, bar.close), bottom = std::min(bar.open, bar.close);
    bar.high = std::max(
        top, RoundToTick(top * (1 + std::abs(n_high) * s.day_sigma * 0.4), s.market, s.etf));
    bar.low = std::min(
        bottom, RoundToTick(bottom * (1 - std::abs(n_low) * s.day_sigma * 0.4), s.market, s.etf));
    bar.volume = d == 0 ? s.prev_volume
                        : std::max<std::int64_t>(
                              1, static_cast<std::int64_t>(s.prev_volume * std::exp(n_vol * 0.5)));
    bars.push_back(bar);
    // The close of the day before this one.
    if (d + 1 < s.box_days) {
      close = s.prev_close * (1 + (u_box - 0.5) * 0.06);
    } else {
      close = std::clamp(close / std::exp(n_move * s.day_sigma), 50.0, 3.0e6);
    }
  }
  return bars;
}

bool Market::DayStart(int index, int date, Stock& out) const {
  if (index < 0 || index >= static_cast<int>(stocks_.size())) return false;
  const auto day = std::find(dates_.begin(), dates_.end(), date);
  if (day == dates_.end()) return false;
  const Stock& s = stocks_[index];
  Stock f;
  f.code = s.code;
  f.name = s.name;
  f.market = s.market;
  f.etf = s.etf;
  f.per = s.per;
  f.pbr = s.pbr;
  f.roe = s.roe;
  f.etf_rate = s.etf_rate;
  f.day_sigma = s.day_sigma;
  f.mean_gap_s = s.mean_gap_s;
  f.trade_sigma = s.trade_sigma;
  f.avg_trade_qty = s.avg_trade_qty;
  f.avg_level_qty = s.avg_level_qty;
  f.box_days = s.box_days;
  f.news_past_date = s.news_past_date;
  f.headline = s.headline;
  const int back = static_cast<int>(day - dates_.begin());
  if (back == 0) {
    f.prev_close = s.prev_close;
    f.upper_limit = s.upper_limit;
    f.lower_limit = s.lower_limit;
    f.prev_volume = s.prev_volume;
    f.news_seconds = s.news_seconds;
  } else {
    // An earlier day: its close and volume are that day's bar, the day
    // before it gives the previous close and volume.
    const std::vector<DayBar> bars = DayHistory(index, back + 1);
    if (static_cast<int>(bars.size()) <= back) return false;
    f.prev_close = bars[back].close;
    f.prev_volume = bars[back].volume;
    f.upper_limit = FloorToTick(static_cast<int>(f.prev_close * 1.3), f.market, f.etf);
    f.lower_limit = CeilToTick(static_cast<int>(std::ceil(f.prev_close * 0.7)), f.market, f.etf);
    f.news_seconds = -1;
  }
  StartDay(f, index, date);
  out = std::move(f);
  return true;
}

void Market::RunAlone(Stock& s, int index, double until, MarketEvents& events) const {
  if (s.watchers == 0) {
    s.watchers = 1;
    ResetDrift(s, index);
    events.books.push_back({s.live_s, index, s.live});
  }
  RunWatched(s, index, std::min<double>(until, kClose), events);
}

void Market::StartDay(Stock& s, int index, int date) const {
  s.day_date = date;
  s.rng = SimRandom(MixSeed(config_.seed, static_cast<std::uint64_t>(index), date));
  s.recent_days = DayHistory(index, 60);
  s.box_low = s.box_high = 0;
  for (int d = 0; d < std::min<int>(20, s.recent_days.size()); ++d) {
    const DayBar& b = s.recent_days[d];
    s.box_low = s.box_low == 0 ? b.low : std::min(s.box_low, b.low);
    s.box_high = std::max(s.box_high, b.high);
  }
  // Yesterday's closing book, twenty levels a side: the deeper levels a
  // client can fill before today's trading has shown them. Its own generator
  // leaves the day's draws as they were.
  SimRandom close_rng(MixSeed(config_.seed, static_cast<std::uint64_t>(index), 0xC105E));
  int ask = TickUp(s.prev_close, s.market, s.etf), bid = s.prev_close;
  for (int i = 0; i < 20; ++i) {
    const int ask_qty =
        std::max(1, static_cast<int>(s.avg_level_qty * close_rng.Uniform(0.4, 1.6)));
    const int bid_qty =
        std::max(1, static_cast<int>(s.avg_level_qty * close_rng.Uniform(0.4, 1.6)));
    if (ask <= s.upper_limit)
      s.levels.RecordLevel(ask, LevelHistory::kPreviousDay, 0, ask_qty, s.market, s.etf);
    if (bid >= s.lower_limit)
      s.levels.RecordLevel(bid, LevelHistory::kPreviousDay, bid_qty, 0, s.market, s.etf);
    ask = TickUp(ask, s.market, s.etf);
    bid = TickDown(bid, s.market, s.etf);
  }
  s.imbalance = s.rng.Normal() * kImbalanceSigma;
  s.quote = Quote{};
  s.quote.time = HhmmssFromSeconds(kPreOpen);
  s.quote.price = s.prev_close;
  // Trades start after 09:00:00, so each one's second lies inside a minute bar of the day.
  s.next_trade_s = kOpen + 1.0 + s.rng.Exponential(s.mean_gap_s / Pace(kOpen));
  s.last_update_s = s.last_trade_s = kPreOpen;
  RebuildBook(s);
  s.levels.Record(s.book, kPreOpen, s.market, s.etf);
  s.open_bid_total = s.quote.bid_total;
  s.open_ask_total = s.quote.ask_total;
  s.reversed = s.quote.ask_total > 2 * s.quote.bid_total;
  if (s.reversed) {
    s.reverse = Capture{kPreOpen, s.prev_close};
    s.reverse_date = date;
  }
}

void Market::RebuildBook(Stock& s) const {
  Quote& q = s.quote;
  Book& b = s.book;
  const int p = q.price;
  const Book old = b;
  int ask = q.buy_side ? p : TickUp(p, s.market, s.etf);
  int bid = q.buy_side ? TickDown(p, s.market, s.etf) : p;
  const double ask_scale = std::exp(s.imbalance), bid_scale = std::exp(-s.imbalance);
  auto carried = [](const std::array<int, 10>& prices, const std::array<int, 10>& qtys, int price) {
    for (int i = 0; i < 10; ++i)
      if (prices[i] == price) return qtys[i];
    return 0;
  };
  for (int i = 0; i < 10; ++i) {
    const double u_ask = s.rng.Uniform(0.4, 1.6), u_bid = s.rng.Uniform(0.4, 1.6);
    const bool ask_ok = ask > 0 && ask <= s.upper_limit;
    const bool bid_ok = bid > 0 && bid >= s.lower_limit;
    b.ask_price[i] = ask_ok ? ask : 0;
    b.bid_price[i] = bid_ok ? bid : 0;
    auto level = [&](double target, int old_qty) {
      const double v = old_qty > 0 ? 0.7 * old_qty + 0.3 * target : target;
      return std::max(1, static_cast<int>(std::min(v, 2.0e8)));
    };
    b.ask_qty[i] = ask_ok ? level(s.avg_level_qty * ask_scale * u_ask,
                                  carried(old.ask_price, old.ask_qty, ask))
                          : 0;
    b.bid_qty[i] = bid_ok ? level(s.avg_level_qty * bid_scale * u_bid,
                                  carried(old.bid_price, old.bid_qty, bid))
                          : 0;
    ask = ask_ok ? TickUp(ask, s.market, s.etf) : 0;
    bid = bid_ok && bid > TickSize(1, s.market, s.etf) ? TickDown(bid, s.market, s.etf) : 0;
  }
  b.SumTotals();
  q.ask_total = b.ask_total;
  q.bid_total = b.bid_total;
  q.best_ask = b.ask_price[0];
  q.best_bid = b.bid_price[0];
}

void ApplyPrice(Quote& q, const Stock& s, int price) {
  q.price = price;
  q.change = price - s.prev_close;
  q.rate = q.change * 100.0 / s.prev_close;
  q.sign = price == s.upper_limit   ? 1
           : price > s.prev_close   ? 2
           : price == s.prev_close  ? 3
           : price == s.lower_limit ? 4
                                    : 5;
}

namespace {

// Adds flat bars at the last close until bar k exists.
void ExtendMinutes(Stock& s, int k) {
  while (static_cast<int>(s.minutes.size()) <= k) {
    const int c = s.minutes.empty() ? s.prev_close : s.minutes.back().close;
    s.minutes.push_back(MinuteBar{c, c, c, c, 0, 0, 0, c});
  }
}

}  // namespace

void Market::Trade(Stock& s, int index, double t, MarketEvents& events, int forced_price) const {
  Quote& q = s.quote;
  const double n_move = s.rng.Normal(), n_qty = s.rng.Normal(), n_imb = s.rng.Normal();
  const double u_side = s.rng.Uniform();

  const double decay = std::exp(-(t - s.last_update_s) / kImbalanceTauS);
  s.imbalance = s.imbalance * decay + std::sqrt(1 - decay * decay) * kImbalanceSigma * n_imb;
  s.last_update_s = t;

  double drift = 0;
  if (s.news_seconds >= 0 && t >= s.news_seconds && t < s.news_seconds + kNewsRunS)
    drift = kNewsLift * s.mean_gap_s / Pace(t) / kNewsRunS;
  const bool first = q.open == 0;
  const int before = first ? s.prev_close : q.price;
  const double target = first ? s.prev_close * std::exp(n_move * s.day_sigma * 0.4)
                              : q.price * std::exp(n_move * s.trade_sigma + drift);
  const int price = Clamp(forced_price > 0 ? forced_price : RoundToTick(target, s.market, s.etf),
                          s.lower_limit, s.upper_limit);
  const std::int64_t qty = std::max<std::int64_t>(
      1, static_cast<std::int64_t>(s.avg_trade_qty * std::exp(n_qty * 0.8 - 0.32)));

  const int second = static_cast<int>(t);
  // The minute bar of the trade's second: (T, T + 60 s] holds it.
  const int k = std::max(0, (second - 1 - kOpen) / 60);
  const bool in_session = second <= kClose;
  if (in_session) ExtendMinutes(s, k);

  q.time = HhmmssFromSeconds(second);
  q.buy_side = price > before || (price == before && u_side < 0.5);
  if (first) q.open = q.high = q.low = price;
  q.high = std::max(q.high, price);
  q.low = std::min(q.low, price);
  q.trade_volume = qty;
  q.volume += qty;
  (q.buy_side ? q.buy_volume : q.sell_volume) += qty;
  q.value_won += qty * price;
  ApplyPrice(q, s, price);
  RebuildBook(s);
  s.levels.Record(s.book, second, s.market, s.etf);
  s.trades.Push(TradeRecord{q.time, price, static_cast<int>(std::min<std::int64_t>(qty, INT32_MAX)),
                            q.high, q.low, q.best_ask, q.best_bid, q.buy_side});
  ++s.trade_count;
  s.last_trade_s = t;

  if (in_session) {
    MinuteBar& m = s.minutes[k];
    if (m.volume == 0) m.open = m.high = m.low = price;
    m.high = std::max(m.high, price);
    m.low = std::min(m.low, price);
    m.close = price;
    m.volume += qty;
  }

  UpdateReverse(s, index, t, events);
  // Surging: up 5 % on the day and 2 % within the last ten minutes.
  const int ref = s.closed_minutes >= 10 ? s.minutes[s.closed_minutes - 10].end_price : q.open;
  if (!s.surge.caught() && q.rate >= 5.0 && price >= ref * 1.02) s.surge = Capture{second, price};

  events.trades.push_back({t, index, q});
  s.next_trade_s = t + std::max(0.02, s.rng.Exponential(s.mean_gap_s) / Pace(t));
  if (s.watchers > 0) {
    ResetDrift(s, index);
    events.books.push_back({t, index, s.book});
  }
}

double Market::Pace(double t) const {
  const double pace = TradePace(t);
  return config_.open_rush && t < kOpen + kRushS ? pace * kRushTrades : pace;
}

double Market::DriftGap(double t) const {
  return config_.open_rush && t >= kOpen && t < kOpen + kRushS ? kRushDriftGapS : kDriftGapS;
}

void Market::ResetDrift(Stock& s, int index) const {
  s.live = s.book;
  s.live_s = s.last_trade_s;
  s.drift_rng = SimRandom(MixSeed(config_.seed ^ 0xB00C, static_cast<std::uint64_t>(index),
                                  static_cast<std::uint64_t>(s.day_date) << 24 | s.trade_count));
  s.drift_next_s = s.live_s + s.drift_rng.Exponential(DriftGap(s.live_s));
}

void Market::Watch(int index) {
  if (index < 0 || index >= static_cast<int>(stocks_.size())) return;
  Stock& s = stocks_[index];
  if (s.watchers++ > 0) return;
  // The moves since the last trade, as a watcher from then on would have seen them.
  ResetDrift(s, index);
  const double limit = std::min<double>(now_, kClose);
  while (s.drift_next_s < limit) {
    s.live_s = s.drift_next_s;
    DriftBook(s.live, s.book, s.drift_rng);
    s.drift_next_s += s.drift_rng.Exponential(DriftGap(s.live_s));
  }
}

void Market::Unwatch(int index) {
  if (index < 0 || index >= static_cast<int>(stocks_.size())) return;
  Stock& s = stocks_[index];
  if (s.watchers > 0) --s.watchers;
}

const Book& Market::LiveBook(int index) const {
  const Stock& s = stocks_[index];
  return s.watchers > 0 ? s.live : s.book;
}

double Market::LiveBookSeconds(int index) const {
  const Stock& s = stocks_[index];
  return s.watchers > 0 ? s.live_s : s.last_trade_s;
}

void Market::ForceTrade(int index, int price, MarketEvents& events) {
  if (index < 0 || index >= static_cast<int>(stocks_.size())) return;
  Stock& s = stocks_[index];
  Trade(s, index, std::max<double>(now_, s.last_trade_s), events, std::max(1, price));
}

std::vector<int> Market::PricesAhead(int index, int seconds) const {
  std::vector<int> prices;
  if (index < 0 || index >= static_cast<int>(stocks_.size())) return prices;
  Stock copy = stocks_[index];
  copy.watchers = 0;
  MarketEvents scratch;
  const double limit = std::min<double>(now_ + std::max(0, seconds), kClose);
  while (copy.next_trade_s < limit) {
    Trade(copy, index, copy.next_trade_s, scratch);
    prices.push_back(copy.quote.price);
  }
  return prices;
}

void Market::UpdateReverse(Stock& s, int index, double t, MarketEvents& events) const {
  const bool now_reversed = s.quote.ask_total > 2 * s.quote.bid_total;
  if (now_reversed && !s.reversed) {
    if (!s.reverse.caught()) s.reverse = Capture{static_cast<int>(t), s.quote.price};
    if (s.reverse_date != config_.date) {
      s.reverse_date = config_.date;
      events.reverse_changes.push_back(index);
    }
  }
  s.reversed = now_reversed;
}

void Market::CloseMinute(Stock& s, int minute_end) const {
  const int k = (minute_end - kOpen) / 60 - 1;
  ExtendMinutes(s, k);
  s.minutes[k].bid_total = s.quote.bid_total;
  s.minutes[k].ask_total = s.quote.ask_total;
  s.minutes[k].end_price = s.quote.price;
  s.closed_minutes = k + 1;
  // Box range: the last 20 days within 12 % and today's price inside them.
  const bool in_box = s.box_low > 0 && s.box_high <= s.box_low * 1.12 &&
                      s.quote.price >= s.box_low && s.quote.price <= s.box_high;
  if (in_box && !s.box.caught()) s.box = Capture{minute_end - 60, s.quote.price};
}

void Market::AdvanceTo(int seconds, MarketEvents& events) {
  seconds = std::min(seconds, kEndOfDay);
  while (now_ < seconds) {
    const int boundary = (now_ / 60 + 1) * 60;
    const int step_end = std::min(seconds, boundary);
    const std::size_t first = events.trades.size(), first_book = events.books.size();
    const double limit = std::min<double>(step_end, kClose);
    for (int i = 0; i < static_cast<int>(stocks_.size()); ++i) {
      Stock& s = stocks_[i];
      if (s.watchers == 0) {
        while (s.next_trade_s < limit) Trade(s, i, s.next_trade_s, events);
        continue;
      }
      RunWatched(s, i, limit, events);
    }
    std::sort(events.trades.begin() + first, events.trades.end(),
              [](const MarketEvents::Trade& a, const MarketEvents::Trade& b) {
                return a.seconds != b.seconds ? a.seconds < b.seconds : a.stock < b.stock;
              });
    std::stable_sort(events.books.begin() + first_book, events.books.end(),
                     [](const MarketEvents::BookChange& a, const MarketEvents::BookChange& b) {
                       return a.seconds != b.seconds ? a.seconds < b.seconds : a.stock < b.stock;
                     });
    now_ = step_end;
    if (now_ % 60 != 0) continue;
    if (now_ > kOpen && now_ <= kClose)
      for (Stock& s : stocks_) CloseMinute(s, now_);
    if (now_ == kOpen || now_ == kClose) events.phase_changes.push_back(PhaseAt(now_));
    events.minutes.push_back(now_);
  }
}

void Market::RunWatched(Stock& s, int index, double limit, MarketEvents& events) const {
  // A watched book's moves, in time order with the trades.
  while (true) {
    const bool trade = s.next_trade_s <= s.drift_next_s;
    const double t = trade ? s.next_trade_s : s.drift_next_s;
    if (t >= limit) break;
    if (trade) {
      Trade(s, index, t, events);
      continue;
    }
    s.live_s = t;
    DriftBook(s.live, s.book, s.drift_rng);
    s.drift_next_s = t + s.drift_rng.Exponential(DriftGap(t));
    events.books.push_back({t, index, s.live});
  }
}

void Market::TotalsAt(int index, int seconds, int& bid_total, int& ask_total, int& price) const {
  const Stock& s = stocks_[index];
  const int k = (std::min(seconds, kClose) - kOpen) / 60;  // minutes complete at that time
  if (seconds <= kOpen || s.closed_minutes == 0 || k <= 0) {
    bid_total = s.open_bid_total;
    ask_total = s.open_ask_total;
    price = s.prev_close;
    return;
  }
  if (k > s.closed_minutes) {
    bid_total = s.quote.bid_total;
    ask_total = s.quote.ask_total;
    price = s.quote.price;
    return;
  }
  const MinuteBar& bar = s.minutes[k - 1];
  bid_total = bar.bid_total;
  ask_total = bar.ask_total;
  price = bar.end_price;
}

void Market::IndexValue(int market, double& value, double& prev) const {
  double weight = 0, moved = 0;
  for (const Stock& s : stocks_) {
    if (s.market != market || s.etf) continue;
    const double w = static_cast<double>(s.prev_close) * static_cast<double>(s.prev_volume);
    weight += w;
    moved += w * s.quote.price / s.prev_close;
  }
  prev = index_prev_[market == 1 ? 1 : 2];
  value = weight > 0 ? prev * moved / weight : prev;
}

}  // namespace velloran::server
