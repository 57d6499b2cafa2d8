#include "server/screens.h"

#include <gtest/gtest.h>

#include <set>

#include "net/message_codes.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "server/calendar.h"
#include "server/past_day.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

constexpr int kDate = 20260105;

class ScreensTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    market_ = new Market(MarketConfig{21, 1200, kDate});
    MarketEvents scratch;
    market_->AdvanceTo(11 * 3600, scratch);
    users_ = new UserBook({}, *market_);
  }
  static void TearDownTestSuite() {
    delete users_;
    delete market_;
  }
  static std::vector<Hit> Hits(int screen, int filter = 0, int chk = 0, int past = -1) {
    ScreenRequest r;
    r.screen = screen;
    r.market = filter;
    r.chk = chk;
    r.past_date = kDate;
    r.past_seconds = past;
    return ScreenHits(*market_, *users_->Find("demo"), EvaluateSavedRules(*market_), r);
  }
  static std::set<int> Stocks(const std::vector<Hit>& hits) {
    std::set<int> out;
    for (const Hit& h : hits) out.insert(h.stock);
    return out;
  }
  static Market* market_;
  static UserBook* users_;
};
Market* ScreensTest::market_ = nullptr;
UserBook* ScreensTest::users_ = nullptr;

TEST_F(ScreensTest, ReverseListsExactlyTheStocksWhoseAsksExceedTwiceTheBids) {
  const std::set<int> listed = Stocks(Hits(code::kScreenReverse));
  ASSERT_FALSE(listed.empty());
  for (int i = 0; i < static_cast<int>(market_->stocks().size()); ++i) {
    const Quote& q = market_->stock(i).quote;
    EXPECT_EQ(listed.count(i) == 1, q.ask_total > 2 * q.bid_total) << market_->stock(i).code;
  }
}

TEST_F(ScreensTest, TheMarketFilterAndTheStrengthCheckHold) {
  for (int screen : {code::kScreenSurging, code::kScreenBoxRange, code::kScreenNews,
                     code::kScreenReverse, code::kSavedScreen, code::kAlarm, code::kClosingWatch}) {
    const std::size_t all = Hits(screen, 0).size();
    const auto kospi = Hits(screen, 1), kosdaq = Hits(screen, 2);
    EXPECT_EQ(kospi.size() + kosdaq.size(), all) << screen;
    for (const Hit& h : kospi) {
      EXPECT_EQ(market_->stock(h.stock).market, 1) << screen;
    }
    for (const Hit& h : kosdaq) {
      EXPECT_EQ(market_->stock(h.stock).market, 2) << screen;
    }
    for (const Hit& h : Hits(screen, 0, 1)) {
      const Quote& q = market_->stock(h.stock).quote;
      if (screen <= code::kScreenReverse) {
        EXPECT_GE(q.buy_volume, q.sell_volume) << screen;
      }
    }
  }
  EXPECT_LT(Hits(code::kScreenReverse, 0, 1).size(), Hits(code::kScreenReverse).size());
  EXPECT_EQ(Hits(code::kAlarm, 0, 1).size(), Hits(code::kAlarm).size());
}

TEST_F(ScreensTest, SurgingBoxAndNewsFollowTheirRules) {
  const auto surging = Hits(code::kScreenSurging);
  ASSERT_FALSE(surging.empty());
  for (const Hit& h : surging) {
    const Stock& s = market_->stock(h.stock);
    EXPECT_GE(h.price, s.prev_close * 1.05) << s.code;  // up 5 % when caught
    EXPECT_LE(h.seconds, market_->now());
  }
  const auto box = Hits(code::kScreenBoxRange);
  ASSERT_FALSE(box.empty());
  for (const Hit& h : box) {
    const Stock& s = market_->stock(h.stock);
    int low = s.recent_days[0].low, high = 0;
    for (int d = 0; d < 20; ++d) {
      low = std::min(low, s.recent_days[d].low);
      high = std::max(high, s.recent_days[d].high);
    }
    EXPECT_LE(high, low * 1.12) << s.code;
    EXPECT_GE(s.quote.price, low);
    EXPECT_LE(s.quote.price, high);
    EXPECT_LT(h.start_date, h.end_date);
  }
  const auto news = Hits(code::kScreenNews);
  ASSERT_FALSE(news.empty());
  for (const Hit& h : news) {
    EXPECT_GE(h.end_date, market_->trading_dates()[4]);
    EXPECT_FALSE(h.source.empty());
    EXPECT_NE(h.source, u"1");
  }
}

