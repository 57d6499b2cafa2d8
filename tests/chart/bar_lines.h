#pragma once
// Chart reply texts for tests and benchmarks: bars as a server sends them
// (newest first, date|time|open|high|low|close|volume), from a seeded walk
// or written out bar by bar.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "net/text_util.h"

namespace velloran::testing_bars {

struct BarLine {
  std::int32_t date = 0;
  std::int32_t time = 0;
  std::int32_t open = 0;
  std::int32_t high = 0;
  std::int32_t low = 0;
  std::int32_t close = 0;
  std::int64_t volume = 0;
};

inline std::int32_t DateOf(std::chrono::sys_days day) {
  const std::chrono::year_month_day ymd(day);
  return static_cast<int>(ymd.year()) * 10000 + static_cast<int>(unsigned(ymd.month())) * 100 +
         static_cast<int>(unsigned(ymd.day()));
}

// count weekday bars ending on newest (a weekday), newest first, as a seeded
// walk around start_price.
inline std::vector<BarLine> DayWalk(int count, std::chrono::sys_days newest, int start_price,
                                    unsigned seed = 7) {
  std::mt19937 random(seed);
  std::vector<BarLine> oldest_first;
  std::vector<std::chrono::sys_days> days;
  for (std::chrono::sys_days d = newest; static_cast<int>(days.size()) < count;
       d -= std::chrono::days(1)) {
    const std::chrono::weekday w(d);
    if (w != std::chrono::Saturday && w != std::chrono::Sunday) days.push_back(d);
  }
  int close = start_price;
  for (int i = count - 1; i >= 0; --i) {
    BarLine b;
    b.date = DateOf(days[i]);
    b.open = close;
    const int move = static_cast<int>(random() % 41) - 20;
    b.close = std::max(close + close * move / 1000, 100);
    b.high = std::max(b.open, b.close) + static_cast<int>(random() % (close / 100 + 1));
    b.low = std::min(b.open, b.close) - static_cast<int>(random() % (close / 100 + 1));
    b.volume = 100000 + static_cast<std::int64_t>(random() % 900000);
    oldest_first.push_back(b);
    close = b.close;
  }
  return {oldest_first.rbegin(), oldest_first.rend()};
}

// The DATA text of bars given newest first.
inline std::u16string DataText(const std::vector<BarLine>& newest_first) {
  std::u16string text;
  for (const BarLine& b : newest_first) {
    text += FormatInt(b.date) + u"|" + FormatInt(b.time) + u"|" + FormatInt(b.open) + u"|" +
            FormatInt(b.high) + u"|" + FormatInt(b.low) + u"|" + FormatInt(b.close) + u"|" +
            FormatInt(b.volume) + u"\n";
  }
  return text;
}

// A quote record (26 fields) with the positions the charts read.
inline std::u16string QuoteText(std::int32_t time, int sign, std::int32_t change,
                                std::int32_t price, std::int32_t open, std::int32_t high,
                                std::int32_t low, std::int32_t tick_volume, std::int32_t volume) {
  std::u16string fields[26];
  for (std::u16string& f : fields) f = u"0";
  fields[0] = FormatInt(time);
  fields[1] = FormatInt(sign);
  fields[2] = FormatInt(change);
  fields[4] = FormatInt(price);
  fields[6] = FormatInt(open);
  fields[8] = FormatInt(high);
  fields[10] = FormatInt(low);
  fields[12] = FormatInt(tick_volume);
  fields[13] = FormatInt(volume);
  for (int pos : {5, 7, 9, 11, 23, 25}) fields[pos] = u"";
  std::u16string text;
  for (int i = 0; i < 26; ++i) text += (i ? u"|" : u"") + fields[i];
  return text;
}

}  // namespace velloran::testing_bars
