#pragma once
// The small texts and figures the chart panes and window show: two-digit
// fields, dates and clock times, and a price's rate against its base.

#include <cstdint>
#include <string>
#include <utility>

#include "chart/bar_store.h"
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

// The data tip of one bar: its date (and time, when given), open, high, low
// and close with their rate against the bar's base, and its volume.
inline std::u16string BarTipText(const TICK& bar, const std::u16string& time = {}) {
  std::u16string text = u"날짜 : " + DateText(bar.date);
  if (!time.empty()) text += u" " + time;
  text += u"\n";
  const std::pair<const char16_t*, std::int32_t> prices[] = {
      {u"시가", bar.open}, {u"고가", bar.high}, {u"저가", bar.low}, {u"종가", bar.close}};
  for (const auto& [name, price] : prices) {
    text += std::u16string(name) + u" : " + FormatNumber(price) + u" (" +
            FormatReal2(RateAgainst(price, bar.base)) + u"%)\n";
  }
  text += u"거래량 : " + FormatNumber(bar.volume) + u"\n";
  return text;
}

}  // namespace velloran::chart_text
