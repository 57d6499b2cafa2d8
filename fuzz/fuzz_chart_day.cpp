// Day-bar text (the DAY50 of a screening hit) parsed into a store, rescaled
// and merged with a quote, as a screening record and its tile do.
#include "chart/bar_store.h"
#include "fuzz/fuzz_seeds.h"
#include "net/quote.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = velloran::Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
  velloran::CChartData store(u"005930");
  store.ParseDayBars(text);
  const int count = store.Count();
  if (store.End() > count || store.End() > 20 || store.Start() != 0) __builtin_trap();
  store.SetView(store.End(), store.Start());
  for (int n : velloran::CChartData::kPeriods) store.SetAverageOn(n, true);
  store.SetView(count, 0);
  velloran::CPKT quote;
  (void)quote.Parse(text);
  const velloran::TICK newest = store.Bar(0);
  store.MergeDayQuote(quote, newest.date, 9);
  store.MergeDayQuote(quote, 99991231, 9);
  (void)store.Bars();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {"20240105|10200|10500|10000|10400|5000\n20240104|0|0|0|10000|4000\n12345\n",
          "20240105|1|1|1|1|1", "\n\n\n||||||\n", "99999999|-1|-1|-1|-1|-2147483648\n"};
}
