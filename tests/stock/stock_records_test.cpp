#include "stock/stock_records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tests/stock/quote_text.h"

namespace velloran {
namespace {

using testing::QuoteText;

class FakeContext : public StockContext {
 public:
  const Packet* FindMaster(std::u16string_view code) const override {
    const auto it = master.find(std::u16string(code));
    return it == master.end() ? nullptr : &it->second;
  }
  std::int32_t TradingDate() const override { return trading_date; }
  int ServerHour() const override { return hour; }

  std::map<std::u16string, Packet> master;
  std::int32_t trading_date = 20240105;
  int hour = 10;
};

// Two day bars, the newest of 2024-01-04: a quote of the 5th adds a bar.
constexpr char16_t kDay50[] = u"20240104|100|110|90|105|1000\n20240103|95|101|94|100|900\n";

Packet Hit(std::u16string extra) {
  return Packet(u"<PKT><GBN>3007</GBN><SHCODE>005930</SHCODE>" + extra + u"</PKT>");
}

class CQZDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Packet master(
        u"<PKT><GBN>3002</GBN><SHCODE>005930</SHCODE><HNAME>한빛전자</HNAME>"
        u"<MARKET>1</MARKET><KPRC>70000</KPRC></PKT>");
    context.master.emplace(u"005930", master);
  }
  FakeContext context;
};

TEST_F(CQZDataTest, HitWithoutCpktKeepsOnlyConstructorFields) {
  CQZData record(Hit(u"<ST_YMD>20240101</ST_YMD><DT>0930</DT><PRC>500</PRC><DAY50>" +
                     std::u16string(kDay50) + u"</DAY50>"),
                 context);
  EXPECT_EQ(record.valid(), 1);
  EXPECT_EQ(record.name(), u"한빛전자");  // from the master, with its market
  EXPECT_EQ(record.market(), 1);
  EXPECT_EQ(record.start_date(), u"20240101");
  EXPECT_EQ(record.capture_time(), u"");
  EXPECT_EQ(record.first_price(), 0);
  EXPECT_EQ(record.quote(), nullptr);
  EXPECT_EQ(record.bars().Count(), 0);
  EXPECT_FALSE(record.IsImminent());
  EXPECT_FALSE(record.IsReverse());
}

TEST_F(CQZDataTest, NameAndMarketComeFromTheHitWhenItHasAName) {
  CQZData record(Hit(u"<HNAME>다른이름</HNAME><CPKT></CPKT>"), context);
  EXPECT_EQ(record.name(), u"다른이름");
  EXPECT_EQ(record.market(), 0);  // the hit's, absent
}

TEST_F(CQZDataTest, EmptyCpktFillsFromTheMasterOrLeavesTheBarsAlone) {
  const std::u16string tail =
      u"<CPKT></CPKT><PRC>70000</PRC><DAY50>" + std::u16string(kDay50) + u"</DAY50><SOC>S1</SOC>";
  CQZData filled(Hit(tail), context);
  ASSERT_NE(filled.quote(), nullptr);
  EXPECT_EQ(filled.quote()->Price(), 70000);
  EXPECT_EQ(filled.quote()->Open(), 70000);
  EXPECT_EQ(filled.quote()->Sign(), 3);
  EXPECT_EQ(filled.quote()->Time(), 80000);
  EXPECT_EQ(filled.source(), u"S1");
  EXPECT_EQ(filled.bars().Count(), 3);  // a bar of the trading date was added
  EXPECT_EQ(filled.bars().Bar(0).date, 20240105);
  EXPECT_TRUE(filled.IsImminent());

  context.master.clear();
  CQZData unknown(Hit(tail), context);
  ASSERT_NE(unknown.quote(), nullptr);
  EXPECT_EQ(unknown.quote()->Price(), 0);
  EXPECT_EQ(unknown.bars().Count(), 2);
}

