// A chart reply's text cut at a replay's clock, as the replay's charts take
// it: what is kept parses into bars of days up to the replayed one, none of
// them past the clock, and a trade then starts the day's first minute bar.
#include "chart/bar_store.h"
#include "fuzz/fuzz_seeds.h"
#include "net/quote.h"
#include "net/utf8.h"
#include "replay/play_charts.h"
#include "replay/play_time.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::u16string text = Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
  constexpr std::int32_t kDay = 20240105;
  // The clock and the type from the input, as a replay would have them.
  const std::int64_t clock_ms = size > 0 ? HhmmssToMs(80000) + data[0] * 120000LL : 0;
  std::u16string type = u"D";
  if (size > 1 && data[1] % 2 == 1) type = u"m" + std::u16string(1, u'1' + (size > 2 ? data[2] % 5 : 0));
  const std::u16string cut = CutChartData(text, type, kDay, clock_ms);
  CChartData store(u"000000");
  store.SetType(type);
  store.ParseChartData(cut);
  const int span = ChartSpanSeconds(type);
  for (int i = 0; i < store.Count(); ++i) {
    const TICK bar = store.Bar(i);
    if (bar.date > kDay) __builtin_trap();
    if (bar.date == kDay && (span == 0 || HhmmssToMs(bar.time) + span * 1000LL > clock_ms))
      __builtin_trap();
  }
  CPKT trade;
  (void)trade.Parse(text);
  const TICK first = FirstMinuteBar(trade, span, kDay, 0);
  if (first.date != kDay || first.time < 0 || first.time > 235959) __builtin_trap();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {
      "20240108|90000|12000|12100|11900|12050|500\n20240105|153000|11000|11100|10900|11050|500\n"
      "20240105|90000|11000|11100|10900|11050|500\n20240104|153000|9900|9950|9850|9900|500\n",
      "|20240105|0|10000|11500|9800|11050|90000\n20240104|0|9800|10050|9700|9900|70000\n",
      "90001|2|20|0.2|10020|0|10000|0|10020|0|10000|+|10|3000",
      "20240105|\n|\n\n20240105|999999|1|2|3",
  };
}
