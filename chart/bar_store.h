#pragma once
// The bar store every chart draws from: the bars of one stock (index 0 the
// newest), their moving averages, the visible window and the price and volume
// scales of that window. No locks: a chart window's store is its thread's
// alone, and a screening record's day bars, which the dispatcher's worker
// writes and the user-interface thread draws, are reached only through the
// session store's Writer and (const) Reader, under the records lock.

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

class CPKT;

// One bar. Prices are whole won; a bar is zero-filled until it is set.
struct TICK {
  std::int32_t date = 0;  // YYYYMMDD
  std::int32_t time = 0;  // HHMMSS; 0 when the source has no time field
  std::int32_t open = 0;
  std::int32_t high = 0;
  std::int32_t low = 0;
  std::int32_t close = 0;
  std::int32_t base = 0;  // the previous (older) bar's close
  std::int64_t volume = 0;
  double high_rate = 0;  // (high - base) * 100 / base
  double low_rate = 0;   // (low - base) * 100 / base
  double ma5 = 0;        // moving averages of the close; 0 where undefined
  double ma10 = 0;
  double ma20 = 0;
  double ma60 = 0;
  double ma120 = 0;

  friend bool operator==(const TICK&, const TICK&) = default;
};

// high_rate and low_rate from high, low and base (0 without a base).
void SetRates(TICK& bar);

// A bar's average of CChartData::kPeriods[k] (5, 10, 20, 60, 120).
[[nodiscard]] double& AverageOf(TICK& bar, int k);
[[nodiscard]] inline double AverageOf(const TICK& bar, int k) {
  return AverageOf(const_cast<TICK&>(bar), k);
}

class CChartData {
 public:
  // The averaged periods, in the order of the average flags and partial sums.
  static constexpr std::array<int, 5> kPeriods = {5, 10, 20, 60, 120};

  explicit CChartData(std::u16string code);
  CChartData(const CChartData&) = delete;
  CChartData& operator=(const CChartData&) = delete;

  // Replaces every bar from the DATA text of a chart reply: lines, newest
  // first, of date|time|open|high|low|close|volume. Lines whose first field is
  // 1000 or less make no bar. Reading stops after max_bars bars: the older
  // ones are not kept.
  void ParseChartData(std::u16string_view text,
                      int max_bars = std::numeric_limits<int>::max());
  // Replaces every bar from a day-bar text (lines of date|open|high|low|close|
  // volume, newest first), then shows the newest 20 and computes the averages.
  void ParseDayBars(std::u16string_view text);
  void ComputeAverages();
  // Stores the view [start, end) counted from the newest bar and rescales. An
  // end below start swaps the two and keeps the old scale.
  void SetView(int end, int start);
  // Puts a bar in front as the newest and widens top, bottom and volume top.
  void InsertNewest(const TICK& bar);
  // Adds a bar behind the oldest.
  void Append(const TICK& bar);
  // Merges a live quote into a day chart ("D" only, non-empty store): updates
  // the newest bar when it is of the trading date (from 09:00 on, by the
  // server's hour), or starts a bar for the trading date when the newest is
  // older.
  void MergeDayQuote(const CPKT& quote, std::int32_t trading_date, int server_hour);
  void Clear();
  // The bar just past the view's end (index end + 1), or the oldest bar when
  // that is past the last; false when the store is empty or the index exceeds
  // 100000.
  [[nodiscard]] bool ReferenceBar(TICK& out) const;

  // A copy of every bar, index 0 the newest.
  [[nodiscard]] std::vector<TICK> Bars() const;
  // A copy of bars from .. to - 1 (0 the newest), cut to the bars there are:
  // what a pane draws, without copying the whole history.
  [[nodiscard]] std::vector<TICK> Bars(int from, int to) const;
  // A copy of bar i (0 the newest); a zero bar when i is out of range.
  [[nodiscard]] TICK Bar(int i) const;
  // Replaces bar i when it exists (owners that extend the newest bar).
  void SetBar(int i, const TICK& bar);

  [[nodiscard]] const std::u16string& code() const { return code_; }
  [[nodiscard]] int Count() const;
  [[nodiscard]] int End() const;
  [[nodiscard]] int Start() const;
  [[nodiscard]] std::int64_t Top() const;
  [[nodiscard]] std::int64_t Bottom() const;
  [[nodiscard]] std::int64_t VolumeTop() const;
  [[nodiscard]] std::int64_t PriceStep() const;
  [[nodiscard]] std::int64_t VolumeStep() const;
  [[nodiscard]] int RateTop() const;
  // Sum of the closes of bars 1 .. n-1 for n one of kPeriods (0 otherwise).
  [[nodiscard]] double PartialSum(int n) const;

  [[nodiscard]] std::u16string Type() const;
  void SetType(std::u16string type);
  // Flags for n one of kPeriods; 5 and 20 are on at creation.
  [[nodiscard]] bool AverageOn(int n) const;
  void SetAverageOn(int n, bool on);
  // When above 0 the price scale always includes it.
  [[nodiscard]] std::int32_t ReferencePrice() const;
  void SetReferencePrice(std::int32_t price);

 private:
  void Rescale();
  static int PeriodIndex(int n);

  const std::u16string code_;
  std::int32_t reference_price_ = 0;
  int end_ = 0;
  int start_ = 0;
  std::vector<TICK> bars_;
  std::int64_t top_ = 0;
  std::int64_t bottom_ = 0;
  std::int64_t volume_top_ = 0;
  std::int64_t price_step_ = 0;
  std::int64_t volume_step_ = 0;
  int rate_top_ = 0;
  std::array<double, 5> partial_sums_{};
  std::u16string type_ = u"D";
  std::array<bool, 5> average_on_ = {true, false, true, false, false};
};

}  // namespace velloran
