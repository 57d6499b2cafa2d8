// The replay at 128 times real time, in the whole client. The demo market runs
// as its own program; the client's main frame is logged in to it and opens
// the replay of the busiest stock of the day before on the day before. It
// reports the first block's download (its time, and the longest stall of the
// user-interface thread while it ran), then a run at 128x: the client's
// processor time, the book's and the quote strip's repaints a second, the
// longest stall and the speed the replay's clock kept; then seeks within the
// data held and by a block from the market, each to the book's repaint.
// The baseline is the same stretch of the same tape played by the player's
// model alone, with no window, in the same number of 10 ms ticks.
//
//   bench_replay [seconds at 128x, default 30]
//
// Not a Google Benchmark (it takes its own market): scripts/bench.sh runs it
// with its default.

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "bench/client_watch.h"
#include "bench/market_process.h"
#include "hoga/hoga_view.h"
#include "net/decoder.h"
#include "net/stock_code.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "platform/input_simulation.h"
#include "platform/window_messages.h"
#include "replay/play_frame.h"
#include "replay/play_time.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kSpeed = 128;
constexpr int kTickMs = 10;

bool RunUntil(const std::function<bool()>& done, milliseconds limit) {
  return UiLoop().RunUntil(done, limit);
}

void Run(milliseconds d) {
  (void)UiLoop().RunUntil([] { return false; }, d);
}

// The model alone through the tape's records from `from` on, in `ticks`
// ticks at 128x: its processor seconds.
double ModelAlone(const CPlayTape& tape, const CPlayModel& shown, std::int64_t from_ms, long ticks) {
  PlayBlock day;
  for (std::size_t i = 0; i < tape.snapshot_count(); ++i) day.snapshots.push_back(tape.snapshot(i));
  for (std::size_t i = 0; i < tape.trade_count(); ++i) day.trades.push_back(tape.trade(i));
  day.lines = 1;  // nothing more to fetch
  CPlayModel model;
  const PlayRequest tot = model.Start(shown.code(), shown.market(), shown.ymd());
  PlayTimeLine line;
  line.ymd = tot.ymd;
  (void)model.OnTimeLine(std::move(line));
  (void)model.OnBlock(std::move(day), PlayBlockSource::kDownload);
  (void)model.Seek(MsToHhmmss(from_ms));
  while (model.speed() < kSpeed) model.FastForward();
  const double c0 = bench::CpuSeconds();
  std::int64_t sum = 0;
  for (long t = 0; t < ticks; ++t) {
    const PlayRelease r = model.Tick(kTickMs);
    if (r.snapshot) sum += model.tape().snapshot(*r.snapshot).best_ask;
    for (std::size_t i = r.trades_begin; i < r.trades_end; ++i) sum += model.tape().trade(i).Price();
  }
  const double cpu = bench::CpuSeconds() - c0;
  std::printf("  (model alone: %lld)\n", static_cast<long long>(sum % 10));
  return cpu;
}

