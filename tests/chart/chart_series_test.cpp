// A chart's bars without a window: live trades merged by chart type, what
// each merge says it changed, and the replies taken for the requests sent.

#include "chart/chart_series.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "tests/chart/bar_lines.h"

namespace velloran {
namespace {

struct BarPrices {
  std::int32_t time, open, high, low, close;
  std::int64_t volume;
  friend bool operator==(const BarPrices&, const BarPrices&) = default;
};
BarPrices Prices(const TICK& t) { return {t.time, t.open, t.high, t.low, t.close, t.volume}; }

using namespace testing_bars;
using namespace std::chrono;
using Change = CChartSeries::Change;

class ChartSeriesTest : public ::testing::Test {
 protected:
  void SetUp() override { series.SetCode(u"005930"); }

  // A live trade: taken as the current quote and merged.
  unsigned Trade(const std::u16string& quote_text, bool live = true) {
    CPKT q;
    EXPECT_TRUE(q.Parse(quote_text));
    series.TakeQuote(q, session);
    return series.MergeTrade(live, session);
  }

  ChartSession session{.server_hour = 10};
  CChartSeries series;
};

TEST_F(ChartSeriesTest, MinuteTicksFillGapsWithFlatBarsWhileTheMarketIsOpen) {
  session.trading_date = 20250314;
  session.market_open = true;
  series.SetType(u"m3");
  EXPECT_EQ(series.visible_end(), 400);
  std::vector<BarLine> bars;
  for (int i = 0; i < 20; ++i) {
    const int minutes = 9 * 60 + 30 - 3 * i;
    bars.push_back(
        {20250314, minutes / 60 * 10000 + minutes % 60 * 100, 1000, 1010, 990, 1000 + i, 50});
  }
  // The reply's quote is a trade the newest bar already holds: its volume
  // is not added again.
  EXPECT_EQ(series.InstallReply(DataText(bars),
                                QuoteText(93040, 2, 10, 1000, 1000, 1100, 990, 7, 9000), session),
            Change::kWholeSeries);
  EXPECT_EQ(series.data().Bar(0).volume, 50);
  const std::vector<TICK> before = series.data().Bars();
  const auto tick = [&](std::int32_t time, std::int32_t price) {
    return Trade(QuoteText(time, 2, 10, price, 1000, 1100, 990, 7, 9000));
  };

  // At or before the newest bar's start: nothing changes.
  EXPECT_EQ(tick(93000, 1050), Change::kNoChange);
  EXPECT_EQ(tick(92500, 1050), Change::kNoChange);
  EXPECT_EQ(series.data().Bars(), before);

  // Closed market: nothing either.
  session.market_open = false;
  EXPECT_EQ(tick(93700, 1050), Change::kNoChange);
  EXPECT_EQ(series.data().Bars(), before);
  session.market_open = true;

  // 7 minutes after a 09:30 start: a flat 09:33 bar and a 09:36 bar that
  // takes the tick.
  EXPECT_EQ(tick(93700, 1050), Change::kNewBars | Change::kNewestBar);
  ASSERT_EQ(series.data().Count(), 22);
  EXPECT_EQ(series.data().End(), 22);  // the view, not full, shows every bar still
  // time, open, high, low, close, volume
  EXPECT_EQ(Prices(series.data().Bar(1)), (BarPrices{93300, 1000, 1000, 1000, 1000, 0}));
  EXPECT_EQ(series.data().Bar(1).base, 1000);
  EXPECT_EQ(Prices(series.data().Bar(0)), (BarPrices{93600, 1000, 1050, 1000, 1050, 7}));
  EXPECT_EQ(series.data().Bar(2).time, 93000);
  // Another trade at that price within the bar: its volume only.
  EXPECT_EQ(tick(93710, 1050), Change::kNewestVolume);
  EXPECT_EQ(series.data().Bar(0).volume, 14);

  // A bar of an earlier day while the market is open asks for data again,
  // unless a request already waits.
  session.trading_date = 20250317;
  EXPECT_EQ(tick(93800, 1060), Change::kAskAgain);
  EXPECT_EQ(series.data().Count(), 22);
  series.Sent(session.connection, CChartSeries::kFullCount);
  EXPECT_EQ(tick(93800, 1060), Change::kNoChange);
  // Before the dates are known nothing is stale.
  session.trading_date = 0;
  ++session.connection;
  EXPECT_EQ(tick(93800, 1060), Change::kNoChange);
}

TEST_F(ChartSeriesTest, DayTicksUpdateTheNewestBarAndStartOneOnlyOnALaterDate) {
  series.SetType(u"D");
  series.InstallReply(DataText(DayWalk(30, sys_days{2025y / March / 14}, 10000)), u"", session);
  const auto tick = [&](int sign, std::int32_t change, std::int32_t price, std::int32_t open,
                        std::int32_t volume = 777777) {
    return Trade(QuoteText(100000, sign, change, price, open, price + 50, price - 50, 3, volume));
  };
  // Before the server sent its dates: no new bar.
  session.trading_date = 0;
  EXPECT_EQ(tick(2, 100, 10400, 10300), Change::kNoChange);
  EXPECT_EQ(series.data().Count(), 30);
  // The newest bar's own date: updated in place.
  session.trading_date = 20250314;
  EXPECT_EQ(tick(2, 100, 10400, 10300), Change::kNewestBar | Change::kNewestVolume);
  TICK bar = series.data().Bar(0);
  EXPECT_EQ(series.data().Count(), 30);
  EXPECT_EQ(bar.close, 10400);
  EXPECT_EQ(bar.base, 10300);
  EXPECT_EQ(bar.volume, 777777);
  EXPECT_NEAR(bar.high_rate, 150.0 * 100 / 10300, 1e-9);
  EXPECT_EQ(tick(5, 100, 10400, 0), Change::kNewestVolume);  // no trade yet
  bar = series.data().Bar(0);
  EXPECT_EQ(bar.base, 10500);
  EXPECT_EQ(bar.open, 10400);
  EXPECT_EQ(bar.volume, 1);
  // A change no price can have leaves the base as it was.
  tick(2, std::numeric_limits<std::int32_t>::min(), 10400, 10300);
  EXPECT_EQ(series.data().Bar(0).base, 10500);
  // A later trading date: one new bar.
  session.trading_date = 20250317;
  EXPECT_EQ(tick(2, 100, 10450, 10400), Change::kNewBars | Change::kNewestBar);
  EXPECT_EQ(series.data().Count(), 31);
  EXPECT_EQ(series.data().Bar(0).date, 20250317);
  EXPECT_EQ(series.data().Bar(0).close, 10450);
  // Trades at the same price past the volume scale raise it: the day's bar
  // is not cut at the pane's top.
  const std::int64_t grown = series.data().VolumeTop() * 3;
  EXPECT_EQ(tick(2, 100, 10450, 10400, static_cast<std::int32_t>(grown)),
            Change::kNewestVolume);
  EXPECT_EQ(series.data().Bar(0).volume, grown);
  EXPECT_GE(series.data().VolumeTop(), grown);

  // Week bars absorb the trade volume when live, the day's volume otherwise.
  series.ChangeType(u"J");
  const std::int64_t volume = series.data().Bar(0).volume;
  EXPECT_EQ(tick(2, 100, 10460, 10400), Change::kNewestBar);
  EXPECT_EQ(series.data().Bar(0).volume, volume + 3);
  series.MergeTrade(false, session);
  EXPECT_EQ(series.data().Bar(0).volume, volume + 3 + 777777);
  EXPECT_EQ(series.data().Bar(0).close, 10460);
  // A trading date of the next week (or month) is not merged into the week
  // (or month) bar before it: the chart asks again.
  session.trading_date = 20250323;  // still that week's Sunday
  EXPECT_EQ(tick(2, 100, 10470, 10400), Change::kNewestBar);
  session.trading_date = 20250324;
  EXPECT_EQ(tick(2, 100, 10480, 10400), Change::kAskAgain);
  EXPECT_EQ(series.data().Bar(0).close, 10470);
  series.ChangeType(u"M");
  EXPECT_EQ(tick(2, 100, 10490, 10400), Change::kNewestBar);
  session.trading_date = 20250401;
  EXPECT_EQ(tick(2, 100, 10500, 10400), Change::kAskAgain);
  EXPECT_EQ(series.data().Bar(0).close, 10490);
}

TEST_F(ChartSeriesTest, RepliesAreTakenOnlyForTheNewestRequestOfTheShownStock) {
  const std::uint64_t first = 1;
  series.SetType(u"D");
  series.Sent(first, CChartSeries::kFullCount);
  series.SetCode(u"000660");
  series.Sent(first, 400);
  EXPECT_TRUE(series.RequestPending(first));
  // Without an echo, replies answer the requests in order; the newest
  // gives the bars it asked for.
  EXPECT_EQ(series.AcceptReply(u"", u"", first), 0);
  EXPECT_EQ(series.AcceptReply(u"", u"", first), 400);
  EXPECT_FALSE(series.RequestPending(first));
  EXPECT_EQ(series.AcceptReply(u"", u"", first), 0);  // nothing was asked
  // With an echo, the reply names its request, even when the reply to an
  // earlier one was lost.
  series.Sent(first, CChartSeries::kFullCount);
  series.SetCode(u"035720");
  series.Sent(first, CChartSeries::kFullCount);
  EXPECT_EQ(series.AcceptReply(u"035720", u"D", first), CChartSeries::kFullCount);
  EXPECT_FALSE(series.RequestPending(first));
  series.Sent(first, CChartSeries::kFullCount);
  series.SetCode(u"000660");
  series.Sent(first, CChartSeries::kFullCount);
  EXPECT_EQ(series.AcceptReply(u"035720", u"", first), 0);
  EXPECT_EQ(series.AcceptReply(u"000660", u"", first), CChartSeries::kFullCount);
  // Requests sent before a reconnection are not waited for.
  series.Sent(first, CChartSeries::kFullCount);
  EXPECT_FALSE(series.RequestPending(first + 1));
  EXPECT_EQ(series.AcceptReply(u"", u"", first + 1), 0);
  // A server that never answers keeps the list short.
  for (std::size_t i = 0; i < 3 * CChartSeries::kMaxPending; ++i) series.Sent(first, 1);
  for (std::size_t i = 1; i < CChartSeries::kMaxPending; ++i)
    EXPECT_EQ(series.AcceptReply(u"", u"", first), 0);
  EXPECT_EQ(series.AcceptReply(u"", u"", first), 1);
}

}  // namespace
}  // namespace velloran
