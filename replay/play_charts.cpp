#include "replay/play_charts.h"

#include <algorithm>

#include "net/text_util.h"
#include "replay/play_time.h"

namespace velloran {

int ChartSpanSeconds(std::u16string_view type) {
  if (type.empty() || type.front() != u'm') return 0;
  return std::max(ToInt(type.substr(1)), 1) * 60;
}

std::u16string CutChartData(std::u16string_view data, std::u16string_view type, std::int32_t ymd,
                            std::int64_t clock_ms) {
  const int span = ChartSpanSeconds(type);
  std::u16string out;
  for (const std::u16string_view line : SplitLines(data)) {
    const std::vector<std::u16string_view> f = SplitFields(line, u'|');
    if (f.empty()) continue;
    const std::int32_t date = ToInt(f[0]);
    if (date <= 1000) continue;
    if (date > ymd) continue;
    if (date == ymd) {
      if (span == 0 || f.size() < 2) continue;
      const std::int64_t end_ms = HhmmssToMs(ToInt(f[1])) + span * 1000LL;
      if (end_ms > clock_ms) continue;
    }
    out.append(line);
    out.push_back(u'\n');
  }
  return out;
}

TICK FirstMinuteBar(const CPKT& trade, int span_seconds, std::int32_t ymd, std::int32_t base) {
  const int span = std::max(span_seconds, 60);
  // A time past the day's end (99:99:99 reads as a time) stays within it.
  const std::int64_t seconds =
      std::clamp<std::int64_t>(HhmmssToMs(trade.Time()) / 1000 - 1, 0, 24 * 3600 - 1);
  TICK bar;
  bar.date = ymd;
  bar.time = MsToHhmmss(seconds / span * span * 1000);
  bar.base = base;
  return bar;
}

}  // namespace velloran
