#include "server/calendar.h"

#include <chrono>
#include <cstdio>

#include "net/text_util.h"

namespace velloran::server {

// Civil-calendar conversions after H. Hinnant's days_from_civil algorithm.
int DaysFromDate(int yyyymmdd) {
  int y = yyyymmdd / 10000;
  const int m = yyyymmdd / 100 % 100;
  const int d = yyyymmdd % 100;
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DateFromDays(int days) {
  const int z = days + 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp < 10 ? mp + 3 : mp - 9;
  const int y = yoe + era * 400 + (m <= 2);
  return y * 10000 + m * 100 + d;
}

int Weekday(int yyyymmdd) {
  const int days = DaysFromDate(yyyymmdd);
  return ((days % 7) + 11) % 7;  // 1970-01-01 was a Thursday
}

bool IsValidDate(int yyyymmdd) {
  if (yyyymmdd < 19700101 || yyyymmdd > 99991231) return false;
  return DateFromDays(DaysFromDate(yyyymmdd)) == yyyymmdd;
}

int TradingDayOnOrBefore(int yyyymmdd) {
  int days = DaysFromDate(yyyymmdd);
  while (Weekday(DateFromDays(days)) == 0 || Weekday(DateFromDays(days)) == 6) --days;
  return DateFromDays(days);
}

std::vector<int> TradingDaysBack(int yyyymmdd, int count) {
  std::vector<int> out;
  out.reserve(count);
  int days = DaysFromDate(TradingDayOnOrBefore(yyyymmdd));
  while (static_cast<int>(out.size()) < count) {
    const int date = DateFromDays(days--);
    const int wd = Weekday(date);
    if (wd != 0 && wd != 6) out.push_back(date);
  }
  return out;
}

int SecondsFromHhmmss(int hhmmss) {
  return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}

int HhmmssFromSeconds(int seconds) {
  return seconds / 3600 * 10000 + seconds / 60 % 60 * 100 + seconds % 60;
}

std::u16string DateText(int yyyymmdd) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08d", yyyymmdd);
  return Widen(buf);
}

std::u16string DateTimeText(int yyyymmdd, int seconds_of_day) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%08d%06d", yyyymmdd, HhmmssFromSeconds(seconds_of_day));
  return Widen(buf);
}

void SeoulNow(int& yyyymmdd, int& seconds_of_day) {
  using namespace std::chrono;
  const auto seoul = system_clock::now() + hours(9);
  const auto days = floor<std::chrono::days>(seoul);
  yyyymmdd = DateFromDays(static_cast<int>(days.time_since_epoch().count()));
  seconds_of_day = static_cast<int>(duration_cast<seconds>(seoul - days).count());
}

}  // namespace velloran::server
