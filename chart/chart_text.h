#pragma once
// The small texts and figures the chart panes and window show: two-digit
// fields, dates and clock times, and a price's rate against its base.

#include <cstdint>
#include <string>

#include "net/text_util.h"

namespace velloran::chart_text {

// "%02d".
inline std::u16string TwoDigits(int v) {
  return v >= 0 && v < 10 ? u"0" + FormatInt(v) : FormatInt(v);
}

// YYYY/MM/DD of a YYYYMMDD date.
inline std::u16string DateText(std::int32_t date) {
  return FormatInt(date / 10000) + u"/" + TwoDigits(date / 100 % 100) + u"/" +
         TwoDigits(date % 100);
}

// MM/DD of a YYYYMMDD date.
inline std::u16string MonthDayText(std::int32_t date) {
  return TwoDigits(date / 100 % 100) + u"/" + TwoDigits(date % 100);
}

// HH:MM of an hhmmss time.
inline std::u16string ClockText(std::int32_t time) {
  const std::u16string t = FormatInt06(time);
  return t.substr(0, 2) + u":" + t.substr(2, 2);
}

// (price - base) x 100 / base; 0 for a bar without a base.
inline double RateAgainst(std::int32_t price, std::int32_t base) {
  return base == 0 ? 0.0 : (static_cast<double>(price) - base) * 100.0 / base;
}

}  // namespace velloran::chart_text
