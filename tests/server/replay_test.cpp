#include "server/replay_replies.h"

#include <gtest/gtest.h>

#include <functional>

#include "decoder/qz_comm_dec.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "server/book_replies.h"
#include "server/calendar.h"
#include "server/demo_server.h"
#include "server/replay_desk.h"
#include "server/wire_text.h"
#include "tests/server/test_client.h"

namespace velloran::server {
namespace {

constexpr int kDate = 20260105;  // a Monday

int Busiest(const Market& m) {
  int best = 0;
  for (int i = 0; i < static_cast<int>(m.stocks().size()); ++i)
    if (!m.stock(i).etf && m.stock(i).mean_gap_s < m.stock(best).mean_gap_s) best = i;
  return best;
}

int Quietest(const Market& m) {
  int best = 0;
  for (int i = 0; i < static_cast<int>(m.stocks().size()); ++i)
    if (m.stock(i).mean_gap_s > m.stock(best).mean_gap_s) best = i;
  return best;
}

int TradesBetween(const DayTape& tape, int from_s, int to_s) {
  int n = 0;
  for (const TapeTrade& t : tape.trades()) n += t.ms >= from_s * 1000 && t.ms < to_s * 1000;
  return n;
}

std::vector<std::u16string_view> Lines(std::u16string_view text) {
  return Split(text, u"\r\n");
}

TEST(ReplayTest, TodaysTapeIsTheLiveMarketAndTradesAsOftenAsARealStock) {
  Market m(MarketConfig{7, 200, kDate});
  const int busy = Busiest(m), quiet = Quietest(m);
  m.Watch(busy);
  MarketEvents events;
  const int now = 12 * 3600 + 5 * 60;
  m.AdvanceTo(now, events);
  for (int index : {busy, quiet}) {
    DayTape tape;
    ASSERT_TRUE(tape.Start(m, index, kDate));
    tape.RunTo(m, now);
    const Stock& s = m.stock(index);
    // The last trade on the tape is the quote the market sent; the TOT lines are 3015's samples.
    ASSERT_EQ(static_cast<int>(tape.trades().size()), s.trade_count);
    // Every trade is the quote the market sent, the last one its quote now.
    std::vector<std::u16string> sent, taped;
    for (const MarketEvents::Trade& t : events.trades)
      if (t.stock == index) sent.push_back(QuoteText(t.quote));
    for (const Quote& q : tape.Quotes(0, tape.trades().size())) taped.push_back(QuoteText(q));
    EXPECT_EQ(taped, sent);
    EXPECT_EQ(taped.back(), QuoteText(s.quote));
    std::u16string samples = RatioSamples(m, index).GetText(u"DATA", u"");
    for (char16_t& c : samples) c = c == u'|' ? u'^' : c;
    std::u16string tot = TotLines(tape);
    std::erase(tot, u'\r');
    EXPECT_EQ(tot, samples);
  }
  DayTape watched;
  ASSERT_TRUE(watched.Start(m, busy, kDate));
  watched.RunTo(m, now);
  EXPECT_EQ(watched.BookOf(watched.snapshots().back()), m.LiveBook(busy));

  DayTape b, q;
  ASSERT_TRUE(b.Start(m, busy, kDate) && q.Start(m, quiet, kDate));
  b.RunTo(m, Market::kClose);
  q.RunTo(m, Market::kClose);
  const int open5 = TradesBetween(b, Market::kOpen, Market::kOpen + 300);
  EXPECT_GT(open5, 3 * 300);  // several a second in the first minutes
  EXPECT_LT(TradesBetween(b, 12 * 3600, 12 * 3600 + 300), open5 / 2);
  const int quiet_day = TradesBetween(q, Market::kOpen, Market::kClose);
  EXPECT_GT(quiet_day, (Market::kClose - Market::kOpen) / 30);  // every few seconds
  EXPECT_LT(quiet_day, (Market::kClose - Market::kOpen) / 2);
}

TEST(ReplayTest, PastDaysReplayTheSameAndOtherDaysAreEmpty) {
  const Market m(MarketConfig{3, 100, kDate});
  const int past = m.trading_dates()[3];
  ReplayDesk desk(m), other(m);
  struct Case {
    int date;
    bool empty;
  };
  const Case cases[] = {{past, false},     {20260103, true} /* Saturday */,
                        {20260106, true} /* after today */, {19990104, true} /* before history */,
                        {kDate, false}};
  for (const Case& c : cases) {
    for (const char16_t* type : {u"TOT", u"HOGA"}) {
      Packet request(code::kReplayData);
      request.AddText(u"SHCODE", Utf16(m.stock(5).code));
      request.AddText(u"YMD", FormatInt(c.date));
      request.AddText(u"HTIME", std::u16string(type) == u"TOT" ? u"0" : u"080000");
      request.AddText(u"TYPE", type);
      request.AddText(u"ZIP", u"NO");
      const ReplayRequest r = ReadReplayRequest(request);
      const Packet a = desk.Answer(r, 10 * 3600, u"", false);
      EXPECT_EQ(a.GetText(u"DATA", u"").empty(), c.empty) << c.date << " " << Utf8(type);
      if (c.date == past) {
        // Another desk, with its own tape of the day, gives the very same text.
        EXPECT_EQ(a.Text(), other.Answer(r, 15 * 3600, u"", false).Text());
      }
    }
  }
}

// Reads a DATA line's book entries: (label, price, ask, bid).
struct Entry {
  std::u16string label;
  int price, ask, bid;
};
std::vector<Entry> Entries(std::u16string_view line) {
  std::vector<Entry> out;
  const auto fields = SplitAll(line, u'^');
  for (std::u16string_view e : Split(fields.at(8), u",")) {
    const auto f = SplitAll(e, u'|');
    out.push_back({std::u16string(f.at(0)), ToInt(f.at(1)), ToInt(f.at(2)), ToInt(f.at(3))});
  }
  return out;
}

TEST(ReplayTest, BlocksCutAtWholeSecondsCoverTheDayOnceAndEndAtTheClose) {
  const Market m(MarketConfig{9, 100, kDate});
  DayTape tape;
  ASSERT_TRUE(tape.Start(m, Busiest(m), m.trading_dates()[1]));
  tape.RunTo(m, Market::kClose);
  const auto& snaps = tape.snapshots();

  // IX 0 holds the books at HTIME, IX 1 only those after it.
  const int t = snaps[snaps.size() / 2].second();
  const HogaBlock at = CutBlock(tape, t, false, 30), after = CutBlock(tape, t, true, 30);
  EXPECT_EQ(at.first_second, t);
  EXPECT_GT(after.first_second, t);

  std::size_t books = 0, trades = 0;
  int from = 8 * 3600, blocks = 0, remembered = 0;
  bool after_flag = false;
  HogaBlock block;
  do {
    block = CutBlock(tape, from, after_flag, 1000);
    const auto lines = Lines(block.data);
    ASSERT_EQ(static_cast<int>(lines.size()), block.lines);
    books += lines.size();
    trades += Lines(block.cdata).size();
    if (block.lines == 0) break;
    EXPECT_LE(block.data.size(), 4u << 20);
    // Nothing of the last second is left for the next block.
    const std::size_t end = books;
    if (end < snaps.size()) {
      EXPECT_NE(snaps[end].second(), block.last_second);
    }
    for (std::u16string_view line : {lines.front(), lines.back()}) {
      const auto f = SplitAll(line, u'^');
      ASSERT_EQ(f.size(), 9u);
      const int best_ask = ToInt(f[4]), best_bid = ToInt(f[6]);
      const std::vector<Entry> entries = Entries(line);
      int asks = 0, bids = 0, last_ask = 0, last_bid = INT32_MAX;
      for (const Entry& e : entries) {
        ASSERT_TRUE(e.label.size() == 6 || e.label.size() == 14) << Utf8(e.label);
        remembered += e.label.size() == 14;
        if (e.ask > 0) {  // asks up from the best ask, before every bid
          EXPECT_EQ(bids, 0);
          EXPECT_GT(e.price, last_ask);
          EXPECT_GE(e.price, best_ask);
          last_ask = e.price;
          ++asks;
        } else {
          EXPECT_LT(e.price, last_bid);
          EXPECT_LE(e.price, best_bid);
          last_bid = e.price;
          ++bids;
        }
      }
      EXPECT_LE(asks, 20);
      EXPECT_LE(bids, 20);
    }
    from = block.last_second;
    after_flag = true;
    ++blocks;
  } while (block.lines > 10 && block.last_second < Market::kClose);
  EXPECT_GT(blocks, 10);
  EXPECT_GT(remembered, 0);
  EXPECT_EQ(books, snaps.size());
  EXPECT_EQ(trades, tape.trades().size());
  EXPECT_EQ(block.last_second, Market::kClose);

  const std::u16string tot_text = TotLines(tape);
  const auto tot = Lines(tot_text);
  ASSERT_EQ(tot.size(), 391u);  // 09:00 to 15:30, one a minute
  EXPECT_EQ(tot.front().substr(0, 15), DateText(tape.date()) + u"090000^");
  EXPECT_EQ(SplitAll(tot.back(), u'^').size(), 3u);
}

// The reply as the client reads it: DATA and CDATA decoded unless ZIP is "NO".
std::pair<std::u16string, std::u16string> Payload(const Packet& p) {
  std::u16string data = p.GetText(u"DATA", u""), cdata = p.GetText(u"CDATA", u"");
  if (p.GetText(u"ZIP", u"") != u"NO") {
    data = GB_DEC(data.c_str());
    cdata = GB_DEC(cdata.c_str());
  }
  return {data, cdata};
}

Packet Request(const std::u16string& code, int date, const std::u16string& type,
               const std::u16string& htime, const std::u16string& zip, int ix) {
  Packet p(code::kReplayData);
  p.AddText(u"SHCODE", code);
  p.AddText(u"MARKET", u"1");
  p.AddText(u"YMD", FormatInt(date));
  p.AddText(u"HTIME", htime);
  p.AddText(u"TYPE", type);
  if (type == u"TOT") p.AddText(u"SOC", u"1");
  p.AddText(u"ZIP", zip);
  if (ix >= 0) p.AddInt(u"IX", ix);
  return p;
}

TEST(ReplayTest, TheSessionAndThePageAnswerWithTheSameBlock) {
  DemoServer server(testing::SteppedMarket(kDate));
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  server.Advance(600);
  std::u16string code;
  int past = 0;
  server.WithMarket([&](const Market& m) {
    code = Utf16(m.stock(Busiest(m)).code);
    past = m.trading_dates()[2];
  });
  testing::TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());

