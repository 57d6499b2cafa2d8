#include "net/utf8.h"

#include <gtest/gtest.h>

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
