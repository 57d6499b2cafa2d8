// The demo server end to end on loopback: the login page, the start-up
// sequence, screening batches, live quotes, the faults and a clean stop.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <cstdio>
#include <cstring>
#include <regex>
#include <set>

#include "decoder/qz_comm_dec.h"
#include "net/message_codes.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "server/demo_server.h"
#include "server/wire_text.h"
#include "tests/server/test_client.h"

namespace velloran::server {
namespace {

using testing::HttpPost;
using testing::TestClient;

constexpr int kDate = 20260105;

ServerOptions Options() { return testing::SteppedMarket(kDate); }

std::u16string Decode(const std::u16string& encoded) {
  return GB_DEC(encoded.c_str());
}

TEST(ProtocolTest, LoginPageThenTheStartUpSequence) {
  DemoServer server(Options());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;

  const auto page =
      HttpPost(server.http_port(), "login_koa.aspx", "id=demo&pwd=demo&mac=0A1B2C3D4E5F");
  ASSERT_EQ(page.status, 200);
  Packet answer(Utf16(page.body));
  ASSERT_EQ(answer.GetText(u"RTN", u""), u"OK");
  EXPECT_EQ(answer.GetText(u"IP", u""), u"127.0.0.1");
  ASSERT_EQ(answer.GetInt(u"PORT", 0), server.session_port());
  // The account page the login dialog's 비밀번호 찾기 opens.
  const auto lost = HttpPost(server.http_port(), "member/lost.aspx", "");
  EXPECT_EQ(lost.status, 200);
  EXPECT_NE(lost.body.find("비밀번호 찾기"), std::string::npos);
  EXPECT_NE(lost.body.find("demo"), std::string::npos);
  EXPECT_EQ(Packet(Utf16(HttpPost(server.http_port(), "login_koa.aspx", "id=demo&pwd=no").body))
                .GetText(u"RTN", u"OK")
                .empty(),
            false);

  TestClient client;
  ASSERT_TRUE(client.Connect(answer.GetInt(u"PORT", 0)));
  Packet hello(code::kHello);
  hello.AddText(u"ID", u"demo");
  hello.AddInt(u"VER", 2);
  ASSERT_TRUE(client.Send(hello));

  auto login = client.Next();
  ASSERT_TRUE(login);
  EXPECT_EQ(login->GetInt(u"GBN", 0), code::kHello);
  EXPECT_EQ(login->GetText(u"RTN", u""), u"OK");
  EXPECT_EQ(login->GetText(u"DT", u""), u"20260105090000");
  EXPECT_EQ(login->GetText(u"JIF", u""), u"1|21\n");
  EXPECT_EQ(SplitLines(login->GetText(u"MYS", u"")).size(), 3u);
  const std::u16string alarms = login->GetText(u"ALM", u"");
  EXPECT_EQ(SplitFields(SplitLines(alarms)[0]).size(), 6u);
  EXPECT_EQ(SplitLines(login->GetText(u"JONGA", u"")).size(), 5u);
  const std::u16string memo = Decode(login->GetText(u"MEMO", u""));
  const auto memos = Split(memo, u"$@$");
  ASSERT_EQ(memos.size(), 3u);
  for (auto m : memos) {
    EXPECT_GT(m.size(), 6u);
  }

  auto master = client.Next();
  ASSERT_TRUE(master);
  EXPECT_EQ(master->GetInt(u"GBN", 0), code::kStockMaster);
  const std::u16string master_text = Decode(master->GetText(u"DATA", u""));
  const auto lines = SplitLines(master_text);
  ASSERT_EQ(lines.size(), 300u);
  std::set<std::u16string> codes;
  for (auto line : lines) {
    Packet stock{std::u16string(line)};
    codes.insert(stock.GetText(u"SHCODE", u""));
    EXPECT_GT(stock.GetInt(u"KPRC", 0), 0);
    EXPECT_FALSE(stock.GetText(u"HNAME", u"").empty());
  }
  EXPECT_EQ(codes.size(), 300u);

  auto dates = client.Next();
  ASSERT_TRUE(dates);
  EXPECT_EQ(dates->GetInt(u"GBN", 0), code::kTradingDates);
  EXPECT_EQ(dates->GetText(u"DATA", u"").substr(0, 9), u"20260105\n");
  auto jif = client.Next();
  ASSERT_TRUE(jif);
  EXPECT_EQ(jif->GetText(u"RES", u""), u"JIF");
  EXPECT_EQ(jif->GetText(u"DATA", u""), u"1|21");
  auto kospi = client.Next();
  ASSERT_TRUE(kospi);
  EXPECT_EQ(kospi->GetText(u"RES", u""), u"JISU");
  EXPECT_EQ(kospi->GetText(u"UPCODE", u""), u"001");
  for (int seq = 1; seq <= 3; ++seq) {
    auto saved = client.NextWithCode(code::kSavedScreen);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->GetInt(u"SEQ", 0), seq);
    // Nothing has traded at 09:00:00, so the rankings are still empty.
    EXPECT_LE(Split(saved->GetText(u"SHCODES", u""), u"|").size(), 10u);
  }
  server.Stop();
  EXPECT_TRUE(client.WaitClosed(5000));
}

TEST(ProtocolTest, AnUnknownIdIsRefusedInTheAnswer) {
  DemoServer server(Options());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  EXPECT_FALSE(client.LogIn("intruder"));
  Packet screen(code::kScreenRequest);
  screen.AddInt(u"IDX", 3007);
  ASSERT_TRUE(client.Send(screen));
  EXPECT_FALSE(client.Next(300));  // nothing is served before a good hello
  EXPECT_EQ(server.Stats().refused_logins, 1u);
}

TEST(ProtocolTest, AScreenRequestGetsItsHitsThenTheEndAndLiveQuotesFollow) {
  DemoServer server(Options());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  server.Advance(1800);
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());

