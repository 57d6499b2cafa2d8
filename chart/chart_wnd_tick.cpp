// Merging the current quote into the newest bar, by chart type.

#include "chart/chart_wnd.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "chart/chart_text.h"

namespace velloran {
namespace {

// Shown bars below which a live day tick repaints the candles.
constexpr int kLiveRedrawBars = 150;

void SetRates(TICK& bar) {
  bar.high_rate = chart_text::RateAgainst(bar.high, bar.base);
  bar.low_rate = chart_text::RateAgainst(bar.low, bar.base);
}

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

bool CQZChartWnd::ApplyTick(bool live) {
  // A record without a price (empty or cut short) would pull the bar to 0.
  if (!quote_.valid() || quote_.Price() <= 0) return true;
  if (data_.Count() == 0) return true;
  const std::int32_t trading_date = TradingDate();
  if (type_ == u"D") {
    ApplyDayTick(trading_date);
  } else if (type_ == u"J" || type_ == u"M") {
    // The newest bar's week or month is over: its bars should be asked for
    // again, not stretched over the new period's trades.
    const bool weeks = type_ == u"J";
    if (trading_date > 0 && PeriodOf(trading_date, weeks) > PeriodOf(data_.Bar(0).date, weeks))
      return false;
    ApplyPeriodTick(live);
  } else if (!type_.empty() && type_[0] == u'm') {
    return ApplyMinuteTick(trading_date, live);
  }
  return true;
}

void CQZChartWnd::ApplyDayTick(std::int32_t trading_date) {
  const CPKT& q = quote_;
  const std::int32_t price = q.Price();
  TICK bar = data_.Bar(0);
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
    if (price == last_price_) {
      // The day's volume grows with trades at the same price: its bar must
      // not stand still while the price does.
      if (volume_moved && data_.Start() == 0 && data_.End() - data_.Start() < kLiveRedrawBars)
        volume_.Redraw();
      return;
    }
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
  } else {
    return;
  }
  if (data_.End() - data_.Start() < kLiveRedrawBars) RedrawPanes();
  last_price_ = price;
}

void CQZChartWnd::ApplyPeriodTick(bool live) {
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
  if (live && data_.Start() == 0) {
    if (bar.high > data_.Top() || bar.low < data_.Bottom() || bar.volume > data_.VolumeTop())
      data_.SetView(data_.End(), data_.Start());
    if (data_.End() - data_.Start() < kLiveRedrawBars) RedrawPanes();
  }
  last_price_ = price;
}

bool CQZChartWnd::ApplyMinuteTick(std::int32_t trading_date, bool live) {
  if (context_ == nullptr || !context_->CheckMarketState()) return true;
  const TICK newest = data_.Bar(0);
  // Bars of an earlier day: the chart must be asked for again.
  if (newest.date != trading_date) return !(trading_date > 0 && newest.date < trading_date);
  const std::int32_t price = quote_.Price();
  const int span = MinuteSpan(type_);
  int t = SecondsOf(newest.time);
  const int q = SecondsOf(quote_.Time());
  if (t < 0 || q < 0) return true;
  bool added = false;
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
      if (bar.open == 0) bar.open = price;
      bar.high = std::max(bar.high, price);
      if (bar.low == 0 || bar.low > price) bar.low = price;
      bar.close = price;
      // A reply's bars already hold the trade its quote reports.
      if (live) bar.volume += quote_.TradeVolume();
      data_.SetBar(0, bar);
    }
  }
  if (added || price != last_price_) {
    data_.ComputeAverages();
    // Showing the newest bars, a view that is not full yet (a short day)
    // takes the new bars in instead of letting its oldest go.
    data_.SetView(data_.Start() == 0 ? std::max(data_.End(), visible_end_) : data_.End(),
                  data_.Start());
    ResetScrollBar();
    // The zoom reaches the bars the day added as well.
    if (added) ResetSlider();
    RedrawPanes();
  }
  last_price_ = price;
  return true;
}

}  // namespace velloran
