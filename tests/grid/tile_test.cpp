// Stock tiles read pixel by pixel: hits dispatched into a real session store,
// tiles bound by the tile wall and rendered offscreen. Candle colours and the
// doji rule, volume against the previous bar, the averages, the capture line,
// the marks, the caption; the bar counts that draw no chart or give no hover
// data; a record without bars; repaints only for a changed price; the press.

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "grid/qz_tile.h"
#include "net/message_codes.h"
#include "net/stock_code.h"
#include "platform/input_simulation.h"
#include "platform/test_window.h"
#include "platform/window_messages.h"
#include "tests/platform/control_host.h"
#include "tests/stock/quote_text.h"

namespace velloran {
namespace {

using namespace testing_host;

constexpr std::int32_t kToday = 20240105;

struct DayBar {
  int open, high, low, close;
  int volume;
};

// Day bars, newest first, dated back from today one number a bar.
std::u16string DayText(const std::vector<DayBar>& bars) {
  std::u16string text;
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const DayBar& b = bars[i];
    text += FormatInt(kToday - static_cast<int>(i)) + u"|" + FormatInt(b.open) + u"|" +
            FormatInt(b.high) + u"|" + FormatInt(b.low) + u"|" + FormatInt(b.close) + u"|" +
            FormatInt(b.volume) + u"\n";
  }
  return text;
}

// count bars around 1000 with the newest three set: 2 a doji, 1 falling.
std::vector<DayBar> Bars(int count) {
  std::vector<DayBar> bars;
  for (int i = 0; i < count; ++i) {
    const int p = 1000 + (i % 5) * 20;
    bars.push_back({p - 10, p + 30, p - 30, p + 10, 500 + (i % 3) * 100});  // rising
  }
  if (count > 2) {
    bars[1] = {1060, 1070, 1010, 1020, 300};  // falling, less volume than bar 2
    bars[2] = {1030, 1050, 1000, 1030, 900};  // doji: open == close
  }
  return bars;
}

std::tm TenOClock() {
  std::tm t{};
  t.tm_year = 124;
  t.tm_mon = 0;
  t.tm_mday = 5;
  t.tm_hour = 10;
  return t;
}

class TileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(700, 420));
    ASSERT_TRUE(wall.Create(&host, 126, {0, 0, 700, 420}));
  }
  void TearDown() override { Settle(); }

  // A hit of screen 3007 (the one shown); the quote's price is 1080, rising.
  void Hit(const std::u16string& code, const std::u16string& name, int bars, int capture,
           int bid = 100, int ask = 300, const std::u16string& screen = u"3007") {
    std::u16string text = u"<PKT><GBN>" + screen + u"</GBN><SHCODE>" + code + u"</SHCODE><HNAME>" +
                          name + u"</HNAME><CPKT>" +
                          testing::QuoteText(1080, 1040, 1090, 1030, 2000) + u"</CPKT><BTOT>" +
                          FormatInt(bid) + u"</BTOT><STOT>" + FormatInt(ask) + u"</STOT><PRC>" +
                          FormatInt(capture) + u"</PRC><REGDT>20240103</REGDT><SOC>뉴스</SOC>";
    if (bars > 0) text += u"<DAY50>" + DayText(Bars(bars)) + u"</DAY50>";
    Packet p(text + u"</PKT>");
    session.Dispatch(p);
  }
  CSTKItem& Tile(const std::u16string& code) {
    for (CSTKItem* tile : wall.shown())
      if (tile->code() == code) return *tile;
    ADD_FAILURE() << "no tile";
    return *wall.shown().front();
  }

  Application& app_ = App();
  ManualClock clock{Clock::TimePoint(std::chrono::seconds(FromLocalTime(TenOClock())))};
  CSessionData session{SessionOptions{{}, &clock, nullptr}};
  ControlHost host;
  CQZTile wall{session};
};

int CountInColumn(const Bitmap& b, int x, const Rect& rows, Color c) {
  int n = 0;
  for (int y = rows.top; y < rows.bottom; ++y) n += b.PixelAt(x, y) == c;
  return n;
}

