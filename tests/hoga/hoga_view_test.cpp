// The order book's window under the offscreen platform: packets go through
// the view's own thread and come back as copies its window paints. The
// canvas is read pixel by pixel where the layout puts rows, boxes, bars and
// texts; frames are counted on a clock the test moves; the trade list, memo,
// tile, tip, replay window and the scaled pane are checked as a user sees
// them.

#include "hoga/hoga_view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/session_data.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "platform/child_rect.h"
#include "platform/input_simulation.h"
#include "platform/test_window.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"
#include "stock/stock_records.h"
#include "tests/app/session_fixture.h"
#include "tests/hoga/book_packets.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using namespace testing_book;
using namespace testing_host;
using C = CHogaCanvas;

// Pixels near a colour in a rectangle: text is smoothed, its stems are not
// all of the exact colour.
int Ink(const Bitmap& b, const Rect& r, Color c, int tolerance = 24) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const Color p = b.PixelAt(x, y);
      n += std::abs(p.r - c.r) <= tolerance && std::abs(p.g - c.g) <= tolerance &&
           std::abs(p.b - c.b) <= tolerance;
    }
  }
  return n;
}

// Pixels of a clearly red (or blue) tint: smoothed text in those colours.
int Tinted(const Bitmap& b, const Rect& r, bool red) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const Color p = b.PixelAt(x, y);
      n += red ? p.r - std::max(p.g, p.b) > 60 : p.b - std::max(p.r, p.g) > 60;
    }
  }
  return n;
}

// The pixels a text leaves in a box of the canvas's font over a background.
Bitmap TextAlone(const std::u16string& text, const Rect& box, Color color, Color background) {
  Bitmap b(C::kWidth, C::kHeight, background);
  DrawContext dc(b);
  dc.SetFont(Font::Points(u"굴림", 9));
  TextPictures pictures;
  pictures.Draw(dc, text, box, TextAlign::kRight, color, background);
  dc.Finish();
  return b;
}

bool SameIn(const Bitmap& a, const Bitmap& b, const Rect& r) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (!(a.PixelAt(x, y) == b.PixelAt(x, y))) return false;
    }
  }
  return true;
}

// The change column of a row, as PaintLevel lays it out.
Rect AskChangeBox(int level) {
  const Rect r = C::AskRowRect(level);
  return {3, r.top + 1, 117, r.bottom - 1};
}
Rect BidChangeBox(int level) {
  const Rect r = C::BidRowRect(level);
  return {463, r.top + 1, 577, r.bottom - 1};
}
int MidY(const Rect& r) {
  return (r.top + r.bottom) / 2;
}

class HogaViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UiLoop().SetClock(&clock);
    AddMaster(session.store(), u"000100", u"코스피주", 1, 0, 50500, 65600, 35400);
    AddMaster(session.store(), u"100100", u"만원주", 1, 0, 10000);
    AddMaster(session.store(), u"900100", u"기준없음", 1, 0, 0);
    ASSERT_TRUE(host.Open(C::kWidth + 20, C::kHeight + 20));
    ASSERT_TRUE(view.Create(&host, 1, {0, 0, C::kWidth, C::kHeight}, u""));
    view.SetRelations(
        {main.handle(), top.handle(), view.handle(), koa.handle(), {}, chart.handle()});
  }
  void TearDown() override {
    if (view.IsCreated()) view.Destroy();
    Settle();
    UiLoop().SetClock(nullptr);
    std::filesystem::remove_all(dir);
  }

  // Through the view's thread; returns once its window has the change.
  void Feed(std::unique_ptr<Packet> p) {
    const long before = view.changes();
    view.feed().PushPacket(std::move(p));
    ASSERT_TRUE(RunUntil([&] { return view.changes() > before; }))
        << "the view's window got no change";
  }
  // Moves the clock a frame on, so a waiting frame is painted.
  void NextFrame() {
    UiLoop().Advance(clock, CHogaView::kFramePeriod);
    Settle();
  }
  // The standard book: KOSPI 51,000, levels 100 apart, quantities 300 but
  // the best ask 1,000 (the largest), the high at 51,200 and the low at 50,700.
  void OpenBook() {
    server::Book b = Ladder(51100, 51000, 100, 300);
    b.ask_qty[0] = 1000;
    b.bid_qty[0] = 500;
    b.ask_qty[2] = 250;
    b.SumTotals();
    book = b;
    const std::u16string levels = LevelLine(u"20240105103107", 52500, 0, 5000) +
                                  LevelLine(u"20231228140500", 52300, 0, 40) +
                                  LevelLine(u"20240105090100", 50000, 70, 0);
    Feed(Snapshot(u"000100",
                  QuoteLine({.price = 51000,
                             .open = 50800,
                             .high = 51200,
                             .low = 50700,
                             .best_ask = 51100,
                             .best_bid = 51000}),
                  levels, BookLine(b, 103000)));
  }

  ManualClock clock{testing::TestStart()};
  std::filesystem::path dir = testing::FreshDirectory();
  CSessionData session{SessionOptions{dir, &clock, nullptr}};
  Application& app = App();
  ControlHost host;
  RecordingWindow main{UiLoop()}, top{UiLoop()}, koa{UiLoop()}, chart{UiLoop()};
  CHogaView view{session};
  server::Book book;
};

