// The screening grid painting from the store: a full repaint of its 40 rows
// in view out of 3,000 records, and the one row a live quote repaints, each
// against filling the same cells with plain rectangles (the kit's bound: no
// list can paint with less). Painting goes to an off-screen bitmap as the
// window layer's repaint does, under the store's reader as in the program.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/session_data.h"
#include "bench/ratio_report.h"
#include "grid/qz_list_ctrl.h"
#include "net/text_util.h"
#include "platform/application.h"
#include "platform/window_events.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

constexpr int kRowsShown = 40;
constexpr int kRows = 3000;
constexpr int kHeaderHeight = 20;
constexpr int kTop = kRows / 2;
constexpr int kColumns = 10;  // list 3004
constexpr int kColumnWidths[kColumns] = {60, 100, 35, 35, 80, 80, 80, 60, 80, 80};

using testing_host::App;

std::u16string Quote(int price, int sign, int change, double rate, int volume) {
  std::u16string out;
  for (int pos = 0; pos < CPKT::kFieldCount; ++pos) {
    if (pos > 0) out += u'|';
    switch (pos) {
      case 1:
        out += FormatInt(sign);
        break;
      case 2:
        out += FormatInt(change);
        break;
      case 3:
        out += FormatReal2(rate);
        break;
      case 4:
        out += FormatInt(price);
        break;
      case 13:
        out += FormatInt(volume);
        break;
      case 15:
        out += u"1000";
        break;
      case 17:
        out += FormatInt(700 + price % 900);
        break;
      default:
        out += u"0";
    }
  }
  return out;
}

std::u16string Code(int i) {
  return FormatInt06(100000 + i);
}

struct Fixture {
  Application& app = App();  // before the windows
  CSessionData session{SessionOptions{{}, nullptr, nullptr}};
  Window host;
  CQZListCtrl grid;
  Bitmap canvas;

  Fixture() {
    (void)session.SwitchScreen(3004);
    const char16_t* names[] = {u"삼성전자", u"SK하이닉스", u"카카오", u"NAVER", u"현대차"};
    for (int i = 0; i < kRows; ++i) {
      const int price = 1000 + i * 37;
      Packet hit(u"<PKT><GBN>3004</GBN><SHCODE>" + Code(i) + u"</SHCODE><HNAME>" +
                 std::u16string(names[i % 5]) + u"</HNAME><PRC>" + FormatInt(price - i % 3 * 10) +
                 u"</PRC><CPKT>" + Quote(price, i % 2 ? 2 : 5, 10 + i % 40, (i % 7) - 3.5, i * 13) +
                 u"</CPKT><BTOT>" + FormatInt(1000 + i) + u"</BTOT><STOT>" +
                 FormatInt(1500 + i * 3 % 2000) + u"</STOT></PKT>");
      session.Dispatch(hit);
    }
    const int width = 690 + ListCtrl::kBarThickness;
    const int height = kHeaderHeight + kRowsShown * CQZListCtrl::kRowHeight;
    (void)host.Create(nullptr, 0, {0, 0, width + 20, height + 20}, u"bench",
                      {WindowKind::kTopLevel, false});
    (void)grid.Create(&host, 127, {0, 0, width, height});
    grid.Refresh(session, 3004);
    grid.SetTopIndex(kTop);
    canvas = Bitmap(grid.ClientRect().width(), grid.ClientRect().height());
  }

  // A live quote of the stock in a row, through the dispatcher.
  void Trade(int item, int price, int volume) {
    Packet quote(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>" +
                 std::u16string(grid.RowCode(item)) + u"</STKCD><DATA>" +
                 Quote(price, 2, 100, 0.25, volume) + u"</DATA></PKT>");
    session.Dispatch(quote);
  }

  void Paint(const Rect* box) {
    DrawContext dc(canvas);
    if (box != nullptr) dc.SetPaintBoxes({*box});
    grid.Send(sys::kEraseBackground, reinterpret_cast<WParam>(&dc), 0);
    grid.Send(sys::kPaint, reinterpret_cast<WParam>(&dc), 0);
  }
};

Fixture& TheFixture() {
  static Fixture* f = new Fixture;
  return *f;
}

// Arg 40: the whole grid, the same quotes each time. Arg 1: the row of a
// stock whose quote has just changed to a price, volume and strength never
// drawn before (each new text is laid out once).
void BM_GridPaint(benchmark::State& state) {
  Fixture& f = TheFixture();
  const bool one_row = state.range(0) == 1;
  const int item = kTop + 17;
  const Rect row = f.grid.ItemRect(item);
  int tick = 0;
  for (auto _ : state) {
    if (one_row) {
      state.PauseTiming();
      f.Trade(item, 50000 + (tick * 7919) % 900000, 5000 + tick);
      ++tick;
      state.ResumeTiming();
    }
    f.Paint(one_row ? &row : nullptr);
    benchmark::DoNotOptimize(f.canvas.PixelAt(5, 30));
  }
}

// The row of a stock trading back and forth between two prices: its texts
// have been drawn before.
void BM_GridRowSeen(benchmark::State& state) {
  Fixture& f = TheFixture();
  const int item = kTop + 18;
  const Rect row = f.grid.ItemRect(item);
  int tick = 0;
  for (auto _ : state) {
    state.PauseTiming();
    f.Trade(item, 61000 + (tick % 2) * 100, 7000 + tick % 2);
    ++tick;
    state.ResumeTiming();
    f.Paint(&row);
    benchmark::DoNotOptimize(f.canvas.PixelAt(5, 30));
  }
}

void BM_PlainCells(benchmark::State& state) {
  Fixture& f = TheFixture();
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    DrawContext dc(f.canvas);
    for (int r = 0; r < rows; ++r) {
      int x = 0;
      for (int c = 0; c < kColumns; ++c) {
        const int y = kHeaderHeight + r * CQZListCtrl::kRowHeight;
        dc.FillRect({x, y, x + kColumnWidths[c], y + CQZListCtrl::kRowHeight},
                    Rgb(255, 255, 250 + (r + c) % 5));
        x += kColumnWidths[c];
      }
    }
    benchmark::DoNotOptimize(f.canvas.PixelAt(5, 30));
  }
}

BENCHMARK(BM_GridPaint)->Arg(kRowsShown)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GridRowSeen)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCells)->Arg(kRowsShown)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(
      argc, argv, {{"BM_GridPaint", "BM_PlainCells"}, {"BM_GridRowSeen", "BM_PlainCells"}});
}
