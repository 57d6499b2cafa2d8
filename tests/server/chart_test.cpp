// Chart bars (3011) end to end: every period gives well-formed bars newest
// first; day bars agree with the hits' DAY50 and today's quote, weeks and
// months add the days up, and minute bars hold exactly the trades the client
// saw in (T, T + span].
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "decoder/qz_comm_dec.h"
#include "net/message_codes.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "server/calendar.h"
#include "server/charts.h"
#include "server/demo_server.h"
#include "server/wire_text.h"
#include "tests/server/test_client.h"

namespace velloran::server {
namespace {

using testing::TestClient;

constexpr int kDate = 20260105;  // a Monday

struct SeenTrade {
  int time, price, qty;
};

class ChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<DemoServer>(testing::SteppedMarket(kDate, 8));
    std::string error;
    ASSERT_TRUE(server_->Start(error)) << error;
    ASSERT_TRUE(client_.Connect(server_->session_port()));
    ASSERT_TRUE(client_.LogIn());
    server_->WithMarket([&](const Market& m) {
      for (const Stock& s : m.stocks())
        if (!s.etf && s.mean_gap_s < 10 && code_.empty()) code_ = Utf16(s.code);
    });
    // Subscribed from the open, the client sees every trade of the stock.
    Packet book(code::kOrderBook);
    book.AddText(u"SHCODE", code_);
    book.AddText(u"P_SHOCODE", u"");
    ASSERT_TRUE(client_.Send(book));
    auto snap = client_.NextWithCode(code::kOrderBook);
    ASSERT_TRUE(snap);
    day50_ = snap->GetText(u"DAY50", u"");
    server_->Advance(600);
    while (auto p = client_.Next(300)) {
      if (p->GetText(u"RES", u"") != u"CPRC" || p->GetText(u"STKCD", u"") != code_) continue;
      CPKT q;
      ASSERT_TRUE(q.Parse(p->GetText(u"DATA", u"")));
      trades_.push_back({q.Int(0), q.Int(4), q.Int(12)});
    }
    ASSERT_GT(trades_.size(), 20u);
  }

  // Sends a 3011 and returns the reply; bars holds its decoded lines.
  std::unique_ptr<Packet> Ask(const std::u16string& code, const std::u16string& tm, int count,
                              std::vector<ChartBar>& bars, int chart_id = 7) {
    Packet request(code::kChart);
    request.AddText(u"STKCD", code);
    request.AddText(u"TM", tm);
    request.AddInt(u"CHART_ID", chart_id);
    if (count != 0) request.AddInt(u"CNT", count);
    EXPECT_TRUE(client_.Send(request));
    auto reply = client_.NextWithCode(code::kChart);
    bars.clear();
    if (!reply) return reply;
    const std::u16string data = reply->GetText(u"DATA", u"");
    const std::u16string text = data.empty() ? u"" : GB_DEC(data.c_str());
    for (auto line : SplitLines(text)) {
      const auto f = SplitFields(line);
      EXPECT_EQ(f.size(), 7u) << Utf8(line);
      if (f.size() != 7) continue;
      bars.push_back({ToInt(f[0]), ToInt(f[1]), ToInt(f[2]), ToInt(f[3]), ToInt(f[4]), ToInt(f[5]),
                      ToInt(f[6])});
    }
    return reply;
  }

  CPKT Quote(const Packet& reply) {
    CPKT q;
    EXPECT_TRUE(q.Parse(reply.GetText(u"CPKT", u"")));
    return q;
  }

  std::unique_ptr<DemoServer> server_;
  TestClient client_;
  std::u16string code_, day50_;
  std::vector<SeenTrade> trades_;
};

