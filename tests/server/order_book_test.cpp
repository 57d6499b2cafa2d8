// The order book a client subscribes with 3003, end to end on loopback: the
// snapshot's parts agree with each other and with the market, the updates
// that follow are of that stock only and agree with its trades, a drop ends
// them, and the book faults reach the wire.
#include <gtest/gtest.h>

#include <set>

#include "decoder/qz_comm_dec.h"
#include "net/message_codes.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "server/calendar.h"
#include "server/demo_server.h"
#include "server/tick_size.h"
#include "server/wire_text.h"
#include "tests/server/test_client.h"

namespace velloran::server {
namespace {

using testing::TestClient;

constexpr int kDate = 20260105;

ServerOptions Options() { return testing::SteppedMarket(kDate); }

struct BookFields {
  int time = 0;
  std::array<int, 10> ask{}, bid{}, ask_qty{}, bid_qty{};
  int ask_total = 0, bid_total = 0;
  long long volume = 0;
};

// The book text as the client reads it: a leading "|" is skipped.
bool ParseBook(std::u16string_view text, BookFields& b) {
  if (!text.empty() && text[0] == u'|') text.remove_prefix(1);
  const auto f = SplitAll(text);
  if (f.size() != 44 || f[0].size() != 6) return false;
  b.time = ToInt(f[0]);
  for (int k = 0; k < 10; ++k) {
    b.ask[k] = ToInt(f[1 + 4 * k]);
    b.bid[k] = ToInt(f[2 + 4 * k]);
    b.ask_qty[k] = ToInt(f[3 + 4 * k]);
    b.bid_qty[k] = ToInt(f[4 + 4 * k]);
  }
  b.ask_total = ToInt(f[41]);
  b.bid_total = ToInt(f[42]);
  b.volume = ToInt(f[43]);
  return true;
}

void ExpectSound(const BookFields& b, const Stock& s) {
  int asks = 0, bids = 0;
  for (int k = 0; k < 10; ++k) {
    asks += b.ask_qty[k];
    bids += b.bid_qty[k];
    if (k > 0 && b.ask[k] > 0) {
      EXPECT_EQ(b.ask[k], TickUp(b.ask[k - 1], s.market, s.etf));
    }
    if (k > 0 && b.bid[k] > 0) {
      EXPECT_EQ(b.bid[k], TickDown(b.bid[k - 1], s.market, s.etf));
    }
    EXPECT_EQ(b.ask[k] > 0, b.ask_qty[k] > 0);
    EXPECT_EQ(b.bid[k] > 0, b.bid_qty[k] > 0);
  }
  EXPECT_EQ(b.ask_total, asks);
  EXPECT_EQ(b.bid_total, bids);
  EXPECT_EQ(b.ask[0], TickUp(b.bid[0], s.market, s.etf));
}

Packet BookRequest(const std::u16string& code, const std::u16string& previous) {
  Packet p(code::kOrderBook);
  p.AddText(u"SHCODE", code);
  p.AddText(u"P_SHOCODE", previous);
  p.AddText(u"MARKET", u"1");
  p.AddInt(u"SOC", 1);
  p.AddInt(u"KOA", 1);
  return p;
}

std::set<std::u16string> AlarmCodes(const TestClient& client) {
  std::set<std::u16string> out;
  const std::u16string lines = client.login_answer()->GetText(u"ALM", u"");
  for (auto line : SplitLines(lines)) out.insert(std::u16string(SplitFields(line)[1]));
  return out;
}

// A busy stock that is none of the user's alarm stocks.
int BusyStock(DemoServer& server, const std::set<std::u16string>& alarms, int skip = -1) {
  int found = -1;
  server.WithMarket([&](const Market& m) {
    for (int i = 0; i < static_cast<int>(m.stocks().size()) && found < 0; ++i) {
      const Stock& s = m.stock(i);
      if (i != skip && !s.etf && s.mean_gap_s < 8 && !alarms.count(Utf16(s.code))) found = i;
    }
  });
  return found;
}

TEST(OrderBookTest, TheSnapshotAgreesWithItselfTheMarketAndTheUpdatesThatFollow) {
  DemoServer server(Options());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  server.Advance(600);
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());
  const int index = BusyStock(server, AlarmCodes(client));
  ASSERT_GE(index, 0);
  Stock stock;
  int trades = 0, prev_day = 0;
  std::array<std::pair<int, int>, 11> totals;  // (ask, bid) at 09:00 ... 09:10
  server.WithMarket([&](const Market& m) {
    stock = m.stock(index);
    trades = stock.trade_count;
    prev_day = m.trading_dates()[1];
    for (int k = 0; k <= 10; ++k) {
      int price = 0;
      m.TotalsAt(index, Market::kOpen + 60 * k, totals[k].second, totals[k].first, price);
    }
  });
  const std::u16string code = Utf16(stock.code);
  ASSERT_TRUE(client.Send(BookRequest(code, u"")));

