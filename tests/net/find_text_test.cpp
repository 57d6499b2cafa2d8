#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "net/text_util.h"

namespace velloran {
namespace {

// The block search must agree with the plain search at every offset, for
// needles that match near block edges and at the very end.
TEST(FindText, AgreesWithTheStandardSearchEverywhere) {
  std::mt19937 rng(3);
  const std::u16string alphabet = u"<>/ABT가";
  for (int round = 0; round < 300; ++round) {
    std::u16string text(rng() % 70, u' ');
    for (auto& c : text) c = alphabet[rng() % alphabet.size()];
    for (int k = 0; k < 10; ++k) {
      const std::size_t len = rng() % 5;
      const std::size_t at = text.empty() ? 0 : rng() % text.size();
      const std::u16string needle = text.substr(at, len);
      for (std::size_t from = 0; from <= text.size() + 1; ++from) {
        ASSERT_EQ(FindText(text, needle, from), std::u16string_view(text).find(needle, from))
            << "round " << round << " from " << from;
      }
    }
  }
}

TEST(FindText, FindCharAgreesWithTheStandardSearchEverywhere) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    std::u16string text(rng() % 40, u'a');
    for (auto& c : text) c = u"a|\n"[rng() % 3];
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      ASSERT_EQ(FindChar(text, u'|', from), std::u16string_view(text).find(u'|', from));
    }
  }
}

// The cursors give the pieces of the vector splitters, and the one-pass
// integer reading of a piece is ToInt of it, whatever stands around it
// (digits near the 8-character block edge, signs, blanks, junk, overflow).
TEST(FieldCursor, AgreesWithSplittingAndToInt) {
  std::mt19937 rng(11);
  const std::u16string alphabet = u"0123456789|||+- x\n";
  for (int round = 0; round < 3000; ++round) {
    std::u16string text(rng() % 60, u'0');
    for (auto& c : text) c = alphabet[rng() % alphabet.size()];
    const auto pieces = SplitAll(text);
    FieldCursor ints(text);
    FieldCursor views(text);
    for (const auto piece : pieces) {
      std::int32_t value = -1;
      std::u16string_view view;
      ASSERT_TRUE(ints.NextInt(value)) << "round " << round;
      ASSERT_TRUE(views.Next(view));
      ASSERT_EQ(value, ToInt(piece)) << "piece '" << std::string(piece.begin(), piece.end()) << "'";
      ASSERT_EQ(view, piece);
    }
    std::int32_t value = 0;
    EXPECT_FALSE(ints.NextInt(value));
    std::vector<std::u16string_view> lines;
    LineCursor cursor(text);
    for (std::u16string_view line; cursor.Next(line);) lines.push_back(line);
    EXPECT_EQ(lines, SplitLines(text));
  }
  FieldCursor edges(u"12345678|123456789|9999999999|2147483648|-7|00000042|1");
  const std::int32_t want[] = {12345678, 123456789, 2147483647, 2147483647, -7, 42, 1};
  for (const std::int32_t w : want) {
    std::int32_t value = 0;
    ASSERT_TRUE(edges.NextInt(value));
    EXPECT_EQ(value, w);
  }
}

// The quick reading of plain decimals rounds as the full conversion does.
TEST(TextNumbers, PlainDecimalsReadAsTheFullConversion) {
  for (const char16_t* text : {u"0.1", u"12.34", u"-0.0", u".5", u"5.", u"123456789012345",
                               u"1234567890.12345", u"0.000000000000001", u"99.99%"}) {
    std::string narrow;
    for (const char16_t* c = text; *c; ++c) narrow += static_cast<char>(*c);
    EXPECT_EQ(ToReal(text), std::strtod(narrow.c_str(), nullptr)) << narrow;
  }
  EXPECT_EQ(ToReal(u"1.2.3"), 1.2);
  EXPECT_EQ(ToReal(u"1234567890123456789"), 1234567890123456789.0);
  EXPECT_EQ(ToReal(u"2.5e3"), 2500.0);
}

}  // namespace
}  // namespace velloran
