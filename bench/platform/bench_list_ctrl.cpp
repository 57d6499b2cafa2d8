// A full repaint of the report list showing 40 rows of 10 columns with text
// in every cell, out of 3,000 rows, against filling the same 400 cells with
// plain rectangles (the bound: no list can paint with less). Painting goes
// to an off-screen bitmap as the window layer's repaint does. The list is
// measured with the same texts each time, and with a tenth of the cells in
// view taking new texts before every repaint (quotes ticking).

#include <benchmark/benchmark.h>

#include <string>

#include "bench/ratio_report.h"
#include "net/text_util.h"
#include "platform/application.h"
#include "tests/platform/offscreen_app.h"
#include "platform/list_ctrl.h"
#include "platform/window_events.h"

namespace velloran {
namespace {

constexpr int kColumns = 10;
constexpr int kColumnWidth = 80;
constexpr int kRowsShown = 40;
constexpr int kRows = 3000;
constexpr int kRowHeight = 18;
constexpr int kHeaderHeight = 20;

using testing_host::App;

// The list with its rows, scrolled to the middle, and a bitmap of its size.
struct Fixture {
  Application& app = App();  // before the windows
  Window host;
  ListCtrl list{[] {
    ListStyle s;
    s.grid_lines = true;
    s.show_selection_always = true;
    return s;
  }()};
  Bitmap canvas;

  Fixture() {
    const int width = kColumns * kColumnWidth + ListCtrl::kBarThickness;
    const int height = kHeaderHeight + kRowsShown * kRowHeight;
    (void)host.Create(nullptr, 0, {0, 0, width + 20, height + 20}, u"bench",
                      {WindowKind::kTopLevel, false});
    (void)list.Create(&host, 1, {0, 0, width, height}, u"");
    for (int c = 0; c < kColumns; ++c)
      list.InsertColumn(c, {u"열" + FormatInt(c), kColumnWidth,
                            c < 2 ? ColumnAlign::kLeft : ColumnAlign::kRight});
    const char16_t* names[] = {u"삼성전자", u"SK하이닉스", u"카카오", u"NAVER", u"현대차"};
    for (int i = 0; i < kRows; ++i) {
      list.InsertItem(i, FormatInt06(i));
      list.SetItemText(i, 1, names[i % 5]);
      for (int c = 2; c < kColumns; ++c)
        list.SetItemText(i, c, FormatNumber(1000 + i * 37 + c * 101));
    }
    list.SetTopIndex(kRows / 2);
    list.SelectItem(kRows / 2 + 3);
    canvas = Bitmap(list.ClientRect().width(), list.ClientRect().height());
  }
};

Fixture& TheFixture() {
  static Fixture* f = new Fixture;
  return *f;
}

void BM_ListRepaint(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    DrawContext dc(f.canvas);
    f.list.Send(sys::kEraseBackground, reinterpret_cast<WParam>(&dc), 0);
    f.list.Send(sys::kPaint, reinterpret_cast<WParam>(&dc), 0);
    benchmark::DoNotOptimize(f.canvas.PixelAt(5, 30));
  }
  state.counters["rows"] = f.list.CountPerPage();
}

void BM_ListRepaintTicking(benchmark::State& state) {
  Fixture& f = TheFixture();
  int tick = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int k = 0; k < kRowsShown; ++k)
      f.list.SetItemText(kRows / 2 + k, 2 + (k + tick) % (kColumns - 2),
                         FormatNumber(50000 + (tick * 7919 + k * 104729) % 900000));
    ++tick;
    state.ResumeTiming();
    DrawContext dc(f.canvas);
    f.list.Send(sys::kEraseBackground, reinterpret_cast<WParam>(&dc), 0);
    f.list.Send(sys::kPaint, reinterpret_cast<WParam>(&dc), 0);
    benchmark::DoNotOptimize(f.canvas.PixelAt(5, 30));
  }
}

void BM_PlainCells(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    DrawContext dc(f.canvas);
    for (int r = 0; r < kRowsShown; ++r)
      for (int c = 0; c < kColumns; ++c) {
        const int x = c * kColumnWidth;
        const int y = kHeaderHeight + r * kRowHeight;
        dc.FillRect({x, y, x + kColumnWidth, y + kRowHeight}, Rgb(255, 255, 250 + (r + c) % 5));
      }
    benchmark::DoNotOptimize(f.canvas.PixelAt(5, 30));
  }
}

BENCHMARK(BM_ListRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListRepaintTicking)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCells)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(
      argc, argv,
      {{"BM_ListRepaint", "BM_PlainCells"}, {"BM_ListRepaintTicking", "BM_PlainCells"}});
}
