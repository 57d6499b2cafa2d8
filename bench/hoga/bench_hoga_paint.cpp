// The order book's canvas: a whole repaint of a full twenty-level book (both
// sides with bars, changes and stamps, the price panel, the totals) against
// filling the same rectangles with plain colour, the bound no canvas of that
// book can beat; the repaint of one HOGA update (three rows and the totals);
// the first repaint, with every text laid out; and the lower pane, drawn at
// its size. Painting goes to off-screen bitmaps as the window's does.

#include <benchmark/benchmark.h>

#include <vector>

#include "app/session_store.h"
#include "bench/ratio_report.h"
#include "hoga/hoga_canvas.h"
#include "hoga/hoga_feed.h"
#include "platform/application.h"
#include "tests/hoga/book_packets.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

using namespace testing_book;
using C = CHogaCanvas;

// A book as the demo market's busy stocks show it: ten levels a side from
// the book, ten more from the day's level lines, a change on every third
// level, the high and the low on the book.
struct Books {
  Books() {
    AddMaster(store, u"000100", u"코스피주", 1, 0, 36650, 47600, 25700);
    CHogaFeed feed(store);
    server::Book b = Ladder(36750, 36700, 50);
    for (int i = 0; i < 10; ++i) {
      b.ask_qty[i] = 1500 + 731 * i % 4000;
      b.bid_qty[i] = 2200 + 977 * i % 7000;
    }
    std::u16string levels;
    for (int i = 1; i <= 12; ++i) {
      levels += LevelLine(u"20240104153000", 37200 + 50 * i, 0, 1000 + 313 * i % 4000);
      levels += LevelLine(i % 2 ? u"20240105091500" : u"20240104153000", 36250 - 50 * i,
                          900 + 411 * i % 5000, 0);
    }
    feed.HandlePacket(Snapshot(u"000100",
                               QuoteLine({.price = 36700,
                                          .open = 36500,
                                          .high = 36750,
                                          .low = 36400,
                                          .best_ask = 36750,
                                          .best_bid = 36700}),
                               levels, BookLine(b, 93000)));
    for (int i = 0; i < 10; i += 3) {
      b.ask_qty[i] += 37;
      b.bid_qty[i] -= 41;
    }
    feed.HandlePacket(BookUpdate(u"000100", BookLine(b, 93001)));
    full = feed.Frame();
    // One update later: three levels and the totals.
    b.ask_qty[1] += 5;
    b.bid_qty[2] += 9;
    b.bid_qty[6] -= 3;
    b.SumTotals();
    feed.HandlePacket(BookUpdate(u"000100", BookLine(b, 93002)));
    next = feed.Frame();
  }
  ManualClock clock;
  CSessionStore store{clock};
  BookFrame full;
  BookFrame next;
};

const Books& TheBooks() {
  static const Books books;
  return books;
}

// Every rectangle the canvas fills for a book, without its texts.
std::vector<std::pair<Rect, Color>> PlainRects(const BookFrame& f) {
  std::vector<std::pair<Rect, Color>> out;
  for (int level = 1; level <= 20; ++level) {
    const bool near = level <= 10;
    const Rect a = C::AskRowRect(level), b = C::BidRowRect(level);
    out.push_back({{0, a.top, 240, a.bottom}, near ? C::kAskNear : C::kAskFar});
    out.push_back({{241, a.top, 340, a.bottom}, near ? C::kAskPriceNear : C::kAskPriceFar});
    out.push_back({{241, b.top, 340, b.bottom}, near ? C::kBidPriceNear : C::kBidPriceFar});
    out.push_back({{341, b.top, 580, b.bottom}, near ? C::kBidNear : C::kBidFar});
    const int ask_len = f.largest > 0 ? std::min(119, f.asks[level - 1].ask * 120 / f.largest) : 0;
    const int bid_len = f.largest > 0 ? std::min(118, f.bids[level - 1].bid * 120 / f.largest) : 0;
    out.push_back({{239 - ask_len, a.top + 1, 239, a.bottom - 1}, C::kAskBar});
    out.push_back({{342, b.top + 1, 342 + bid_len, b.bottom - 1}, C::kBidBar});
  }
  for (int r = 0; r < 10; ++r)
    out.push_back(
        {{341, 180 + r * 18, 580, 198 + r * 18}, r % 2 ? C::kPanelWhite : C::kPanelShade});
  out.push_back({{0, C::kTotalsTop, C::kWidth, C::kHeight}, C::kTotals});
  out.push_back({{240, 0, 241, 720}, C::kLine});
  out.push_back({{340, 0, 341, 720}, C::kLine});
  out.push_back({{0, 360, 580, 361}, C::kLine});
  out.push_back({{0, 720, 580, 721}, C::kLine});
  out.push_back({{0, 755, 580, 756}, C::kLine});
  out.push_back({{0, 180, 580, 181}, C::kGreyLine});
  out.push_back({{0, 540, 580, 541}, C::kGreyLine});
  return out;
}