  auto snap = client.NextWithCode(code::kOrderBook);
  ASSERT_TRUE(snap);
  EXPECT_EQ(snap->GetText(u"SHCODE", u""), code);
  EXPECT_EQ(snap->GetInt(u"KPRC", 0), stock.prev_close);
  EXPECT_EQ(snap->GetText(u"MARKET", u""), FormatInt(stock.market));
  EXPECT_EQ(snap->GetInt(u"ETFGUBUN", -1), 0);
  EXPECT_EQ(snap->GetText(u"HNAME", u""), stock.name);
  EXPECT_EQ(SplitLines(snap->GetText(u"DAY50", u"")).size(), 50u);
  CPKT quote;
  ASSERT_TRUE(quote.Parse(snap->GetText(u"CPKT", u"")));
  EXPECT_EQ(quote.Int(4), stock.quote.price);

  BookFields book;
  ASSERT_TRUE(ParseBook(snap->GetText(u"HPKT", u""), book));
  ExpectSound(book, stock);
  EXPECT_EQ(book.ask[0], quote.Int(21));
  EXPECT_EQ(book.bid[0], quote.Int(22));
  EXPECT_EQ(book.volume, quote.Int(13));
  EXPECT_GE(book.time, quote.Int(0));
  EXPECT_EQ(snap->GetInt(u"BTOT", 0), book.bid_total);
  EXPECT_EQ(snap->GetInt(u"STOT", 0), book.ask_total);

  // Every level seen: today's and yesterday's closing book, highest first.
  const std::u16string hmap = snap->GetText(u"HMAP", u"");
  std::map<int, std::u16string> stamps;
  int last_price = INT32_MAX;
  for (auto line : SplitLines(hmap)) {
    const auto f = SplitFields(line);
    ASSERT_EQ(f.size(), 4u);
    ASSERT_EQ(f[0].size(), 14u);
    const int day = ToInt(f[0].substr(0, 8));
    EXPECT_TRUE(day == kDate || day == prev_day) << day;
    const int price = ToInt(f[1]);
    EXPECT_LT(price, last_price);
    EXPECT_TRUE(OnTickGrid(price, stock.market, stock.etf));
    EXPECT_TRUE((ToInt(f[2]) > 0) != (ToInt(f[3]) > 0)) << Utf8(line);
    last_price = price;
    stamps[price] = std::u16string(f[0]);
  }
  EXPECT_GE(stamps.size(), 40u);
  for (int k = 0; k < 10; ++k) {
    for (int price : {book.ask[k], book.bid[k]}) {
      ASSERT_TRUE(stamps.count(price)) << price;
      EXPECT_EQ(stamps[price].substr(0, 8), u"20260105");
    }
  }

  // The trades before the one CPKT reports, newest first.
  const std::u16string cmap = snap->GetText(u"CMAP", u"");
  const auto lines = SplitLines(cmap);
  EXPECT_EQ(static_cast<int>(lines.size()), std::min(49, trades - 1));
  long long volume = quote.Int(13) - quote.Int(12);
  int time = quote.Int(0);
  for (auto line : lines) {
    CPKT t;
    ASSERT_TRUE(t.Parse(line));
    EXPECT_EQ(t.Int(13), volume);
    EXPECT_LE(t.Int(0), time);
    EXPECT_GE(t.Int(4), quote.Int(10));
    EXPECT_LE(t.Int(4), quote.Int(8));
    EXPECT_EQ(t.Int(2), t.Int(4) - stock.prev_close);
    volume -= t.Int(12);
    time = t.Int(0);
  }

