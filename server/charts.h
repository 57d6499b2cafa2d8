#pragma once
// The chart bars the demo server answers a 3011 request with, drawn from the
// same market as the quotes: day bars end with today's bar from today's quote
// and agree with the DAY50 of the hits; week and month bars add up the day
// bars; minute bars come from today's trades and, before today, from each
// past day's minute path (past_day.h).
//
// DATA lines, newest first: "date|time|open|high|low|close|volume".
//   "D"  time 0.
//   "J"  the week Monday to Friday; date its first trading day, time its ISO
//        8601 week as YYYYWW (202602: the second week of 2026), which the
//        chart labels "2026/02".
//   "M"  date the month's first trading day, time 0.
//   "J" and "M": the newest bar is the period of today made of its days
//        before today; the client adds today's quote to it when it installs
//        the reply. When today is the period's first day that bar has today's
//        date, today's prices so far and volume 0.
//   "m1" ... "m60": time hhmm00 of the bar's start T; the bar holds the
//        trades stamped in (T, T + span]. Today's bars run from the one of the
//        first trade to the one that holds now (a bar without trades stays at
//        the last close with volume 0); earlier days follow, 09:00 to 15:30.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/packet.h"
#include "server/market.h"

namespace velloran::server {

struct ChartBar {
  int date = 0, time = 0;
  int open = 0, high = 0, low = 0, close = 0;
  std::int64_t volume = 0;
  friend bool operator==(const ChartBar&, const ChartBar&) = default;
};

enum class ChartPeriod { kDay, kWeek, kMonth, kMinutes };

struct ChartKind {
  ChartPeriod period = ChartPeriod::kDay;
  int span_minutes = 0;  // minute charts only
};

// "D", "J", "M", "m1", "m3", "m5", "m10", "m30", "m60"; anything else none.
std::optional<ChartKind> ParseChartType(std::u16string_view tm);

// Bars asked for when a request has no CNT, and the most a request gets.
inline constexpr int kDefaultChartBars = 400;
inline constexpr int kMaxChartBars = 2000;

// Up to count bars of the stock, newest first.
std::vector<ChartBar> ChartBars(const Market& market, int index, ChartKind kind, int count);
std::u16string ChartLines(const std::vector<ChartBar>& bars);
// The ISO 8601 week of a date as YYYYWW.
int IsoWeek(int yyyymmdd);

// The answer to a 3011 request: STKCD and TM as asked (when they are plain
// codes), CHART_ID, DATA (encoded lines; empty for an unknown stock or type)
// and CPKT, the stock's quote now.
Packet ChartReply(const Market& market, const Packet& request);

}  // namespace velloran::server
