#pragma once
// The simulated market of the demo server: synthetic KOSPI, KOSDAQ and ETF
// stocks with their day history, and one trading day of trades and ten-level
// books on the exchange's tick grid. Everything follows from the seed and the
// date, and each stock draws from its own generator, so a day comes out the
// same however finely the clock is stepped. A watched stock's book also moves
// between its trades; those moves are drawn from the last trade alone, so
// watching changes nothing else and every watcher sees the same book.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/order_book.h"
#include "server/sim_random.h"

namespace velloran::server {

struct MarketConfig {
  std::uint64_t seed = 1;
  int stock_count = 2600;
  int date = 20260105;  // the trading day simulated, YYYYMMDD (a weekday)
  // The first minutes at the rate of a busy open: every stock trades several
  // times its usual pace and a watched book moves about 250 times a second.
  bool open_rush = false;
};

struct DayBar {
  int date = 0;
  int open = 0, high = 0, low = 0, close = 0;
  std::int64_t volume = 0;
};

// One minute of the day as a chart shows it: the bar that starts at 09:00 + k
// minutes (T) holds the trades stamped in (T, T + 60 s], and the book totals
// at T + 60 s once that time has passed.
struct MinuteBar {
  int open = 0, high = 0, low = 0, close = 0;
  std::int64_t volume = 0;
  int bid_total = 0, ask_total = 0;
  int end_price = 0;  // the price at T + 60 s (a trade later in that second is in close)
};

// The state of a stock that a quote record reports.
struct Quote {
  int time = 0;  // hhmmss
  int sign = 3;
  int change = 0;
  double rate = 0.0;
  int price = 0, open = 0, high = 0, low = 0;
  bool buy_side = true;  // the last trade hit the ask
  std::int64_t trade_volume = 0, volume = 0, value_won = 0;
  std::int64_t sell_volume = 0, buy_volume = 0;
  int best_ask = 0, best_bid = 0;
  int bid_total = 0, ask_total = 0;
};

// The first time today a stock met a screen's rule, and its price then.
struct Capture {
  int seconds = -1;  // -1: not caught
  int price = 0;
  [[nodiscard]] bool caught() const { return seconds >= 0; }
};

struct Stock {
  // Master data.
  std::string code;  // six digits
  std::u16string name;
  int market = 1;  // 1 KOSPI, 2 KOSDAQ
  bool etf = false;
  int prev_close = 0;  // KPRC
  int upper_limit = 0, lower_limit = 0;
  double per = 0, pbr = 0, roe = 0, etf_rate = 0;
  std::int64_t prev_volume = 0;

  // Character of its price path.
  double day_sigma = 0.02;
  double mean_gap_s = 20.0;  // mean seconds between trades
  double trade_sigma = 0.001;
  double avg_trade_qty = 100;
  double avg_level_qty = 1000;
  int box_days = 0;         // trading days of a narrow range before today, 0 none
  int news_past_date = 0;   // an earlier day with news, 0 none
  int news_seconds = -1;    // time of today's news, -1 none
  std::u16string headline;  // of the news, past or today
  int reverse_date = 0;     // the last day the asks rose over twice the bids

  // The day so far.
  int day_date = 0;  // the trading day the fields below belong to
  SimRandom rng{1};
  double next_trade_s = 0;
  Quote quote;
  double imbalance = 0;  // log ratio of ask depth to bid depth, mean-reverting
  double last_update_s = 0;
  Book book;                       // as the last trade (or the pre-open) left it
  LevelHistory levels;             // every level shown today, and yesterday's close
  TradeRing trades;                // the last 50 trades
  int trade_count = 0;             // trades today
  double last_trade_s = 0;         // time of the last trade, or the pre-open
  std::vector<MinuteBar> minutes;  // bar k starts at 09:00 + k minutes; the last may be open
  int closed_minutes = 0;          // minutes whose end has passed
  int open_bid_total = 0, open_ask_total = 0;  // the book at 09:00
  bool reversed = false;                       // the asks exceed twice the bids now
  Capture surge, box, reverse;
  std::vector<DayBar> recent_days;  // the last 60 trading days, newest first
  int box_low = 0, box_high = 0;    // the range of the last 20 days

