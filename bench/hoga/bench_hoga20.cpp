// The replay's book under the player's bursts: applying one snapshot of the
// usual size (twenty levels a side, ten of them remembered), and a hostile
// one of a megabyte whose entries are no levels, each against one plain pass
// over the same text (counting its separators), the least any reader of it
// costs.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/ratio_report.h"
#include "hoga/hoga20_book.h"
#include "net/text_util.h"

namespace velloran {
namespace {

HogaSnapshot Usual() {
  HogaSnapshot s;
  s.time = 100000;
  s.best_ask = 36750;
  s.best_bid = 36700;
  for (int i = 0; i < 20; ++i) {
    const std::u16string stamp = i < 10 ? u"100000" : u"20240105093112";
    s.book += stamp + u"|" + FormatInt(36750 + 50 * i) + u"|" + FormatInt(1500 + 731 * i % 4000) +
              u"|0," + stamp + u"|" + FormatInt(36700 - 50 * i) + u"|0|" +
              FormatInt(2200 + 977 * i % 7000) + u",";
  }
  return s;
}

// A megabyte of entries below the best ask with no bid quantity.
HogaSnapshot Hostile() {
  HogaSnapshot s = Usual();
  s.book.clear();
  while (s.book.size() < (std::size_t{1} << 20)) s.book += u"100000|100|7|0,";
  return s;
}

std::size_t Separators(std::u16string_view text) {
  std::size_t n = 0;
  for (const char16_t c : text) n += c == u',' || c == u'|';
  return n;
}

void Apply(benchmark::State& state, const HogaSnapshot& s) {
  CHoga20Book book;
  MasterInfo m;
  m.code = u"000100";
  m.market = 1;
  book.SetMaster(m);
  for (auto _ : state) {
    book.ApplyBook(s);
    benchmark::DoNotOptimize(book.frame().total_ask);
  }
}

void Pass(benchmark::State& state, const HogaSnapshot& s) {
  for (auto _ : state) benchmark::DoNotOptimize(Separators(s.book));
}

void BM_ApplyBook_Usual(benchmark::State& state) { Apply(state, Usual()); }
void BM_OnePass_Usual(benchmark::State& state) { Pass(state, Usual()); }
void BM_ApplyBook_Megabyte(benchmark::State& state) { Apply(state, Hostile()); }
void BM_OnePass_Megabyte(benchmark::State& state) { Pass(state, Hostile()); }
BENCHMARK(BM_ApplyBook_Usual)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OnePass_Usual)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyBook_Megabyte)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OnePass_Megabyte)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv,
                                 {{"BM_ApplyBook_Usual", "BM_OnePass_Usual"},
                                  {"BM_ApplyBook_Megabyte", "BM_OnePass_Megabyte"}});
}