using testing_host::CountColour;

bool Reddish(Color c) {
  return c.r > 150 && c.g < 90 && c.b < 90;
}

TEST_F(TileTest, ChartCaptionMarksAndCaptureLineAsDrawn) {
  Hit(u"000010", u"가나전자", 30, 1080);         // captured at its price: 임박, and 역상
  Hit(u"000020", u"다라화학", 30, 0, 300, 100);  // no capture price, not reversed
  wall.Rebuild(true);
  Settle();
  ASSERT_EQ(wall.shown().size(), 2u);
  EXPECT_EQ(wall.shown()[0]->code(), u"000020");  // each record's tile went to the front

  CSTKItem& tile = Tile(u"000010");
  ASSERT_TRUE(tile.SaveScreenshot(::testing::TempDir() + "tile_marked.png"));
  const Bitmap b = tile.Render();
  const TileLayout& l = tile.layout();
  EXPECT_EQ(l.price_plot, (Rect{4, 10, 155, 95}));
  EXPECT_EQ(l.volume_plot, (Rect{4, 99, 155, 126}));
  ASSERT_EQ(tile.bar_width(), 7);  // 151 pixels over the 20 bars in view
  const auto body = [&](int index) { return 4 + (19 - index) * 7 + 1; };

  // The newest bar took the live quote (1040 -> 1080): red; bar 1 falls: blue.
  EXPECT_GT(CountInColumn(b, body(0), l.price_plot, CSTKItem::kRise), 3);
  EXPECT_GT(CountInColumn(b, body(1), l.price_plot, CSTKItem::kFall), 3);
  EXPECT_EQ(CountInColumn(b, body(1), l.price_plot, CSTKItem::kRise), 0);
  // A doji takes the colour of the candle before it (bar 3 rose), one pixel high.
  EXPECT_EQ(CountInColumn(b, body(2), l.price_plot, CSTKItem::kRise), 1);
  // Volume against the bar before: 2000 > 300 red, 300 < 900 blue.
  EXPECT_GT(CountInColumn(b, body(0), l.volume_plot, CSTKItem::kRise), 0);
  EXPECT_GT(CountInColumn(b, body(1), l.volume_plot, CSTKItem::kFall), 0);
  // Today's volume grows past the scale with a live quote of the same range:
  // its bar fills the volume plot and stays inside it, under the frame.
  Packet grown(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>000010</STKCD><DATA>" +
               testing::QuoteText(1080, 1040, 1090, 1030, 9000) + u"</DATA></PKT>");
  session.Dispatch(grown);
  const Bitmap g = tile.Render();
  EXPECT_EQ(CountInColumn(g, body(0), l.volume_plot, CSTKItem::kRise), l.volume_plot.height());
  EXPECT_EQ(g.PixelAt(body(0), l.volume.top), CSTKItem::kPlotFrame);
  // Both averages: 30 bars give the newest ten a 20-day average.
  EXPECT_GT(CountColour(b, l.price_plot, CSTKItem::kMa5), 10);
  EXPECT_GT(CountColour(b, l.price_plot, CSTKItem::kMa20), 10);
  // The capture line crosses the plot, its label at the left.
  EXPECT_EQ(CountInColumn(b, l.price_plot.right - 2, l.price_plot, CSTKItem::kPriceLine), 1);
  EXPECT_GT(CountColour(b, {l.price_plot.left, l.price_plot.top, 40, l.price_plot.bottom},
                    CSTKItem::kFirstLabel),
            20);
  EXPECT_EQ(CountColour(b, l.price, CSTKItem::kSecondLabel), 0);
  // Marks: 임박 at the left, 역상 after it.
  EXPECT_EQ(b.PixelAt(2, l.volume.bottom + 3), Rgb(231, 17, 14));
  EXPECT_EQ(b.PixelAt(32, l.volume.bottom + 3), Rgb(30, 40, 235));
  // The price line of a rising quote is red.
  int red = 0;
  for (int x = 2; x < 150; ++x)
    for (int y = l.text.bottom - 14; y < l.text.bottom; ++y) red += Reddish(b.PixelAt(x, y));
  EXPECT_GT(red, 20);

  // No capture price: no line and no label; no marks either.
  CSTKItem& plain = Tile(u"000020");
  const Bitmap p = plain.Render();
  EXPECT_EQ(CountColour(p, l.price, CSTKItem::kPriceLine), 0);
  EXPECT_EQ(CountColour(p, l.price, CSTKItem::kFirstLabel), 0);
  EXPECT_EQ(p.PixelAt(2, l.volume.bottom + 3), CSTKItem::kBackground);
  EXPECT_EQ(p.PixelAt(32, l.volume.bottom + 3), CSTKItem::kBackground);
}

