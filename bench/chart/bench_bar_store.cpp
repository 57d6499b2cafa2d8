// The bar store on a day chart's worth of bars: parsing 1,200 lines of chart
// text with the averages, against merely splitting the same text into lines
// and fields; and rescaling a 400-bar view, against one pass that only finds
// the highest, lowest and largest volume of the same bars.
#include <algorithm>
#include <random>
#include <string>

#include "bench/ratio_report.h"
#include "chart/bar_store.h"
#include "net/text_util.h"

namespace velloran {
namespace {

std::u16string ChartText(int bars) {
  std::mt19937 rng(7);
  std::u16string text;
  int price = 50000;
  for (int i = 0; i < bars; ++i) {
    price = std::max(1000, price + static_cast<int>(rng() % 2001) - 1000);
    const int high = price + static_cast<int>(rng() % 800),
              low = price - static_cast<int>(rng() % 800);
    text += FormatInt(20260101 - i) + u"|0|" + FormatInt(price) + u"|" + FormatInt(high) + u"|" +
            FormatInt(low) + u"|" + FormatInt(price + 50) + u"|" + FormatInt(rng() % 9000000) +
            u"\n";
  }
  return text;
}

void BM_SplitOnly(benchmark::State& state) {
  const std::u16string text = ChartText(1200);
  for (auto _ : state) {
    std::size_t fields = 0;
    for (std::u16string_view line : SplitLines(text)) fields += SplitFields(line).size();
    benchmark::DoNotOptimize(fields);
  }
  state.SetItemsProcessed(state.iterations() * 1200);
}

void BM_ParseAndAverage(benchmark::State& state) {
  const std::u16string text = ChartText(1200);
  CChartData store(u"005930");
  for (auto _ : state) {
    store.ParseChartData(text);
    store.ComputeAverages();
    benchmark::DoNotOptimize(store.Count());
  }
  state.SetItemsProcessed(state.iterations() * 1200);
}

void BM_ScanOnly(benchmark::State& state) {
  CChartData store(u"005930");
  store.ParseChartData(ChartText(1200));
  store.ComputeAverages();
  const std::vector<TICK> bars = store.Bars();
  for (auto _ : state) {
    std::int64_t top = 1, bottom = 100000000, volume = 1;
    for (int i = 399; i >= 0; --i) {
      top = std::max<std::int64_t>(top, bars[i].high);
      bottom = std::min<std::int64_t>(bottom, bars[i].low);
      volume = std::max(volume, bars[i].volume);
    }
    benchmark::DoNotOptimize(top + bottom + volume);
  }
}

void BM_SetView(benchmark::State& state) {
  CChartData store(u"005930");
  store.ParseChartData(ChartText(1200));
  store.ComputeAverages();
  for (auto _ : state) {
    store.SetView(400, 0);
    benchmark::DoNotOptimize(store.Top());
  }
}

BENCHMARK(BM_SplitOnly);
BENCHMARK(BM_ParseAndAverage);
BENCHMARK(BM_ScanOnly);
BENCHMARK(BM_SetView);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(
      argc, argv, {{"BM_ParseAndAverage", "BM_SplitOnly"}, {"BM_SetView", "BM_ScanOnly"}});
}