TEST_F(CQZDataTest, QuoteOfTheHitIsParsedAndMerged) {
  CQZData record(
      Hit(u"<CPKT>" + QuoteText(1000, 990, 1010, 980, 5000) +
          u"</CPKT><BTOT>100</BTOT><STOT>201</STOT><PRC>1005</PRC><DAY50>" + kDay50 + u"</DAY50>"),
      context);
  ASSERT_TRUE(record.quote()->valid());
  EXPECT_EQ(record.quote()->code(), u"005930");
  EXPECT_EQ(record.bars().Bar(0).close, 1000);
  EXPECT_TRUE(record.IsReverse());
  EXPECT_DOUBLE_EQ(record.reverse_ratio(), 2.01);
  EXPECT_TRUE(record.IsImminent());  // 0.5 % from 1005
  // No bids reported: no ratio, no mark.
  CQZData unbid(Hit(u"<CPKT>" + QuoteText(1000, 990, 1010, 980, 5000) +
                    u"</CPKT><BTOT>0</BTOT><STOT>201</STOT>"),
                context);
  EXPECT_FALSE(unbid.IsReverse());

  // A newer hit whose quote does not parse keeps the bars free of zeros.
  record.Update(Hit(u"<CPKT>1|2|3</CPKT><DAY50>" + std::u16string(kDay50) + u"</DAY50>"), context);
  EXPECT_EQ(record.bars().Count(), 2);
  EXPECT_EQ(record.bars().Bar(0).close, 105);

  // Without "CPKT" in its text a hit changes nothing.
  record.Update(Hit(u"<PRC>1</PRC><DT>x</DT>"), context);
  EXPECT_EQ(record.first_price(), 0);  // from the unparsable hit, which had no PRC
  EXPECT_EQ(record.capture_time(), u"");
}

TEST_F(CQZDataTest, PriceUpdatesMarkChangesOnlyForValidQuotes) {
  CQZData record(Hit(u"<CPKT></CPKT><PRC>1000</PRC><DAY50>" + std::u16string(kDay50) + u"</DAY50>"),
                 context);
  auto cprc = [](int price) {
    Packet p(2002);
    p.AddText(u"RES", u"CPRC");
    p.AddText(u"STKCD", u"005930");
    p.AddText(u"DATA", QuoteText(price, price, price, price, 10));
    p.AddInt(u"BTOT", 10);
    p.AddInt(u"STOT", 10);
    return p;
  };
  record.UpdatePrice(cprc(1005), context);
  EXPECT_EQ(record.price_changed(), 1);
  EXPECT_EQ(record.last_price(), 1005);
  record.UpdatePrice(cprc(1005), context);
  EXPECT_EQ(record.price_changed(), 0);
  EXPECT_EQ(record.bars().Bar(0).close, 1005);
  EXPECT_TRUE(record.IsImminent());
  EXPECT_NEAR(record.imminence(), 0.5, 1e-9);
  record.UpdatePrice(cprc(1011), context);
  EXPECT_FALSE(record.IsImminent());
  EXPECT_FALSE(record.IsReverse());

  Packet broken(2002);
  broken.AddText(u"STKCD", u"005930");
  broken.AddText(u"DATA", u"1|2");
  record.UpdatePrice(broken, context);
  EXPECT_EQ(record.last_price(), 1011);
  EXPECT_FALSE(record.IsImminent());  // invalid quote

  // A quote parsed already counts as its packet would, totals included.
  CPKT parsed = CPKT::FromPacket(cprc(1020), context.MasterPrices());
  parsed.set_totals(10, 30);
  record.UpdatePrice(parsed, context);
  EXPECT_EQ(record.price_changed(), 1);
  EXPECT_EQ(record.last_price(), 1020);
  EXPECT_EQ(record.bars().Bar(0).close, 1020);
  EXPECT_TRUE(record.IsReverse());
  record.UpdatePrice(CPKT(), context);
  EXPECT_EQ(record.last_price(), 1020);
  EXPECT_FALSE(record.IsImminent());
}