TEST_F(TileTest, SortedByReverseRatioTilesWithoutTotalsStayBehind) {
  Hit(u"000001", u"가", 30, 1080, 10, 100);   // 10
  Hit(u"000002", u"나", 30, 1080, 100, 150);  // 1.5
  Hit(u"000003", u"다", 30, 1080, 0, 0);      // no totals: no ratio
  Hit(u"000004", u"라", 30, 1080, 100, 300);  // 3
  wall.Rebuild(true);
  const auto order = [&] {
    std::u16string codes;
    for (const CSTKItem* tile : wall.shown()) codes += tile->code().substr(5) + u" ";
    return codes;
  };
  wall.SetSort(kSortReverse, true);
  wall.Layout();
  EXPECT_EQ(order(), u"2 4 1 3 ");
  wall.SetSort(kSortReverse, false);
  wall.Layout();
  EXPECT_EQ(order(), u"1 4 2 3 ");
}

TEST_F(TileTest, OnlyTheRecordsInViewHaveTilesAndScrollingRebindsThem) {
  constexpr int kRecords = 600;
  for (int i = 0; i < kRecords; ++i) Hit(FormatInt06(100000 + i), u"종목", 0, 1080, 100 + i, 300);
  wall.Rebuild(true);
  wall.SetSort(kSortReverse, false);
  wall.Layout();
  Settle();
  ASSERT_EQ(wall.codes().size(), static_cast<std::size_t>(kRecords));
  // Four tiles a row, three rows (and part of a fourth) in 420 pixels.
  const auto in_view = [&](std::size_t first) {
    std::vector<std::u16string> codes;
    for (const CSTKItem* tile : wall.shown()) codes.push_back(tile->code());
    const auto from = wall.codes().begin() + static_cast<std::ptrdiff_t>(first);
    return codes == std::vector<std::u16string>(from, from + static_cast<std::ptrdiff_t>(codes.size()));
  };
  EXPECT_EQ(wall.shown().size(), 12u);
  EXPECT_TRUE(in_view(0));
  EXPECT_EQ(wall.codes().front(), u"100000");  // 300 / 100, the largest ratio
  const std::u16string top = wall.codes().front();
  EXPECT_EQ(session.Read()->TileWindow(top), wall.shown().front()->handle());

  // Scrolled to the bottom: the tiles of the first rows now show the last.
  wall.Send(sys::kVScroll, sys::MakeWParam(ctl::kBottom, 0), wall.scroll_bar().handle().id());
  Settle();
  ASSERT_FALSE(wall.shown().empty());
  EXPECT_EQ(wall.shown().back()->code(), wall.codes().back());
  EXPECT_TRUE(in_view(wall.codes().size() - wall.shown().size()));
  EXPECT_FALSE(session.Read()->TileWindow(top).IsWindow());
  EXPECT_LE(wall.tile_count(), std::size_t{CQZTile::kPremadeTiles} + 8);
  // A record scrolled into view shows its own record.
  EXPECT_EQ(wall.shown().back()->painted_price(), 1080);

  // The next batch repaints what is in view and makes no tile for the rest.
  Hit(FormatInt06(100000 + kRecords), u"종목", 0, 1080);
  wall.Rebuild(false);
  Settle();
  EXPECT_EQ(wall.codes().size(), static_cast<std::size_t>(kRecords + 1));
  EXPECT_LE(wall.tile_count(), std::size_t{CQZTile::kPremadeTiles} + 8);
}