  // The watched book: the book of the last trade moved by DriftBook.
  int watchers = 0;
  Book live;
  double live_s = 0;  // time of its last move
  double drift_next_s = 0;
  SimRandom drift_rng{1};
};

// Sets a quote's price with its change, rate and sign against the previous close.
void ApplyPrice(Quote& quote, const Stock& stock, int price);

// What a step of the clock produced, in time order.
struct MarketEvents {
  struct Trade {
    double seconds;
    int stock;
    Quote quote;
  };
  // A watched stock's book after one of its trades or moves.
  struct BookChange {
    double seconds;
    int stock;
    Book book;
  };
  std::vector<Trade> trades;
  std::vector<BookChange> books;
  std::vector<int> minutes;          // seconds of each minute boundary crossed
  std::vector<int> phase_changes;    // new phase flag values, in order
  std::vector<int> reverse_changes;  // stocks whose reverse date became today
  void Clear() {
    trades.clear();
    books.clear();
    minutes.clear();
    phase_changes.clear();
    reverse_changes.clear();
  }
};

class Market {
 public:
  static constexpr int kPreOpen = 8 * 3600 + 30 * 60;
  static constexpr int kOpen = 9 * 3600;
  static constexpr int kClose = 15 * 3600 + 30 * 60;
  static constexpr int kEndOfDay = 24 * 3600 - 1;
  // The open's rush, when the market has one: its length, how many times the
  // usual pace stocks trade, and the mean gap between a watched book's moves.
  static constexpr int kRushS = 10 * 60;
  static constexpr double kRushTrades = 4.0;
  static constexpr double kRushDriftGapS = 0.004;
  static constexpr int kHistoryDays = 1200;
  // The book's log imbalance of ask to bid depth: its stationary spread and
  // its memory, today's and a past day's alike.
  static constexpr double kImbalanceSigma = 0.3;
  static constexpr double kImbalanceTauS = 600.0;
  // Market-state flag values under key 1: before the open, trading, closed.
  static constexpr int kPhasePreOpen = 11;
  static constexpr int kPhaseOpen = 21;
  static constexpr int kPhaseClosed = 41;

  explicit Market(const MarketConfig& config);

  [[nodiscard]] const MarketConfig& config() const { return config_; }
  [[nodiscard]] int date() const { return config_.date; }
  // Trading days, newest first: today, then kHistoryDays earlier days.
  [[nodiscard]] const std::vector<int>& trading_dates() const { return dates_; }
  [[nodiscard]] const std::vector<Stock>& stocks() const { return stocks_; }
  [[nodiscard]] const Stock& stock(int index) const { return stocks_[index]; }
  // Index of a stock code, or -1.
  [[nodiscard]] int Find(std::string_view code) const;

  // Seconds of the day the market has been run to.
  [[nodiscard]] int now() const { return now_; }
  [[nodiscard]] int phase() const { return PhaseAt(now_); }
  static int PhaseAt(int seconds);
  [[nodiscard]] int minute_index() const;  // minutes since 09:00 that are complete

  // Runs the market up to the given second of the day (never backwards),
  // appending what happened to events.
  void AdvanceTo(int seconds, MarketEvents& events);

  // A client subscribed or dropped the stock's book. While a stock has
  // watchers its book moves between trades and each move is an event.
  void Watch(int index);
  void Unwatch(int index);
  // The watched book now (the book of the last trade when nobody watches)
  // and the time it was last set.
  [[nodiscard]] const Book& LiveBook(int index) const;
  [[nodiscard]] double LiveBookSeconds(int index) const;

  // A trade of the stock now at exactly price (moved into the day's limits):
  // a test's way to reach an alarm price at once.
  void ForceTrade(int index, int price, MarketEvents& events);
  // The prices the stock will trade at in the next seconds, in time order,
  // from a copy of it: the market itself does not move.
  [[nodiscard]] std::vector<int> PricesAhead(int index, int seconds) const;

  // A stock on its own at the pre-open of date (today or an earlier trading
  // day of trading_dates()), to be run by RunAlone: a replay's tape. Today's
  // runs exactly as the market's stock does. Reads only what never changes
  // after construction, so any thread may call it; false for another date.
  [[nodiscard]] bool DayStart(int index, int date, Stock& out) const;
  // Runs a stock from DayStart up to the given second (not past the close)
  // as a stock watched all day runs: every trade and every book it showed,
  // in time order, are appended to events.
  void RunAlone(Stock& s, int index, double until, MarketEvents& events) const;

  // The stock's day bars before today, newest first; the same bars however
  // many are asked for.
  [[nodiscard]] std::vector<DayBar> DayHistory(int index, int count) const;
  // The book totals at a time of the day already run (09:00 or later).
  void TotalsAt(int index, int seconds, int& bid_total, int& ask_total, int& price) const;
  // The market index (KOSPI for 1, KOSDAQ for 2) and its previous close.
  void IndexValue(int market, double& value, double& prev) const;

 private:
  void BuildStocks();
  void StartDay(Stock& s, int index, int date) const;
  // Runs a watched stock's trades and book moves up to limit.
  void RunWatched(Stock& s, int index, double limit, MarketEvents& events) const;
  // forced_price 0 draws the price; the stock's own generator is drawn the same either way.
  void Trade(Stock& s, int index, double t, MarketEvents& events, int forced_price = 0) const;
  void RebuildBook(Stock& s) const;
  void CloseMinute(Stock& s, int minute_end) const;
  void UpdateReverse(Stock& s, int index, double t, MarketEvents& events) const;
  void ResetDrift(Stock& s, int index) const;
  // Trades' pace at t (times a stock's mean rate) and a watched book's mean
  // gap between moves at t.
  [[nodiscard]] double Pace(double t) const;
  [[nodiscard]] double DriftGap(double t) const;

  MarketConfig config_;
  std::vector<int> dates_;
  std::vector<Stock> stocks_;
  std::unordered_map<std::string, int> by_code_;
  int now_ = kPreOpen;
  std::array<double, 3> index_prev_{0, 2650.0, 870.0};
};

}  // namespace velloran::server
