#include "decoder/codec.h"

#include <gtest/gtest.h>

#include <string>

namespace velloran::codec {
namespace {

std::string Decoded(std::u16string_view text, bool* ok = nullptr) {
  std::string out = "stale";
  const bool r = Base64Decode(text, out);
  if (ok) *ok = r;
  return r ? out : std::string("<fail>");
}

TEST(Base64, KnownVectorsBothWays) {
  const std::pair<const char*, const char16_t*> cases[] = {{"", u""},
                                                           {"f", u"Zg=="},
                                                           {"fo", u"Zm8="},
                                                           {"foo", u"Zm9v"},
                                                           {"foob", u"Zm9vYg=="},
                                                           {"fooba", u"Zm9vYmE="},
                                                           {"foobar", u"Zm9vYmFy"},
                                                           {"\xff\xfe\x00\x80", u"//4AgA=="}};
  for (const auto& [plain, encoded] : cases) {
    std::u16string e;
    Base64Encode(std::string_view(
                     plain, std::char_traits<char>::length(plain) + (plain[0] == '\xff' ? 2 : 0)),
                 e);
    EXPECT_EQ(e, encoded);
    EXPECT_EQ(Decoded(encoded), std::string(plain, std::char_traits<char>::length(plain) +
                                                       (plain[0] == '\xff' ? 2 : 0)));
  }
}

TEST(Base64, LineBreaksBlanksAndMissingPaddingAreAccepted) {
  EXPECT_EQ(Decoded(u"Zm9v\r\nYmFy\n"), "foobar");
  EXPECT_EQ(Decoded(u" Zm 9v\tYg"), "foob");
  EXPECT_EQ(Decoded(u"Zm9vYmE"), "fooba");
  EXPECT_EQ(Decoded(u"Zm9vYg= ="), "foob");
}

TEST(Base64, BadTextIsRefused) {
  for (const char16_t* bad :
       {u"Zm9v!", u"Zg==Zg==", u"Z", u"Zm9vY", u"=Zg", u"Zg===", u"Zm\u00e99v", u"Zm==="}) {
    bool ok = true;
    Decoded(bad, &ok);
    EXPECT_FALSE(ok) << std::u16string_view(bad).size();
  }
  bool nul_ok = true;
  Decoded(std::u16string_view(u"Zm9v\0AAA", 8), &nul_ok);
  EXPECT_FALSE(nul_ok) << "an embedded NUL is not part of the alphabet";
  // Non-ASCII characters that fold to an alphabet letter in their low byte.
  bool ok = true;
  Decoded(std::u16string(u"Zm9") + char16_t(0x0176), &ok);
  EXPECT_FALSE(ok);
}

TEST(ZlibStream, RoundTripAndBrokenStreams) {
  std::string plain(100000, 'a');
  for (std::size_t i = 0; i < plain.size(); i += 7) plain[i] = static_cast<char>(i);
  std::string stream, back;
  ASSERT_TRUE(Deflate(plain, stream));
  ASSERT_TRUE(Inflate(stream, back, 1 << 20));
  EXPECT_EQ(back, plain);

  EXPECT_FALSE(Inflate(stream.substr(0, stream.size() - 1), back, 1 << 20)) << "truncated";
  EXPECT_TRUE(back.empty());
  EXPECT_FALSE(Inflate(stream + "x", back, 1 << 20)) << "trailing bytes";
  std::string flipped = stream;
  flipped[flipped.size() - 2] ^= 1;
  EXPECT_FALSE(Inflate(flipped, back, 1 << 20)) << "checksum";
  EXPECT_FALSE(Inflate("", back, 1 << 20));
  EXPECT_FALSE(Inflate(stream, back, plain.size() - 1)) << "over the output limit";
  EXPECT_TRUE(Inflate(stream, back, plain.size())) << "exactly at the limit";
}

}  // namespace
}  // namespace velloran::codec
