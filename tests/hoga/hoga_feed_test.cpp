// The order book's model without a display: the fill rule by each market's
// tick, changes and stamps, the book text's forms, what is ignored, and whom
// the book tells what, through real message windows on a queue the test
// pumps; then the thread that blocks on the queue.

#include "hoga/hoga_feed.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/book_quote.h"
#include "app/session_store.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "platform/test_window.h"
#include "platform/window_messages.h"
#include "tests/app/session_fixture.h"
#include "tests/hoga/book_packets.h"

namespace velloran {
namespace {

using namespace testing_book;

constexpr char16_t kToday[] = u"20240105";

std::u16string ZeroFields(int n) {
  std::u16string out = u"0";
  for (int i = 1; i < n; ++i) out += u"|0";
  return out;
}

std::vector<int> Prices(const std::array<HOGA, 20>& side) {
  std::vector<int> out;
  for (const HOGA& h : side) out.push_back(h.price);
  return out;
}

class FeedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    feed.SetTargets({view.handle(), top.handle(), chart.handle(), koa.handle(), replay.handle()});
    AddMaster(store, u"000100", u"코스피주", 1, 0, 50500, 65500, 35400);
    AddMaster(store, u"200100", u"코스닥주", 2, 0, 600000);
    AddMaster(store, u"300100", u"상장지수", 1, 1, 30000);
  }

  // Applies packets as the book's thread would, then lets every window have
  // what it was posted.
  void Handle(std::unique_ptr<Packet> p) {
    feed.HandlePacket(std::move(p));
    queue.DispatchPending();
  }
  // The newest value of type T a window was given.
  template <typename T>
  T* Last(RecordingWindow& w) {
    for (std::size_t i = w.payloads.size(); i-- > 0;) {
      if (T* v = w.Owned<T>(i)) return v;
    }
    return nullptr;
  }
  void Forget() {
    for (RecordingWindow* w : {&view, &top, &chart, &koa, &replay}) {
      w->received.clear();
      w->payloads.clear();
    }
  }

  ManualClock clock{testing::TestStart()};
  CSessionStore store{clock};
  ManualMessageQueue queue;
  RecordingWindow view{queue}, top{queue}, chart{queue}, koa{queue}, replay{queue};
  CHogaFeed feed{store};
};