// A seek to hhmmss, from the message the transport sends to the book's
// repaint of the new moment: milliseconds, or -1 when it never came.
double SeekToPaint(CPlayerWnd& player, std::int32_t hhmmss) {
  Run(milliseconds(1100));  // seeks are held for a second after the last
  const long frames = player.book().frames();
  QElapsedTimer clock;
  clock.start();
  (void)SendMessage(player.handle(), msg::kReplaySeek, static_cast<WParam>(hhmmss), 0);
  const bool painted = RunUntil(
      [&] {
        return player.model().loaded() && player.model().outstanding().empty() &&
               player.book().frames() > frames;
      },
      milliseconds(10000));
  return painted ? static_cast<double>(clock.nsecsElapsed()) / 1e6 : -1;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int Main(seconds length) {
  bench::MarketProcess market({"--speed", "1"});
  if (market.port() == 0 || market.http_port() == 0) {
    std::printf("the demo market did not start\n");
    return 1;
  }
  CDecoder decoder;
  (void)decoder.Load(VELLORAN_DECODER_DIR);
  CSessionData session{SessionOptions{{}, nullptr, &decoder}};
  CMainFrame frame(session, {u"127.0.0.1", market.port(), u"demo"});
  frame.SetReplayDataUrl("http://127.0.0.1:" + std::to_string(market.http_port()) + "/");
  (void)frame.CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080});
  frame.ShowNormal();
  if (!RunUntil([&] { const auto d = session.Read();
                      return !d->master.empty() && d->trading_dates.size() > 1; },
                milliseconds(30000))) {
    std::printf("the client did not log in\n");
    return 1;
  }
  std::u16string market_text;
  const std::u16string code = bench::BusiestStock(*session.Read(), market_text);
  const std::u16string day = session.Read()->trading_dates[1];
  auto& book = dynamic_cast<CHogaView&>(frame.hoga_view());
  PostMessage(frame.top_bar().handle(), msg::kSelectStock, PackStockCode(code), 0);
  (void)RunUntil([&] { return book.book().code == code; }, milliseconds(10000));
  auto* replay = dynamic_cast<CPlayFrame*>(book.OpenReplayOf(code));
  if (replay == nullptr) {
    std::printf("the replay did not open\n");
    return 1;
  }
  CPlayerWnd& player = replay->player();
  replay->Move({0, 0, 1290, 860});
  Run(milliseconds(500));  // its first paint is not the download's

  // The day before: its time line, then the first block over HTTP.
  bench::StallWatch stall;
  stall.Start();
  QElapsedTimer download;
  download.start();
  SimulateKey(player.ctrl().date_combo(), sys::kVkDown);
  const bool loaded = RunUntil(
      [&] {
        return player.model().ymd() == day && player.model().loaded() &&
               player.model().outstanding().empty() &&
               player.model().clock_ms() >= HhmmssToMs(kPlayDayStartHhmmss);
      },
      milliseconds(60000));
  const double download_ms = static_cast<double>(download.nsecsElapsed()) / 1e6;
  const double download_stall = stall.Stop();
  if (!loaded) {
    std::printf("the day before never loaded\n");
    return 1;
  }
  std::printf("replay of %s on %s, %lld s at x%d\n", Utf16ToUtf8(code).c_str(),
              Utf16ToUtf8(day).c_str(), static_cast<long long>(length.count()), kSpeed);
  std::printf("  time line and first block: %.0f ms (%zu books, %zu trades), longest stall %.1f ms\n",
              download_ms, player.model().tape().snapshot_count(),
              player.model().tape().trade_count(), download_stall);

  // The run at 128x.
  while (player.model().speed() < kSpeed) player.ctrl().FastForward();
  Run(milliseconds(200));
  const std::int64_t clock0 = player.model().clock_ms();
  const long frames0 = player.book().frames();
  const long strips0 = player.strip_paints();
  stall.Start();
  const double c0 = bench::CpuSeconds();
  QElapsedTimer wall;
  wall.start();
  Run(length);
  const double cpu = bench::CpuSeconds() - c0;
  const double real_s = static_cast<double>(wall.nsecsElapsed()) / 1e9;
  const double run_stall = stall.Stop();
  const double kept = static_cast<double>(player.model().clock_ms() - clock0) / 1000.0 / real_s;
  const double baseline = ModelAlone(player.model().tape(), player.model(), clock0,
                                     static_cast<long>(real_s * 1000 / kTickMs));
  std::printf("  from %06d to %06d: %.1f %% of a core, book %.1f repaints/s, strip %.1f/s, "
              "longest stall %.1f ms, the clock kept x%.1f\n",
              MsToHhmmss(clock0), MsToHhmmss(player.model().clock_ms()), cpu / real_s * 100,
              static_cast<double>(player.book().frames() - frames0) / real_s,
              static_cast<double>(player.strip_paints() - strips0) / real_s, run_stall, kept);
  std::printf("  baseline, the model alone over the same records: %.3f %% of a core; ratio %.3g\n",
              baseline / real_s * 100, baseline > 0 ? cpu / baseline : 0.0);

  // Seeks: within what is held, and outside it (a block from the market).
  std::vector<double> held, by_block;
  for (const std::int32_t far : {133000, 103000, 143000, 113000, 123000}) {
    const CPlayTape& tape = player.model().tape();
    if (tape.snapshot_count() > 2) {
      const std::int64_t mid = (tape.snapshot_ms(0) + tape.snapshot_ms(tape.snapshot_count() - 1)) / 2;
      held.push_back(SeekToPaint(player, MsToHhmmss(mid)));
    }
    by_block.push_back(SeekToPaint(player, far));
  }
  std::printf("  seek to the book's repaint: within the data held median %.1f ms, max %.1f; "
              "by a block median %.1f ms, max %.1f\n",
              Median(held), held.empty() ? -1 : *std::max_element(held.begin(), held.end()),
              Median(by_block), *std::max_element(by_block.begin(), by_block.end()));
  replay->Destroy();
  frame.Destroy();
  return 0;
}

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  (void)velloran::testing_host::App();
  return velloran::Main(std::chrono::seconds(argc > 1 ? std::max(5, std::atoi(argv[1])) : 30));
}
