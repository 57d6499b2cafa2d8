// A replay's day tape in memory: the time to make a busy stock's whole day
// (and a quiet one's) against the bare simulation of that day, whose events
// are dropped instead of kept (the baseline), the bytes a book costs on the
// tape against a full ten-level book, and the time to cut one HOGA block.
#include <benchmark/benchmark.h>

#include "bench/ratio_report.h"
#include "server/day_tape.h"
#include "server/replay_replies.h"

namespace {

using namespace velloran::server;

const Market& TheMarket() {
  static const Market market(MarketConfig{1, 400, 20260105});
  return market;
}

int Pick(bool busy) {
  const Market& m = TheMarket();
  int best = 0;
  for (int i = 0; i < static_cast<int>(m.stocks().size()); ++i) {
    if (m.stock(i).etf) continue;
    const double gap = m.stock(i).mean_gap_s, other = m.stock(best).mean_gap_s;
    if (busy ? gap < other : gap > other) best = i;
  }
  return best;
}

void BM_DayTape(benchmark::State& state) {
  const bool busy = state.range(0) != 0;
  const int index = Pick(busy);
  std::size_t snapshots = 0, bytes = 0, trades = 0;
  for (auto _ : state) {
    DayTape tape;
    if (!tape.Start(TheMarket(), index, TheMarket().date())) {
      state.SkipWithError("no tape");
      return;
    }
    tape.RunTo(TheMarket(), Market::kClose);
    snapshots = tape.snapshots().size();
    trades = tape.trades().size();
    bytes = tape.bytes();
    benchmark::DoNotOptimize(tape.snapshots().data());
  }
  state.counters["books"] = static_cast<double>(snapshots);
  state.counters["trades"] = static_cast<double>(trades);
  state.counters["bytes_per_book"] = static_cast<double>(bytes) / static_cast<double>(snapshots);
  state.counters["full_book_bytes"] = sizeof(Book) + sizeof(double);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(snapshots));
}
BENCHMARK(BM_DayTape)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The same day simulated alone, its events dropped every minute.
void BM_SimulationAlone(benchmark::State& state) {
  const bool busy = state.range(0) != 0;
  const int index = Pick(busy);
  for (auto _ : state) {
    Stock s;
    if (!TheMarket().DayStart(index, TheMarket().date(), s)) {
      state.SkipWithError("no day");
      return;
    }
    MarketEvents events;
    for (int t = Market::kPreOpen; t <= Market::kClose; t += 60) {
      events.Clear();
      TheMarket().RunAlone(s, index, t, events);
    }
    benchmark::DoNotOptimize(s.quote.price);
  }
}
BENCHMARK(BM_SimulationAlone)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_CutBlock(benchmark::State& state) {
  static DayTape* tape = [] {
    auto* t = new DayTape;
    if (t->Start(TheMarket(), Pick(true), TheMarket().date())) t->RunTo(TheMarket(), Market::kClose);
    return t;
  }();
  std::size_t chars = 0;
  for (auto _ : state) {
    const HogaBlock block = CutBlock(*tape, 12 * 3600, false);
    chars = block.data.size() + block.cdata.size();
    benchmark::DoNotOptimize(block.data.data());
  }
  state.counters["chars_per_block"] = static_cast<double>(chars);
}
BENCHMARK(BM_CutBlock)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv, {{"BM_DayTape", "BM_SimulationAlone"}});
}