TEST_F(TileTest, BarCountsThatDrawNoChartOrGiveNoHoverAndARecordWithoutBars) {
  Hit(u"000061", u"많은봉", 61, 1080);
  Hit(u"000060", u"육십봉", 60, 1080);
  Hit(u"000000", u"봉없음", 0, 1080);
  wall.Rebuild(true);
  Settle();
  const Bitmap many = Tile(u"000061").Render();
  EXPECT_EQ(many.PixelAt(0, 50), CSTKItem::kBackground);  // no chart frame
  EXPECT_EQ(many.PixelAt(2, 130), Rgb(231, 17, 14));      // the caption still draws

  CSTKItem& sixty = Tile(u"000060");
  const Bitmap drawn = sixty.Render();
  EXPECT_EQ(drawn.PixelAt(0, 50), CSTKItem::kPlotFrame);
  const Point over = host.ScreenToClient(sixty.ClientToScreen({140, 50}));
  SimulateMouse(host, sys::kMouseMove, over);
  EXPECT_EQ(sixty.BarAt(140), -1);
  EXPECT_EQ(sixty.hover_text(), u"");

  // No bars: no width to divide by; nothing under the mouse, no price.
  CSTKItem& empty = Tile(u"000000");
  (void)empty.Render();
  EXPECT_EQ(empty.bar_width(), 0);
  EXPECT_EQ(empty.BarAt(140), -1);
  EXPECT_EQ(empty.PriceAt(50), 0);
  SimulateMouse(host, sys::kMouseMove, host.ScreenToClient(empty.ClientToScreen({140, 50})));
  EXPECT_EQ(empty.hover_text(), u"");
}

TEST_F(TileTest, HoverFollowsTheMouseOverTheBarsAndGoesWithIt) {
  Hit(u"000010", u"가나전자", 30, 1080);
  wall.Rebuild(true);
  Settle();
  CSTKItem& tile = Tile(u"000010");
  (void)tile.Render();
  const int newest_x = 4 + 19 * 7 + 3;
  SimulateMouse(host, sys::kMouseMove, host.ScreenToClient(tile.ClientToScreen({newest_x, 40})));
  // The newest bar is today's, merged from the quote; its base is bar 1's close.
  EXPECT_EQ(tile.hover_text(),
            u"날짜 : 2024/01/05\n시가 : 1,040 (1.96%)\n고가 : 1,090 (6.86%)\n"
            u"저가 : 1,030 (0.98%)\n종가 : 1,080 (5.88%)\n거래량 : 2,000\n");
  // One tip, within the tile, away from the cursor at the newest bar.
  EXPECT_TRUE(tile.inside_tip().IsVisible());
  const Rect tip = tile.inside_tip().WindowRect();
  EXPECT_TRUE(tile.WindowRect().Contains({tip.left, tip.top}));
  EXPECT_LT(tip.right, tile.ClientToScreen({newest_x, 0}).x);
  EXPECT_TRUE(tile.cursor_line().IsVisible());
  EXPECT_EQ(tile.cursor_line().WindowRect().left, tile.ClientToScreen({newest_x, 0}).x);
  ASSERT_TRUE(host.SaveScreenshot(::testing::TempDir() + "tile_hover.png"));

  // The edge of the tile counts as outside; leaving hides all three.
  SimulateMouse(host, sys::kMouseMove, host.ScreenToClient(tile.ClientToScreen({1, 40})));
  EXPECT_EQ(tile.hover_text(), u"");
  EXPECT_FALSE(tile.inside_tip().IsVisible());
  SimulateMouse(host, sys::kMouseMove, host.ScreenToClient(tile.ClientToScreen({newest_x, 40})));
  EXPECT_FALSE(tile.hover_text().empty());
  tile.Send(sys::kMouseLeave, 0, 0);
  EXPECT_EQ(tile.hover_text(), u"");
  EXPECT_FALSE(tile.inside_tip().IsVisible());
  EXPECT_FALSE(tile.cursor_line().IsVisible());
}

