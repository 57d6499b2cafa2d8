#include <gtest/gtest.h>

#include "server/calendar.h"
#include "server/tick_size.h"

namespace velloran::server {
namespace {

TEST(TickSizeTest, BandsByMarketAndEtf) {
  EXPECT_EQ(TickSize(999, 1, false), 1);
  EXPECT_EQ(TickSize(1000, 1, false), 5);
  EXPECT_EQ(TickSize(4999, 2, false), 5);
  EXPECT_EQ(TickSize(5000, 2, false), 10);
  EXPECT_EQ(TickSize(10000, 1, false), 50);
  EXPECT_EQ(TickSize(50000, 1, false), 100);
  EXPECT_EQ(TickSize(100000, 1, false), 500);
  EXPECT_EQ(TickSize(500000, 1, false), 1000);
  // KOSDAQ has no two highest bands.
  EXPECT_EQ(TickSize(600000, 2, false), 100);
  EXPECT_EQ(TickSize(600000, 1, true), 5);
  EXPECT_EQ(TickSize(1234, 0, false), 5);
}

TEST(TickSizeTest, MovesAlongTheGridAcrossBandBoundaries) {
  EXPECT_EQ(TickUp(4995, 1, false), 5000);
  EXPECT_EQ(TickDown(5000, 1, false), 4995);  // the lower band's step
  EXPECT_EQ(TickDown(100000, 1, false), 99900);
  EXPECT_EQ(TickDown(1, 1, false), 1);
  EXPECT_EQ(FloorToTick(5003, 1, false), 5000);
  EXPECT_EQ(CeilToTick(5003, 1, false), 5010);
  EXPECT_EQ(RoundToTick(4999.7, 1, false), 5000);
  EXPECT_EQ(RoundToTick(12374.0, 2, false), 12350);
  EXPECT_EQ(RoundToTick(-5.0, 1, false), 1);
  for (int p = 1; p < 700000; p += 37) {
    const int r = RoundToTick(p, 1, false);
    EXPECT_TRUE(OnTickGrid(r, 1, false)) << p;
    EXPECT_TRUE(OnTickGrid(TickUp(r, 1, false), 1, false)) << p;
    EXPECT_TRUE(OnTickGrid(TickDown(r, 1, false), 1, false)) << p;
  }
}

TEST(CalendarTest, DatesWeekdaysAndTradingDays) {
  EXPECT_EQ(DateFromDays(DaysFromDate(20240229)), 20240229);
  EXPECT_EQ(DaysFromDate(19700101), 0);
  EXPECT_EQ(Weekday(20260105), 1);  // a Monday
  EXPECT_FALSE(IsValidDate(20230229));
  EXPECT_FALSE(IsValidDate(20261301));
  EXPECT_EQ(TradingDayOnOrBefore(20260104), 20260102);  // Sunday -> Friday
  const std::vector<int> days = TradingDaysBack(20260106, 4);
  EXPECT_EQ(days, (std::vector<int>{20260106, 20260105, 20260102, 20260101}));
  EXPECT_EQ(HhmmssFromSeconds(SecondsFromHhmmss(153000)), 153000);
  EXPECT_EQ(DateTimeText(20260105, 9 * 3600 + 5), u"20260105090005");
}

}  // namespace
}  // namespace velloran::server
