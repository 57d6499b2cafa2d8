#include "net/utf8.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/net/utf8_pieces.h"

namespace velloran {
namespace {

TEST(Utf8Decode, WellFormedTextOfEveryLength) {
  EXPECT_EQ(Utf8ToUtf16("plain ascii text longer than eight"), u"plain ascii text longer than eight");
  EXPECT_EQ(Utf8ToUtf16("\xC3\xA9"), u"\u00E9");
  EXPECT_EQ(Utf8ToUtf16("\xEB\x8C\x80\xEC\x84\xB1"), u"대성");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(Utf8Decode, IllFormedSequencesBecomeOneReplacementPerSubpart) {
  // Lone continuation, overlong, encoded surrogate, beyond U+10FFFF, bad lead.
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
  // A truncated sequence is one subpart, and the next character survives.
  EXPECT_EQ(Utf8ToUtf16("\xEB\x8C<"), u"\uFFFD<");
  EXPECT_EQ(Utf8ToUtf16("\xEB\x8C"), u"\uFFFD");
}

TEST(Utf8Decode, StopsAtNulInFastAndSlowPaths) {
  const std::string a("0123456789\0abcdef", 17);
  EXPECT_EQ(Utf8ToUtf16(a), u"0123456789");
  const std::string b("\xEB\x8C\x80\0\xEB\x8C\x80", 7);
  EXPECT_EQ(Utf8ToUtf16(b), u"대");
}

TEST(Utf8Decode, AnyMixOfPiecesAtAnyOffsetDecodesPieceByPiece) {
  std::mt19937 rng(3);
  for (int round = 0; round < 4000; ++round) {
    testing::Utf8Sample s;
    bool ended = false;
    const int pieces = static_cast<int>(rng() % 12);
    for (int i = 0; i < pieces; ++i) {
      // NULs rarely, so that most texts run to their end.
      unsigned kind = rng() % 12;
      if (kind >= testing::kUtf8Nul) ++kind;
      if (rng() % 16 == 0) kind = testing::kUtf8Nul;
      testing::AppendUtf8Piece(static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(rng()), s,
                               ended);
    }
    std::u16string out = u"kept";
    AppendUtf8AsUtf16(s.bytes.data(), s.bytes.size(), out);
    ASSERT_EQ(out, u"kept" + s.text) << "round " << round;
  }
}

TEST(Utf8Encode, RoundTripAndLoneSurrogates) {
  const std::u16string text = u"가나다 abc \U0001F600 €";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  std::u16string lone = u"a";
  lone += char16_t(0xD800);
  lone += u"b";
  EXPECT_EQ(Utf16ToUtf8(lone), "a\xEF\xBF\xBD" "b");
}

}  // namespace
}  // namespace velloran