TEST_F(HogaViewTest, TheCanvasShowsRowsBoxesBarsChangesAndStamps) {
  OpenBook();
  const Bitmap& shot = view.canvas().bitmap();
  ASSERT_TRUE(shot.SavePng((std::filesystem::temp_directory_path() / "hoga_canvas.png").string()));
  // Row backgrounds and price cells, near and far, both sides.
  EXPECT_EQ(shot.PixelAt(1, MidY(C::AskRowRect(1))), C::kAskNear);
  EXPECT_EQ(shot.PixelAt(1, MidY(C::AskRowRect(15))), C::kAskFar);
  EXPECT_EQ(shot.PixelAt(243, MidY(C::AskRowRect(5))), C::kAskPriceNear);
  EXPECT_EQ(shot.PixelAt(243, MidY(C::AskRowRect(19))), C::kAskPriceFar);
  EXPECT_EQ(shot.PixelAt(243, MidY(C::BidRowRect(1))), C::kBidPriceNear);
  EXPECT_EQ(shot.PixelAt(243, MidY(C::BidRowRect(12))), C::kBidPriceFar);
  EXPECT_EQ(shot.PixelAt(578, MidY(C::BidRowRect(1))), C::kBidNear);
  EXPECT_EQ(shot.PixelAt(578, MidY(C::BidRowRect(20))), C::kBidFar);
  // The one-pixel step between levels 1-10 and 11-20 holds the grey lines.
  EXPECT_EQ(C::AskRowRect(10).top, C::AskRowRect(11).bottom + 1);
  EXPECT_EQ(shot.PixelAt(5, 180), C::kGreyLine);
  EXPECT_EQ(shot.PixelAt(500, 540), C::kGreyLine);
  EXPECT_EQ(shot.PixelAt(C::kQuantityLine, 100), C::kLine);
  EXPECT_EQ(shot.PixelAt(C::kPriceLine, 600), C::kLine);
  EXPECT_EQ(shot.PixelAt(100, C::kMiddle), C::kLine);
  EXPECT_EQ(shot.PixelAt(100, C::kTotalsTop + 5), C::kTotals);

  // The high (51,200, ask level 2) in a red box, the low (50,700, bid level
  // 4) in a blue one, white text on both.
  const Rect high = C::AskRowRect(2), low = C::BidRowRect(4);
  EXPECT_EQ(shot.PixelAt(244, MidY(high)), C::kRise);
  EXPECT_EQ(shot.PixelAt(244, MidY(low)), C::kFall);
  EXPECT_GT(Ink(shot, {290, high.top + 1, 338, high.bottom - 1}, C::kWhite, 100), 10);
  EXPECT_EQ(shot.PixelAt(244, MidY(C::AskRowRect(3))), C::kAskPriceNear);

  // Bars: 250 of 1,000 is a quarter of the 120-pixel column, leftwards from
  // x 239; 500 rightwards from 342; 5,000 (level 12, from the level lines)
  // stops at its cell.
  const int ask3 = C::AskRowRect(3).top + 2;
  EXPECT_EQ(shot.PixelAt(239 - 30, ask3), C::kAskBar);
  EXPECT_EQ(shot.PixelAt(239 - 31, ask3), C::kAskNear);
  const int bid1 = C::BidRowRect(1).top + 2;
  EXPECT_EQ(shot.PixelAt(342 + 59, bid1), C::kBidBar);
  EXPECT_EQ(shot.PixelAt(342 + 60, bid1), C::kBidNear);
  ASSERT_EQ(view.book().asks[11].price, 52500);
  const Rect deep = C::AskRowRect(12);
  EXPECT_EQ(shot.PixelAt(120, deep.top + 2), C::kAskBar);
  EXPECT_EQ(shot.PixelAt(119, deep.top + 2), C::kAskFar);

  // Stamps in grey: today's at 10:31:07, another day's as month/day.
  EXPECT_TRUE(SameIn(shot, TextAlone(u"10:31:07", AskChangeBox(12), C::kStamp, C::kAskFar),
                     AskChangeBox(12)));
  ASSERT_EQ(view.book().asks[10].price, 52300);
  EXPECT_TRUE(SameIn(shot, TextAlone(u"12/28 14:05", AskChangeBox(11), C::kStamp, C::kAskFar),
                     AskChangeBox(11)));
  // Levels 1-10 set by the book show no time; rows past the map show nothing.
  EXPECT_EQ(Ink(shot, AskChangeBox(1), C::kStamp, 40), 0);
  EXPECT_EQ(view.book().asks[12].price, 0);
  const Rect empty = C::AskRowRect(13);
  EXPECT_EQ(Ink(shot, {1, empty.top + 1, 239, empty.bottom - 1}, C::kText, 60), 0);
  EXPECT_EQ(Ink(shot, {241, empty.top + 1, 339, empty.bottom - 1}, C::kText, 60), 0);

  // 300 -> 500 at bid level 2 shows 200 in red; a fall in blue.
  book.bid_qty[1] = 500;
  book.bid_qty[2] = 100;
  Feed(BookUpdate(u"000100", BookLine(book, 103005)));
  NextFrame();
  const Bitmap& next = view.canvas().bitmap();
  EXPECT_TRUE(
      SameIn(next, TextAlone(u"200", BidChangeBox(2), C::kRise, C::kBidNear), BidChangeBox(2)));
  EXPECT_TRUE(
      SameIn(next, TextAlone(u"200", BidChangeBox(3), C::kFall, C::kBidNear), BidChangeBox(3)));
  EXPECT_EQ(Ink(next, BidChangeBox(4), C::kRise, 40), 0);

  // The panel: master values for the stock shown, none for a stock without one.
  const Rect base_value{400, 13 * 18, 471, 14 * 18};
  EXPECT_GT(Ink(next, base_value, C::kText, 40), 10);
  Feed(Snapshot(u"777777", QuoteLine({.price = 9000}), u"", BookLine(Ladder(9010, 9000, 10), 1)));
  NextFrame();
  EXPECT_EQ(Ink(view.canvas().bitmap(), base_value, C::kText, 40), 0);
  EXPECT_GT(Ink(view.canvas().bitmap(), {341, 13 * 18, 471, 14 * 18}, C::kBlack, 40), 0);
}