TEST_F(FeedTest, DeepLevelsStepByEachMarketsTickOnlyWhereTheMapHoldsQuantity) {
  // Before any master packet the step is 5: at 20,000 a KOSPI stock would step by 50.
  const std::u16string y = u"20240104153000";
  Handle(Snapshot(u"999999", QuoteLine({.price = 20000, .best_ask = 20005, .best_bid = 20000}),
                  LevelLine(y, 19950, 1, 0) + LevelLine(y, 19945, 1, 0),
                  BookLine(Ladder(20005, 20000, 5), 100000)));
  EXPECT_EQ(feed.book().bids()[10].price, 19950);
  EXPECT_EQ(feed.book().bids()[11].price, 19945);
  EXPECT_FALSE(feed.Frame().MasterShown());

  // KOSPI at 51,000: 100 a step down to 50,000, which steps over 49,950 to
  // 49,900 (no bid there) and then by 50; 50,050 lies off the path.
  Handle(Snapshot(u"000100", QuoteLine({.price = 51000, .best_ask = 51100, .best_bid = 51000}),
                  LevelLine(y, 52300, 0, 4) + LevelLine(y, 52200, 6, 0) +
                      LevelLine(y, 52100, 0, 3) + LevelLine(y, 50050, 9, 0) +
                      LevelLine(y, 50000, 10, 0) + LevelLine(y, 49950, 5, 0) +
                      LevelLine(y, 49900, 0, 8) + LevelLine(y, 49850, 7, 0),
                  BookLine(Ladder(51100, 51000, 100), 100000)));
  const CHogaBook& b = feed.book();
  EXPECT_EQ(b.bid_count(), 12);
  EXPECT_EQ(Prices(b.bids()),
            (std::vector<int>{51000, 50900, 50800, 50700, 50600, 50500, 50400, 50300, 50200, 50100,
                              50000, 49850, 0,     0,     0,     0,     0,     0,     0,     0}));
  EXPECT_EQ(b.bids()[10].bid, 10);
  EXPECT_EQ(b.bids()[11].level, 12);
  EXPECT_EQ(b.ask_count(), 12);
  EXPECT_EQ(b.asks()[10].price, 52100);
  EXPECT_EQ(b.asks()[11].price, 52300);
  EXPECT_TRUE(feed.Frame().MasterShown());

  // KOSDAQ at 600,000 steps by 100 (a KOSPI stock by 1,000).
  Handle(
      Snapshot(u"200100", QuoteLine({.price = 600000, .best_ask = 600100, .best_bid = 600000}),
               LevelLine(y, 599000, 1, 0) + LevelLine(y, 598950, 1, 0) + LevelLine(y, 598900, 1, 0),
               BookLine(Ladder(600100, 600000, 100), 100000)));
  EXPECT_EQ(feed.book().bids()[10].price, 599000);
  EXPECT_EQ(feed.book().bids()[11].price, 598900);
  EXPECT_EQ(feed.book().bid_count(), 12);

  // An ETF by 5 at any price.
  Handle(Snapshot(u"300100", QuoteLine({.price = 30000, .best_ask = 30005, .best_bid = 30000}),
                  LevelLine(y, 29950, 1, 0) + LevelLine(y, 29945, 2, 0),
                  BookLine(Ladder(30005, 30000, 5), 100000)));
  EXPECT_EQ(feed.book().bids()[10].price, 29950);
  EXPECT_EQ(feed.book().bids()[11].price, 29945);

  // A stock without a master keeps the last master's rule (the ETF's 5 here)
  // but not its panel.
  Handle(Snapshot(u"888888", QuoteLine({.price = 20000, .best_ask = 20005, .best_bid = 20000}),
                  LevelLine(y, 19950, 1, 0), BookLine(Ladder(20005, 20000, 5), 100000)));
  EXPECT_EQ(feed.book().bids()[10].price, 19950);
  EXPECT_EQ(feed.Frame().master.code, u"300100");
  EXPECT_FALSE(feed.Frame().MasterShown());

  // A side the book text leaves empty fills from the quote's best price.
  server::Book asks_only = Ladder(51100, 51000, 100);
  asks_only.bid_price = {};
  asks_only.bid_qty = {};
  Handle(Snapshot(u"000100", QuoteLine({.price = 51000, .best_ask = 51100, .best_bid = 50000}),
                  LevelLine(y, 50000, 10, 0) + LevelLine(y, 49850, 7, 0),
                  BookLine(asks_only, 100000)));
  EXPECT_EQ(Prices(feed.book().bids())[0], 50000);
  EXPECT_EQ(Prices(feed.book().bids())[1], 49850);
  EXPECT_EQ(feed.book().bid_count(), 2);
}