TEST_F(ChartTest, EveryPeriodGivesWellFormedBarsNewestFirst) {
  for (const char16_t* tm : {u"D", u"J", u"M", u"m1", u"m3", u"m5", u"m10", u"m30", u"m60"}) {
    SCOPED_TRACE(Utf8(tm));
    std::vector<ChartBar> bars;
    auto reply = Ask(code_, tm, 400, bars, 2);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->GetInt(u"CHART_ID", 0), 2);
    EXPECT_EQ(reply->GetText(u"STKCD", u""), code_);
    EXPECT_EQ(reply->GetText(u"TM", u""), tm);
    EXPECT_EQ(Quote(*reply).Int(4), trades_.back().price);
    const bool minutes = tm[0] == u'm';
    if (minutes || tm == std::u16string(u"D")) {
      EXPECT_EQ(bars.size(), 400u);
    }
    ASSERT_GT(bars.size(), 10u);
    for (std::size_t k = 0; k < bars.size(); ++k) {
      const ChartBar& b = bars[k];
      ASSERT_GT(b.date, 1000);
      ASSERT_GT(b.low, 0);
      ASSERT_LE(b.low, std::min(b.open, b.close));
      ASSERT_GE(b.high, std::max(b.open, b.close));
      if (k > 0) {
        const ChartBar& newer = bars[k - 1];
        ASSERT_TRUE(b.date < newer.date || (b.date == newer.date && b.time < newer.time));
      }
      if (tm == std::u16string(u"J")) {
        // Year and week: the chart labels it "YYYY/WW".
        ASSERT_EQ(b.time, IsoWeek(b.date));
        ASSERT_GE(b.time % 100, 1);
        ASSERT_LE(b.time % 100, 53);
      } else if (!minutes) {
        ASSERT_EQ(b.time, 0);
      }
    }
  }
}

TEST_F(ChartTest, DaysAgreeWithDay50AndTodaysQuoteAndWeeksAndMonthsAddThemUp) {
  std::vector<ChartBar> days;
  auto reply = Ask(code_, u"D", 1200, days);
  ASSERT_TRUE(reply);
  ASSERT_EQ(days.size(), 1200u);
  const CPKT q = Quote(*reply);
  EXPECT_EQ(days[0], (ChartBar{kDate, 0, q.Int(6), q.Int(8), q.Int(10), q.Int(4), q.Int(13)}));
  const auto day50 = SplitLines(day50_);
  ASSERT_EQ(day50.size(), 50u);
  for (int k = 0; k < 50; ++k) {
    const ChartBar& b = days[k + 1];
    EXPECT_EQ(day50[k], FormatInt(b.date) + u"|" + FormatInt(b.open) + u"|" + FormatInt(b.high) +
                            u"|" + FormatInt(b.low) + u"|" + FormatInt(b.close) + u"|" +
                            FormatInt(b.volume));
  }

  // Periods of the days before today; today opens its week, so the newest
  // week bar has today's prices and leaves the volume to the client.
  for (bool weeks : {true, false}) {
    SCOPED_TRACE(weeks ? "weeks" : "months");
    std::vector<ChartBar> got;
    ASSERT_TRUE(Ask(code_, weeks ? u"J" : u"M", 30, got));
    std::vector<ChartBar> expected;
    if (weeks)
      expected.push_back({kDate, IsoWeek(kDate), q.Int(6), q.Int(8), q.Int(10), q.Int(4), 0});
    auto key = [weeks](int date) {
      return weeks ? DaysFromDate(date) - (Weekday(date) + 6) % 7 : date / 100;
    };
    for (std::size_t d = 1; d < days.size() && expected.size() < 30;) {
      std::size_t end = d;
      ChartBar b{0, 0, 0, 0, INT32_MAX, days[d].close, 0};
      while (end < days.size() && key(days[end].date) == key(days[d].date)) {
        const ChartBar& day = days[end++];
        b.date = day.date;
        b.open = day.open;
        b.high = std::max(b.high, day.high);
        b.low = std::min(b.low, day.low);
        b.volume += day.volume;
      }
      b.time = weeks ? IsoWeek(b.date) : 0;
      expected.push_back(b);
      d = end;
    }
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t k = 0; k < got.size(); ++k) EXPECT_EQ(got[k], expected[k]) << k;
  }
}

