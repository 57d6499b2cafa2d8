#include "chart/chart_series.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "chart/chart_text.h"

namespace velloran {
namespace {

// Seconds of the day of an hhmmss time, or -1 for a time no clock shows.
int SecondsOf(std::int32_t hhmmss) {
  const int h = hhmmss / 10000;
  const int m = hhmmss / 100 % 100;
  const int s = hhmmss % 100;
  if (hhmmss < 0 || h >= 24 || m >= 60 || s >= 60) return -1;
  return h * 3600 + m * 60 + s;
}

// A number for the week (Monday on) or the month a YYYYMMDD date lies in,
// growing with time; 0 for a date no calendar has.
int PeriodOf(std::int32_t date, bool weeks) {
  if (!weeks) return date / 100;
  using namespace std::chrono;
  const year_month_day ymd{year{date / 10000}, month{static_cast<unsigned>(date / 100 % 100)},
                           day{static_cast<unsigned>(date % 100)}};
  if (!ymd.ok()) return 0;
  const sys_days d{ymd};
  return static_cast<int>((d - (weekday{d} - Monday)).time_since_epoch().count());
}

int MinuteSpan(const std::u16string& type) {
  if (type == u"m3") return 3 * 60;
  if (type == u"m5") return 5 * 60;
  if (type == u"m10") return 10 * 60;
  if (type == u"m30") return 30 * 60;
  if (type == u"m60") return 60 * 60;
  return 60;
}

}  // namespace

bool CChartSeries::SetCode(std::u16string code) {
  if (code == code_) return false;
  code_ = std::move(code);
  // The old stock's bars would stand under the new stock's quotes.
  quote_ = CPKT{};
  DropBars();
  return true;
}

void CChartSeries::ChangeType(std::u16string type) {
  type_ = std::move(type);
  data_.SetType(type_);
}

void CChartSeries::SetType(std::u16string type) {
  ChangeType(std::move(type));
  visible_end_ = minute() ? kMinuteView : kPeriodView;
  visible_start_ = 0;
}

void CChartSeries::SetVisible(int end, int start) {
  visible_end_ = end;
  visible_start_ = start;
  data_.SetView(end, start);
}

void CChartSeries::DropBars() {
  data_.Clear();
  last_price_ = 0;
  untold_ = kNoChange;
  // Another stock or period starts at its newest bars, as many as were shown:
  // history scrolled back to belongs to the bars just dropped.
  visible_end_ = std::max(visible_end_ - visible_start_, 1);
  visible_start_ = 0;
}

void CChartSeries::Sent(std::uint64_t connection, int bars) {
  ForgetOtherConnections(connection);
  pending_.push_back({code_, type_, connection, bars});
  // A server that never answers must not make the list grow without end.
  while (pending_.size() > kMaxPending) pending_.pop_front();
}

void CChartSeries::ForgetOtherConnections(std::uint64_t connection) {
  std::erase_if(pending_,
                [connection](const PendingRequest& r) { return r.connection != connection; });
}

bool CChartSeries::RequestPending(std::uint64_t connection) const {
  return std::any_of(pending_.begin(), pending_.end(), [connection](const PendingRequest& r) {
    return r.connection == connection;
  });
}

int CChartSeries::AcceptReply(std::u16string_view echoed_code, std::u16string_view echoed_type,
                              std::uint64_t connection) {
  ForgetOtherConnections(connection);
  const auto answered =
      std::find_if(pending_.begin(), pending_.end(), [&](const PendingRequest& r) {
        return (echoed_code.empty() || r.code == echoed_code) &&
               (echoed_type.empty() || r.type == echoed_type);
      });
  if (answered == pending_.end()) return 0;
  const bool current = answered->code == code_ && answered->type == type_;
  const int bars = answered->bars;
  // Requests older than the one answered will not be answered any more.
  pending_.erase(pending_.begin(), answered + 1);
  return current && pending_.empty() ? bars : 0;
}

unsigned CChartSeries::InstallReply(std::u16string_view data, std::u16string_view quote,
                                    const ChartSession& session, int max_bars) {
  data_.ParseChartData(data, max_bars);
  data_.ComputeAverages();
  // A fresh record: a quote text that does not parse leaves no price behind.
  quote_ = CPKT{};
  quote_.Parse(quote);
  quote_.set_code(code_);
  // A view scrolled back past every bar of this reply (a longer history of
  // another type or stock) would show none: show as many from the newest.
  if (visible_start_ > 0 && visible_start_ >= data_.Count()) {
    visible_end_ = std::max(visible_end_ - visible_start_, 1);
    visible_start_ = 0;
  }
  data_.SetView(visible_end_, visible_start_);
  // Every bar is new: what the quote changed on top of that is news to no one.
  (void)MergeTrade(false, session);
  return kWholeSeries;
}

void CChartSeries::TakeQuote(const CPKT& quote, const ChartSession& session) {
  if (!quote.valid()) return;
  quote_ = quote;
  const int count = data_.Count();
  const std::int64_t volume = count > 0 ? data_.Bar(0).volume : 0;
  data_.MergeDayQuote(quote_, session.trading_date, session.server_hour);
  // Told with the merge of the trade that follows.
  if (data_.Count() > count)
    untold_ |= kNewBars;
  else if (count > 0 && data_.Bar(0).volume != volume)
    untold_ |= kNewestVolume;
}

unsigned CChartSeries::AskAgain(std::uint64_t connection) const {
  return RequestPending(connection) ? kNoChange : kAskAgain;
}

unsigned CChartSeries::MergeTrade(bool live, const ChartSession& session) {
  const unsigned taken = std::exchange(untold_, kNoChange);
  return MergeQuote(live, session) | taken;
}

unsigned CChartSeries::MergeQuote(bool live, const ChartSession& session) {
  // A record without a price (empty or cut short) would pull the bar to 0.
  if (!quote_.valid() || quote_.Price() <= 0) return kNoChange;
  if (data_.Count() == 0) return kNoChange;
  const std::int32_t trading_date = session.trading_date;
  if (type_ == u"D") return MergeDay(trading_date);
  if (type_ == u"J" || type_ == u"M") {
    // The newest bar's week or month is over: its bars should be asked for
    // again, not stretched over the new period's trades.
    const bool weeks = type_ == u"J";
    if (trading_date > 0 && PeriodOf(trading_date, weeks) > PeriodOf(data_.Bar(0).date, weeks))
      return AskAgain(session.connection);
    return MergePeriod(live);
  }
  if (minute()) {
    if (!session.market_open) return kNoChange;
    // Bars of an earlier day: the chart must be asked for again.
    const std::int32_t newest = data_.Bar(0).date;
    if (newest != trading_date)
      return trading_date > 0 && newest < trading_date ? AskAgain(session.connection)
                                                       : kNoChange;
    return MergeMinute(live);
  }
  return kNoChange;
}

unsigned CChartSeries::MergeDay(std::int32_t trading_date) {
  const CPKT& q = quote_;
  const std::int32_t price = q.Price();
  TICK bar = data_.Bar(0);
  unsigned change = kNoChange;
  if (bar.date == trading_date) {
    bar.open = q.Open();
    bar.high = q.High();
    bar.low = q.Low();
    bar.close = price;
    bar.volume = q.Volume();
    // Worked out wide: a change the server got wrong must not overflow; a
    // negative base is no price (0 is "no base", which shows no rate).
    std::int64_t base = bar.base;
    if (q.Sign() >= 1 && q.Sign() <= 3) base = std::int64_t{price} - q.Change();
    if (q.Sign() == 4 || q.Sign() == 5) base = std::int64_t{price} + q.Change();
    if (base >= 0 && base <= std::numeric_limits<std::int32_t>::max())
      bar.base = static_cast<std::int32_t>(base);
    if (q.Open() == 0) {  // no trade yet today
      bar.open = bar.high = bar.low = price;
      bar.volume = 1;
    }
    SetRates(bar);
    // The averages of the newest bar follow its live close.
    double* averages[] = {&bar.ma5, &bar.ma10, &bar.ma20, &bar.ma60, &bar.ma120};
    for (std::size_t k = 0; k < CChartData::kPeriods.size(); ++k) {
      const int n = CChartData::kPeriods[k];
      if (*averages[k] > 0) *averages[k] = (data_.PartialSum(n) + price) / n;
    }
    const bool volume_moved = bar.volume != data_.Bar(0).volume;
    data_.SetBar(0, bar);
    if (bar.high > data_.Top() || bar.low < data_.Bottom() || bar.volume > data_.VolumeTop())
      data_.SetView(data_.End(), data_.Start());
    // The day's volume grows with trades at the same price: its bar must
    // not stand still while the price does.
    if (price == last_price_) return volume_moved ? kNewestVolume : kNoChange;
    change = kNewestBar;
  } else if (trading_date > bar.date) {
    // A new day; a trading date of 0 (not known yet) never starts one.
    TICK fresh;
    fresh.date = trading_date;
    fresh.time = q.Time();
    fresh.close = price;
    fresh.open = q.Open() != 0 ? q.Open() : price;
    fresh.high = q.High() != 0 ? q.High() : price;
    fresh.low = q.Low() != 0 ? q.Low() : price;
    fresh.volume = q.Volume();
    fresh.base = bar.close;
    SetRates(fresh);
    data_.InsertNewest(fresh);
    data_.ComputeAverages();
    data_.SetView(data_.End(), data_.Start());
    change = kNewBars;
  } else {
    return kNoChange;
  }
  last_price_ = price;
  return change;
}

unsigned CChartSeries::MergePeriod(bool live) {
  const CPKT& q = quote_;
  const std::int32_t price = q.Price();
  const bool traded = q.Open() != 0;
  const std::int32_t open = traded ? q.Open() : price;
  const std::int32_t high = traded && q.High() != 0 ? q.High() : price;
  const std::int32_t low = traded && q.Low() != 0 ? q.Low() : price;
  TICK bar = data_.Bar(0);
  if (bar.open == 0) bar.open = open;
  bar.high = std::max(bar.high, high);
  bar.low = bar.low == 0 ? low : std::min(bar.low, low);
  bar.close = price;
  bar.volume += live ? q.TradeVolume() : q.Volume();
  data_.SetBar(0, bar);
  // The week's or month's bar is shown as it grows, as the day's is.
  if (live && data_.Start() == 0 &&
      (bar.high > data_.Top() || bar.low < data_.Bottom() || bar.volume > data_.VolumeTop()))
    data_.SetView(data_.End(), data_.Start());
  last_price_ = price;
  return kNewestBar;
}

unsigned CChartSeries::MergeMinute(bool live) {
  const std::int32_t price = quote_.Price();
  const int span = MinuteSpan(type_);
  int t = SecondsOf(data_.Bar(0).time);
  const int q = SecondsOf(quote_.Time());
  if (t < 0 || q < 0) return kNoChange;
  bool added = false;
  bool price_moved = false;
  bool volume_moved = false;
  // A bar that starts at t takes the ticks after t up to t + span; the
  // minutes without a tick become flat bars of no volume.
  while (t < q) {
    t += span;
    TICK bar = data_.Bar(0);
    if (t < q) {
      TICK flat;
      flat.date = bar.date;
      flat.time = t / 3600 * 10000 + t / 60 % 60 * 100;
      flat.open = flat.high = flat.low = flat.close = flat.base = bar.close;
      data_.InsertNewest(flat);
      added = true;
    } else {
      price_moved = bar.close != price || bar.open == 0;
      if (bar.open == 0) bar.open = price;
      bar.high = std::max(bar.high, price);
      if (bar.low == 0 || bar.low > price) bar.low = price;
      bar.close = price;
      // A reply's bars already hold the trade its quote reports.
      if (live && quote_.TradeVolume() != 0) {
        bar.volume += quote_.TradeVolume();
        volume_moved = true;
      }
      data_.SetBar(0, bar);
    }
  }
  last_price_ = price;
  if (!added && !price_moved) return volume_moved ? kNewestVolume : kNoChange;
  data_.ComputeAverages();
  // Showing the newest bars, a view that is not full yet (a short day)
  // takes the new bars in instead of letting its oldest go.
  data_.SetView(data_.Start() == 0 ? std::max(data_.End(), visible_end_) : data_.End(),
                data_.Start());
  return (added ? kNewBars : kNoChange) | (price_moved ? kNewestBar : kNoChange);
}

}  // namespace velloran