TEST_F(HogaViewTest, OnlyChangedRowsRepaintOncePerFrame) {
  OpenBook();
  const long frames = view.frames();
  long rows = view.canvas().rows_painted();

  // Two quantities move; the largest stays: two rows and the totals.
  book.ask_qty[4] = 301;
  book.bid_qty[6] = 299;
  book.SumTotals();
  Feed(BookUpdate(u"000100", BookLine(book, 103001)));
  EXPECT_TRUE(view.frame_pending());
  NextFrame();
  EXPECT_EQ(view.frames(), frames + 1);
  EXPECT_EQ(view.canvas().rows_painted() - rows, 2);
  rows = view.canvas().rows_painted();

  // A burst between two frames: one frame, with the rows that differ from
  // what is shown.
  for (const int q : {302, 303, 301}) {
    book.ask_qty[4] = q;
    book.bid_qty[7] = q;
    Feed(BookUpdate(u"000100", BookLine(book, 103002)));
  }
  EXPECT_EQ(view.frames(), frames + 1);
  NextFrame();
  EXPECT_EQ(view.frames(), frames + 2);
  // Ask 5 is back at 301 but its change is now -2; bid 7 lost its change;
  // bid 8 moved.
  EXPECT_EQ(view.canvas().rows_painted() - rows, 3);
  rows = view.canvas().rows_painted();

  // A new largest quantity rescales every bar: all forty rows.
  book.bid_qty[9] = 4000;
  Feed(BookUpdate(u"000100", BookLine(book, 103003)));
  NextFrame();
  EXPECT_EQ(view.canvas().rows_painted() - rows, 40);
  // What is shown is the book as it stands.
  EXPECT_EQ(view.canvas().shown().bids, view.book().bids);
  EXPECT_EQ(view.canvas().shown().total_bid, view.book().total_bid);
}