  auto memo = client.Next();
  ASSERT_TRUE(memo);
  EXPECT_EQ(memo->GetInt(u"GBN", 0), code::kStockText);
  EXPECT_EQ(memo->GetText(u"SHCODE", u""), code);
  auto samples = client.Next();
  ASSERT_TRUE(samples);
  ASSERT_EQ(samples->GetInt(u"GBN", 0), code::kChartUpdate);
  const std::u16string sample_text = samples->GetText(u"DATA", u"");
  const auto sample_lines = SplitLines(sample_text);
  ASSERT_EQ(sample_lines.size(), 11u);
  for (int k = 0; k <= 10; ++k) {
    const auto f = SplitFields(sample_lines[k]);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], DateTimeText(kDate, Market::kOpen + 60 * k));
    EXPECT_EQ(ToInt(f[1]), totals[k].first);
    EXPECT_EQ(ToInt(f[2]), totals[k].second);
  }

  // What follows: moves of this book only, several a second, and its trades;
  // the book after a trade is the one the trade's quote reports.
  server.Advance(30);
  int books = 0, quotes = 0, moves_without_trade = 0;
  int best_ask = quote.Int(21), best_bid = quote.Int(22), last_time = book.time;
  bool after_trade = false;
  int trade_btot = 0, trade_stot = 0;
  std::u16string last_book;
  while (auto p = client.Next(300)) {
    if (p->GetInt(u"GBN", 0) != code::kRealtime) continue;
    const std::u16string res = p->GetText(u"RES", u"");
    if (res == u"HOGA") {
      ASSERT_EQ(p->GetText(u"STKCD", u""), code);
      last_book = p->GetText(u"DATA", u"");
      BookFields b;
      ASSERT_TRUE(ParseBook(last_book, b));
      ExpectSound(b, stock);
      EXPECT_EQ(b.ask[0], best_ask);
      EXPECT_EQ(b.bid[0], best_bid);
      EXPECT_GE(b.time, last_time);
      last_time = b.time;
      if (after_trade) {
        EXPECT_EQ(b.bid_total, trade_btot);
        EXPECT_EQ(b.ask_total, trade_stot);
      } else {
        ++moves_without_trade;
      }
      after_trade = false;
      ++books;
    } else if (res == u"CPRC" && p->GetText(u"STKCD", u"") == code) {
      CPKT q;
      ASSERT_TRUE(q.Parse(p->GetText(u"DATA", u"")));
      best_ask = q.Int(21);
      best_bid = q.Int(22);
      trade_btot = p->GetInt(u"BTOT", 0);
      trade_stot = p->GetInt(u"STOT", 0);
      after_trade = true;
      ++quotes;
    }
  }
  EXPECT_GT(quotes, 0);
  EXPECT_GT(moves_without_trade, 30);  // about three a second
  EXPECT_GT(books, quotes);

  // Another client now sees the same book.
  TestClient other;
  ASSERT_TRUE(other.Connect(server.session_port()));
  ASSERT_TRUE(other.LogIn());
  ASSERT_TRUE(other.Send(BookRequest(code, u"")));
  auto again = other.NextWithCode(code::kOrderBook);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetText(u"HPKT", u""), last_book);
}