TEST_F(CQZDataTest, FirstPriceZeroGivesNoImminenceMark) {
  CQZData record(Hit(u"<CPKT>" + QuoteText(0) + u"</CPKT>"), context);
  EXPECT_FALSE(record.IsImminent());
  EXPECT_FALSE(std::isfinite(record.imminence()));
  CQZData priced(Hit(u"<CPKT>" + QuoteText(500) + u"</CPKT>"), context);
  EXPECT_FALSE(priced.IsImminent());
  EXPECT_TRUE(std::isinf(priced.imminence()));
}

Packet Quote(int price) {
  Packet p(2002);
  p.AddText(u"RES", u"CPRC");
  p.AddText(u"STKCD", u"005930");
  p.AddText(u"DATA", QuoteText(price));
  return p;
}

TEST(CAlmPrcDataTest, ParseReadsFieldsFromALeadingSeparator) {
  CAlmPrcData alarm;
  alarm.Parse(u"|7|005930|20240101|1000|20240102|1100");
  EXPECT_EQ(alarm.sequence(), 7);
  EXPECT_EQ(alarm.code(), u"005930");
  EXPECT_EQ(alarm.first_time(), u"20240101");
  EXPECT_EQ(alarm.first_price(), 1000);
  EXPECT_EQ(alarm.second_time(), u"20240102");
  EXPECT_EQ(alarm.second_price(), 1100);
  alarm.Parse(u"8|005930");
  EXPECT_EQ(alarm.first_price(), 0);
}

TEST(CAlmPrcDataTest, EachPriceHitsOnceByExactEquality) {
  CAlmPrcData alarm;
  alarm.Parse(u"1|005930|d|1000|d1|1100");
  EXPECT_EQ(alarm.Check(Quote(999), nullptr), nullptr);
  EXPECT_EQ(alarm.Check(Quote(1001), nullptr), nullptr);  // jumped over 1000
  auto first = alarm.Check(Quote(1000), nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Text(),
            u"<PKT><GBN>0</GBN><IDX>3010</IDX><SHCODE>005930</SHCODE>"
            u"<PRC>1000</PRC></PKT>");
  EXPECT_EQ(alarm.Check(Quote(1000), nullptr), nullptr);
  const CAlmPrcData copy(alarm);
  auto second = alarm.Check(Quote(1100), nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetInt(u"PRC", 0), 1100);
  EXPECT_EQ(alarm.Check(Quote(1234), nullptr), nullptr);
  EXPECT_EQ(alarm.quote()->Price(), 1100);  // both hit: the quote is no longer updated
  EXPECT_EQ(copy.quote()->Price(), 1000);   // the copy has its own quote
  EXPECT_EQ(copy.first_hit(), 1);
  EXPECT_EQ(copy.second_hit(), 0);
}

TEST(CAlmPrcDataTest, FirstPriceZeroHitsAtZero) {
  CAlmPrcData alarm;
  alarm.Parse(u"1|005930|d|0|d1|500");
  EXPECT_NE(alarm.Check(Quote(0), nullptr), nullptr);
  EXPECT_EQ(alarm.first_hit(), 1);
}

TEST(CAlmPrcDataTest, UpdateTakesOnlyItsOwnStockAndKeepsHits) {
  CAlmPrcData alarm;
  alarm.Parse(u"1|005930|d|1000|d1|1100");
  (void)alarm.Check(Quote(1000), nullptr);
  alarm.Update(Packet(u"<PKT><GBN>3010</GBN><SHCODE>000660</SHCODE><PRC>5</PRC></PKT>"));
  EXPECT_EQ(alarm.first_price(), 1000);
  alarm.Update(Packet(u"<PKT><GBN>3010</GBN><SHCODE>005930</SHCODE><PRC>1200</PRC></PKT>"));
  EXPECT_EQ(alarm.first_price(), 1200);
  EXPECT_EQ(alarm.second_price(), 1100);  // kept as the default
  EXPECT_EQ(alarm.first_time(), u"d");
  EXPECT_EQ(alarm.sequence(), 0);
  EXPECT_EQ(alarm.first_hit(), 1);
}

}  // namespace
}  // namespace velloran
