// The side chart view as the order-book view drives it: a stock change sends
// the two chart requests, replies come as posted messages with encoded DATA
// through the real decoder library, live quotes merge into both charts, and
// the user drags the bar between them.

#include "hoga/chart_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/book_quote.h"
#include "decoder/qz_comm_dec.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "platform/child_rect.h"
#include "platform/input_simulation.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"
#include "tests/chart/bar_lines.h"
#include "tests/chart/recording_context.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using namespace testing_host;
using namespace testing_bars;
using namespace std::chrono;

constexpr int kWidth = 900;
constexpr int kHeight = 420;

// Minute bars of one day, newest first, from 09:00 every minute up to newest.
std::vector<BarLine> MinuteBars(std::int32_t date, int count, int price) {
  std::vector<BarLine> bars;
  for (int i = count - 1; i >= 0; --i) {
    const int minutes = 9 * 60 + i;
    const int p = price + (i * 37 % 23) * 10 - 100;
    bars.push_back({date, minutes / 60 * 10000 + minutes % 60 * 100, p, p + 30, p - 30, p + 10,
                    1000 + (i * 53 % 17) * 100});
  }
  return bars;
}

std::unique_ptr<Packet> Reply(int chart_id, const std::vector<BarLine>& bars,
                              const std::u16string& echoed_code = u"") {
  auto reply = std::make_unique<Packet>(code::kChart);
  if (!echoed_code.empty()) reply->AddText(u"STKCD", echoed_code);
  reply->AddInt(u"CHART_ID", chart_id);
  const std::u16string data = DataText(bars);
  reply->AddText(u"DATA", GB_ENC(data.c_str()));
  reply->AddText(u"CPKT", u"");
  return reply;
}

class ChartViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
    ASSERT_TRUE(host.Open(kWidth, kHeight));
    ASSERT_TRUE(view.Create(&host, 1, {0, 0, kWidth, kHeight}));
    view.SetContext(&context);
  }
  void TearDown() override { Settle(); }

  // Posts a reply as the order-book view passes it on, and lets it arrive.
  void Deliver(std::unique_ptr<Packet> reply) {
    ASSERT_TRUE(PostPacket(view.handle(), msg::kNotify, std::move(reply), false, code::kChart));
    Settle();
  }

  Application& app_ = App();  // before the windows
  CDecoder decoder;
  RecordingContext context;
  ControlHost host;
  CChartView view{decoder};
};

TEST_F(ChartViewTest, StockChangesRequestBothChartsAndOnlyTheNewestRepliesAreShown) {
  EXPECT_EQ(view.left().type(), u"D");
  EXPECT_EQ(view.right().type(), u"m1");
  view.SetStock(u"005930");
  const std::u16string head = u"<PKT><GBN>3011</GBN><STKCD>005930</STKCD>";
  ASSERT_EQ(context.sent, (std::vector<std::u16string>{
                              head + u"<TM>D</TM><CHART_ID>1</CHART_ID><CNT>1200</CNT></PKT>",
                              head + u"<TM>m1</TM><CHART_ID>2</CHART_ID><CNT>1200</CNT></PKT>",
                          }));
  // The right chart on another period asks for 400 bars.
  view.right().SetType(u"m5");
  view.SetStock(u"000660");
  ASSERT_EQ(context.sent.size(), 4u);
  EXPECT_EQ(context.sent[3],
            u"<PKT><GBN>3011</GBN><STKCD>000660</STKCD><TM>m5</TM><CHART_ID>2</CHART_ID>"
            u"<CNT>400</CNT></PKT>");

  // Without an echo the first reply to chart 1 answers the old stock's
  // request: it is dropped; the second is shown.
  Deliver(Reply(1, DayWalk(50, sys_days{2025y / March / 14}, 50000, 1)));
  EXPECT_EQ(view.left().data().Count(), 0);
  Deliver(Reply(1, DayWalk(70, sys_days{2025y / March / 14}, 120000, 2)));
  EXPECT_EQ(view.left().data().Count(), 70);
  // With an echo the old stock's reply is known by its code.
  Deliver(Reply(2, MinuteBars(20250314, 90, 50000), u"005930"));
  EXPECT_EQ(view.right().data().Count(), 0);
  Deliver(Reply(2, MinuteBars(20250314, 120, 120000), u"000660"));
  EXPECT_EQ(view.right().data().Count(), 120);
  EXPECT_EQ(view.right().data().Bar(0).time, 105900);
  // Nothing is waited for any more: a further reply is not taken.
  Deliver(Reply(1, DayWalk(10, sys_days{2025y / March / 14}, 1000, 3)));
  EXPECT_EQ(view.left().data().Count(), 70);

  // A reply for another chart id is taken off the message, freed, and shown
  // nowhere.
  std::unique_ptr<Packet> seven = Reply(7, DayWalk(10, sys_days{2025y / March / 14}, 1000, 4));
  const auto seven_at = reinterpret_cast<LParam>(seven.get());
  WindowMessage m{msg::kNotify, static_cast<WParam>(code::kChart), seven_at,
                  std::make_unique<OwnedPayload<Packet>>(std::move(seven))};
  view.WindowProc(m);
  EXPECT_EQ(m.owned, nullptr);
  EXPECT_EQ(view.left().data().Count(), 70);
  EXPECT_EQ(view.right().data().Count(), 120);

  ASSERT_TRUE(
      view.SaveScreenshot((std::filesystem::temp_directory_path() / "chart_view.png").string()));
  const Bitmap shown = view.Render();
  const Rect bar = ChildRect(view.splitter());
  EXPECT_EQ(bar.left, kWidth / 2);
  EXPECT_EQ(shown.PixelAt(bar.left + 1, kHeight / 2), CChartView::kSplitterColor);
}

