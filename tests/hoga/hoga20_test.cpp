// The replay's twenty-level book as a window under the offscreen platform:
// a replayed book is drawn pixel for pixel as the live book draws the same
// levels; the player's bursts cost one paint a frame; the tip and the canvas
// fitted to a lower window are checked as a user sees them.

#include "hoga/hoga20.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/session_data.h"
#include "hoga/hoga_view.h"
#include "platform/child_rect.h"
#include "platform/input_simulation.h"
#include "platform/test_window.h"
#include "platform/window_events.h"
#include "tests/app/session_fixture.h"
#include "tests/hoga/book_packets.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using namespace testing_book;
using namespace testing_host;
using C = CHogaCanvas;

int MidY(const Rect& r) {
  return (r.top + r.bottom) / 2;
}

CPKT Quote(const QuoteFields& fields) {
  CPKT q;
  (void)q.Parse(QuoteLine(fields));
  return q;
}

// A snapshot entry: label|price|ask quantity|bid quantity.
std::u16string Entry(const std::u16string& label, int price, int ask, int bid) {
  return label + u"|" + FormatInt(price) + u"|" + FormatInt(ask) + u"|" + FormatInt(bid) + u",";
}

class Hoga20Test : public ::testing::Test {
 protected:
  void SetUp() override {
    UiLoop().SetClock(&clock);
    AddMaster(session.store(), u"000100", u"코스피주", 1, 0, 50500, 65600, 35400);
    AddMaster(session.store(), u"100100", u"만원주", 1, 0, 10000);
    ASSERT_TRUE(host.Open(C::kWidth + 20, C::kHeight + 20));
    ASSERT_TRUE(hoga.Create(&host, 1, {0, 0, C::kWidth, C::kHeight}, u""));
  }
  void TearDown() override {
    if (hoga.IsCreated()) hoga.Destroy();
    Settle();
    UiLoop().SetClock(nullptr);
    std::filesystem::remove_all(dir);
  }
  void SetMaster(const std::u16string& code) {
    const auto data = session.store().Read();
    hoga.SetMaster(*data->FindMaster(code));
  }
  void NextFrame() {
    UiLoop().Advance(clock, FramePacer::kPeriod);
    Settle();
  }

  ManualClock clock{testing::TestStart()};
  std::filesystem::path dir = testing::FreshDirectory();
  CSessionData session{SessionOptions{dir, &clock, nullptr}};
  Application& app = App();
  ControlHost host;
  CHoga20 hoga;
};

TEST_F(Hoga20Test, DrawsAReplayedBookAsTheLiveBookDrawsTheSameLevels) {
  // The live book of a KOSPI stock at 51,000: ten levels a side from the
  // server, levels 11-20 from the snapshot's level lines, stamped today or
  // on an earlier day; then one update, which gives two levels a change.
  ControlHost live_host;
  ASSERT_TRUE(live_host.Open(C::kWidth, C::kHeight));
  CHogaView view{session};
  ASSERT_TRUE(view.Create(&live_host, 1, {0, 0, C::kWidth, C::kHeight}, u""));
  const MasterInfo master = [&] {
    const auto data = session.store().Read();
    return MasterInfo::FromPacket(*data->FindMaster(u"000100"));
  }();
  const std::u16string today = FormatInt(session.TradingDate());
  server::Book b = Ladder(51100, 51000, 100, 300);
  b.ask_qty[0] = 1000;
  b.bid_qty[2] = 450;
  b.SumTotals();
  // The deeper levels where the live book steps to them by the tick.
  std::u16string lines, deep_entries_ask, deep_entries_bid;
  int ask = b.ask_price[9], bid = b.bid_price[9];
  for (int k = 11; k <= 20; ++k) {
    ask += TickSize(ask, master);
    bid -= TickSize(bid, master);
    const std::u16string stamp = (k % 3 == 0 ? u"20231228" : today) + u"1031" + FormatInt(10 + k);
    lines += LevelLine(stamp, ask, 0, 40 * k) + LevelLine(stamp, bid, 30 * k, 0);
    deep_entries_ask += Entry(stamp, ask, 40 * k, 0);
    deep_entries_bid += Entry(stamp, bid, 0, 30 * k);
  }
  const std::u16string quote = QuoteLine({.time = 103000, .price = 51000, .open = 50800,
                                          .high = 51200, .low = 50700, .best_ask = 51100,
                                          .best_bid = 51000});
  const auto replayed = [&](int time) {
    std::u16string asks, bids;
    for (int i = 0; i < 10; ++i) {
      asks += Entry(FormatInt06(time), b.ask_price[i], b.ask_qty[i], 0);
      bids += Entry(FormatInt06(time), b.bid_price[i], 0, b.bid_qty[i]);
    }
    HogaSnapshot s;
    s.time = time;
    s.best_ask = b.ask_price[0];
    s.best_bid = b.bid_price[0];
    s.book = asks + deep_entries_ask + bids + deep_entries_bid;
    return s;
  };

  const long changes = view.changes();
  view.feed().PushPacket(Snapshot(u"000100", quote, lines, BookLine(b, 103000)));
  hoga.SetDate(session.TradingDate());
  SetMaster(u"000100");
  hoga.ApplyQuote(Quote({.time = 103000, .price = 51000, .open = 50800, .high = 51200,
                         .low = 50700, .best_ask = 51100, .best_bid = 51000}));
  hoga.ApplyBook(replayed(103000));
  ASSERT_TRUE(RunUntil([&] { return view.changes() > changes; }));
  b.ask_qty[1] = 500;
  b.bid_qty[2] = 200;
  b.SumTotals();
  view.feed().PushPacket(BookUpdate(u"000100", BookLine(b, 103005)));
  hoga.ApplyBook(replayed(103005));
  ASSERT_TRUE(RunUntil([&] { return view.changes() > changes + 1; }));
  NextFrame();

  ASSERT_EQ(view.canvas().shown().book_time, u"103005");
  ASSERT_EQ(hoga.canvas().shown().book_time, u"103005");
  EXPECT_EQ(hoga.book().frame().asks, view.book().asks);
  EXPECT_EQ(hoga.book().frame().bids, view.book().bids);
  EXPECT_EQ(hoga.book().frame().asks[1].change, 200);
  const Bitmap& a = view.canvas().bitmap();
  const Bitmap& r = hoga.canvas().bitmap();
  ASSERT_EQ(a.size(), r.size());
  int differ = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) differ += !(a.PixelAt(x, y) == r.PixelAt(x, y));
  }
  EXPECT_EQ(differ, 0);

  // The picture: with the day's memo and a few trades.
  hoga.SetMemoText(u"실적 발표 후 거래량 급증\n목표가 55,000");
  for (int k = 0; k < 4; ++k) {
    hoga.ApplyQuote(Quote({.time = 103001 + k, .price = 51000 + 100 * (k % 2), .open = 50800,
                           .high = 51200, .low = 50700, .sign = 2, .trade_volume = 10 * k + 3,
                           .buy = k % 2 == 1}));
  }
  NextFrame();
  EXPECT_EQ(hoga.trades().ItemText(0, 0), u"10:30:04");
  ASSERT_TRUE(
      hoga.SaveScreenshot((std::filesystem::temp_directory_path() / "replay_book.png").string()));
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(hoga.SaveScreenshot(std::string(pictures) + "/replay_book.png"));
  }
  view.Destroy();
}