TEST_F(TileTest, OnlyAChangedPriceRepaintsAndAPressSelectsTheStock) {
  Hit(u"000010", u"가나전자", 30, 1080);
  Hit(u"000020", u"다라화학", 30, 1080);
  wall.Rebuild(true);
  ASSERT_TRUE(RunUntil([&] { return Tile(u"000010").paint_count() > 0; }));
  Settle();
  const auto quote = [&](const std::u16string& code, int price) {
    Packet p(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>" + code + u"</STKCD><DATA>" +
             testing::QuoteText(price, 1040, 1090, 1030, 2100) +
             u"</DATA><BTOT>100</BTOT><STOT>300</STOT></PKT>");
    session.Dispatch(p);
  };
  const int before_a = Tile(u"000010").paint_count();
  const int before_b = Tile(u"000020").paint_count();
  quote(u"000010", 1080);  // the same price: no repaint
  quote(u"000020", 1085);
  ASSERT_TRUE(RunUntil([&] { return Tile(u"000020").paint_count() > before_b; }));
  Settle();
  EXPECT_EQ(Tile(u"000010").paint_count(), before_a);
  EXPECT_EQ(Tile(u"000020").paint_count(), before_b + 1);
  // A move, then a quote of the same price before the tile heard of either:
  // the record's changed flag is down again, but the tile still shows the move.
  quote(u"000010", 1095);
  quote(u"000010", 1095);
  ASSERT_TRUE(RunUntil([&] { return Tile(u"000010").painted_price() == 1095; }));
  // A new reverse date repaints the caption.
  const int before_detail = Tile(u"000020").paint_count();
  Packet detail(u"<PKT><GBN>3024</GBN><DATA>000020|20240104\n</DATA></PKT>");
  session.Dispatch(detail);
  ASSERT_TRUE(RunUntil([&] { return Tile(u"000020").paint_count() > before_detail; }));

  // A press posts the stock's code to the top bar; in the alarm screen also
  // the price under it to the work area.
  ManualMessageQueue queue;
  RecordingWindow top_bar{queue}, work_area{queue};
  wall.SetTargets(top_bar.handle(), work_area.handle());
  CSTKItem& tile = Tile(u"000010");
  SimulateMouse(host, sys::kLButtonDown, host.ScreenToClient(tile.ClientToScreen({60, 50})));
  SimulateMouse(host, sys::kLButtonUp, host.ScreenToClient(tile.ClientToScreen({60, 50})));
  queue.DispatchPending();
  ASSERT_EQ(top_bar.received.size(), 1u);
  EXPECT_EQ(top_bar.received[0].message, msg::kSelectStock);
  EXPECT_EQ(UnpackStockCode(static_cast<std::intptr_t>(top_bar.received[0].wparam)), u"000010");
  EXPECT_TRUE(work_area.received.empty());

  (void)session.SwitchScreen(code::kAlarm);
  Hit(u"000010", u"가나전자", 30, 1080, 100, 300, u"3010");
  wall.Rebuild(true);
  (void)tile.Render();
  SimulateMouse(host, sys::kLButtonDown, host.ScreenToClient(tile.ClientToScreen({60, 50})));
  SimulateMouse(host, sys::kLButtonUp, host.ScreenToClient(tile.ClientToScreen({60, 50})));
  queue.DispatchPending();
  ASSERT_EQ(work_area.received.size(), 1u);
  EXPECT_EQ(work_area.received[0].message, msg::kTilePricePress);
  EXPECT_EQ(static_cast<std::int32_t>(work_area.received[0].wparam), tile.PriceAt(50));
  EXPECT_GT(tile.PriceAt(50), 1000);
  EXPECT_EQ(UnpackStockCode(work_area.received[0].lparam), u"000010");
}

}  // namespace
}  // namespace velloran
