// The day's alarms kept across a restart: the same trading day comes back
// with what was acknowledged, another day and damage give an empty day.

#include "app/alarm_day_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace velloran {
namespace {

std::vector<ReachedAlarm> Day() {
  return {
      {u"005930", u"삼성전자", 71000, 71200, 93512, 20261210, true, 1},
      {u"000660", u"SK\t하이닉스", 150000, 149500, 101500, 20261210, false, 2},
      {u"035720", u"카카오", 40000, 40100, 153000, 20261209, false, 3},  // the day before
  };
}

TEST(AlarmDayFileTest, TheSameDayComesBackAndNoOtherDoes) {
  const auto path = std::filesystem::path(::testing::TempDir()) / "alarms_round_trip.day";
  ASSERT_TRUE(SaveAlarmDay(path, 20261210, Day()));
  const std::vector<ReachedAlarm> back = LoadAlarmDay(path, 20261210);
  ASSERT_EQ(back.size(), 2u);  // the other date's alarm is not kept
  EXPECT_EQ(back[0].code, u"005930");
  EXPECT_EQ(back[0].name, u"삼성전자");
  EXPECT_EQ(back[0].alarm_price, 71000);
  EXPECT_EQ(back[0].price_now, 71200);
  EXPECT_EQ(back[0].time, 93512);
  EXPECT_EQ(back[0].date, 20261210);
  EXPECT_TRUE(back[0].acknowledged);
  EXPECT_EQ(back[1].name, u"SK 하이닉스");  // a tab would split the line
  EXPECT_FALSE(back[1].acknowledged);
  EXPECT_TRUE(LoadAlarmDay(path, 20261211).empty());
  EXPECT_TRUE(LoadAlarmDay(path.string() + ".missing", 20261210).empty());
  std::filesystem::remove(path);
}

TEST(AlarmDayFileTest, DamageLosesOnlyTheDamagedLines) {
  const std::string head = "velloran-alarm-day 1 20261210\n";
  const std::string good = "93512\t71000\t71200\t1\t005930\t삼성전자\n";
  const struct {
    std::string bytes;
    std::size_t kept;
  } cases[] = {
      {head + good, 1},
      {head + good + "93512\t71000\t71200\t1\t005930\n", 1},              // a field short
      {head + "x\t71000\t71200\t1\t005930\tA\n" + good, 1},              // not a time
      {head + "93512\t0\t71200\t1\t005930\tA\n" + good, 1},              // no alarm price
      {head + "93512\t71000\t71200\t2\t005930\tA\n", 0},                 // no such state
      {head + "93512\t99999999999\t1\t0\t005930\tA\n", 0},               // out of range
      {head + "93512\t71000\t71200\t0\t\tA\n", 0},                       // no code
      {head + "93512\t71000\t71200\t0\t00\xDC\xFF\x39\x33\x30\tA\n", 0}, // not a code
      {head + good + "93512\t71000\t71200\t0\t00", 1},                   // cut short
      {"velloran-alarm-day 1 2026121\n" + good, 0},                      // another date
      {"velloran-alarm-day 2 20261210\n" + good, 0},                     // another format
      {"\xFF\xFE\x00garbage", 0},
      {"", 0},
      {head, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeAlarmDay(c.bytes, 20261210).size(), c.kept) << c.bytes;
  EXPECT_TRUE(DecodeAlarmDay(head + good, 0).empty());  // the date is not known yet
}

}  // namespace
}  // namespace velloran
