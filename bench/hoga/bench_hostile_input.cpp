// What one hostile input costs the user-interface thread, and the memory it
// takes at its peak and leaves held, each through the window that takes it:
//   BM_Memo/KiB/bounded      a 3013 memo of that size on one line, set in the
//                            order book's memo box and laid out (bounded 0:
//                            the plain text box, as the memo took it before);
//   BM_ChartReply/kind/bounded  a 3011 reply installed in the side chart:
//                            kind 0 a DATA of under a MiB that decodes to
//                            250 MiB of bars, kind 1 a reply of 10^6 bars
//                            where 1,200 were asked (bounded 0: decoded whole
//                            and every bar kept, as before);
//   BM_TileBatch/stocks      a result of that many stocks shown in tile mode.
// Run one case a process for its own peak:
//   build/release/bench/bench_hostile_input --benchmark_filter='BM_ChartReply/0/1'
// Counters: peak_MiB is the resident peak during the call over the resident
// size before it; held_MiB what stays resident after it; bars what the chart kept.

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "app/session_data.h"
#include "decoder/codec.h"
#include "grid/qz_tile.h"
#include "hoga/chart_view.h"
#include "hoga/hoga_memo.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "tests/chart/recording_context.h"
#include "tests/platform/control_host.h"
#include "tests/stock/quote_text.h"

namespace velloran {
namespace {

using testing_host::App;
using testing_host::Settle;

// The resident size and its peak, in MiB; the peak starts again from now.
double ResidentMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::string(field).size())) / 1024;
  }
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Memory {
  double before = 0;
  Memory() {
    ResetPeak();
    before = ResidentMiB("VmRSS:");
  }
  void Report(benchmark::State& state) const {
    state.counters["peak_MiB"] = ResidentMiB("VmHWM:") - before;
    state.counters["held_MiB"] = ResidentMiB("VmRSS:") - before;
  }
};

void BM_Memo(benchmark::State& state) {
  App();
  testing_host::ControlHost host;
  if (!host.Open(580, 756)) return state.SkipWithError("no window");
  CHogaMemo memo;
  if (!memo.Create(&host, 100, {0, 520, 580, 640})) return state.SkipWithError("no memo");
  const std::u16string text(static_cast<std::size_t>(state.range(0)) * 1024, u'메');
  const bool bounded = state.range(1) != 0;
  Settle();
  const Memory memory;
  for (auto _ : state) {
    if (bounded)
      memo.SetText(text);
    else
      static_cast<MemoControl&>(memo).SetText(text);
    Settle();
    state.PauseTiming();
    memo.SetText(u"");
    Settle();
    state.ResumeTiming();
  }
  memory.Report(state);
}
BENCHMARK(BM_Memo)->Args({64, 0})->Args({256, 0})->Args({64, 1})->Args({1024, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(1);

// A reply's DATA: kind 0 one bar repeated to 250 MiB, kind 1 10^6 distinct bars.
std::u16string EncodedData(int kind) {
  std::string lines;
  if (kind == 0) {
    const std::string bar = "20250314|93000|10000|10100|9900|10050|1234\n";
    lines.reserve(std::size_t{250} << 20);
    while (lines.size() + bar.size() <= (std::size_t{250} << 20)) lines += bar;
  } else {
    for (int i = 0; i < 1000000; ++i) {
      const int p = 10000 + i % 97 * 10;
      lines += std::to_string(20250314 - i / 400) + "|" + std::to_string(90000 + i % 400) + "|" +
               std::to_string(p) + "|" + std::to_string(p + 50) + "|" + std::to_string(p - 50) +
               "|" + std::to_string(p + 10) + "|" + std::to_string(1000 + i % 313) + "\n";
    }
  }
  std::string stream;
  if (!codec::Deflate(lines, stream)) return {};
  std::u16string encoded;
  codec::Base64Encode(stream, encoded);
  return encoded;
}

void BM_ChartReply(benchmark::State& state) {
  App();
  testing_host::ControlHost host;
  if (!host.Open(900, 420)) return state.SkipWithError("no window");
  CDecoder decoder;
  if (decoder.Load(VELLORAN_DECODER_DIR) != DecoderLoad::kOk)
    return state.SkipWithError("no decoder");
  testing_bars::RecordingContext context;
  CChartView view(decoder);
  if (!view.Create(&host, 1, {0, 0, 900, 420})) return state.SkipWithError("no view");
  view.SetContext(&context);
  Packet reply(code::kChart);
  reply.AddInt(u"CHART_ID", 1);
  reply.AddText(u"DATA", EncodedData(static_cast<int>(state.range(0))));
  reply.AddText(u"CPKT", u"");
  state.counters["reply_KiB"] = static_cast<double>(reply.Text().size()) / 1024;
  const bool bounded = state.range(1) != 0;
  Settle();
  const Memory memory;
  for (auto _ : state) {
    state.PauseTiming();
    view.SetStock(u"005930");
    state.ResumeTiming();
    if (bounded) {
      view.InstallReply(reply);
    } else {
      const std::u16string data = decoder.Decode(reply.GetText(u"DATA", u""));
      view.left().SetData(data, reply.GetText(u"CPKT", u""));
    }
    Settle();
  }
  state.counters["bars"] = view.left().data().Count();
  // Of which taking DATA out of the packet, the copy every decode starts with.
  const auto start = std::chrono::steady_clock::now();
  benchmark::DoNotOptimize(reply.GetText(u"DATA", u"").size());
  state.counters["copy_ms"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  memory.Report(state);
}
BENCHMARK(BM_ChartReply)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TileBatch(benchmark::State& state) {
  App();
  testing_host::ControlHost host;
  if (!host.Open(1300, 800)) return state.SkipWithError("no window");
  CSessionData session{SessionOptions{}};
  CQZTile wall{session};
  if (!wall.Create(&host, 126, {0, 0, 1300, 800})) return state.SkipWithError("no wall");
  const int stocks = static_cast<int>(state.range(0));
  for (int i = 0; i < stocks; ++i) {
    std::u16string day;
    for (int d = 0; d < 20; ++d)
      day += FormatInt(20240105 - d) + u"|1000|1050|950|" + FormatInt(1000 + (i + d) % 40) +
             u"|5000\n";
    Packet hit(u"<PKT><GBN>3007</GBN><SHCODE>" + FormatInt06(i) + u"</SHCODE><HNAME>종목" +
               FormatInt(i) + u"</HNAME><CPKT>" +
               testing::QuoteText(1000 + i % 50, 990, 1060, 940, 2000 + i) +
               u"</CPKT><BTOT>100</BTOT><STOT>" + FormatInt(50 + i % 300) +
               u"</STOT><PRC>1000</PRC><DAY50>" + day + u"</DAY50></PKT>");
    session.Dispatch(hit);
  }
  wall.SetSort(kSortReverse, false);
  Settle();
  const Memory memory;
  for (auto _ : state) {
    wall.Rebuild(true);
    Settle();
  }
  state.counters["tiles_shown"] = static_cast<double>(wall.shown().size());
  memory.Report(state);
}
BENCHMARK(BM_TileBatch)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace velloran

BENCHMARK_MAIN();