  // A past day's time line, then that day's master data.
  ASSERT_TRUE(client.Send(Request(code, past, u"TOT", u"0", u"NO", -1)));
  auto tot = client.NextWithCode(code::kReplayData);
  ASSERT_TRUE(tot);
  EXPECT_EQ(tot->GetText(u"TYPE", u""), u"TOT");
  EXPECT_EQ(tot->GetText(u"YMD", u""), FormatInt(past));
  const std::u16string tot_lines = Payload(*tot).first;
  EXPECT_EQ(Lines(tot_lines).size(), 391u);
  auto info = client.NextWithCode(code::kReplayUpdate);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->GetText(u"SHCODE", u""), code);
  EXPECT_GT(info->GetInt(u"KPRC", 0), 0);
  EXPECT_GT(info->GetInt(u"UPLMTPRICE", 0), info->GetInt(u"KPRC", 0));
  EXPECT_GT(info->GetInt(u"JNILVOL", 0), 0);

  // Today's first block over the session, plain and encoded, and over the page.
  std::pair<std::u16string, std::u16string> plain;
  for (const char16_t* zip : {u"NO", u"Y"}) {
    ASSERT_TRUE(client.Send(Request(code, kDate, u"HOGA", u"080000", zip, 0)));
    auto hoga = client.NextWithCode(code::kReplayData);
    ASSERT_TRUE(hoga);
    EXPECT_EQ(hoga->GetText(u"ZIP", u""), zip);
    EXPECT_EQ(hoga->GetInt(u"IX", -1), 0);
    EXPECT_EQ(hoga->GetText(u"HTIME", u""), u"080000");
    const auto payload = Payload(*hoga);
    EXPECT_FALSE(payload.first.empty());
    if (plain.first.empty()) plain = payload;
    EXPECT_EQ(payload, plain);
  }
  const std::string form =
      "shcode=" + Utf8(code) + "&market=1&ymd=" + std::to_string(kDate) + "&htime=080000";
  const testing::HttpReply page = testing::HttpPost(server.http_port(), "qz2_hoga_data.aspx", form);
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.headers.find("Content-Length: " + std::to_string(page.body.size())),
            std::string::npos);
  const Packet reply(Utf16(page.body));
  EXPECT_EQ(reply.GetText(u"TYPE", u""), u"HOGA");
  EXPECT_EQ(Payload(reply), plain);
  EXPECT_EQ(server.Stats().replay_pages, 1u);
}

