// Chart reply text (3011 DATA) parsed into a store, then averaged, viewed,
// rescaled and merged with a quote, as the chart window does.
#include "chart/bar_store.h"
#include "fuzz/fuzz_seeds.h"
#include "net/quote.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = velloran::Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
  velloran::CChartData store(u"000000");
  store.SetAverageOn(60, true);
  store.SetAverageOn(120, true);
  // As many bars as a request would ask for, from the input.
  const int asked = size > 2 ? data[2] * 8 : 1200;
  store.ParseChartData(text, asked);
  if (store.Count() > asked) __builtin_trap();
  store.ComputeAverages();
  const int count = store.Count();
  // The view bounds come from the input too, as the scroll and zoom do.
  const int end = size > 0 ? data[0] : 60;
  const int start = size > 1 ? data[1] % 8 - 2 : 0;
  store.SetView(end, start);
  // A view that is not swapped ends up inside the bars.
  if (end >= start && (store.End() > count || store.Start() < 0)) __builtin_trap();
  store.SetView(count, 0);
  velloran::TICK ref;
  (void)store.ReferenceBar(ref);
  const velloran::TICK newest = store.Bar(0);
  velloran::CPKT quote;
  (void)quote.Parse(text);
  store.MergeDayQuote(quote, newest.date, 10);
  if (newest.date < 99991231) store.MergeDayQuote(quote, newest.date + 1, 10);
  if (count > 0 && store.Count() < count) __builtin_trap();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {
      "20240105|0|10200|10500|10000|10400|5000\n20240104|0|9900|10100|9800|10000|4000\n"
      "20240103|93000|9800|9900|9700|9800|3000\n",
      "1000|header\n\n20240105|0|0|0|0|0|0\n",
      "20240105|0|2147483647|2147483647|-2147483648|1|"
      "2147483647\n20240104|0|-5|-5|-5|-5|-5",
      "|20240105|1|2|3|4|5|6\r\n",
      // Far more bars than any request asks for.
      [] {
        std::string many;
        for (int i = 0; i < 20000; ++i) many += "20240105|93000|1|1|1|1|1\n";
        return many;
      }(),
      // One line of 1 MiB.
      "20240105|0|1|2|3|4|" + std::string(1 << 20, '9') + "\n"};
}