TEST_F(FeedTest, ChangesStampsAndTotalsAcrossLiveUpdates) {
  server::Book book = Ladder(51100, 51000, 100, 300);
  const std::u16string levels = LevelLine(u"20240105093000", 50000, 40, 0) +
                                LevelLine(u"20240105103107", 49900, 5, 0) +
                                LevelLine(u"20231228140500", 49800, 6, 0);
  Handle(Snapshot(u"000100", QuoteLine({.price = 51000, .best_ask = 51100, .best_bid = 51000}),
                  levels, BookLine(book, 100000)));
  BookFrame f = feed.Frame();
  EXPECT_EQ(f.trading_date, kToday);
  EXPECT_EQ(f.book_time, u"100000");
  EXPECT_EQ(f.total_bid, 3000);
  EXPECT_EQ(f.total_bid_change, 0);  // nothing of this stock to differ from
  // Deep levels: today's stamp as a time, an older one as a date; none moved.
  EXPECT_EQ(f.bids[10].price, 50000);
  EXPECT_EQ(StampText(f.bids[10].stamp, 11, kToday), u"09:30:00");
  EXPECT_EQ(StampText(f.bids[11].stamp, 12, kToday), u"10:31:07");
  EXPECT_EQ(StampText(f.bids[12].stamp, 13, kToday), u"12/28 14:05");
  EXPECT_EQ(f.bids[11].change, 0);

  // The book moves up a step: 300 -> 500 at 51,000; 52,100 enters the ten
  // for the first time since the snapshot: no change against the quantity
  // of its line. 50,100 leaves them and fills level 11 with the time the
  // book set it.
  book = Ladder(51200, 51100, 100, 300);
  book.bid_qty[1] = 500;
  book.ask_qty[9] = 15;
  book.SumTotals();
  Handle(BookUpdate(u"000100", BookLine(book, 100005)));
  f = feed.Frame();
  EXPECT_EQ(f.bids[1].price, 51000);
  EXPECT_EQ(f.bids[1].change, 200);
  EXPECT_EQ(f.asks[9].price, 52100);
  EXPECT_EQ(f.asks[9].change, 0);
  EXPECT_EQ(f.total_bid, 9 * 300 + 500);
  EXPECT_EQ(f.total_bid_change, 200);
  EXPECT_EQ(f.total_ask_change, 15 - 300);
  EXPECT_EQ(Prices(f.bids)[10], 50100);
  EXPECT_EQ(StampText(f.bids[10].stamp, 11, kToday), u"10:00:00");
  EXPECT_EQ(StampText(f.bids[11].stamp, 12, kToday), u"09:30:00");
  EXPECT_EQ(StampText(f.bids[1].stamp, 2, kToday), u"");  // the ten show no book time

  // Next: 52,100 moves against the quantity the book gave it; 51,000 stays.
  book.ask_qty[9] = 20;
  book.SumTotals();
  Handle(BookUpdate(u"000100", BookLine(book, 100010)));
  f = feed.Frame();
  EXPECT_EQ(f.bids[1].change, 0);
  EXPECT_EQ(f.asks[9].change, 5);
  EXPECT_EQ(f.largest, 500);

  // Totals below 1 are the sums of the levels; a leading "|" reads the same.
  book.ask_total = 0;
  book.bid_total = -5;
  const std::u16string text = BookLine(book, 100015);
  Handle(BookUpdate(u"000100", u"|" + text));
  const BookFrame barred = feed.Frame();
  Handle(BookUpdate(u"000100", text));
  f = feed.Frame();
  EXPECT_EQ(f.total_ask, 9 * 300 + 20);
  EXPECT_EQ(f.total_bid, 9 * 300 + 500);
  EXPECT_EQ(barred.bids, f.bids);
  EXPECT_EQ(barred.asks, f.asks);
  EXPECT_EQ(barred.total_bid, f.total_bid);
  EXPECT_EQ(feed.book().extra(), 12345);
}

TEST_F(FeedTest, ShortTextsOtherStocksAndOtherKindsChangeNothing) {
  const server::Book book = Ladder(51100, 51000, 100);
  // Before any snapshot a book update has no stock to belong to.
  Handle(BookUpdate(u"000100", BookLine(book, 100000)));
  EXPECT_TRUE(view.received.empty());
  Handle(Snapshot(u"000100", QuoteLine({.price = 51000, .best_ask = 51100, .best_bid = 51000}), u"",
                  BookLine(book, 100000)));
  const BookFrame before = feed.Frame();
  Forget();

  Handle(BookUpdate(u"000100", u"100001|51100|51000|1"));  // 20 characters apply
  EXPECT_EQ(view.received.size(), 1u);
  EXPECT_EQ(feed.Frame().asks[0].ask, 1);
  Handle(Snapshot(u"000100", QuoteLine({.price = 51000, .best_ask = 51100, .best_bid = 51000}), u"",
                  BookLine(book, 100000)));
  Forget();
  Handle(BookUpdate(u"000100", u"100001|51100|51000|"));  // 19 do not
  Handle(BookUpdate(u"000200", BookLine(Ladder(9100, 9000, 10), 100002)));
  for (const char16_t* kind : {u"JHO", u"UHO", u"YK"})
    Handle(BookUpdate(u"000100", BookLine(Ladder(1, 1, 1), 100003), kind));
  Handle(Trade(u"000100", u"1|2|3"));  // a cut record
  Handle(Trade(u"000100", u""));       // no record at all
  Handle(Trade(u"000200", QuoteLine({.price = 9000})));
  Handle(Memo(u"000200", u"남의 메모"));
  EXPECT_TRUE(view.received.empty());
  EXPECT_TRUE(top.received.empty());
  EXPECT_TRUE(koa.received.empty());
  EXPECT_TRUE(chart.received.empty());
  EXPECT_EQ(feed.Frame().bids, before.bids);
  EXPECT_EQ(feed.Frame().asks, before.asks);
  EXPECT_EQ(feed.quote().Price(), 51000);
}