TEST(OrderBookTest, ADropEndsTheUpdatesTheSameStockKeepsThemAndAnUnknownCodeGetsAnEmptyAnswer) {
  DemoServer server(Options());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  server.Advance(300);
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());
  const std::set<std::u16string> alarms = AlarmCodes(client);
  const int index = BusyStock(server, alarms);
  std::u16string code;
  server.WithMarket([&](const Market& m) { code = Utf16(m.stock(index).code); });

  auto updates = [&](int seconds) {
    server.Advance(seconds);
    int books = 0, own_quotes = 0;
    while (auto p = client.Next(300)) {
      if (p->GetInt(u"GBN", 0) != code::kRealtime) continue;
      const std::u16string stock = p->GetText(u"STKCD", u"");
      if (p->GetText(u"RES", u"") == u"HOGA") {
        EXPECT_EQ(stock, code);
        ++books;
      } else if (p->GetText(u"RES", u"") == u"CPRC") {
        EXPECT_TRUE(stock == code || alarms.count(stock)) << Utf8(stock);
        own_quotes += stock == code;
      }
    }
    return std::make_pair(books, own_quotes);
  };
  ASSERT_TRUE(client.Send(BookRequest(code, u"")));
  ASSERT_TRUE(client.NextWithCode(code::kChartUpdate));
  EXPECT_GT(updates(20).first, 0);

  // The same stock again, with itself as the previous one: kept.
  ASSERT_TRUE(client.Send(BookRequest(code, code)));
  auto snap = client.NextWithCode(code::kOrderBook);
  ASSERT_TRUE(snap);
  EXPECT_EQ(snap->GetText(u"SHCODE", u""), code);
  ASSERT_TRUE(client.NextWithCode(code::kChartUpdate));
  EXPECT_GT(updates(20).first, 0);

  // A code the market does not list, dropping the stock: an empty answer and no updates.
  ASSERT_TRUE(client.Send(BookRequest(u"999999", code)));
  auto empty = client.NextWithCode(code::kOrderBook);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->GetText(u"SHCODE", u""), u"999999");
  EXPECT_EQ(empty->GetText(u"HPKT", u"none"), u"none");
  EXPECT_EQ(empty->GetText(u"CPKT", u"none"), u"none");
  const auto [books, own_quotes] = updates(30);
  EXPECT_EQ(books, 0);
  EXPECT_EQ(own_quotes, 0);
  // Text that is not a code is not echoed.
  ASSERT_TRUE(client.Send(BookRequest(u"</PKT><GBN>1", u"")));
  auto odd = client.NextWithCode(code::kOrderBook);
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->GetText(u"SHCODE", u"none"), u"");

  // The memo of a stock the user wrote one for.
  const std::u16string memo_text = GB_DEC(client.login_answer()->GetText(u"MEMO", u"").c_str());
  const std::u16string first_memo(Split(memo_text, u"$@$")[0]);
  ASSERT_TRUE(client.Send(BookRequest(first_memo.substr(0, 6), u"")));
  auto memo = client.NextWithCode(code::kStockText);
  ASSERT_TRUE(memo);
  EXPECT_EQ(memo->GetText(u"SHCODE", u""), first_memo.substr(0, 6));
  EXPECT_EQ(memo->GetText(u"DATA", u""), first_memo.substr(6));

  const std::vector<std::u16string> asked = server.ReceivedTexts(code::kOrderBook);
  ASSERT_EQ(asked.size(), 5u);
  EXPECT_EQ(Packet(asked[2]).GetText(u"SHCODE", u""), u"999999");
  EXPECT_EQ(Packet(asked[2]).GetText(u"P_SHOCODE", u""), code);
  EXPECT_EQ(Packet(asked[4]).GetInt(u"KOA", 0), 1);
  EXPECT_TRUE(server.ReceivedTexts(code::kReplayData).empty());
}

TEST(OrderBookTest, BookFaultsReachTheWire) {
  ServerOptions o = Options();
  o.faults.short_book = o.faults.tiny_book = o.faults.bar_book = o.faults.bad_maps = true;
  DemoServer server(o);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  server.Advance(300);
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());
  const int index = BusyStock(server, {});
  std::u16string code;
  server.WithMarket([&](const Market& m) { code = Utf16(m.stock(index).code); });
  ASSERT_TRUE(client.Send(BookRequest(code, u"")));
  auto snap = client.NextWithCode(code::kOrderBook);
  ASSERT_TRUE(snap);

  const std::u16string hpkt = snap->GetText(u"HPKT", u"");
  ASSERT_EQ(hpkt[0], u'|');
  BookFields b;
  ASSERT_TRUE(ParseBook(hpkt, b));
  EXPECT_GT(b.ask[5], 0);
  EXPECT_EQ(b.ask[6], 0);
  EXPECT_GT(b.bid[2], 0);
  EXPECT_EQ(b.bid[3], 0);
  EXPECT_EQ(b.bid_total, b.bid_qty[0] + b.bid_qty[1] + b.bid_qty[2]);

  const std::u16string hmap = snap->GetText(u"HMAP", u"");
  EXPECT_EQ(hmap.substr(0, 1), u"\n");
  int short_lines = 0, letters = 0;
  for (auto line : SplitLines(hmap)) {
    short_lines += line.size() < 11;
    letters += line.find(u"abc") != std::u16string_view::npos;
  }
  EXPECT_GE(short_lines, 2);
  EXPECT_EQ(letters, 2);
  int bad_trades = 0;
  const std::u16string cmap = snap->GetText(u"CMAP", u"");
  for (auto line : Split(cmap, u"\n")) bad_trades += !CPKT().Parse(line);
  EXPECT_GE(bad_trades, 6);

  server.Advance(20);
  int tiny = 0, barred = 0;
  while (auto p = client.Next(300)) {
    if (p->GetText(u"RES", u"") != u"HOGA") continue;
    const std::u16string data = p->GetText(u"DATA", u"");
    tiny += data.size() < 20;
    barred += data.size() >= 20 && data[0] == u'|';
  }
  EXPECT_GT(tiny, 0);
  EXPECT_GT(barred, 2 * tiny - 2);
}

}  // namespace
}  // namespace velloran::server
