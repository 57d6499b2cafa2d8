#include "decoder/qz_comm_dec.h"

#include <gtest/gtest.h>

#include "net/text_util.h"

#include <string>
#include <thread>
#include <vector>

namespace {

std::u16string Enc(const std::u16string& text) {
  return GB_ENC(text.c_str());
}
std::u16string Dec(const std::u16string& text) {
  return GB_DEC(text.c_str());
}

TEST(GbDec, RoundTripsKoreanRecordsAndEntries) {
  const std::u16string memo = u"005930삼성전자 실적 발표 100％$@$000660하이닉스\n메모|2|3";
  const std::u16string encoded = Enc(memo);
  EXPECT_FALSE(encoded.empty());
  for (char16_t c : encoded) EXPECT_LT(c, 128) << "the encoded text is plain ASCII";
  EXPECT_EQ(Dec(encoded), memo);
  const std::u16string surrogates = u"\U0001F600 a\r\nb";
  EXPECT_EQ(Dec(Enc(surrogates)), surrogates);
}

TEST(GbDec, EmptyAndNullTexts) {
  EXPECT_EQ(Dec(u""), u"");
  EXPECT_EQ(Dec(Enc(u"")), u"");
  EXPECT_EQ(std::u16string(GB_DEC(nullptr)), u"");
  EXPECT_FALSE(std::u16string(GB_ENC(nullptr)).empty()) << "null encodes as the empty text";
}

TEST(GbDec, SeveralMebibytes) {
  std::u16string big;
  for (int i = 0; big.size() < (6u << 20); ++i) {
    big += u"20240105|093000|10200|10500|10000|";
    big += static_cast<char16_t>(u'0' + i % 10);
    big += u"|가나다라\r\n";
  }
  const std::u16string encoded = Enc(big);
  EXPECT_LT(encoded.size(), big.size());
  EXPECT_EQ(Dec(encoded), big);
}

TEST(GbDec, GarbageAndTruncatedInputGiveAnEmptyText) {
  const std::u16string encoded = Enc(u"20240105|0|1|2|3|4|5\n20240104|0|1|2|3|4|5");
  for (const std::u16string& bad :
       {std::u16string(u"not base64 at all!"), std::u16string(u"AAAA"), std::u16string(u"삼성전자"),
        encoded.substr(0, encoded.size() - 4), encoded.substr(0, encoded.size() / 2),
        encoded.substr(4), encoded + u"AAAA", std::u16string(u"eJw=")}) {
    EXPECT_EQ(Dec(bad), u"") << std::string(bad.begin(), bad.end());
  }
  std::u16string flipped = encoded;
  flipped[10] = flipped[10] == u'A' ? u'B' : u'A';
  EXPECT_EQ(Dec(flipped), u"");
}

TEST(GbDec, ABoundedDecodeGivesTheWholeLinesWithinItsBound) {
  // 2 MiB of one repeated line of 22 bytes: a stream of a few kilobytes.
  const std::u16string line = u"20240105|0|1|1|1|1|11\n";
  std::u16string lines;
  while (lines.size() < (2u << 20)) lines += line;
  const std::u16string bomb = Enc(lines);
  ASSERT_LT(bomb.size(), 16u << 10);
  const std::u16string memo = u"메모 한 줄\n둘째";  // 14 + 1 + 6 UTF-8 bytes
  std::u16string numbers;  // lines that compress to half or less
  for (int i = 0; numbers.size() < 300000; ++i)
    numbers += velloran::FormatInt(i * 7919 % 100003) + u"\n";
  const std::u16string encoded = Enc(numbers);
  struct Case {
    std::u16string text;
    std::size_t max_bytes;
    std::u16string decoded;
  };
  const std::vector<Case> cases = {
      {bomb, lines.size(), lines},                       // within the bound: whole
      {bomb, 1000, lines.substr(0, 1000 / 22 * 22)},    // past it: its lines within
      {bomb, 21, u""},                                   // no whole line
      {Enc(memo), 21, memo},
      {Enc(memo), 20, u"메모 한 줄\n"},
      {encoded.substr(0, encoded.size() - 8), 1 << 20, u""},  // damaged: nothing
      // A text far too long for the bound is read only as far as it can hold.
      {encoded + std::u16string(1 << 20, u'A'), 1024,
       numbers.substr(0, numbers.rfind(u'\n', 1023) + 1)},
  };
  for (std::size_t k = 0; k < cases.size(); ++k)
    EXPECT_EQ(std::u16string(GB_DEC_MAX(cases[k].text.c_str(), cases[k].max_bytes)),
              cases[k].decoded)
        << "case " << k;
}

TEST(GbDec, ResultStaysUntilTheNextCallOnTheSameThread) {
  const std::u16string a = Enc(u"첫째"), b = Enc(u"둘째");
  const char16_t* first = GB_DEC(a.c_str());
  const char16_t* enc = GB_ENC(u"other buffer");
  EXPECT_EQ(std::u16string(first), u"첫째") << "GB_ENC keeps its own buffer";
  (void)enc;
  std::u16string other_thread;
  std::thread([&] { other_thread = GB_DEC(b.c_str()); }).join();
  EXPECT_EQ(std::u16string(first), u"첫째") << "another thread's call leaves it";
  EXPECT_EQ(other_thread, u"둘째");
}

TEST(GbDec, TwoThreadsAtOnce) {
  std::vector<std::u16string> plain, encoded;
  for (int i = 0; i < 8; ++i) {
    plain.push_back(std::u16string(1000 + i * 97, static_cast<char16_t>(u'가' + i)) + u"|끝");
    encoded.push_back(Enc(plain.back()));
  }
  auto run = [&](int offset, int& failures) {
    for (int round = 0; round < 400; ++round) {
      const int k = (round + offset) % 8;
      const char16_t* r = GB_DEC(encoded[k].c_str());
      if (plain[k] != r) ++failures;
      const std::u16string again = GB_ENC(plain[k].c_str());
      if (again.empty()) ++failures;
    }
  };
  int fa = 0, fb = 0;
  std::thread a(run, 0, std::ref(fa)), b(run, 3, std::ref(fb));
  a.join();
  b.join();
  EXPECT_EQ(fa, 0);
  EXPECT_EQ(fb, 0);
}

}  // namespace