TEST_F(Hoga20Test, BurstsPaintOnceAFrameTipAndALowerWindow) {
  SetMaster(u"100100");
  const auto snap = [](int time, int best_ask) {
    HogaSnapshot s;
    s.time = time;
    s.best_ask = best_ask;
    s.best_bid = best_ask - 50;
    for (int i = 0; i < 20; ++i) {
      s.book += Entry(u"t", best_ask + 50 * i, 10 + i, 0) + Entry(u"t", s.best_bid - 50 * i, 0, 10);
    }
    return s;
  };
  // The player's tick hands a burst: nothing is painted while it runs, one
  // frame after it shows the last record.
  NextFrame();
  const long frames = hoga.frames();
  for (int i = 0; i < 100; ++i) hoga.ApplyBook(snap(100000 + i, 10050));
  EXPECT_EQ(hoga.frames(), frames);
  EXPECT_TRUE(hoga.frame_pending());
  Settle();
  EXPECT_EQ(hoga.frames(), frames + 1);
  EXPECT_EQ(hoga.canvas().shown().book_time, u"100099");
  // Another within the frame waits for the frame's time.
  hoga.ApplyBook(snap(100100, 10050));
  Settle();
  EXPECT_EQ(hoga.frames(), frames + 1);
  NextFrame();
  EXPECT_EQ(hoga.frames(), frames + 2);
  EXPECT_EQ(hoga.canvas().shown().book_time, u"100100");

  // The tip: 10,150 over a base price of 10,000; it follows the book that
  // moves under a resting mouse, and goes off the price column.
  const Point hover{290, MidY(C::AskRowRect(3))};
  SimulateMouse(host, sys::kMouseMove, hover);
  EXPECT_EQ(hoga.tip().tip_text(), u"1.50％");
  EXPECT_EQ(hoga.tip().delay_ms(), CHoga20::kTipDelayMs);
  hoga.ApplyBook(snap(100101, 10100));
  NextFrame();
  EXPECT_EQ(hoga.tip().tip_text(), u"2.00％");
  SimulateMouse(host, sys::kMouseMove, {100, hover.y});
  EXPECT_EQ(hoga.tip().tip_text(), u"");

  // Half as high: the canvas and its children fitted both ways.
  hoga.Move({0, 0, C::kWidth / 2, C::kHeight / 2});
  Settle();
  EXPECT_DOUBLE_EQ(hoga.scale_x(), 0.5);
  EXPECT_DOUBLE_EQ(hoga.scale_y(), 0.5);
  EXPECT_EQ(ChildRect(hoga.memo()), (Rect{170, 0, 290, 90}));
  EXPECT_EQ(ChildRect(hoga.trades()), (Rect{0, 180, 120, 270}));
  const Bitmap small = hoga.Render();
  ASSERT_TRUE(hoga.SaveScreenshot(
      (std::filesystem::temp_directory_path() / "replay_book_lower.png").string()));
  EXPECT_EQ(small.PixelAt(2, C::kHeight / 2 - 2), C::kTotals);
  EXPECT_EQ(small.PixelAt(1, MidY(C::AskRowRect(15)) / 2), C::kAskFar);
  EXPECT_EQ(small.PixelAt(289, MidY(C::BidRowRect(1)) / 2), C::kBidNear);
  SimulateMouse(host, sys::kMouseMove, {hover.x / 2, hover.y / 2});
  EXPECT_EQ(hoga.tip().tip_text(), u"2.00％");
}

}  // namespace
}  // namespace velloran
