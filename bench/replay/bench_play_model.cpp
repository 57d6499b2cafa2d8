// The replay's clock through a busy day (60,000 snapshots, 30,000 trades from
// 09:00 to 15:30) at 128x in 10 ms ticks, the player applying what each tick
// releases (the latest snapshot's best prices, every trade's price), against
// the bound: merely walking the same records of the same tape in order.
// Each pass first seeks back to the day's start inside what is held.

#include <cstdint>
#include <vector>

#include "bench/ratio_report.h"
#include "replay/play_model.h"
#include "replay/play_time.h"

namespace velloran {
namespace {

constexpr int kSnapshots = 60000;
constexpr int kTrades = 30000;
constexpr std::int64_t kDaySeconds = 23400;

std::int32_t TimeOf(int i, int count) {
  return MsToHhmmss(HhmmssToMs(90000) + i * kDaySeconds * 1000 / count);
}

PlayBlock DayBlock(const PlayRequest& request) {
  PlayBlock block;
  block.echo = {request.code, request.ymd, request.htime};
  const std::u16string book(400, u'1');  // about a twenty-level book's text
  for (int i = 0; i < kSnapshots; ++i) {
    HogaSnapshot s;
    s.time = TimeOf(i, kSnapshots);
    s.best_ask = 50000 + i % 50;
    s.best_bid = s.best_ask - 10;
    s.book = book;
    block.snapshots.push_back(std::move(s));
  }
  for (int i = 0; i < kTrades; ++i) {
    CPKT t;
    t.SetInt(static_cast<int>(QuoteField::kTime), TimeOf(i, kTrades));
    t.SetInt(static_cast<int>(QuoteField::kPrice), 50000 + i % 70);
    t.set_valid(true);
    block.trades.push_back(std::move(t));
  }
  block.lines = 1;  // the whole day in one block: nothing more to fetch
  return block;
}

// A model holding the whole day, as after its first block and seek.
void LoadDay(CPlayModel& model) {
  const PlayRequest tot = model.Start(u"005930", u"1", u"20240105");
  PlayTimeLine reply;  // no echo: taken as the answer to the time line asked for
  reply.ymd = tot.ymd;
  const PlayTimeLineResult line = model.OnTimeLine(std::move(reply));
  const PlayBlockResult first = model.OnBlock(DayBlock(line.download), PlayBlockSource::kDownload);
  const PlaySeekResult seek = model.Seek(*first.seek_to);  // before the day: asks again
  (void)model.OnBlock(DayBlock(seek.request), PlayBlockSource::kSession);
  for (int i = 0; i < 7; ++i) model.FastForward();
}

void BM_WalkTape(benchmark::State& state) {
  CPlayModel model;
  LoadDay(model);
  const CPlayTape& tape = model.tape();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < tape.snapshot_count(); ++i) {
      sum += tape.snapshot(i).best_ask + tape.snapshot(i).best_bid;
    }
    for (std::size_t i = 0; i < tape.trade_count(); ++i) sum += tape.trade(i).Price();
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * (kSnapshots + kTrades));
}

void BM_TickDayAt128(benchmark::State& state) {
  CPlayModel model;
  LoadDay(model);
  const CPlayTape& tape = model.tape();
  std::int64_t ticks = 0;
  for (auto _ : state) {
    (void)model.SeekAllowedAgain();
    (void)model.Seek(90001);
    std::int64_t sum = 0;
    while (model.next_snapshot() < tape.snapshot_count() || model.next_trade() < tape.trade_count()) {
      const PlayRelease r = model.Tick(10);
      ++ticks;
      if (r.snapshot) sum += tape.snapshot(*r.snapshot).best_ask + tape.snapshot(*r.snapshot).best_bid;
      for (std::size_t i = r.trades_begin; i < r.trades_end; ++i) sum += tape.trade(i).Price();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * (kSnapshots + kTrades));
  state.counters["ticks_per_day"] = static_cast<double>(ticks) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_WalkTape);
BENCHMARK(BM_TickDayAt128);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv, {{"BM_TickDayAt128", "BM_WalkTape"}});
}