TEST_F(ChartTest, MinuteBarsHoldTheTradesOfTheirSpan) {
  std::vector<ChartBar> days;
  ASSERT_TRUE(Ask(code_, u"D", 3, days));
  for (int span : {1, 3, 5, 10, 30, 60}) {
    SCOPED_TRACE(span);
    std::vector<ChartBar> bars;
    auto reply = Ask(code_, u"m" + FormatInt(span), 1200, bars);
    ASSERT_TRUE(reply);
    std::map<int, ChartBar> today;  // by start, seconds of the day
    std::map<int, ChartBar> past;
    for (const ChartBar& b : bars) {
      if (b.date == kDate) today[SecondsFromHhmmss(b.time)] = b;
      if (b.date == days[1].date) past[SecondsFromHhmmss(b.time)] = b;
    }
    // Today: from the first trade's bar to the one that holds 09:10:00.
    const int first = SecondsFromHhmmss(trades_.front().time);
    ASSERT_FALSE(today.empty());
    EXPECT_EQ(today.begin()->first, (first - 1) / (60 * span) * (60 * span));
    EXPECT_EQ(today.rbegin()->first, (9 * 3600 + 599) / (60 * span) * (60 * span));
    std::map<int, ChartBar> seen;
    for (const SeenTrade& t : trades_) {
      const int s = SecondsFromHhmmss(t.time);
      const int start = (s - 1) / (60 * span) * (60 * span);  // T < s <= T + span
      auto [it, added] = seen.try_emplace(
          start, ChartBar{kDate, HhmmssFromSeconds(start), t.price, t.price, t.price, t.price, 0});
      ChartBar& b = it->second;
      b.high = std::max(b.high, t.price);
      b.low = std::min(b.low, t.price);
      b.close = t.price;
      b.volume += t.qty;
    }
    long long volume = 0;
    for (const auto& [start, b] : today) {
      volume += b.volume;
      if (seen.count(start)) {
        EXPECT_EQ(b, seen[start]) << b.time;
      } else {
        EXPECT_EQ(b.volume, 0);
        EXPECT_EQ(b.open, b.close);
      }
    }
    EXPECT_EQ(volume, Quote(*reply).Int(13));

    // The day before: 09:00 to 15:30, agreeing with its day bar.
    ASSERT_EQ(static_cast<int>(past.size()), (390 + span - 1) / span);
    EXPECT_EQ(past.begin()->first, 9 * 3600);
    EXPECT_EQ(past.begin()->second.open, days[1].open);
    EXPECT_EQ(past.rbegin()->second.close, days[1].close);
    int high = 0, low = INT32_MAX;
    volume = 0;
    for (const auto& [start, b] : past) {
      high = std::max(high, b.high);
      low = std::min(low, b.low);
      volume += b.volume;
    }
    EXPECT_EQ(high, days[1].high);
    EXPECT_EQ(low, days[1].low);
    EXPECT_EQ(volume, days[1].volume);
  }
}

TEST_F(ChartTest, UnknownStockOrTypeGetsEmptyDataAndCountsHaveADefaultAndACap) {
  std::vector<ChartBar> bars;
  auto unknown = Ask(u"999999", u"D", 100, bars);
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->GetText(u"DATA", u"none"), u"");
  EXPECT_EQ(unknown->GetText(u"CPKT", u"none"), u"");
  EXPECT_EQ(unknown->GetText(u"STKCD", u""), u"999999");
  for (const char16_t* tm : {u"m2", u"d", u"", u"<X>"}) {
    auto odd = Ask(code_, tm, 100, bars);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->GetText(u"DATA", u"none"), u"");
    EXPECT_TRUE(Quote(*odd).valid());
  }
  ASSERT_TRUE(Ask(code_, u"D", 0, bars));
  EXPECT_EQ(static_cast<int>(bars.size()), kDefaultChartBars);
  ASSERT_TRUE(Ask(code_, u"m1", -5, bars));
  EXPECT_EQ(static_cast<int>(bars.size()), kDefaultChartBars);
  ASSERT_TRUE(Ask(code_, u"m1", 1 << 30, bars));
  EXPECT_EQ(static_cast<int>(bars.size()), kMaxChartBars);
  ASSERT_TRUE(Ask(code_, u"D", 1 << 30, bars));
  EXPECT_EQ(static_cast<int>(bars.size()), Market::kHistoryDays + 1);
}

}  // namespace
}  // namespace velloran::server