TEST(ReplayTest, ThePageFaultsComeAsAsked) {
  struct Case {
    const char* name;
    std::function<void(FaultOptions&)> set;
    std::function<void(const testing::HttpReply&, const std::string& whole)> check;
  };
  const Case cases[] = {
      {"cut", [](FaultOptions& f) { f.replay_cut = true; },
       [](const testing::HttpReply& r, const std::string& whole) {
         EXPECT_NE(r.headers.find("Content-Length: " + std::to_string(whole.size())),
                   std::string::npos);
         EXPECT_LT(r.body.size(), whole.size());
       }},
      {"500", [](FaultOptions& f) { f.replay_500 = true; },
       [](const testing::HttpReply& r, const std::string&) { EXPECT_EQ(r.status, 500); }},
      {"unsized", [](FaultOptions& f) { f.replay_unsized = true; },
       [](const testing::HttpReply& r, const std::string&) {
         EXPECT_EQ(r.headers.find("Content-Length"), std::string::npos);
         EXPECT_NE(r.headers.find("Transfer-Encoding: chunked"), std::string::npos);
       }},
      {"drip", [](FaultOptions& f) { f.replay_drip = true; },
       [](const testing::HttpReply& r, const std::string& whole) { EXPECT_EQ(r.body, whole); }},
      {"bad lines", [](FaultOptions& f) { f.replay_bad_lines = true; },
       [](const testing::HttpReply& r, const std::string& whole) {
         const std::u16string good_text = Packet(Utf16(whole)).GetText(u"DATA", u"");
         const std::u16string mixed_text = Packet(Utf16(r.body)).GetText(u"DATA", u"");
         const auto good = Lines(good_text), mixed = Lines(mixed_text);
         EXPECT_GT(mixed.size(), good.size());
         std::size_t kept = 0;
         for (std::u16string_view l : mixed)
           kept += std::find(good.begin(), good.end(), l) != good.end();
         EXPECT_EQ(kept, good.size());
       }},
  };
  std::string form, whole;
  {
    ServerOptions o = testing::SteppedMarket(kDate);
    o.stocks = 40;
    DemoServer plain(o);
    std::string error;
    ASSERT_TRUE(plain.Start(error)) << error;
    plain.Advance(120);
    plain.WithMarket([&](const Market& m) {
      form = "shcode=" + m.stock(Busiest(m)).code + "&market=1&ymd=" + std::to_string(kDate) +
             "&htime=080000";
    });
    whole = testing::HttpPost(plain.http_port(), "qz2_hoga_data.aspx", form).body;
    ASSERT_GT(whole.size(), 10000u);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ServerOptions o = testing::SteppedMarket(kDate);
    o.stocks = 40;
    c.set(o.faults);
    DemoServer server(o);
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    server.Advance(120);
    c.check(testing::HttpPost(server.http_port(), "qz2_hoga_data.aspx", form), whole);
  }
}

}  // namespace
}  // namespace velloran::server