  std::size_t expected = 0;
  server.WithMarket([&](const Market& m) {
    for (const Stock& s : m.stocks())
      expected += s.market == 2 && s.quote.ask_total > 2 * s.quote.bid_total;
  });
  Packet request(code::kScreenRequest);
  request.AddText(u"P_SHCODES", u"");
  request.AddInt(u"IDX", code::kScreenReverse);
  request.AddInt(u"MARKET", 2);
  request.AddInt(u"CHK", 0);
  ASSERT_TRUE(client.Send(request));
  std::set<std::u16string> listed;
  while (auto p = client.Next()) {
    const int c = p->GetInt(u"GBN", 0);
    if (c == code::kScreenRequest) {
      EXPECT_EQ(p->GetInt(u"END", 0), 1);
      EXPECT_EQ(p->GetText(u"DT", u""), u"20260105093000");
      break;
    }
    ASSERT_EQ(c, code::kScreenReverse);
    EXPECT_EQ(p->GetInt(u"MARKET", 0), 2);
    EXPECT_GT(p->GetInt(u"STOT", 0), 2 * p->GetInt(u"BTOT", 0));
    EXPECT_TRUE(listed.insert(p->GetText(u"SHCODE", u"")).second);
  }
  ASSERT_EQ(listed.size(), expected);
  ASSERT_FALSE(listed.empty());

  // A subscribed stock outside the list gets its quotes too.
  std::u16string subscribed;
  server.WithMarket([&](const Market& m) {
    for (const Stock& s : m.stocks())
      if (s.market == 1 && !s.etf && s.mean_gap_s < 20) {
        subscribed = Utf16(s.code);
        break;
      }
  });
  Packet book(code::kOrderBook);
  book.AddText(u"SHCODE", subscribed);
  book.AddText(u"P_SHOCODE", u"");
  ASSERT_TRUE(client.Send(book));
  Packet chart(code::kChart);
  chart.AddText(u"STKCD", subscribed);
  ASSERT_TRUE(client.Send(chart));
  // Answered at once, in order: the snapshot, its memo and ratio samples, the chart.
  for (int expected_code : {code::kOrderBook, code::kStockText, code::kChartUpdate, code::kChart}) {
    auto p = client.Next();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->GetInt(u"GBN", 0), expected_code);
  }
  // The user's alarm stocks stream their quotes as well.
  std::set<std::u16string> alarmed;
  const std::u16string alarm_lines = client.login_answer()->GetText(u"ALM", u"");
  for (auto line : SplitLines(alarm_lines)) alarmed.insert(std::u16string(SplitFields(line)[1]));

  server.Advance(120);
  int quotes = 0, minutes = 0;
  bool subscribed_quote = false;
  std::vector<std::u16string> times;
  while (auto p = client.Next(300)) {
    const int c = p->GetInt(u"GBN", 0);
    if (c == code::kRealtime && p->GetText(u"RES", u"") == u"CPRC") {
      const std::u16string stock = p->GetText(u"STKCD", u"");
      EXPECT_TRUE(listed.count(stock) || alarmed.count(stock) || stock == subscribed)
          << Utf8(stock);
      subscribed_quote |= stock == subscribed;
      CPKT q;
      EXPECT_TRUE(q.Parse(p->GetText(u"DATA", u"")));
      ++quotes;
    } else if (c == code::kServerEvent) {
      EXPECT_EQ(p->GetText(u"EVT", u""), u"MINUTE");
      times.push_back(p->GetText(u"SVRTIME", u""));
      ++minutes;
    } else if (c == code::kScreenReverse) {
      EXPECT_TRUE(listed.insert(p->GetText(u"SHCODE", u"")).second);  // only new hits
    }
  }
  EXPECT_GT(quotes, 0);
  EXPECT_TRUE(subscribed_quote);
  EXPECT_EQ(times, (std::vector<std::u16string>{u"20260105093100", u"20260105093200"}));
  const ServerStats stats = server.Stats();
  EXPECT_EQ(stats.received.at(code::kOrderBook), 1u);
  EXPECT_EQ(stats.received.at(code::kChart), 1u);
  EXPECT_EQ(stats.market_seconds, 9 * 3600 + 32 * 60);
}

