#include "chart/bar_store.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "net/quote.h"
#include "net/text_util.h"

namespace velloran {
namespace {

// The newest index ReferenceBar still answers for.
constexpr int kReferenceLimit = 100000;

// The largest volume a bar takes: far past any stock's, and far enough below
// the 64-bit limit that live volumes added to it and the volume axis's marks
// climbing to it cannot overflow.
constexpr std::int64_t kVolumeLimit = 1'000'000'000'000'000;

double Rate(std::int32_t price, std::int32_t base) {
  // A base of 0 (a broken line) would give an infinite rate.
  return base == 0 ? 0.0 : (static_cast<double>(price) - base) * 100.0 / base;
}

// The first N fields of a bar line as integers, 0 for those the line lacks;
// the fields are numbered as SplitFields numbers them. The last, the volume,
// is read to 64 bits: a week's or a month's volume may pass 2^31.
template <std::size_t N>
std::array<std::int64_t, N> BarFields(std::u16string_view line) {
  std::array<std::int64_t, N> out{};
  if (!line.empty() && line.front() == u'|') line.remove_prefix(1);
  if (line.empty()) return out;
  FieldCursor fields(line);
  for (std::size_t k = 0; k + 1 < N; ++k) {
    std::int32_t value = 0;
    if (!fields.NextInt(value)) return out;
    out[k] = value;
  }
  std::u16string_view volume;
  if (fields.Next(volume)) out[N - 1] = std::clamp(ToInt64(volume), -kVolumeLimit, kVolumeLimit);
  return out;
}

// The number of lines of a text, as an upper bound for the bars it gives.
std::size_t LineCount(std::u16string_view text) {
  std::size_t n = 1;
  for (std::size_t at = FindChar(text, u'\n'); at != std::u16string_view::npos;
       at = FindChar(text, u'\n', at + 1)) {
    ++n;
  }
  return n;
}

// Nearest multiple of unit; a value halfway between two goes down.
std::int64_t RoundToUnit(std::int64_t value, std::int64_t unit) {
  std::int64_t rest = value % unit;
  if (rest < 0) rest += unit;
  return rest * 2 > unit ? value - rest + unit : value - rest;
}

std::int64_t PriceStepFor(std::int64_t spread) {
  static constexpr std::pair<std::int64_t, std::int64_t> kSteps[] = {
      {50, 5},         {80, 10},        {160, 20},       {200, 25},      {400, 50},
      {800, 100},      {1600, 200},     {2000, 250},     {4000, 500},    {8000, 1000},
      {16000, 2000},   {20000, 2500},   {40000, 5000},   {80000, 10000}, {160000, 20000},
      {200000, 25000}, {400000, 50000}, {800000, 100000}};
  for (const auto& [limit, step] : kSteps) {
    if (spread <= limit) return step;
  }
  return 200000;
}

std::int64_t VolumeStepFor(std::int64_t volume_top) {
  if (volume_top < 10) return 2;
  std::int64_t scale = 1;
  std::int64_t t = volume_top;
  while (t >= 100) {
    t /= 10;
    scale *= 10;
  }
  std::int64_t step;
  if (t >= 75) {
    step = 25;
  } else if (t >= 60) {
    step = 20;
  } else if (t >= 45) {
    step = 15;
  } else if (t >= 30) {
    step = 10;
  } else if (t >= 25) {
    step = 8;
  } else if (t >= 11) {
    step = 4;
  } else {
    step = 5;
  }
  return step * scale;
}

// The whole part of an average or rate, kept inside the range prices use.
std::int64_t WholePart(double v) {
  if (!std::isfinite(v)) return 0;
  constexpr double kLimit = static_cast<double>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int64_t>(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

void SetRates(TICK& bar) {
  bar.high_rate = Rate(bar.high, bar.base);
  bar.low_rate = Rate(bar.low, bar.base);
}

double& AverageOf(TICK& bar, int k) {
  switch (k) {
    case 0:
      return bar.ma5;
    case 1:
      return bar.ma10;
    case 2:
      return bar.ma20;
    case 3:
      return bar.ma60;
    default:
      return bar.ma120;
  }
}

CChartData::CChartData(std::u16string code) : code_(std::move(code)) {}

int CChartData::PeriodIndex(int n) {
  for (int k = 0; k < static_cast<int>(kPeriods.size()); ++k) {
    if (kPeriods[k] == n) return k;
  }
  return -1;
}

void CChartData::ParseChartData(std::u16string_view text, int max_bars) {
  bars_.clear();
  const std::size_t most = static_cast<std::size_t>(std::max(max_bars, 0));
  bars_.reserve(std::min(LineCount(text), most));
  LineCursor lines(text);
  for (std::u16string_view line; bars_.size() < most && lines.Next(line);) {
    const auto f = BarFields<7>(line);
    if (f[0] <= 1000) continue;
    TICK bar;
    bar.date = static_cast<std::int32_t>(f[0]);
    bar.time = static_cast<std::int32_t>(f[1]);
    bar.open = static_cast<std::int32_t>(f[2]);
    bar.high = static_cast<std::int32_t>(f[3]);
    bar.low = static_cast<std::int32_t>(f[4]);
    bar.close = static_cast<std::int32_t>(f[5]);
    bar.volume = f[6];
    bar.base = bar.close;
    if (!bars_.empty()) {
      TICK& newer = bars_.back();
      newer.base = bar.close;
      SetRates(newer);
    }
    bars_.push_back(bar);
  }
}

void CChartData::ParseDayBars(std::u16string_view text) {
  bars_.clear();
  bars_.reserve(LineCount(text));
  LineCursor lines(text);
  for (std::u16string_view line; lines.Next(line);) {
    if (line.size() <= 5) continue;
    const auto f = BarFields<6>(line);
    TICK bar;
    bar.date = static_cast<std::int32_t>(f[0]);
    bar.open = static_cast<std::int32_t>(f[1]);
    bar.high = static_cast<std::int32_t>(f[2]);
    bar.low = static_cast<std::int32_t>(f[3]);
    bar.close = static_cast<std::int32_t>(f[4]);
    bar.volume = f[5];
    if (bar.open == 0) bar.open = bar.high = bar.low = bar.close;
    bar.base = bar.close;
    if (!bars_.empty()) bars_.back().base = bar.close;
    bars_.push_back(bar);
  }
  end_ = std::min(static_cast<int>(bars_.size()), 20);
  start_ = 0;
  ComputeAverages();
}

void CChartData::ComputeAverages() {
  std::array<std::int64_t, kPeriods.size()> sums{};
  const int count = static_cast<int>(bars_.size());
  for (int i = count - 1, j = 1; i >= 0; --i, ++j) {
    TICK& bar = bars_[i];
    for (std::size_t k = 0; k < kPeriods.size(); ++k) {
      const int n = kPeriods[k];
      sums[k] += bar.close;
      double& average = AverageOf(bar, static_cast<int>(k));
      average = 0;
      if (j > n) {
        sums[k] -= bars_[i + n].close;
        average = static_cast<double>(sums[k]) / n;
      }
    }
  }
  const std::int64_t newest = count > 0 ? bars_[0].close : 0;
  for (std::size_t k = 0; k < kPeriods.size(); ++k) {
    partial_sums_[k] = static_cast<double>(sums[k] - newest);
  }
}

void CChartData::SetView(int end, int start) {
  if (end < start) {
    end_ = start;
    start_ = end;
    return;
  }
  end_ = end;
  start_ = start;
  Rescale();
}

void CChartData::Rescale() {
  const int count = static_cast<int>(bars_.size());
  end_ = std::clamp(end_, 0, count);
  start_ = std::max(start_, 0);
  std::int64_t top = 1;
  std::int64_t bottom = 100000000;
  std::int64_t volume_top = 1;
  double rate_top = 6.0;
  for (int i = end_ - 1; i >= start_; --i) {
    TICK& bar = bars_[i];
    top = std::max<std::int64_t>(top, bar.high);
    bottom = std::min<std::int64_t>(bottom, bar.low);
    for (std::size_t k = 0; k < kPeriods.size(); ++k) {
      const double average = AverageOf(bar, static_cast<int>(k));
      if (!average_on_[k] || !(average > 0)) continue;
      top = std::max(top, WholePart(average));
      bottom = std::min(bottom, WholePart(average));
    }
    volume_top = std::max(volume_top, bar.volume);
    if (std::isfinite(bar.high_rate)) rate_top = std::max(rate_top, bar.high_rate);
    if (std::isfinite(bar.low_rate)) rate_top = std::max(rate_top, -bar.low_rate);
  }
  std::int64_t rate = WholePart(rate_top) + 1;
  if (rate % 2 == 0) ++rate;
  rate_top_ =
      static_cast<int>(std::min<std::int64_t>(rate, std::numeric_limits<std::int32_t>::max()));

  if (reference_price_ > 0) {
    top = std::max<std::int64_t>(top, reference_price_);
    bottom = std::min<std::int64_t>(bottom, reference_price_);
  }

  // Headroom of 2 % above the highest value, rounded to a unit that suits
  // the price range.
  std::int64_t f = top + WholePart(static_cast<double>(top) * 0.02);
  std::int64_t unit = 1;
  if (f >= 50000) {
    unit = 100;
  } else if (f >= 10000) {
    unit = 50;
  } else if (f >= 5000) {
    unit = 10;
  } else if (f >= 1000) {
    unit = 5;
  }
  top = RoundToUnit(f, unit);

  const std::int64_t step = PriceStepFor(top - bottom);
  price_step_ = step;
  bottom_ = step * (bottom / step - 1);
  top_ = step * (top / step + 1);
  volume_top_ = volume_top;
  volume_step_ = VolumeStepFor(volume_top);
}

void CChartData::InsertNewest(const TICK& bar) {
  bars_.insert(bars_.begin(), bar);
  top_ = std::max<std::int64_t>(top_, bar.high);
  bottom_ = std::min<std::int64_t>(bottom_, bar.low);
  volume_top_ = std::max(volume_top_, bar.volume);
}

void CChartData::Append(const TICK& bar) {
  bars_.push_back(bar);
}

void CChartData::MergeDayQuote(const CPKT& quote, std::int32_t trading_date, int server_hour) {
  // A quote without a price (no trade and no stored price) would draw a
  // bar at 0.
  if (type_ != u"D" || bars_.empty() || quote.Price() <= 0) return;
  TICK& newest = bars_[0];
  if (newest.date == trading_date) {
    if (server_hour <= 8) return;
    newest.open = quote.Open();
    newest.high = quote.High();
    newest.low = quote.Low();
    newest.close = quote.Price();
    newest.volume = quote.Volume();
    if (newest.open == 0) newest.open = newest.high = newest.low = newest.close;
    SetRates(newest);
    if (newest.high > top_ || newest.low < bottom_) Rescale();
  } else if (newest.date < trading_date) {
    TICK bar;
    bar.date = trading_date;
    bar.close = quote.Price();
    bar.open = quote.Open() != 0 ? quote.Open() : bar.close;
    bar.high = quote.High() != 0 ? quote.High() : bar.close;
    bar.low = quote.Low() != 0 ? quote.Low() : bar.close;
    bar.volume = quote.Volume();
    bar.base = newest.close;
    SetRates(bar);
    InsertNewest(bar);
    // The new bar needs its own averages, and the partial sums now start
    // behind it.
    ComputeAverages();
    Rescale();
  }
}

void CChartData::Clear() {
  bars_.clear();
}

bool CChartData::ReferenceBar(TICK& out) const {
  const int index = end_ + 1;
  if (bars_.empty() || index < 0 || index > kReferenceLimit) return false;
  out = index < static_cast<int>(bars_.size()) ? bars_[index] : bars_.back();
  return true;
}

std::vector<TICK> CChartData::Bars() const {
  return bars_;
}

std::vector<TICK> CChartData::Bars(int from, int to) const {
  const int count = static_cast<int>(bars_.size());
  from = std::clamp(from, 0, count);
  to = std::clamp(to, from, count);
  return std::vector<TICK>(bars_.begin() + from, bars_.begin() + to);
}

TICK CChartData::Bar(int i) const {
  if (i < 0 || i >= static_cast<int>(bars_.size())) return TICK{};
  return bars_[i];
}

void CChartData::SetBar(int i, const TICK& bar) {
  if (i >= 0 && i < static_cast<int>(bars_.size())) bars_[i] = bar;
}

int CChartData::Count() const {
  return static_cast<int>(bars_.size());
}
int CChartData::End() const {
  return end_;
}
int CChartData::Start() const {
  return start_;
}
std::int64_t CChartData::Top() const {
  return top_;
}
std::int64_t CChartData::Bottom() const {
  return bottom_;
}
std::int64_t CChartData::VolumeTop() const {
  return volume_top_;
}
std::int64_t CChartData::PriceStep() const {
  return price_step_;
}
std::int64_t CChartData::VolumeStep() const {
  return volume_step_;
}
int CChartData::RateTop() const {
  return rate_top_;
}

double CChartData::PartialSum(int n) const {
  const int k = PeriodIndex(n);
  return k < 0 ? 0.0 : partial_sums_[k];
}

std::u16string CChartData::Type() const {
  return type_;
}
void CChartData::SetType(std::u16string type) {
  type_ = std::move(type);
}

bool CChartData::AverageOn(int n) const {
  const int k = PeriodIndex(n);
  return k >= 0 && average_on_[k];
}
void CChartData::SetAverageOn(int n, bool on) {
  const int k = PeriodIndex(n);
  if (k >= 0) average_on_[k] = on;
}

std::int32_t CChartData::ReferencePrice() const {
  return reference_price_;
}
void CChartData::SetReferencePrice(std::int32_t price) {
  reference_price_ = price;
}

}  // namespace velloran