void BM_PlainFill(benchmark::State& state) {
  (void)testing_host::App();
  const auto rects = PlainRects(TheBooks().full);
  Bitmap bitmap(C::kWidth, C::kHeight);
  for (auto _ : state) {
    DrawContext dc(bitmap);
    dc.FillRect({0, 0, C::kWidth, C::kHeight}, C::kWhite);
    for (const auto& [r, c] : rects) dc.FillRect(r, c);
    dc.Finish();
    benchmark::DoNotOptimize(bitmap.PixelAt(1, 1));
  }
}
BENCHMARK(BM_PlainFill)->Unit(benchmark::kMicrosecond);

void BM_PaintAll(benchmark::State& state) {
  (void)testing_host::App();
  C canvas;
  canvas.PaintAll(TheBooks().full);
  for (auto _ : state) {
    canvas.PaintAll(TheBooks().full);
    benchmark::DoNotOptimize(canvas.bitmap().PixelAt(1, 1));
  }
}
BENCHMARK(BM_PaintAll)->Unit(benchmark::kMicrosecond);

// Each repaint a fresh canvas: every text laid out and drawn afresh.
void BM_PaintAllFirst(benchmark::State& state) {
  (void)testing_host::App();
  for (auto _ : state) {
    C canvas;
    canvas.PaintAll(TheBooks().full);
    benchmark::DoNotOptimize(canvas.bitmap().PixelAt(1, 1));
  }
}
BENCHMARK(BM_PaintAllFirst)->Unit(benchmark::kMicrosecond);

// One HOGA update and back, alternately: the rows that moved and the totals.
void BM_PaintChanges(benchmark::State& state) {
  (void)testing_host::App();
  C canvas;
  canvas.PaintAll(TheBooks().full);
  canvas.PaintChanges(TheBooks().next);
  long rows = 0, i = 0;
  for (auto _ : state) {
    const long before = canvas.rows_painted();
    benchmark::DoNotOptimize(canvas.PaintChanges(++i % 2 ? TheBooks().full : TheBooks().next));
    rows += canvas.rows_painted() - before;
  }
  state.counters["rows"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PaintChanges)->Unit(benchmark::kMicrosecond);

// The lower pane of a smaller screen (500 pixels high): the whole book drawn
// at that size on every frame.
void BM_PaintScaled(benchmark::State& state) {
  (void)testing_host::App();
  C canvas;
  canvas.PaintAll(TheBooks().full);
  Bitmap pane(C::kWidth, 500);
  for (auto _ : state) {
    DrawContext dc(pane);
    canvas.PaintScaled(dc, {0, 0, C::kWidth, 500});
    dc.Finish();
    benchmark::DoNotOptimize(pane.PixelAt(1, 1));
  }
}
BENCHMARK(BM_PaintScaled)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv,
                                 {{"BM_PaintAll", "BM_PlainFill"},
                                  {"BM_PaintAllFirst", "BM_PlainFill"},
                                  {"BM_PaintChanges", "BM_PlainFill"},
                                  {"BM_PaintScaled", "BM_PlainFill"}});
}