struct FirstAlarm {
  std::u16string code;
  int price = 0, price2 = 0;
};

FirstAlarm ReadFirstAlarm(const TestClient& client) {
  const std::u16string lines = client.login_answer()->GetText(u"ALM", u"");
  const auto f = SplitFields(SplitLines(lines).at(0));
  return {std::u16string(f.at(1)), ToInt(f.at(3)), ToInt(f.at(5))};
}

// Reads until quiet: the trades of the stock at price, and the alarm hits of seq 1.
void ReadAlarm(TestClient& client, const FirstAlarm& alarm, int& trades_at, int& hits,
               int timeout_ms) {
  while (auto p = client.Next(timeout_ms)) {
    if (p->GetText(u"RES", u"") == u"CPRC" && p->GetText(u"STKCD", u"") == alarm.code) {
      CPKT q;
      ASSERT_TRUE(q.Parse(p->GetText(u"DATA", u"")));
      trades_at += q.Int(4) == alarm.price || q.Int(4) == alarm.price2;
    } else if (p->GetInt(u"GBN", 0) == code::kAlarm && p->GetInt(u"SEQ", 0) == 1) {
      EXPECT_EQ(p->GetText(u"SHCODE", u""), alarm.code);
      EXPECT_EQ(p->GetInt(u"PRC", 0), alarm.price);
      EXPECT_EQ(p->GetInt(u"PRC1", 0), alarm.price2);
      EXPECT_GE(trades_at, hits + 1);  // the trade's quote came first
      ++hits;
    }
  }
}

TEST(ProtocolTest, TheFirstAlarmIsReachedWithinTwoMinutesAndAlarmNowReachesItAtOnce) {
  DemoServer server(Options());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());
  const FirstAlarm alarm = ReadFirstAlarm(client);
  EXPECT_NE(alarm.price, alarm.price2);
  server.Advance(120);
  int trades_at = 0, hits = 0;
  ReadAlarm(client, alarm, trades_at, hits, 300);
  EXPECT_EQ(hits, 2);  // both prices, each once

  ServerOptions o = Options();
  o.alarm_now = true;
  DemoServer now(o);
  ASSERT_TRUE(now.Start(error)) << error;
  TestClient tester;
  ASSERT_TRUE(tester.Connect(now.session_port()));
  ASSERT_TRUE(tester.LogIn());
  const FirstAlarm first = ReadFirstAlarm(tester);
  trades_at = hits = 0;
  ReadAlarm(tester, first, trades_at, hits, 300);
  EXPECT_EQ(trades_at, 1);
  EXPECT_EQ(hits, 1);
  now.WithMarket([&](const Market& m) {
    const Stock& s = m.stock(m.Find(Utf8(first.code)));
    EXPECT_EQ(s.quote.price, first.price);
    EXPECT_EQ(s.trade_count, 1);  // a real trade of the market, at 09:00:00
  });
}

TEST(ProtocolTest, TheTimeMachineAnswersAMinuteOfAPastDay) {
  DemoServer server(Options());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());
  Packet request(code::kScreenRequest);
  request.AddText(u"P_SHCODES", u"");
  request.AddInt(u"IDX", code::kScreenPastReverse);
  request.AddInt(u"MARKET", 0);
  request.AddInt(u"CHK", 0);
  request.AddText(u"HTIME", u"20251231134200");
  ASSERT_TRUE(client.Send(request));
  int hits = 0;
  while (auto p = client.Next()) {
    if (p->GetInt(u"GBN", 0) == code::kScreenRequest) break;
    ASSERT_EQ(p->GetInt(u"GBN", 0), code::kScreenPastReverse);
    EXPECT_EQ(p->GetText(u"DT", u""), u"20251231134200");
    EXPECT_EQ(p->GetText(u"REGDT", u""), u"20251231");
    EXPECT_GT(p->GetInt(u"STOT", 0), 0);
    EXPECT_EQ(SplitLines(p->GetText(u"DAY50", u"")).size(), 50u);
    ++hits;
  }
  EXPECT_GT(hits, 3);
}