TEST_F(ChartViewTest, AReplyKeepsOnlyTheNewestBarsAskedFor) {
  view.right().SetType(u"m5");
  view.SetStock(u"005930");  // 1200 day bars, 400 five-minute bars
  // 3,000 day bars where 1,200 were asked: the newest 1,200 stay.
  const std::vector<BarLine> days = DayWalk(3000, sys_days{2025y / March / 14}, 50000);
  Deliver(Reply(1, days));
  ASSERT_EQ(view.left().data().Count(), CQZChartWnd::kFullCount);
  EXPECT_EQ(view.left().data().Bar(0).date, days.front().date);
  EXPECT_EQ(view.left().data().Bar(CQZChartWnd::kFullCount - 1).date,
            days[CQZChartWnd::kFullCount - 1].date);
  // A DATA of a few kilobytes that decodes to 8 MiB of short bars.
  std::u16string flood;
  for (int i = 0; flood.size() < (8u << 20); ++i)
    flood += u"20250314|" + FormatInt06(150000 - i % 1000) + u"|1|1|1|1|1\n";
  auto bomb = std::make_unique<Packet>(code::kChart);
  bomb->AddInt(u"CHART_ID", 2);
  bomb->AddText(u"DATA", GB_ENC(flood.c_str()));
  EXPECT_LT(bomb->Text().size(), flood.size() / 20);
  Deliver(std::move(bomb));
  ASSERT_EQ(view.right().data().Count(), 400);
  EXPECT_EQ(view.right().data().Bar(0).time, 150000);
  EXPECT_EQ(view.right().data().Bar(399).time, 150000 - 399);
}

