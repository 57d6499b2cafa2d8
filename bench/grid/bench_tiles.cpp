// The tile wall of the work area. Rebuilding it over 100 records of 50 day
// bars each and painting every tile, against filling the same rectangles
// (each tile's face, its chart areas and its bars' bodies, wicks and volume
// boxes) with plain colour; one tile's redraw on a quote that moves its price
// (the dispatch, the tile's message and its paint) against the plain fill of
// that tile. Then the client's processor time while the demo market, a
// process of its own, streams at market speed: with the tiles shown, against
// the same client showing the grid (which paints no tiles); the first's
// counters give the share of one core. VELLORAN_BENCH_MARKET_SPEED=10 runs the
// market ten times faster than the clock.

#include <benchmark/benchmark.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "bench/market_process.h"
#include "bench/ratio_report.h"
#include "grid/qz_view.h"
#include "net/decoder.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"
#include "tests/platform/offscreen_app.h"
#include "tests/stock/quote_text.h"

namespace velloran {
namespace {

using testing_host::App;

constexpr int kTiles = 100;
constexpr int kBars = 50;
constexpr int kStreamSeconds = 20;

std::u16string DayBars(int seed) {
  std::u16string text;
  int close = 10000 + seed * 37;
  for (int i = 0; i < kBars; ++i) {
    const int open = close - 40 + (i * 7 + seed) % 80;
    text += FormatInt(20240105 - i) + u"|" + FormatInt(open) + u"|" +
            FormatInt(std::max(open, close) + 60) + u"|" + FormatInt(std::min(open, close) - 60) +
            u"|" + FormatInt(close) + u"|" + FormatInt(1000 + (i * 131 + seed) % 900) + u"\n";
    close = open + (i % 3 - 1) * 30;
  }
  return text;
}

std::u16string Code(int i) {
  return FormatInt06(100000 + i);
}

Packet Hit(int i) {
  const int price = 10000 + i * 37;
  return Packet(u"<PKT><GBN>3007</GBN><SHCODE>" + Code(i) + u"</SHCODE><HNAME>종목" + FormatInt(i) +
                u"</HNAME><CPKT>" +
                testing::QuoteText(price, price - 50, price + 80, price - 90, 5000) +
                u"</CPKT><BTOT>100</BTOT><STOT>300</STOT><PRC>" + FormatInt(price) +
                u"</PRC><REGDT>20240103</REGDT><DAY50>" + DayBars(i) + u"</DAY50></PKT>");
}

// 100 records, the wall bound to them, a canvas per tile.
struct Wall {
  Application& app = App();  // before the windows
  ManualClock clock;
  CSessionData session{SessionOptions{{}, &clock, nullptr}};
  Window host;
  CQZTile wall{session};
  std::vector<Bitmap> canvases;
  std::vector<std::pair<Rect, Color>> plain;  // one tile's rectangles

  Wall() {
    session.SetServerTime(u"20240105100000");
    for (int i = 0; i < kTiles; ++i) {
      Packet hit = Hit(i);
      session.Dispatch(hit);
    }
    (void)host.Create(nullptr, 0, {0, 0, 1200, 800}, u"bench", {WindowKind::kTopLevel, false});
    (void)wall.Create(&host, 126, {0, 0, 1200, 800});
    wall.SetSort(kSortName, true);
    wall.Rebuild(true);
    for (std::size_t i = 0; i < wall.shown().size(); ++i) canvases.emplace_back(160, 185);
    PaintAll();
    CollectPlainRects();
  }

  void Paint(std::size_t i) {
    DrawContext dc(canvases[i]);
    CSTKItem* tile = wall.shown()[i];
    tile->Send(sys::kEraseBackground, reinterpret_cast<WParam>(&dc), 0);
    tile->Send(sys::kPaint, reinterpret_cast<WParam>(&dc), 0);
  }
  void PaintAll() {
    for (std::size_t i = 0; i < wall.shown().size(); ++i) Paint(i);
  }