TEST_F(FeedTest, LevelsNotPositiveRepeatedOrOutOfOrderAreLeftOut) {
  // Per level: ask price, bid price; every quantity 10, totals left to the sum.
  const std::vector<std::pair<int, int>> levels = {
      {51100, 51000}, {-5, 0}, {51100, 51000},         // not positive, then repeats
      {51000, 51100}, {51200, 50900}, {-2147483647 - 1, 50900},  // inside, beyond; then junk
      {51300, 50800}};
  std::u16string text = u"100000";
  for (const auto& [ask, bid] : levels)
    text += u"|" + FormatInt(ask) + u"|" + FormatInt(bid) + u"|10|10";
  for (std::size_t k = levels.size(); k < 10; ++k) text += u"|0|0|0|0";
  text += u"|0|0|0";
  Handle(Snapshot(u"000100", QuoteLine({.price = 51000, .best_ask = 51100, .best_bid = 51000}), u"",
                  text));
  const BookFrame f = feed.Frame();
  std::vector<int> asks(20, 0), bids(20, 0);
  asks[0] = 51100, asks[1] = 51200, asks[2] = 51300;
  bids[0] = 51000, bids[1] = 50900, bids[2] = 50800;
  EXPECT_EQ(Prices(f.asks), asks);
  EXPECT_EQ(Prices(f.bids), bids);
  EXPECT_EQ(f.asks[2].level, 3);
  EXPECT_EQ(f.total_ask, 30);
  EXPECT_EQ(f.total_bid, 30);
}

TEST_F(FeedTest, FollowersGetTheirOwnCopiesAndRepliesArePassedOn) {
  const std::u16string trades = QuoteLine({.time = 95959, .price = 50900, .sign = 5}) + u"\n\n" +
                                u"1|2|3\n" + ZeroFields(25) + u"\n" +
                                QuoteLine({.time = 95900, .price = 0}) + u"\n" +
                                QuoteLine({.time = 95800, .price = 50800, .buy = false}) + u"\n";
  Handle(Snapshot(
      u"000100",
      QuoteLine(
          {.price = 51000, .high = 51200, .low = 50700, .best_ask = 51100, .best_bid = 51000}),
      u"", BookLine(Ladder(51100, 51000, 100), 100000), trades));
  ASSERT_EQ(chart.received.size(), 1u);
  EXPECT_EQ(chart.received[0],
            (RecordedMessage{msg::kNotify, code::kOrderBook, PackStockCode(u"000100")}));
  const HogaChange* snap = Last<HogaChange>(view);
  ASSERT_NE(snap, nullptr);
  EXPECT_EQ(snap->kind, HogaChange::Kind::kSnapshot);
  // The quote on top, then the trades that are trades: empty, cut, zero and
  // priceless lines make no rows.
  ASSERT_EQ(snap->trades.size(), 3u);
  EXPECT_EQ(snap->trades[0].Time(), 100000);
  EXPECT_EQ(snap->trades[1].Time(), 95959);
  EXPECT_EQ(snap->trades[2].Price(), 50800);
  // The window's own record of the stock comes made, and its quote with the
  // book's totals.
  ASSERT_NE(snap->record, nullptr);
  EXPECT_EQ(snap->record->code(), u"000100");
  EXPECT_EQ(snap->record_quote.Price(), 51000);
  EXPECT_EQ(snap->record_quote.bid_total(), 1000);
  const BookQuote* first = Last<BookQuote>(top);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->change, BookQuote::Change::kSnapshot);
  EXPECT_EQ(first->code, u"000100");
  EXPECT_EQ(first->total_bid, 1000);
  EXPECT_EQ(first->quote.Price(), 51000);

  Forget();
  Handle(BookUpdate(u"000100", BookLine(Ladder(51100, 51000, 100, 7), 100001)));
  const BookQuote* book = Last<BookQuote>(koa);
  ASSERT_NE(book, nullptr);
  EXPECT_EQ(book->change, BookQuote::Change::kBook);
  EXPECT_EQ(book->total_ask, 70);
  EXPECT_EQ(book->book_time, u"100001");
  EXPECT_TRUE(top.received.empty());

  Forget();
  Handle(Trade(u"000100", QuoteLine({.time = 100002, .price = 51100, .trade_volume = 9})));
  const BookQuote* at_chart = Last<BookQuote>(chart);
  const BookQuote* at_top = Last<BookQuote>(top);
  ASSERT_NE(at_chart, nullptr);
  ASSERT_NE(at_top, nullptr);
  EXPECT_NE(at_chart, at_top);
  EXPECT_EQ(at_chart->change, BookQuote::Change::kTrade);
  EXPECT_EQ(at_top->quote.Price(), 51100);
  EXPECT_EQ(at_top->quote.bid_total(), 1000);
  const HogaChange* trade = Last<HogaChange>(view);
  ASSERT_NE(trade, nullptr);
  EXPECT_EQ(trade->kind, HogaChange::Kind::kTrade);
  ASSERT_EQ(trade->trades.size(), 1u);
  EXPECT_EQ(trade->trades[0].TradeVolume(), 9);
  EXPECT_TRUE(koa.received.empty());

  Forget();
  Handle(Memo(u"000100", u"메모 100％"));
  ASSERT_NE(Last<HogaChange>(view), nullptr);
  EXPECT_EQ(Last<HogaChange>(view)->memo, u"메모 100％");

  // Replies for the other views, as they came.
  Forget();
  auto ratio = std::make_unique<Packet>(code::kChartUpdate);
  const Packet* ratio_at = ratio.get();
  Handle(std::move(ratio));
  ASSERT_EQ(koa.received.size(), 1u);
  EXPECT_EQ(koa.received[0].wparam, static_cast<WParam>(code::kChartUpdate));
  EXPECT_EQ(koa.Owned<Packet>(0), ratio_at);
  for (const int id : {1, 2, 3, 4}) {
    auto reply = std::make_unique<Packet>(code::kChart);
    reply->AddInt(u"CHART_ID", id);
    Handle(std::move(reply));
  }
  Handle(std::make_unique<Packet>(code::kReplayData));
  EXPECT_EQ(chart.payloads.size(), 2u);
  ASSERT_EQ(replay.payloads.size(), 3u);
  EXPECT_EQ(replay.received.back().wparam, static_cast<WParam>(code::kReplayData));
  // With no window to go to, a reply is freed (the sanitizers see it), and
  // the socket has no replay window to post to.
  EXPECT_EQ(feed.ReplayWindow(), replay.handle());
  feed.SetReplay({});
  Handle(std::make_unique<Packet>(code::kReplayData));
  EXPECT_EQ(replay.payloads.size(), 3u);
  EXPECT_TRUE(feed.ReplayWindow().IsNull());
}

