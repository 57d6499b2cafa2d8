#include "net/text_util.h"
#include "net/stock_code.h"

#include <gtest/gtest.h>

namespace velloran {
namespace {

using Views = std::vector<std::u16string_view>;

TEST(TextSplit, FieldsAndLines) {
  EXPECT_EQ(SplitFields(u"|12|34"), (Views{u"12", u"34"}));
  EXPECT_EQ(SplitFields(u"12||34|"), (Views{u"12", u"", u"34", u""}));
  EXPECT_TRUE(SplitFields(u"").empty());
  EXPECT_TRUE(SplitFields(u"|").empty());
  EXPECT_EQ(SplitLines(u"a\n\nb\n"), (Views{u"a", u"b"}));
  EXPECT_EQ(Split(u"x$@$y$@$", u"$@$"), (Views{u"x", u"y"}));
  EXPECT_EQ(SplitAll(u"|a|", u'|'), (Views{u"", u"a", u""}));
}

TEST(TextNumbers, CStyleConversions) {
  EXPECT_EQ(ToInt(u"  -42x"), -42);
  EXPECT_EQ(ToInt(u"1,234"), 1);
  EXPECT_EQ(ToIntGrouped(u"1,234"), 1234);
  EXPECT_EQ(ToInt(u""), 0);
  EXPECT_EQ(ToInt(u"-"), 0);
  EXPECT_DOUBLE_EQ(ToReal(u" -3.25%"), -3.25);
  EXPECT_DOUBLE_EQ(ToReal(u"1e2"), 100.0);
  EXPECT_DOUBLE_EQ(ToReal(u"abc"), 0.0);
  EXPECT_DOUBLE_EQ(ToReal(u"1e999"), 0.0);
}

TEST(TextNumbers, Formats) {
  EXPECT_EQ(FormatInt(-7), u"-7");
  EXPECT_EQ(FormatInt06(93000), u"093000");
  EXPECT_EQ(FormatReal2(2.346), u"2.35");
  EXPECT_EQ(FormatReal2(-0.5), u"-0.50");
  EXPECT_EQ(FormatNumber(0), u"");
  EXPECT_EQ(FormatNumber(999), u"999");
  EXPECT_EQ(FormatNumber(-1234567), u"1,234,567");
  EXPECT_EQ(FormatNumber(1000), u"1,000");
}

}  // namespace
}  // namespace velloran

namespace velloran {
namespace {

TEST(TextBound, CutToSizeAndBrokenIntoLines) {
  struct Case {
    std::u16string text;
    std::size_t max_chars, max_line;
    std::u16string bounded;
  };
  const std::vector<Case> cases = {
      {u"ab\r\ncd", 10, 4, u"ab\r\ncd"},                // short lines stay as they came
      {u"abcdefghij", 100, 4, u"abcd\nefgh\nij"},          // broken where there is no blank
      {u"ab cdefgh", 100, 4, u"ab \ncdef\ngh"},            // at a blank in the second half
      {u"abc\U0001F600d", 100, 4, u"abc\n\U0001F600d"},  // a pair goes whole
      {u"aaaa\nbbbbbbb", 10, 100, u"aaaa\nbbbbb"},         // cut within a line...
      {u"aaaaaaaa\nbb", 10, 100, u"aaaaaaaa"},             // ...or at its end near the cut
      {u"aaaaaaaaa\U0001F600", 10, 100, u"aaaaaaaaa"},     // never inside a pair
  };
  for (const Case& c : cases)
    EXPECT_EQ(BoundText(c.text, c.max_chars, c.max_line), c.bounded)
        << std::string(c.text.begin(), c.text.end());
}

TEST(StockCodeTest, CodesTravelInOneParameterAndNothingElseDoes) {
  for (const std::u16string code : {u"005930", u"A", u"Q500001", u"KR7005"}) {
    EXPECT_NE(PackStockCode(code), 0);
    EXPECT_EQ(UnpackStockCode(PackStockCode(code)), code);
  }
  for (const std::u16string bad : {u"", u"12345678", u"00 593", u"삼성전자"}) {
    EXPECT_EQ(PackStockCode(bad), 0);
  }
  EXPECT_EQ(UnpackStockCode(0), u"");
  EXPECT_EQ(UnpackStockCode(-1), u"");
  EXPECT_EQ(UnpackStockCode(0x3F), u"");
}

}  // namespace
}  // namespace velloran