TEST_F(HogaViewTest, TradesMemoOwnRecordAndTile) {
  std::u16string lines;
  for (int k = 0; k < 49; ++k)
    lines += QuoteLine({.time = 102959 - k,
                        .price = 51000 - k,
                        .sign = k % 2 == 0 ? 2 : 5,
                        .trade_volume = k + 1,
                        .buy = k % 3 != 0}) +
             u"\n";
  Feed(Snapshot(u"000100",
                QuoteLine({.time = 103000,
                           .price = 51000,
                           .high = 51200,
                           .low = 50700,
                           .best_ask = 51100,
                           .best_bid = 51000,
                           .sign = 3}),
                u"", BookLine(Ladder(51100, 51000, 100), 103000), lines));
  CHogaChe& list = view.trades();
  ASSERT_EQ(list.ItemCount(), 50);
  EXPECT_EQ(list.ItemText(0, 0), u"10:30:00");
  EXPECT_EQ(list.PriceColor(0), CHogaChe::kFlat);
  EXPECT_EQ(list.ItemText(1, 1), u"51,000");
  EXPECT_EQ(list.PriceColor(1), CHogaChe::kUp);
  EXPECT_EQ(list.PriceColor(2), CHogaChe::kDown);
  EXPECT_EQ(list.VolumeColor(1), CHogaChe::kSell);  // k 0: "-"
  EXPECT_EQ(list.VolumeColor(2), CHogaChe::kBuy);
  EXPECT_EQ(list.ItemText(49, 0), u"10:29:11");

  // The 51st trade pushes the oldest out.
  Feed(Trade(
      u"000100",
      QuoteLine(
          {.time = 103001, .price = 51100, .high = 51200, .low = 50700, .trade_volume = 77})));
  ASSERT_EQ(list.ItemCount(), 50);
  EXPECT_EQ(list.ItemText(0, 2), u"77");
  EXPECT_EQ(list.ItemText(49, 0), u"10:29:12");
  ASSERT_TRUE(view.trades().SaveScreenshot(
      (std::filesystem::temp_directory_path() / "hoga_trades.png").string()));
  const Bitmap rows = view.trades().Render();
  // Prices: the new trade rising in red, the snapshot's quote flat, the
  // second line of the snapshot falling in blue.
  EXPECT_GT(Tinted(rows, list.SubItemRect(0, 1), true), 5);
  EXPECT_EQ(Tinted(rows, list.SubItemRect(1, 1), true), 0);
  EXPECT_EQ(Tinted(rows, list.SubItemRect(1, 1), false), 0);
  EXPECT_GT(Tinted(rows, list.SubItemRect(3, 1), false), 5);

  // The view's own record of the stock, with its tile bound to it.
  const CQZData* record = view.own_record();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->code(), u"000100");
  EXPECT_EQ(record->name(), u"테스트000100");
  ASSERT_NE(record->quote(), nullptr);
  EXPECT_EQ(record->quote()->Price(), 51100);
  EXPECT_EQ(view.tile().code(), record->code());
  // The snapshot's price, then the trade's, once the tile has painted.
  EXPECT_TRUE(testing_host::RunUntil([&] { return view.tile().painted_price() == 51100; }));

  // The memo, then another stock: a record of its own, and not the memo of
  // the stock before.
  Feed(Memo(u"000100", u"목표가 55,000\n손절 49,000"));
  EXPECT_EQ(view.memo().Text(), u"목표가 55,000\n손절 49,000");
  // A megabyte on one line is cut and broken into lines the box lays out at once.
  Feed(Memo(u"000100", std::u16string(std::size_t{1} << 20, u'메')));
  const std::u16string bounded = view.memo().Text();
  EXPECT_LE(bounded.size(), CHogaMemo::kMaxChars + CHogaMemo::kMaxChars / CHogaMemo::kMaxLine);
  EXPECT_EQ(view.memo().LineCount(), static_cast<int>(CHogaMemo::kMaxChars / CHogaMemo::kMaxLine + 1));
  // Its trades are the book's from the push of its snapshot on: the socket
  // routes a trade read in the same chunk by this code, before the window
  // has the snapshot.
  const long before = view.changes();
  view.feed().PushPacket(
      Snapshot(u"100100", QuoteLine({.price = 10000}), u"", BookLine(Ladder(10050, 10000, 50), 1)));
  EXPECT_EQ(view.feed().ShownStockCode(), u"100100");
  view.feed().PushPacket(Trade(u"100100", QuoteLine({.time = 103002, .price = 10050})));
  ASSERT_TRUE(RunUntil([&] { return view.changes() >= before + 2; }));
  EXPECT_EQ(list.ItemText(0, 1), u"10,050");
  EXPECT_EQ(view.memo().Text(), u"");
  ASSERT_NE(view.own_record(), nullptr);
  EXPECT_EQ(view.own_record()->code(), u"100100");
  EXPECT_EQ(view.tile().code(), u"100100");
}