TEST(ProtocolTest, GarbageAndOneByteWritesStillFrameEveryPacket) {
  ServerOptions o = Options();
  o.faults.garbage = true;
  o.faults.split = true;
  DemoServer server(o);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());
  server.Advance(600);
  int minutes = 0;
  while (auto p = client.Next(500)) minutes += p->GetInt(u"GBN", 0) == code::kServerEvent;
  EXPECT_EQ(minutes, 10);
}

TEST(ProtocolTest, AnOversizedPacketIsFollowedByPacketsThatStillFrame) {
  ServerOptions o = Options();
  o.faults.oversize = true;
  DemoServer server(o);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());
  server.Advance(120);
  int minutes = 0;
  while (auto p = client.Next(1000)) minutes += p->GetInt(u"GBN", 0) == code::kServerEvent;
  EXPECT_GT(client.bytes_received(), 16LL << 20);
  EXPECT_GE(minutes, 1);  // the first may be lost with the tail of the big one
}

TEST(ProtocolTest, StallDropAndRefusalFaults) {
  ServerOptions o = Options();
  o.faults.stall_s = 1;
  o.faults.drop_every_s = 2;
  DemoServer server(o);
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  TestClient client;
  ASSERT_TRUE(client.Connect(server.session_port()));
  ASSERT_TRUE(client.LogIn());  // the start-up data itself is not held
  server.Advance(60);
  EXPECT_FALSE(client.Next(200));
  EXPECT_TRUE(client.NextWithCode(code::kServerEvent, 3000));
  EXPECT_TRUE(client.WaitClosed(5000));

  ServerOptions refuse = Options();
  refuse.faults.refuse_login = true;
  DemoServer closed(refuse);
  ASSERT_TRUE(closed.Start(error)) << error;
  Packet page(Utf16(HttpPost(closed.http_port(), "login_koa.aspx", "id=demo&pwd=demo").body));
  EXPECT_NE(page.GetText(u"RTN", u"OK"), u"OK");
  TestClient refused;
  ASSERT_TRUE(refused.Connect(closed.session_port()));
  EXPECT_FALSE(refused.LogIn());

  ServerOptions broken = Options();
  broken.faults.http_500 = true;
  DemoServer failing(broken);
  ASSERT_TRUE(failing.Start(error)) << error;
  EXPECT_EQ(HttpPost(failing.http_port(), "login_koa.aspx", "id=demo&pwd=demo").status, 500);
}

TEST(ProtocolTest, ABusyPortIsReportedAndStopIsIdempotent) {
  DemoServer first(Options());
  std::string error;
  ASSERT_TRUE(first.Start(error)) << error;
  ServerOptions same = Options();
  same.port = first.session_port();
  DemoServer second(same);
  EXPECT_FALSE(second.Start(error));
  EXPECT_NE(error.find("cannot listen"), std::string::npos);
  ServerOptions bad = Options();
  bad.bind = "not-an-address";
  DemoServer third(bad);
  EXPECT_FALSE(third.Start(error));
  first.Stop();
  first.Stop();
}

TEST(ProgramTest, PrintsItsPortsFirstAndStopsCleanlyOnSigterm) {
  FILE* out = popen(VELLORAN_SERVER_PROGRAM " --stocks 50 --speed 10 & echo pid=$!", "r");
  ASSERT_TRUE(out);
  char line[256] = {};
  int pid = 0;
  std::cmatch match;
  bool listening = false;
  for (int k = 0; k < 2 && fgets(line, sizeof line, out); ++k) {
    if (std::strncmp(line, "pid=", 4) == 0) {
      pid = std::atoi(line + 4);
    } else {
      // The very first line the program prints.
      listening =
          std::regex_match(line, match, std::regex("listening session=(\\d+) http=(\\d+)\n"));
      ASSERT_TRUE(listening) << line;
    }
  }
  ASSERT_TRUE(listening);
  ASSERT_GT(pid, 0);
  TestClient client;
  ASSERT_TRUE(client.Connect(std::stoi(match[1])));
  ASSERT_TRUE(client.LogIn());
  EXPECT_EQ(HttpPost(std::stoi(match[2]), "login_koa.aspx", "id=demo&pwd=demo").status, 200);
  ASSERT_EQ(kill(pid, SIGTERM), 0);
  EXPECT_TRUE(client.WaitClosed(5000));
  pclose(out);
  FILE* bad = popen(VELLORAN_SERVER_PROGRAM " --stocks 1 2>&1; echo rc=$?", "r");
  std::string text;
  while (fgets(line, sizeof line, bad)) text += line;
  pclose(bad);
  EXPECT_NE(text.find("bad value for --stocks"), std::string::npos);
  EXPECT_NE(text.find("rc=2"), std::string::npos);
}

}  // namespace
}  // namespace velloran::server
