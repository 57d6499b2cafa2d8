#include "net/quote.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "net/packet.h"
#include "net/text_util.h"

namespace velloran {
namespace {

// A 26-field record: time 93015, sign 2, change 150, rate 1.23, price 12350,
// open 12200, high 12400, low 12150, volume 345678.
std::u16string Record(int fields = 26) {
  const char16_t* all[] = {u"93015", u"2",     u"150", u"1.23", u"12350", u"090001", u"12200",
                           u"0901",  u"12400", u"0930", u"12150", u"0905",   u"10",    u"345678",
                           u"7",     u"200",   u"9",    u"300",   u"11",     u"0.5",   u"12",
                           u"12400", u"12350", u"t23",  u"24",    u"t25",    u"extra"};
  std::u16string out;
  for (int i = 0; i < fields; ++i) {
    if (i) out += u'|';
    out += all[i];
  }
  return out;
}

TEST(QuoteParse, TwentySixFieldsAreValidTwentyFiveAreNot) {
  CPKT q;
  EXPECT_TRUE(q.Parse(Record(26)));
  EXPECT_EQ(q.Time(), 93015);
  EXPECT_EQ(q.Sign(), 2);
  EXPECT_EQ(q.Change(), 150);
  EXPECT_DOUBLE_EQ(q.Rate(), 1.23);
  EXPECT_EQ(q.Price(), 12350);
  EXPECT_EQ(q.Open(), 12200);
  EXPECT_EQ(q.High(), 12400);
  EXPECT_EQ(q.Low(), 12150);
  EXPECT_EQ(q.Volume(), 345678);
  EXPECT_EQ(q.Text(5), u"090001");
  EXPECT_EQ(q.Text(25), u"t25");

  EXPECT_FALSE(q.Parse(Record(25)));
  EXPECT_FALSE(q.valid());
  EXPECT_EQ(q.Price(), 12350) << "an invalid text leaves the fields unchanged";
}

TEST(QuoteParse, ExtraFieldsIgnoredAndEmptyLastFieldCounts) {
  CPKT q;
  EXPECT_TRUE(q.Parse(Record(27)));
  EXPECT_EQ(q.Text(25), u"t25");
  std::u16string trailing_empty = Record(25) + u"|";
  EXPECT_TRUE(q.Parse(trailing_empty));
  EXPECT_EQ(q.Text(25), u"");
}

TEST(QuoteParse, CaretSeparatedAndRoundTrip) {
  std::u16string caret = Record();
  std::replace(caret.begin(), caret.end(), u'|', u'^');
  CPKT q;
  ASSERT_TRUE(q.Parse(caret, u'^'));
  CPKT r;
  ASSERT_TRUE(r.Parse(q.ToText()));
  EXPECT_EQ(r.ToText(), q.ToText());
  EXPECT_EQ(r.Price(), 12350);
}

TEST(QuoteFill, EmptyValueTakesTheMasterPrice) {
  const CPKT::MasterPrice master = [](std::u16string_view code) -> std::optional<std::int32_t> {
    if (code == u"005930") return 71000;
    return std::nullopt;
  };
  Packet p(2002);
  p.AddText(u"STKCD", u"005930");
  p.AddText(u"DATA", u"");
  p.AddInt(u"BTOT", 1200);
  p.AddInt(u"STOT", 3400);
  const CPKT q = CPKT::FromPacket(p, master);
  EXPECT_TRUE(q.valid());
  EXPECT_EQ(q.code(), u"005930");
  EXPECT_EQ(q.Price(), 71000);
  EXPECT_EQ(q.BestAsk(), 71000);
  EXPECT_EQ(q.BestBid(), 71000);
  EXPECT_EQ(q.Time(), 80000);
  EXPECT_EQ(q.Sign(), 3);
  EXPECT_EQ(q.Volume(), 0);
  EXPECT_EQ(q.bid_total(), 1200);
  EXPECT_EQ(q.ask_total(), 3400);

  Packet unknown(2002);
  unknown.AddText(u"STKCD", u"999999");
  unknown.AddText(u"DATA", u"");
  EXPECT_FALSE(CPKT::FromPacket(unknown, master).valid());
}

TEST(QuoteUpdate, CpktElementWhenThereIsNoData) {
  Packet p(3004);
  p.AddText(u"STKCD", u"000660");
  p.AddText(u"CPKT", Record());
  CPKT q = CPKT::FromPacket(p, nullptr);
  EXPECT_TRUE(q.valid());
  EXPECT_EQ(q.Price(), 12350);
  // A later update without totals keeps the ones held.
  q.set_totals(5, 6);
  q.Update(p, nullptr);
  EXPECT_EQ(q.bid_total(), 5);
  EXPECT_EQ(q.ask_total(), 6);
}

}  // namespace
}  // namespace velloran
