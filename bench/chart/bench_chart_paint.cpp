// A chart window's paint of 1,200 day candles with the 5- and 20-bar lines,
// the price axis and time grid, and the volume pane below, against filling
// the same bar rectangles (bodies, wicks and volume boxes) with plain colour:
// the bound no chart of those bars can beat. Painting goes to off-screen
// bitmaps as the window layer's repaint does. Then a live tick on a
// one-minute chart of 1,200 bars: the merge into the newest bar, the rescale
// and the repaint of both panes it brings.

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "bench/ratio_report.h"
#include "chart/chart_wnd.h"
#include "platform/application.h"
#include "platform/window_events.h"
#include "tests/chart/bar_lines.h"
#include "tests/chart/recording_context.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

using namespace std::chrono;
using testing_bars::BarLine;
using testing_host::App;

constexpr int kBars = 1200;
constexpr int kWidth = 1600;
constexpr int kHeight = 600;

std::vector<BarLine> OneMinuteBars() {
  std::vector<BarLine> bars;
  const std::vector<BarLine> walk =
      testing_bars::DayWalk(kBars, sys_days{2025y / March / 14}, 50000);
  for (int i = 0; i < kBars; ++i) {
    BarLine b = walk[i];
    const int minutes = 15 * 60 + 30 - i % 391;
    b.date = 20250314 - i / 391;
    b.time = minutes / 60 * 10000 + minutes % 60 * 100;
    bars.push_back(b);
  }
  return bars;
}

// A chart of 1,200 bars, all shown, and bitmaps of its panes' sizes.
struct Fixture {
  Application& app = App();  // before the windows
  Window host;
  testing_bars::RecordingContext context;
  CQZChartWnd chart;
  Bitmap candle_canvas;
  Bitmap volume_canvas;
  std::vector<std::pair<Rect, Color>> plain;  // the rectangles the panes fill

  explicit Fixture(bool minutes) {
    (void)host.Create(nullptr, 0, {0, 0, kWidth, kHeight}, u"bench",
                      {WindowKind::kTopLevel, false});
    (void)chart.Create(&host, 1, {0, 0, kWidth, kHeight});
    chart.SetContext(&context);
    chart.SetCode(u"005930");
    chart.SetChartId(1);
    context.trading_date = 20250314;
    context.market_open = true;
    chart.SetType(minutes ? u"m1" : u"D");
    chart.SetData(testing_bars::DataText(
                      minutes ? OneMinuteBars()
                              : testing_bars::DayWalk(kBars, sys_days{2025y / March / 14}, 50000)),
                  u"");
    chart.slider().Send(sys::kKeyDown, sys::kVkEnd, 0);  // every bar
    candle_canvas =
        Bitmap(chart.candle().ClientRect().width(), chart.candle().ClientRect().height());
    volume_canvas =
        Bitmap(chart.volume().ClientRect().width(), chart.volume().ClientRect().height());
    Paint();
    CollectPlainRects();
  }

  void Paint() {
    for (auto [pane, canvas] : {std::pair<Window*, Bitmap*>{&chart.candle(), &candle_canvas},
                                {&chart.volume(), &volume_canvas}}) {
      DrawContext dc(*canvas);
      pane->Send(sys::kEraseBackground, reinterpret_cast<WParam>(&dc), 0);
      pane->Send(sys::kPaint, reinterpret_cast<WParam>(&dc), 0);
    }
  }

  void CollectPlainRects() {
    CQZChartCandle& c = chart.candle();
    CQZChartVolume& v = chart.volume();
    const int end = chart.data().End();
    for (int i = 0; i < end; ++i) {
      const TICK bar = chart.data().Bar(i);
      const int k = end - 1 - i;
      const int left = static_cast<int>(c.BarLeft(k));
      const int right = std::max(left + 1, static_cast<int>(c.BarLeft(k) + c.body_width()));
      const int top = std::min(c.ValueToY(bar.open), c.ValueToY(bar.close));
      const int bottom = std::max(c.ValueToY(bar.open), c.ValueToY(bar.close)) + 1;
      const Color colour = bar.close < bar.open ? Rgb(30, 40, 235) : Rgb(231, 17, 14);
      plain.push_back({{left, top, right, bottom}, colour});
      const int wick = static_cast<int>(c.BarLeft(k) + c.pitch() / 2);
      plain.push_back({{wick, c.ValueToY(bar.high), wick + 1, c.ValueToY(bar.low) + 1}, colour});
      plain.push_back(
          {{left, v.ValueToY(static_cast<double>(bar.volume)), right, v.plot().bottom}, colour});
    }
  }
};

Fixture& Days() {
  static Fixture* f = new Fixture(false);
  return *f;
}
Fixture& Minutes() {
  static Fixture* f = new Fixture(true);
  return *f;
}

void BM_ChartPaint(benchmark::State& state) {
  Fixture& f = Days();
  for (auto _ : state) {
    f.Paint();
    benchmark::DoNotOptimize(f.candle_canvas.PixelAt(5, 30));
  }
  state.counters["bars"] = f.chart.data().End();
}

void BM_PlainBars(benchmark::State& state) {
  Fixture& f = Days();
  for (auto _ : state) {
    {
      DrawContext candles(f.candle_canvas);
      DrawContext volumes(f.volume_canvas);
      for (std::size_t n = 0; n < f.plain.size(); ++n)
        (n % 3 == 2 ? volumes : candles).FillRect(f.plain[n].first, f.plain[n].second);
    }
    benchmark::DoNotOptimize(f.candle_canvas.PixelAt(5, 30));
  }
}

// One trade a step, alternating between two prices inside the newest bar's
// minute, so that every tick changes the price and repaints both panes.
void BM_LiveTickRepaint(benchmark::State& state) {
  Fixture& f = Minutes();
  const TICK newest = f.chart.data().Bar(0);
  CPKT up, down;
  (void)up.Parse(testing_bars::QuoteText(153010, 2, 100, newest.close + 50, newest.open,
                                         newest.high + 50, newest.low, 3, 100000));
  (void)down.Parse(testing_bars::QuoteText(153020, 2, 100, newest.close - 50, newest.open,
                                           newest.high + 50, newest.low - 50, 3, 100003));
  bool flip = false;
  for (auto _ : state) {
    f.chart.UpdateQuote(flip ? up : down);
    f.chart.ApplyTick(true);
    f.Paint();
    flip = !flip;
    benchmark::DoNotOptimize(f.candle_canvas.PixelAt(5, 30));
  }
  state.counters["bars"] = f.chart.data().Count();
}

BENCHMARK(BM_ChartPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainBars)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveTickRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(
      argc, argv, {{"BM_ChartPaint", "BM_PlainBars"}, {"BM_LiveTickRepaint", "BM_PlainBars"}});
}