TEST_F(HogaViewTest, PriceTipOnHoverAndTheLowerPane) {
  Feed(Snapshot(u"100100", QuoteLine({.price = 10000, .best_ask = 10050, .best_bid = 10000}), u"",
                BookLine(Ladder(10050, 10000, 50), 100000)));
  ASSERT_EQ(view.book().asks[2].price, 10150);
  const Point hover{290, MidY(C::AskRowRect(3))};
  SimulateMouse(host, sys::kMouseMove, hover);
  EXPECT_EQ(view.tip().tip_text(), u"1.50％");
  // The tip control shows it once the mouse rests that long.
  EXPECT_EQ(view.tip().delay_ms(), CHogaView::kTipDelayMs);
  SimulateMouse(host, sys::kMouseMove, {290, MidY(C::BidRowRect(2))});
  EXPECT_EQ(view.tip().tip_text(), u"-0.50％");
  // The book moves under the resting mouse: the row now holds 10,200.
  SimulateMouse(host, sys::kMouseMove, hover);
  Feed(BookUpdate(u"100100", BookLine(Ladder(10100, 10050, 50), 100001)));
  NextFrame();
  ASSERT_EQ(view.book().asks[2].price, 10200);
  EXPECT_EQ(view.tip().tip_text(), u"2.00％");
  Feed(BookUpdate(u"100100", BookLine(Ladder(10050, 10000, 50), 100002)));
  NextFrame();
  EXPECT_EQ(view.tip().tip_text(), u"1.50％");
  SimulateMouse(host, sys::kMouseMove, {100, MidY(C::AskRowRect(5))});  // not the price column
  EXPECT_EQ(view.tip().tip_text(), u"");
  SimulateMouse(host, sys::kMouseMove, hover);
  view.Send(sys::kMouseLeave, 0, 0);
  EXPECT_EQ(view.tip().tip_text(), u"");

  // A lower pane: the canvas shrinks to it, the children move with their rows.
  view.Move({0, 0, C::kWidth, 378});
  Settle();
  EXPECT_DOUBLE_EQ(view.scale(), 0.5);
  EXPECT_EQ(ChildRect(view.memo()), (Rect{341, 0, 580, 90}));
  EXPECT_EQ(ChildRect(view.trades()), (Rect{0, 180, 240, 270}));
  EXPECT_EQ(ChildRect(view.tile()), (Rect{5, 272, 235, 358}));
  const Bitmap small = view.Render();
  ASSERT_TRUE(view.SaveScreenshot(
      (std::filesystem::temp_directory_path() / "hoga_view_lower.png").string()));
  EXPECT_EQ(small.PixelAt(5, 378 - 2), C::kTotals);
  EXPECT_EQ(small.PixelAt(1, MidY(C::AskRowRect(15)) / 2), C::kAskFar);
  EXPECT_EQ(small.PixelAt(578, MidY(C::BidRowRect(1)) / 2), C::kBidNear);
  // The same level under the mouse at half the height.
  SimulateMouse(host, sys::kMouseMove, {hover.x, hover.y / 2});
  EXPECT_EQ(view.tip().tip_text(), u"1.50％");

  // With a base price of 0 there is no rate to show.
  Feed(Snapshot(u"900100", QuoteLine({.price = 5000, .best_ask = 5010, .best_bid = 5000}), u"",
                BookLine(Ladder(5010, 5000, 10), 100000)));
  SimulateMouse(host, sys::kMouseMove, {hover.x, hover.y / 2 + 1});
  EXPECT_EQ(view.tip().tip_text(), u"");
}

