#include "chart/bar_store.h"

#include <gtest/gtest.h>

#include <string>

#include "net/quote.h"
#include "net/text_util.h"

namespace velloran {
namespace {

TICK MakeBar(std::int32_t date, std::int32_t close, std::int32_t high = 0, std::int32_t low = 0,
             std::int64_t volume = 100) {
  TICK t;
  t.date = date;
  t.open = close;
  t.close = close;
  t.high = high ? high : close;
  t.low = low ? low : close;
  t.base = close;
  t.volume = volume;
  return t;
}

// A store of n bars appended oldest last, bar i closing at close(i).
template <typename F>
void Fill(CChartData& store, int n, F close) {
  for (int i = 0; i < n; ++i) store.Append(MakeBar(20240101 + i, close(i)));
}

CPKT Quote(std::int32_t price, std::int32_t open, std::int32_t high, std::int32_t low,
           std::int32_t volume) {
  CPKT q;
  q.SetInt(static_cast<int>(QuoteField::kPrice), price);
  q.SetInt(static_cast<int>(QuoteField::kOpen), open);
  q.SetInt(static_cast<int>(QuoteField::kHigh), high);
  q.SetInt(static_cast<int>(QuoteField::kLow), low);
  q.SetInt(static_cast<int>(QuoteField::kVolume), volume);
  q.set_valid(true);
  return q;
}

TEST(BarStoreCreate, StartsEmptyAsADayChartWithFiveAndTwentyOn) {
  CChartData store(u"000000");
  EXPECT_EQ(store.code(), u"000000");
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.Type(), u"D");
  EXPECT_TRUE(store.AverageOn(5));
  EXPECT_FALSE(store.AverageOn(10));
  EXPECT_TRUE(store.AverageOn(20));
  EXPECT_FALSE(store.AverageOn(60));
  EXPECT_FALSE(store.AverageOn(120));
  EXPECT_FALSE(store.AverageOn(7));
  EXPECT_EQ(store.Bar(0), TICK{});
}

TEST(BarStoreRescale, WorkedFigures) {
  CChartData store(u"005930");
  store.Append(MakeBar(20240102, 12000, 12345, 11000));
  store.SetView(1, 0);
  // 12345 + 246 = 12591 -> 12600 (unit 50); spread 1600 -> step 200.
  EXPECT_EQ(store.PriceStep(), 200);
  EXPECT_EQ(store.Bottom(), 10800);
  EXPECT_EQ(store.Top(), 12800);
  EXPECT_EQ(store.RateTop(), 7);
  EXPECT_EQ(store.VolumeTop(), 100);
}

TEST(BarStoreRescale, HeadroomTieRoundsDown) {
  // 11790 + 235 = 12025, halfway between 12000 and 12050: down gives a spread
  // of 800 (step 100), up would give 850 (step 200).
  CChartData store(u"005930");
  store.Append(MakeBar(20240102, 11500, 11790, 11200));
  store.SetView(1, 0);
  EXPECT_EQ(store.PriceStep(), 100);
  EXPECT_EQ(store.Top(), 12100);
  EXPECT_EQ(store.Bottom(), 11100);
}

TEST(BarStoreRescale, SmallPricesUseUnitOneAndStepFive) {
  CChartData store(u"005930");
  store.Append(MakeBar(20240102, 500, 510, 490));
  store.SetView(1, 0);
  // 510 + 10 = 520, spread 30 -> step 5.
  EXPECT_EQ(store.PriceStep(), 5);
  EXPECT_EQ(store.Top(), 525);
  EXPECT_EQ(store.Bottom(), 485);
}

TEST(BarStoreRescale, VolumeSteps) {
  const std::pair<std::int64_t, std::int64_t> cases[] = {
      {7, 2},          {9, 2},
      {10, 5},         {11, 4},
      {25, 8},         {30, 10},
      {45, 15},        {60, 20},
      {75, 25},        {99, 25},
      {123456, 40000}, {760000, 250000},
      {1000, 500},     {3000000000LL, 1000000000LL}};
  for (const auto& [volume, step] : cases) {
    CChartData store(u"005930");
    store.Append(MakeBar(20240102, 1000, 1000, 1000, volume));
    store.SetView(1, 0);
    EXPECT_EQ(store.VolumeTop(), volume);
    EXPECT_EQ(store.VolumeStep(), step) << "volume top " << volume;
  }
}

TEST(BarStoreRescale, EndBelowStartSwapsAndKeepsTheScale) {
  CChartData store(u"005930");
  Fill(store, 10, [](int i) { return 1000 + 100 * i; });
  store.SetView(3, 0);
  const auto top = store.Top(), bottom = store.Bottom(), step = store.PriceStep();
  store.SetView(2, 8);
  EXPECT_EQ(store.End(), 8);
  EXPECT_EQ(store.Start(), 2);
  EXPECT_EQ(store.Top(), top);
  EXPECT_EQ(store.Bottom(), bottom);
  EXPECT_EQ(store.PriceStep(), step);
}

TEST(BarStoreRescale, HiddenNewestBarsAndEndPastTheBarsAreLeftOut) {
  CChartData store(u"005930");
  store.Append(MakeBar(20240105, 90000, 90000, 90000, 9999999));  // newest, hidden
  store.Append(MakeBar(20240104, 12000, 12345, 11000));
  store.Append(MakeBar(20240103, 11500));
  store.SetView(50, 1);
  EXPECT_EQ(store.End(), 3) << "end is cut to the bar count";
  EXPECT_EQ(store.Top(), 12800);
  EXPECT_EQ(store.Bottom(), 10800);
  EXPECT_EQ(store.VolumeTop(), 100);
  store.SetView(3, 0);
  EXPECT_GT(store.Top(), 90000);
  EXPECT_EQ(store.VolumeTop(), 9999999);
}

TEST(BarStoreRescale, NegativeViewBoundsReadNoBarsOutsideTheStore) {
  CChartData store(u"005930");
  Fill(store, 3, [](int) { return 5000; });
  store.SetView(2, -4);
  EXPECT_EQ(store.Start(), 0);
  EXPECT_EQ(store.End(), 2);
  CChartData empty(u"005930");
  empty.SetView(10, 0);
  EXPECT_EQ(empty.End(), 0);
  EXPECT_EQ(empty.VolumeTop(), 1);
  EXPECT_EQ(empty.VolumeStep(), 2);
}

TEST(BarStoreRescale, AveragesWidenOnlyWhenTheirFlagIsOn) {
  CChartData store(u"005930");
  // 21 bars: the newest at 10000, the older ones at 20000, so the newest
  // bar's 20-average (19500) and 5-average (18000) stand far above it.
  store.Append(MakeBar(20240201, 10000));
  Fill(store, 20, [](int) { return 20000; });
  store.ComputeAverages();
  store.SetAverageOn(5, false);
  store.SetAverageOn(20, false);
  store.SetView(1, 0);
  const auto plain_top = store.Top();
  EXPECT_LT(plain_top, 11000);
  store.SetAverageOn(20, true);
  store.SetView(1, 0);
  EXPECT_GT(store.Top(), 19500);
  EXPECT_LT(store.Top(), 20500);
  store.SetAverageOn(20, false);
  store.SetAverageOn(10, true);
  store.SetView(1, 0);
  EXPECT_GT(store.Top(), 19000);  // the 10-average is 19000
}

TEST(BarStoreRescale, ReferencePriceAndRateTop) {
  CChartData store(u"005930");
  TICK newest = MakeBar(20240103, 1100, 1100, 1000);
  newest.base = 1000;
  newest.high_rate = 10.0;  // whole part 10, + 1 = 11 (odd)
  newest.low_rate = -11.5;  // whole part 11, + 1 = 12, even -> 13
  store.Append(newest);
  store.SetView(1, 0);
  EXPECT_EQ(store.RateTop(), 13);
  const auto top = store.Top();
  store.SetReferencePrice(5000);
  store.SetView(1, 0);
  EXPECT_GT(store.Top(), top);
  EXPECT_GE(store.Top(), 5000);
  store.SetReferencePrice(100);
  store.SetView(1, 0);
  EXPECT_LE(store.Bottom(), 100);
}

TEST(BarStoreInsert, InsertNewestWidensAndAppendGoesBehind) {
  CChartData store(u"005930");
  store.Append(MakeBar(20240102, 1000));
  store.SetView(1, 0);
  const auto top = store.Top();
  store.InsertNewest(MakeBar(20240103, 9000, 99999, 10, 777777));
  store.Append(MakeBar(20240101, 500));
  ASSERT_EQ(store.Count(), 3);
  EXPECT_EQ(store.Bar(0).date, 20240103);
  EXPECT_EQ(store.Bar(2).date, 20240101);
  EXPECT_EQ(store.Top(), 99999);
  EXPECT_GT(99999, top);
  EXPECT_EQ(store.Bottom(), 10);
  EXPECT_EQ(store.VolumeTop(), 777777);
}

// Averages: a bar has an n-average only with at least n older bars behind it.
class BarStoreAverages : public ::testing::TestWithParam<int> {};

TEST_P(BarStoreAverages, DefinedOnlyWithNOlderBars) {
  const int count = GetParam();
  CChartData store(u"005930");
  Fill(store, count, [](int i) { return 1000 + 7 * i; });  // bar i closes at 1000 + 7i
  store.ComputeAverages();
  for (int i = 0; i < count; ++i) {
    const TICK bar = store.Bar(i);
    const int older = count - 1 - i;
    for (int n : CChartData::kPeriods) {
      const double got = n == 5    ? bar.ma5
                         : n == 10 ? bar.ma10
                         : n == 20 ? bar.ma20
                         : n == 60 ? bar.ma60
                                   : bar.ma120;
      if (older < n) {
        EXPECT_EQ(got, 0.0) << "bar " << i << " of " << count << " n " << n;
      } else {
        // The mean of bars i .. i+n-1: 1000 + 7 * (i + (n - 1) / 2).
        EXPECT_DOUBLE_EQ(got, 1000 + 7 * (i + (n - 1) / 2.0)) << "bar " << i << " n " << n;
      }
    }
  }
  // Partial sums: the closes of bars 1 .. n-1 (fewer when the store is short).
  for (int n : CChartData::kPeriods) {
    double sum = 0;
    for (int i = 1; i < std::min(n, count); ++i) sum += 1000 + 7 * i;
    EXPECT_DOUBLE_EQ(store.PartialSum(n), sum) << "n " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Series, BarStoreAverages,
                         ::testing::Values(1, 5, 6, 20, 21, 60, 61, 120, 121));

TEST(BarStoreAveragesEdge, EmptyStoreHasZeroPartialSums) {
  CChartData store(u"005930");
  store.ComputeAverages();
  EXPECT_EQ(store.PartialSum(5), 0.0);
  EXPECT_EQ(store.PartialSum(3), 0.0);
}

TEST(BarStoreParse, ChartDataLinesBasesAndRates) {
  CChartData store(u"005930");
  store.Append(MakeBar(1, 1));
  store.ParseChartData(
      u"20240105|0|10200|10500|10000|10400|5000\n"
      u"\n"
      u"1000|skipped as a header\n"
      u"20240104|0|9900|10100|9800|10000|4000\n"
      u"20240103|93000|9800|9900|9700|9800|3000\n");
  ASSERT_EQ(store.Count(), 3);
  const TICK newest = store.Bar(0);
  EXPECT_EQ(newest.date, 20240105);
  EXPECT_EQ(newest.open, 10200);
  EXPECT_EQ(newest.high, 10500);
  EXPECT_EQ(newest.low, 10000);
  EXPECT_EQ(newest.close, 10400);
  EXPECT_EQ(newest.volume, 5000);
  EXPECT_EQ(newest.base, 10000);
  EXPECT_DOUBLE_EQ(newest.high_rate, 5.0);
  EXPECT_DOUBLE_EQ(newest.low_rate, 0.0);
  EXPECT_EQ(store.Bar(1).base, 9800);
  EXPECT_DOUBLE_EQ(store.Bar(1).low_rate, 0.0);
  EXPECT_NEAR(store.Bar(1).high_rate, 300.0 / 98.0, 1e-12);
  const TICK oldest = store.Bar(2);
  EXPECT_EQ(oldest.time, 93000);
  EXPECT_EQ(oldest.base, 9800) << "the oldest bar's base is its own close";
  EXPECT_EQ(oldest.high_rate, 0.0);
  // A month's volume past 2^31 keeps its value.
  store.ParseChartData(u"20240102|0|100|120|90|110|3456789012\n");
  EXPECT_EQ(store.Bar(0).volume, 3456789012);
  // A volume past any stock's is held where sums and the axis stay in range.
  store.ParseChartData(u"20240102|0|100|120|90|110|99999999999999999999\n");
  EXPECT_EQ(store.Bar(0).volume, 1'000'000'000'000'000);
}

TEST(BarStoreParse, ChartDataBrokenLinesGiveNoCrashAndNoInfiniteRates) {
  CChartData store(u"005930");
  store.ParseChartData(u"20240105|0|1|2|3\n20240104|0|0|0|0|0|0\n|||\nabc|1|2\n1001");
  ASSERT_EQ(store.Count(), 3);
  EXPECT_EQ(store.Bar(0).close, 0);
  EXPECT_EQ(store.Bar(0).high_rate, 0.0) << "a base of 0 gives no rate";
  EXPECT_EQ(store.Bar(2).date, 1001);
  store.SetView(3, 0);
  EXPECT_EQ(store.RateTop(), 7);
  // A base of 1 under a price near the int limit: the rate top stays odd
  // and in range.
  store.ParseChartData(u"20240105|0|1|2147483647|1|1|1\n20240104|0|1|1|1|1|1");
  store.SetView(2, 0);
  EXPECT_EQ(store.RateTop(), 2147483647);
  store.ParseChartData(u"");
  EXPECT_EQ(store.Count(), 0);
}

TEST(BarStoreParse, DayBarsSkipShortLinesFillOpenAndShowTwenty) {
  std::u16string text = u"12345\n20240130|0|0|0|7000|900\n";
  for (int i = 29; i >= 1; --i) {
    text += u"202401" + FormatInt(i).insert(0, i < 10 ? u"0" : u"") + u"|6000|6100|5900|6000|100\n";
  }
  CChartData store(u"005930");
  store.ParseDayBars(text);
  ASSERT_EQ(store.Count(), 30);
  const TICK newest = store.Bar(0);
  EXPECT_EQ(newest.date, 20240130);
  EXPECT_EQ(newest.time, 0);
  EXPECT_EQ(newest.open, 7000);
  EXPECT_EQ(newest.high, 7000);
  EXPECT_EQ(newest.low, 7000);
  EXPECT_EQ(newest.volume, 900);
  EXPECT_EQ(newest.base, 6000);
  EXPECT_EQ(store.Bar(29).base, 6000);
  EXPECT_EQ(store.End(), 20);
  EXPECT_EQ(store.Start(), 0);
  EXPECT_DOUBLE_EQ(newest.ma5, (7000 + 4 * 6000) / 5.0) << "averages are computed";

  store.ParseDayBars(u"20240102|1|1|1|1|2500000000\n");
  EXPECT_EQ(store.Count(), 1);
  EXPECT_EQ(store.Bar(0).volume, 2500000000);
  EXPECT_EQ(store.End(), 1);
}

TEST(BarStoreReference, BarPastTheEndOrTheOldest) {
  CChartData store(u"005930");
  TICK out;
  EXPECT_FALSE(store.ReferenceBar(out));
  Fill(store, 10, [](int i) { return 1000 + i; });
  store.SetView(5, 0);
  ASSERT_TRUE(store.ReferenceBar(out));
  EXPECT_EQ(out.close, 1006);
  store.SetView(9, 0);
  ASSERT_TRUE(store.ReferenceBar(out));
  EXPECT_EQ(out.close, 1009) << "past the last bar gives the oldest";
  store.SetView(150000, 200000);  // swapped, so the end is kept as given
  EXPECT_FALSE(store.ReferenceBar(out)) << "end + 1 beyond 100000";
}

TEST(BarStoreMerge, TodaysBarTakesTheQuoteFromNineOClock) {
  CChartData store(u"005930");
  store.Append(MakeBar(20240105, 10000));
  store.Append(MakeBar(20240104, 9500));
  store.SetView(2, 0);
  ASSERT_EQ(store.Top(), 10300);
  TICK today = store.Bar(0);
  today.base = 9500;
  store.SetBar(0, today);

  store.MergeDayQuote(Quote(10100, 9900, 10150, 9850, 5000), 20240105, 8);
  EXPECT_EQ(store.Bar(0).close, 10000) << "before 9 o'clock the bar is kept";

  store.MergeDayQuote(Quote(10100, 9900, 10150, 9850, 5000), 20240105, 9);
  TICK bar = store.Bar(0);
  EXPECT_EQ(bar.open, 9900);
  EXPECT_EQ(bar.high, 10150);
  EXPECT_EQ(bar.low, 9850);
  EXPECT_EQ(bar.close, 10100);
  EXPECT_EQ(bar.volume, 5000);
  EXPECT_NEAR(bar.high_rate, 650.0 * 100 / 9500, 1e-9);
  EXPECT_EQ(store.Count(), 2);
  EXPECT_EQ(store.Top(), 10300) << "inside the scale: no rescale";

  store.MergeDayQuote(Quote(12000, 0, 0, 0, 6000), 20240105, 15);
  bar = store.Bar(0);
  EXPECT_EQ(bar.open, 12000) << "an open of 0 makes open, high and low the close";
  EXPECT_EQ(bar.high, 12000);
  EXPECT_EQ(bar.low, 12000);
  EXPECT_GT(store.Top(), 12000) << "leaving the scale rescales";
}

TEST(BarStoreMerge, EarlierNewestBarGetsANewBarForTheTradingDate) {
  CChartData store(u"005930");
  Fill(store, 6, [](int) { return 10000; });  // newest dated 20240101
  store.ComputeAverages();
  store.SetView(6, 0);
  store.MergeDayQuote(Quote(10600, 10000, 0, 9900, 1234), 20240110, 3);
  ASSERT_EQ(store.Count(), 7);
  const TICK bar = store.Bar(0);
  EXPECT_EQ(bar.date, 20240110);
  EXPECT_EQ(bar.open, 10000);
  EXPECT_EQ(bar.high, 10600) << "a 0 field takes the close";
  EXPECT_EQ(bar.low, 9900);
  EXPECT_EQ(bar.close, 10600);
  EXPECT_EQ(bar.volume, 1234);
  EXPECT_EQ(bar.base, 10000);
  EXPECT_DOUBLE_EQ(bar.ma5, (10600 + 4 * 10000) / 5.0);
  EXPECT_DOUBLE_EQ(store.PartialSum(5), 40000);
  EXPECT_GT(store.Top(), 10600);
  EXPECT_EQ(store.Bar(1).date, 20240101);
}

TEST(BarStoreMerge, OnlyDayChartsWithBarsAndAPrice) {
  CChartData store(u"005930");
  store.MergeDayQuote(Quote(10000, 1, 1, 1, 1), 20240105, 10);
  EXPECT_EQ(store.Count(), 0);
  store.Append(MakeBar(20240101, 10000));
  store.SetType(u"J");
  store.MergeDayQuote(Quote(11000, 1, 1, 1, 1), 20240105, 10);
  EXPECT_EQ(store.Count(), 1);
  store.SetType(u"D");
  store.MergeDayQuote(Quote(0, 0, 0, 0, 0), 20240105, 10);
  EXPECT_EQ(store.Count(), 1) << "a quote without a price adds no bar at 0";
  store.MergeDayQuote(Quote(11000, 1, 1, 1, 1), 20231231, 10);
  EXPECT_EQ(store.Count(), 1) << "a trading date before the newest bar changes nothing";
  EXPECT_EQ(store.Bar(0).close, 10000);
}

// The concurrency case went to tests/app/worker_test.cpp, where a record's
// bars are shared.

}  // namespace
}  // namespace velloran