  void CollectPlainRects() {
    const CSTKItem& tile = *wall.shown().front();
    const TileLayout& l = tile.layout();
    plain.push_back({l.whole, Rgb(218, 218, 218)});
    plain.push_back({l.price, Rgb(255, 255, 255)});
    plain.push_back({l.volume, Rgb(255, 255, 255)});
    const int bw = tile.bar_width();
    for (int k = 0; k < 20; ++k) {
      const int x = l.price_plot.left + k * bw;
      const int y = l.price_plot.top + (k * 13) % 60;
      plain.push_back({{x + 1, y, x + bw - 1, y + 12}, Rgb(231, 17, 14)});
      plain.push_back({{x + bw / 2, y - 6, x + bw / 2 + 1, y + 18}, Rgb(231, 17, 14)});
      plain.push_back(
          {{x + 1, l.volume_plot.bottom - 15, x + bw - 1, l.volume_plot.bottom}, Rgb(30, 40, 235)});
    }
  }
  void PlainFill(std::size_t i) {
    DrawContext dc(canvases[i]);
    for (const auto& [r, c] : plain) dc.FillRect(r, c);
  }
};

Wall& TheWall() {
  static Wall* w = new Wall();
  return *w;
}

void BM_TileWallRebuildAndPaint(benchmark::State& state) {
  Wall& w = TheWall();
  for (auto _ : state) {
    w.wall.Rebuild(true);
    w.PaintAll();
    benchmark::DoNotOptimize(w.canvases.back().PixelAt(80, 50));
  }
  state.counters["tiles"] = static_cast<double>(w.wall.shown().size());
}

void BM_TileWallPlainFill(benchmark::State& state) {
  Wall& w = TheWall();
  for (auto _ : state) {
    for (std::size_t i = 0; i < w.canvases.size(); ++i) w.PlainFill(i);
    benchmark::DoNotOptimize(w.canvases.back().PixelAt(80, 50));
  }
}

// A quote that moves one stock's price, as the dispatcher takes it, then the
// tile's 2027/2002 and its repaint.
void BM_TileQuoteRedraw(benchmark::State& state) {
  Wall& w = TheWall();
  CSTKItem* tile = w.wall.shown().front();
  const std::u16string code = tile->code();
  const int base = w.session.Read()->FindRecord(code)->quote()->Price();
  std::vector<Packet> quotes;
  for (int price : {base + 10, base - 10}) {
    quotes.emplace_back(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>" + code + u"</STKCD><DATA>" +
                        testing::QuoteText(price, base - 50, base + 80, base - 90, 6000) +
                        u"</DATA><BTOT>100</BTOT><STOT>300</STOT></PKT>");
  }
  std::size_t n = 0;
  for (auto _ : state) {
    w.session.Dispatch(quotes[n++ % 2]);
    tile->Send(msg::kNotify, code::kRealtime, 0);
    w.Paint(0);
    benchmark::DoNotOptimize(w.canvases[0].PixelAt(80, 50));
  }
}

void BM_TilePlainFill(benchmark::State& state) {
  Wall& w = TheWall();
  for (auto _ : state) {
    w.PlainFill(0);
    benchmark::DoNotOptimize(w.canvases[0].PixelAt(80, 50));
  }
}

// Market seconds per second: VELLORAN_BENCH_MARKET_SPEED, else 1 (the demo's pace).
const char* MarketSpeed() {
  const char* speed = std::getenv("VELLORAN_BENCH_MARKET_SPEED");
  return speed != nullptr && *speed != '\0' ? speed : "1";
}

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The client logged in to the streaming market, its first result shown.
struct Client {
  Application& app = App();
  bench::MarketProcess market{std::vector<std::string>{"--speed", MarketSpeed(), "--stocks", "2600"}};
  CDecoder decoder;
  std::unique_ptr<CSessionData> session;
  std::unique_ptr<CMainFrame> frame;
  bool ready = false;

  Client() {
    if (market.port() == 0 || decoder.Load(VELLORAN_DECODER_DIR) != DecoderLoad::kOk) return;
    session = std::make_unique<CSessionData>(SessionOptions{{}, nullptr, &decoder});
    frame = std::make_unique<CMainFrame>(*session,
                                         SessionEndpoint{u"127.0.0.1", market.port(), u"demo"});
    if (!frame->CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080})) return;
    frame->ShowNormal();
    auto& view = static_cast<CQZView&>(frame->qz_view());
    ready = app.loop().RunUntil(
        [&] { return !view.search_time().empty() && frame->driver().socket() != nullptr; },
        std::chrono::seconds(30));
  }
  CQZView& view() { return static_cast<CQZView&>(frame->qz_view()); }
  [[nodiscard]] int TilePaints() {
    int paints = 0;
    for (const CSTKItem* tile : view().tiles().shown()) paints += tile->paint_count();
    return paints;
  }
  // Processor seconds over kStreamSeconds of streaming; the packets received
  // and the tile paints meanwhile.
  double Stream(benchmark::State& state) {
    const double before = ProcessCpuSeconds();
    const std::uint64_t packets = frame->driver().socket()->packets_received();
    const int paints = TilePaints();
    app.loop().RunUntil([] { return false; }, std::chrono::seconds(kStreamSeconds));
    const double cpu = ProcessCpuSeconds() - before;
    state.counters["packets_per_s"] = static_cast<double>(
        (frame->driver().socket()->packets_received() - packets) / kStreamSeconds);
    state.counters["tile_paints_per_s"] =
        static_cast<double>(TilePaints() - paints) / kStreamSeconds;
    state.counters["core_percent"] = cpu * 100.0 / kStreamSeconds;
    return cpu;
  }
};

std::unique_ptr<Client>& ClientSlot() {
  static std::unique_ptr<Client> c;
  return c;
}
Client& TheClient() {
  if (!ClientSlot()) ClientSlot() = std::make_unique<Client>();
  return *ClientSlot();
}

void BM_ClientStreamingTiles(benchmark::State& state) {
  Client& c = TheClient();
  if (!c.ready) {
    state.SkipWithError("no market");
    return;
  }
  for (auto _ : state) state.SetIterationTime(c.Stream(state));
  state.counters["tiles"] = static_cast<double>(c.view().tiles().shown().size());
}

void BM_ClientStreamingGrid(benchmark::State& state) {
  Client& c = TheClient();
  if (!c.ready) {
    state.SkipWithError("no market");
    return;
  }
  // The top bar's GRID: the work area shows the grid and hides the tiles.
  c.session->set_display_mode(1);
  PostMessage(c.frame->qz_view().handle(), msg::kNotify, code::kScreenRequest, 0);
  for (auto _ : state) state.SetIterationTime(c.Stream(state));
}

BENCHMARK(BM_TileWallRebuildAndPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TileWallPlainFill)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TileQuoteRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TilePlainFill)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClientStreamingTiles)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClientStreamingGrid)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  const int result =
      velloran::RunWithRatios(argc, argv,
                              {{"BM_TileWallRebuildAndPaint", "BM_TileWallPlainFill"},
                               {"BM_TileQuoteRedraw", "BM_TilePlainFill"},
                               {"BM_ClientStreamingTiles", "BM_ClientStreamingGrid"}});
  velloran::ClientSlot().reset();  // the client, then the market process
  return result;
}