// What the main frame's factory makes in place of the replay frame: a
// top-level window that keeps the stock it was given and tells the book when
// it closes.
class ReplayStandIn : public Window {
 public:
  bool Open(const WindowHandle& book, const std::u16string& title) {
    book_ = book;
    return Create(nullptr, 0, {120, 120, 920, 720}, title, {WindowKind::kTopLevel});
  }
  LResult WindowProc(WindowMessage& m) override {
    if (m.message != msg::kSelectStock) return Window::WindowProc(m);
    stock = UnpackStockCode(static_cast<std::intptr_t>(m.wparam));
    return 0;
  }
  std::u16string stock;

 protected:
  void OnDestroy() override { SendMessage(book_, msg::kReplayClosed, 0, 0); }

 private:
  WindowHandle book_;
};

TEST_F(HogaViewTest, AlarmsReplayWindowAndDestructionWithPacketsWaiting) {
  OpenBook();
  auto alarm = std::make_unique<Packet>(0);
  alarm->AddInt(u"IDX", 3010);
  const Packet* alarm_at = alarm.get();
  ASSERT_TRUE(PostPacket(view.handle(), msg::kAlarmReached, std::move(alarm), true, 0));
  ASSERT_TRUE(RunUntil([&] { return !main.received.empty(); }));
  EXPECT_EQ(main.received[0].message, msg::kAlarmReached);
  EXPECT_EQ(main.Owned<Packet>(0), alarm_at);

  // PLAY opens a window titled with the stock; the book sends it there.
  EXPECT_TRUE(view.feed().ReplayWindow().IsNull());
  view.SetReplayFactory([](const WindowHandle& book, const std::u16string& title) {
    auto w = std::make_unique<ReplayStandIn>();
    if (!w->Open(book, title)) w.reset();
    return std::unique_ptr<Window>(std::move(w));
  });
  ASSERT_TRUE(PostMessage(view.handle(), msg::kOpenReplay, 0, 0));
  ASSERT_TRUE(RunUntil([&] { return view.feed().ReplayWindow().IsWindow(); }));
  ASSERT_NE(view.replay(), nullptr);
  EXPECT_EQ(view.replay()->Text(), u"코스피주 (000100)");
  EXPECT_EQ(dynamic_cast<ReplayStandIn*>(view.replay())->stock, u"000100");
  view.OpenReplay();  // again: the same window in front
  EXPECT_EQ(view.feed().ReplayWindow(), view.replay()->handle());
  // Closing it tells the book, which forgets it; replies for it are freed.
  view.replay()->Send(sys::kClose, 0, 0);
  EXPECT_TRUE(view.feed().ReplayWindow().IsNull());
  view.feed().PushPacket(std::make_unique<Packet>(code::kReplayData));

  // Destroyed with the thread busy and packets waiting: the thread is joined
  // and what is left freed (the sanitizers see any leak or race).
  for (int i = 0; i < 2000; ++i) {
    book.ask_qty[5] = i;
    view.feed().PushPacket(BookUpdate(u"000100", BookLine(book, 103000)));
  }
  view.Destroy();
  EXPECT_FALSE(view.feed().running());
  Settle();
}

}  // namespace
}  // namespace velloran