TEST_F(ScreensTest, PastReverseIsTheReverseRuleAtThatMinute) {
  Market then(MarketConfig{21, 1200, kDate});
  MarketEvents scratch;
  then.AdvanceTo(9 * 3600 + 45 * 60, scratch);
  std::set<int> expected;
  for (int i = 0; i < static_cast<int>(then.stocks().size()); ++i)
    if (then.stock(i).quote.ask_total > 2 * then.stock(i).quote.bid_total) expected.insert(i);
  EXPECT_EQ(Stocks(Hits(code::kScreenPastReverse, 0, 0, 9 * 3600 + 45 * 60)), expected);

  // A past day answers from each stock's path of that day, at any minute.
  ScreenRequest other_day;
  other_day.screen = code::kScreenPastReverse;
  other_day.past_date = 20260102;
  other_day.past_seconds = 14 * 3600 + 7 * 60;
  const std::vector<Hit> past = ScreenHits(*market_, *users_->Find("demo"), {}, other_day);
  std::set<int> reversed;
  for (int i = 0; i < static_cast<int>(market_->stocks().size()); ++i) {
    int bid = 0, ask = 0, price = 0;
    PastDay day(*market_, i, market_->stock(i).recent_days[0],
                market_->stock(i).recent_days[1].close);
    day.StateAt(other_day.past_seconds, bid, ask, price);
    if (ask > 2 * bid) reversed.insert(i);
  }
  ASSERT_FALSE(reversed.empty());
  EXPECT_EQ(Stocks(past), reversed);
  for (const Hit& h : past) {
    const DayBar& bar = market_->stock(h.stock).recent_days[0];
    EXPECT_EQ(h.date, 20260102);
    EXPECT_EQ(h.seconds, other_day.past_seconds);
    EXPECT_EQ(h.reg_date, 20260102);
    EXPECT_GE(h.price, bar.low);
    EXPECT_LE(h.price, bar.high);
    EXPECT_NE(DateTimeText(h.date, h.seconds), DateTimeText(kDate, h.seconds));
  }
  // Only the last 60 trading days are kept.
  other_day.past_date = market_->trading_dates()[61];
  EXPECT_TRUE(ScreenHits(*market_, *users_->Find("demo"), {}, other_day).empty());
}

TEST_F(ScreensTest, UserListsComeFromTheUsersData) {
  const UserData& demo = *users_->Find("demo");
  std::set<int> alarms, closing;
  for (const Alarm& a : demo.alarms) alarms.insert(a.stock);
  for (const ClosingItem& c : demo.closing) closing.insert(c.stock);
  EXPECT_EQ(Stocks(Hits(code::kAlarm)), alarms);
  EXPECT_EQ(Stocks(Hits(code::kClosingWatch)), closing);
  const SavedResults saved = EvaluateSavedRules(*market_);
  std::set<int> union_of_saved;
  for (const auto& r : saved) union_of_saved.insert(r.begin(), r.end());
  EXPECT_EQ(Stocks(Hits(code::kSavedScreen)), union_of_saved);
  EXPECT_EQ(saved[0].size(), 10u);
  EXPECT_TRUE(Hits(code::kScreen3008).empty());
}

TEST_F(ScreensTest, HitPacketsCarryAValidQuoteAndFiftyDayBars) {
  for (int screen : {code::kScreenReverse, code::kAlarm, code::kScreenNews}) {
    const auto hits = Hits(screen);
    ASSERT_FALSE(hits.empty());
    const Packet p = HitPacket(screen, *market_, hits[0]);
    const Stock& s = market_->stock(hits[0].stock);
    EXPECT_EQ(p.GetInt(u"GBN", 0), screen);
    EXPECT_EQ(p.GetText(u"SHCODE", u""), Utf16(s.code));
    EXPECT_EQ(p.GetText(u"HNAME", u""), s.name);
    EXPECT_EQ(p.GetInt(u"MARKET", 0), s.market);
    CPKT quote;
    EXPECT_TRUE(quote.Parse(p.GetText(u"CPKT", u"")));
    EXPECT_EQ(quote.Price(), s.quote.price);
    EXPECT_EQ(quote.Volume(), s.quote.volume);
    EXPECT_EQ(p.GetInt(u"BTOT", -1), s.quote.bid_total);
    EXPECT_EQ(p.GetInt(u"STOT", -1), s.quote.ask_total);
    EXPECT_EQ(p.GetInt(u"PRC", -1), hits[0].price);
    EXPECT_EQ(p.GetText(u"DT", u"").size(), screen == code::kAlarm ? 14u : 14u);
    const std::u16string day50 = p.GetText(u"DAY50", u"");
    const auto lines = SplitLines(day50);
    ASSERT_EQ(lines.size(), 50u);
    EXPECT_EQ(SplitFields(lines[0]).size(), 6u);
    EXPECT_EQ(ToInt(SplitFields(lines[0])[0]), market_->trading_dates()[1]);
    for (const char16_t* tag : {u"REGDT", u"ST_YMD", u"ED_YMD", u"KOA_YMD", u"SOC"})
      EXPECT_TRUE(p.Contains(std::u16string(u"<") + tag + u">")) << screen;
  }
}

TEST(ScreenRequestTest, ReadsTheFilterAndBothTimeForms) {
  Packet p(code::kScreenRequest);
  p.AddText(u"P_SHCODES", u"000010|000020|");
  p.AddInt(u"IDX", 3016);
  p.AddInt(u"MARKET", 7);
  p.AddInt(u"CHK", 1);
  p.AddText(u"HTIME", u"20260102103000");
  ScreenRequest r = ReadScreenRequest(p, kDate);
  EXPECT_EQ(r.screen, 3016);
  EXPECT_EQ(r.market, 0);  // out of range: all
  EXPECT_EQ(r.chk, 1);
  EXPECT_EQ(r.past_date, 20260102);
  EXPECT_EQ(r.past_seconds, 10 * 3600 + 30 * 60);
  p.SetText(u"HTIME", u"093000");
  r = ReadScreenRequest(p, kDate);
  EXPECT_EQ(r.past_date, kDate);
  EXPECT_EQ(r.past_seconds, 9 * 3600 + 30 * 60);
  for (const char16_t* bad : {u"", u"9300", u"099960", u"2026010210300x", u"-93000"}) {
    p.SetText(u"HTIME", bad);
    EXPECT_EQ(ReadScreenRequest(p, kDate).past_seconds, -1) << static_cast<int>(bad[0]);
  }
}

}  // namespace
}  // namespace velloran::server