TEST_F(FeedTest, TheThreadBlocksOnItsQueueAndStopsWithPacketsLeft) {
  Handle(Snapshot(u"000100", QuoteLine({.price = 51000, .best_ask = 51100, .best_bid = 51000}), u"",
                  BookLine(Ladder(51100, 51000, 100), 100000)));
  queue.DispatchPending();
  Forget();
  feed.Start();
  constexpr int kUpdates = 500;
  std::thread pusher([this] {
    for (int i = 1; i <= kUpdates; ++i)
      feed.PushPacket(
          BookUpdate(u"000100", BookLine(Ladder(51100, 51000, 100, i), 100000 + i % 60)));
  });
  pusher.join();
  ASSERT_TRUE(queue.WaitForPending(2 * kUpdates, std::chrono::seconds(20)));
  feed.Stop();
  queue.DispatchPending();
  ASSERT_EQ(view.payloads.size(), static_cast<std::size_t>(kUpdates));
  EXPECT_EQ(Last<HogaChange>(view)->frame.asks[9].ask, kUpdates);
  EXPECT_EQ(Last<BookQuote>(koa)->total_ask, 10 * kUpdates);
  // Stopped with packets waiting: they are freed with the feed. The socket
  // routes by the stock of the snapshot pushed last, applied or not.
  for (int i = 0; i < 50; ++i) feed.PushPacket(BookUpdate(u"000100", BookLine(Ladder(1, 1, 1), 1)));
  feed.PushPacket(Snapshot(u"200100", QuoteLine({.price = 600000}), u"", u""));
  EXPECT_GE(feed.queued(), 51u);
  EXPECT_EQ(feed.ShownStockCode(), u"200100");
  EXPECT_EQ(feed.code(), u"000100");
}

}  // namespace
}  // namespace velloran
