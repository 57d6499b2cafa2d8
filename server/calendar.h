#pragma once
// Dates and times of the demo market: the days of the civil calendar as
// numbers, the trading days (weekdays) before a date, and the texts the
// protocol uses (YYYYMMDD, hhmmss, YYYYMMDDhhmmss).

#include <string>
#include <vector>

namespace velloran::server {

// Days since 1970-01-01 of a YYYYMMDD date, and back.
int DaysFromDate(int yyyymmdd);
int DateFromDays(int days);
// 0 Sunday ... 6 Saturday.
int Weekday(int yyyymmdd);
[[nodiscard]] bool IsValidDate(int yyyymmdd);
// The date itself when it is a weekday, else the Friday before it.
int TradingDayOnOrBefore(int yyyymmdd);
// count trading days ending with date (a weekday), newest first.
std::vector<int> TradingDaysBack(int yyyymmdd, int count);

// Seconds of the day <-> hhmmss.
int SecondsFromHhmmss(int hhmmss);
int HhmmssFromSeconds(int seconds);

std::u16string DateText(int yyyymmdd);                          // "%08d"
std::u16string DateTimeText(int yyyymmdd, int seconds_of_day);  // YYYYMMDDhhmmss

// Today's date and the seconds of the day in Asia/Seoul (UTC+9, no daylight saving).
void SeoulNow(int& yyyymmdd, int& seconds_of_day);

}  // namespace velloran::server
