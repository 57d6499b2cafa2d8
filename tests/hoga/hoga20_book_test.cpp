// The replay's twenty-level book without a window: which entries of a
// snapshot become levels on each side, what remembered levels count for,
// and that every snapshot's totals, changes and bar scale are its own.

#include "hoga/hoga20_book.h"

#include <gtest/gtest.h>

#include <vector>

#include "net/text_util.h"

namespace velloran {
namespace {

MasterInfo Master(int market, int etf) {
  MasterInfo m;
  m.code = u"000100";
  m.market = market;
  m.etf = etf;
  m.base_price = 10000;
  return m;
}

HogaSnapshot Snap(int best_ask, int best_bid, std::u16string book, int time = 103000) {
  HogaSnapshot s;
  s.time = time;
  s.best_ask = best_ask;
  s.best_bid = best_bid;
  s.book = std::move(book);
  return s;
}

std::vector<int> Prices(const std::array<HOGA, BookFrame::kLevels>& side) {
  std::vector<int> out;
  for (const HOGA& h : side) {
    if (h.price > 0) out.push_back(h.price);
  }
  return out;
}

// n entries from price upwards by step, each with an ask quantity.
std::u16string AskRun(int price, int step, int n) {
  std::u16string out;
  for (int i = 0; i < n; ++i) out += u"t|" + FormatInt(price + i * step) + u"|1|0,";
  return out;
}

TEST(Hoga20BookTest, EachSideTakesItsLevelsInListOrderFromTheBestPrices) {
  struct Case {
    const char* rule;
    int market, etf, best_ask, best_bid;
    std::u16string book;
    std::vector<int> asks, bids;
  };
  const std::vector<Case> cases = {
      {"both best prices: asks from the best ask, bids up to the best bid", 1, 0, 10050, 10000,
       u"t|10100|5|0,t|10050|7|2,t|10000|4|9,t|9950|0|4", {10100, 10050}, {10000, 9950}},
      {"no best bid on a market-1 stock: bids up to the best ask less a won", 1, 0, 10050, 0,
       u"t|10050|5|3,t|10049|0|1,t|10000|0|8,t|9990|0|2", {10050}, {10049, 10000, 9990}},
      {"no best bid on an ETF: bids up to 5 below the best ask", 1, 1, 10050, 0,
       u"t|10049|0|1,t|10045|0|2", {}, {10045}},
      {"no best ask: asks from the best bid plus its tick (50 at 10,000)", 1, 0, 0, 10000,
       u"t|10005|3|0,t|10050|2|0,t|10000|6|6", {10050}, {10000}},
      {"no best ask on an ETF: the tick is 5 at any price", 2, 1, 0, 10000,
       u"t|10005|3|0,t|10050|2|0,t|10000|6|6", {10005, 10050}, {10000}},
      {"more than twenty: the first twenty in list order", 1, 0, 10050, 10000,
       AskRun(12000, -50, 5) + AskRun(10050, 50, 20), {12000, 11950, 11900, 11850, 11800,
       10050, 10100, 10150, 10200, 10250, 10300, 10350, 10400, 10450, 10500, 10550, 10600,
       10650, 10700, 10750}, {}},
      {"entries that are no level are passed over", 1, 0, 10050, 10000,
       u",,a|b,t|abc|5|5,t|10100|x|0,t|-5|3|3,t|10000|0|-2,t|0|0|4,|10150|6|0|more,"
       u"t|10200|,t|10300|8",
       {10150}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    CHoga20Book book;
    book.SetMaster(Master(c.market, c.etf));
    book.ApplyBook(Snap(c.best_ask, c.best_bid, c.book));
    EXPECT_EQ(Prices(book.frame().asks), c.asks);
    EXPECT_EQ(Prices(book.frame().bids), c.bids);
  }
}

TEST(Hoga20BookTest, RememberedLevelsShowButCountNowhereAndSnapshotsStandAlone) {
  CHoga20Book book;
  book.SetMaster(Master(1, 0));
  book.SetDate(20240105);
  // Ask 2 and 3 are remembered (14 and 10 characters); ask 4's label of a
  // megabyte is kept as far as a stamp reads.
  const std::u16string big(std::size_t{1} << 20, u'9');
  const auto snapshot = [&](int ask1, int ask2, int bid1, int time) {
    return Snap(10050, 10000,
                u"93000|10050|" + FormatInt(ask1) + u"|0,20240105101010|10100|" +
                    FormatInt(ask2) + u"|0,1030001234|10150|50|0," + big +
                    u"|10200|70|0,093000|10000|0|" + FormatInt(bid1),
                time);
  };
  book.ApplyBook(snapshot(100, 900, 200, 93000));
  const BookFrame& f = book.frame();
  EXPECT_EQ(f.book_time, u"093000");
  EXPECT_EQ(Prices(f.asks), (std::vector<int>{10050, 10100, 10150, 10200}));
  EXPECT_EQ(f.asks[1].ask, 900);
  EXPECT_EQ(f.asks[1].stamp, u"20240105101010");
  EXPECT_EQ(f.asks[3].stamp, big.substr(0, 14));
  EXPECT_EQ(f.total_ask, 100);
  EXPECT_EQ(f.total_bid, 200);
  EXPECT_EQ(f.largest, 200);
  EXPECT_EQ(f.total_ask_change, 0);

  // The next snapshot: changes where the same price holds the same level,
  // none on remembered levels; totals and scale its own, not grown.
  book.ApplyBook(snapshot(150, 950, 120, 93001));
  EXPECT_EQ(f.asks[0].change, 50);
  EXPECT_EQ(f.asks[1].change, 0);
  EXPECT_EQ(f.bids[0].change, -80);
  EXPECT_EQ(f.total_ask, 150);
  EXPECT_EQ(f.total_bid, 120);
  EXPECT_EQ(f.total_ask_change, 50);
  EXPECT_EQ(f.total_bid_change, -80);
  EXPECT_EQ(f.largest, 150);
  EXPECT_EQ(book.previous_asks()[0].ask, 100);
  // A level that moved to another index has no change.
  book.ApplyBook(Snap(10050, 10000, u"t|10100|1|0,t|10050|9|0"));
  EXPECT_EQ(f.asks[0].change, 0);
  EXPECT_EQ(f.asks[1].change, 0);

  // Cleared: nothing shown, nothing for the next snapshot to differ from.
  book.ClearBook();
  EXPECT_TRUE(Prices(f.asks).empty());
  EXPECT_TRUE(Prices(f.bids).empty());
  EXPECT_EQ(f.total_ask, 0);
  EXPECT_EQ(f.largest, 0);
  book.ApplyBook(snapshot(150, 950, 120, 93002));
  EXPECT_EQ(f.asks[0].change, 0);
  EXPECT_EQ(f.total_ask_change, 0);

  // A record cut short is no trade.
  EXPECT_FALSE(book.ApplyQuote(CPKT()));
}

}  // namespace
}  // namespace velloran