TEST_F(ChartViewTest, LiveQuotesMergeIntoBothChartsAndAStaleMinuteChartAsksOnce) {
  context.trading_date = 20250314;
  context.market_open = true;
  view.SetStock(u"005930");
  Deliver(Reply(1, DayWalk(40, sys_days{2025y / March / 14}, 10000)));
  Deliver(Reply(2, MinuteBars(20250313, 60, 10000)));  // yesterday's minutes
  ASSERT_EQ(view.left().data().Count(), 40);
  ASSERT_EQ(view.right().data().Count(), 60);
  ASSERT_EQ(context.sent.size(), 2u);

  CPKT quote;
  ASSERT_TRUE(quote.Parse(QuoteText(100500, 2, 120, 10120, 10000, 10200, 9950, 5, 123456)));
  quote.set_code(u"005930");
  view.ApplyQuote(quote);
  EXPECT_EQ(view.left().data().Bar(0).close, 10120);
  EXPECT_EQ(view.left().data().Bar(0).volume, 123456);
  EXPECT_EQ(view.right().data().Count(), 60);  // an old day takes no tick
  ASSERT_EQ(context.sent.size(), 3u);
  EXPECT_EQ(context.sent[2],
            u"<PKT><GBN>3011</GBN><STKCD>005930</STKCD><TM>m1</TM><CHART_ID>2</CHART_ID>"
            u"<CNT>1200</CNT></PKT>");
  // While that request is out, more quotes ask nothing.
  view.ApplyQuote(quote);
  view.ApplyQuote(quote);
  EXPECT_EQ(context.sent.size(), 3u);

  // Today's minutes arrive; a trade at 10:00:30 opens the 10:00 bar.
  Deliver(Reply(2, MinuteBars(20250314, 60, 10000)));
  ASSERT_EQ(view.right().data().Count(), 60);
  ASSERT_TRUE(quote.Parse(QuoteText(100030, 2, 130, 10130, 10000, 10200, 9950, 5, 123461)));
  quote.set_code(u"005930");
  view.ApplyQuote(quote);
  ASSERT_EQ(view.right().data().Count(), 61);
  EXPECT_EQ(view.right().data().Bar(0).time, 100000);
  EXPECT_EQ(view.right().data().Bar(0).close, 10130);
  EXPECT_EQ(view.right().data().Bar(0).volume, 5);

  // Another stock's trade touches neither chart.
  CPKT other;
  ASSERT_TRUE(other.Parse(QuoteText(100300, 2, 1, 99999, 99000, 99999, 99000, 1, 1)));
  other.set_code(u"000660");
  view.ApplyQuote(other);
  EXPECT_EQ(view.left().data().Bar(0).close, 10130);
  EXPECT_EQ(view.right().data().Count(), 61);
  EXPECT_EQ(context.sent.size(), 3u);
}

TEST_F(ChartViewTest, TheOrderBookDrivesItByMessages) {
  context.trading_date = 20250314;
  // A new stock: the code packed in lParam.
  ASSERT_TRUE(PostMessage(view.handle(), msg::kNotify, code::kOrderBook, PackStockCode(u"005930")));
  Settle();
  ASSERT_EQ(context.sent.size(), 2u);
  EXPECT_EQ(view.left().code(), u"005930");
  EXPECT_EQ(view.right().code(), u"005930");
  Deliver(Reply(1, DayWalk(40, sys_days{2025y / March / 14}, 10000)));
  ASSERT_EQ(view.left().data().Count(), 40);

  // Its trades as copies the messages own; a book change is not a trade.
  const auto post = [&](BookQuote::Change change, int price) {
    auto q = std::make_unique<BookQuote>();
    q->change = change;
    q->code = u"005930";
    EXPECT_TRUE(q->quote.Parse(QuoteText(100500, 2, 120, price, 10000, 10200, 9950, 5, 123456)));
    q->quote.set_code(u"005930");
    EXPECT_TRUE(PostOwned(view.handle(), msg::kHogaChanged, std::move(q), true, 0));
    Settle();
  };
  post(BookQuote::Change::kBook, 10150);
  EXPECT_NE(view.left().data().Bar(0).close, 10150);
  post(BookQuote::Change::kTrade, 10120);
  EXPECT_EQ(view.left().data().Bar(0).close, 10120);
  // A message naming no stock asks for nothing.
  ASSERT_TRUE(PostMessage(view.handle(), msg::kNotify, code::kOrderBook, 0));
  Settle();
  EXPECT_EQ(context.sent.size(), 2u);
}

TEST_F(ChartViewTest, SplitterDraggedToOneThirdKeepsThatShareAfterAResize) {
  const Rect bar = ChildRect(view.splitter());
  ASSERT_EQ(bar.width(), CMySplitter::kThickness);
  SimulateMouse(host, sys::kLButtonDown, {bar.left + 1, 200});
  SimulateMouse(host, sys::kMouseMove, {kWidth / 3 + 1, 200}, sys::kLButtonFlag);
  SimulateMouse(host, sys::kLButtonUp, {kWidth / 3 + 1, 200});
  ASSERT_TRUE(RunUntil([&] { return ChildRect(view.left()).width() == kWidth / 3; }));
  EXPECT_EQ(ChildRect(view.right()).left, kWidth / 3 + CMySplitter::kThickness);
  EXPECT_EQ(ChildRect(view.right()).right, kWidth);

  view.Move({0, 0, 600, 300});
  EXPECT_EQ(ChildRect(view.left()), (Rect{0, 0, 200, 300}));
  EXPECT_EQ(ChildRect(view.splitter()), (Rect{200, 0, 203, 300}));
  EXPECT_EQ(ChildRect(view.right()), (Rect{203, 0, 600, 300}));
}

}  // namespace
}  // namespace velloran
