// The replay's 3001 replies read into the time line, snapshots and trades:
// how lines are cut, which are dropped, and the encoded form.
#include "replay/play_blocks.h"

#include <gtest/gtest.h>

#include "decoder/qz_comm_dec.h"
#include "net/decoder.h"
#include "net/packet.h"
#include "net/text_util.h"

namespace velloran {
namespace {

// 26 quote fields, "^" apart.
std::u16string TradeLine(std::u16string_view time, int price) {
  std::u16string line = std::u16string(time) + u"^2^100^0.52^" + FormatInt(price);
  for (int i = 5; i < 26; ++i) line += u"^" + FormatInt(i);
  return line;
}

class PlayBlocksTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(decoder_.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk); }
  // ZIP "NO" sends the text as it is; any other ZIP, or none, encoded.
  static Packet Reply(std::u16string_view type, std::u16string_view zip, std::u16string data,
                      std::u16string cdata = {}) {
    Packet p(3001);
    p.AddText(u"SHCODE", u"005930");
    p.AddText(u"YMD", u"20261209");
    p.AddText(u"TYPE", type);
    if (!zip.empty()) p.AddText(u"ZIP", zip);
    p.AddText(u"DATA", zip == u"NO" ? data : GB_ENC(data.c_str()));
    p.AddText(u"CDATA", zip == u"NO" ? cdata : GB_ENC(cdata.c_str()));
    return p;
  }
  CDecoder decoder_;
};

TEST_F(PlayBlocksTest, LinesAreCutTrimmedAndStartAfterACaret) {
  const std::pair<std::u16string, std::vector<std::u16string_view>> rows[] = {
      {u"", {}},
      {u"a\r\n\r\n\r\nb\r\n", {u"a", u"b"}},  // empty pieces go
      {u"a\nb\r\nc", {u"a\nb", u"c"}},        // a lone "\n" breaks no line
      {u" \t\uFEFFa \r\n b ", {u"a", u" b "}},  // only the first line is trimmed
      {u"\r\n  \r\n x\r\n", {u"x"}},
      {u"^a^b\r\n^^c\r\n^", {u"a^b", u"^c"}},  // one leading "^" is left out
      {u"  ^a", {u"a"}},
  };
  for (const auto& [text, lines] : rows) EXPECT_EQ(ReplayLines(text), lines);
}

TEST_F(PlayBlocksTest, SnapshotLinesWithoutATimeOrFieldsAreDropped) {
  const std::pair<std::u16string, bool> rows[] = {
      {u"1^5^2^^1^2^3^4^", true},                      // an empty mark and book
      {u"1^093001^2^B^50100^7^50000^9", false},        // eight fields
      {u"1^09:30^2^B^50100^7^50000^9^x", false},       // not a number
      {u"1^^2^B^50100^7^50000^9^x", false},            // no time
      {u"1^1093001^2^B^50100^7^50000^9^x", false},     // seven digits
      {u"1^-93001^2^B^50100^7^50000^9^x", false},
  };
  for (const auto& [line, kept] : rows) {
    HogaSnapshot s;
    EXPECT_EQ(ReadSnapshotLine(line, s), kept) << std::string(line.begin(), line.end());
  }
}

TEST_F(PlayBlocksTest, TimeLineOfTheDayPlainOrEncoded) {
  const std::u16string day =
      u"  ^20261209090000^5000^2000\r\n"
      u"1000^1^2\r\n"                   // no date and time
      u"20261209090100^9000000000\r\n"  // wider than 32 bits; no bid total
      u"^20261209090200^x^7";
  for (const std::u16string zip : {u"NO", u"Y", u""}) {
    Packet p = Reply(u"TOT", zip, day);
    p.AddText(u"SOC", u"1");
    const ReplayReply r = ReadReplayReply(p, decoder_);
    ASSERT_EQ(r.kind, ReplayKind::kTimeLine);
    EXPECT_EQ(r.soc, u"1");
    EXPECT_EQ(r.echo.ymd, u"20261209");
    EXPECT_FALSE(r.echo.htime.has_value());
    ASSERT_EQ(r.time_line.size(), 3u);
    EXPECT_EQ(r.time_line[0].key, u"20261209090000");
    EXPECT_EQ(r.time_line[0].time, 90000);
    EXPECT_EQ(r.time_line[0].ask_total, 5000);
    EXPECT_EQ(r.time_line[0].bid_total, 2000);
    EXPECT_EQ(r.time_line[1].ask_total, 9000000000);
    EXPECT_EQ(r.time_line[2].bid_total, 7);
  }
}

TEST_F(PlayBlocksTest, BlockOfSnapshotsAndTradesPlainOrEncoded) {
  const std::u16string data =
      u" -3^090000^77^BX^50100^9000000000^50000^-8^S|50100|10|0^x \r\n"
      u"1^x^2^B^50100^7^50000^9^bad time\r\n"
      u"^1^090001^2^S^50200^7^50100^9^S|50200|1|0";
  const std::u16string cdata = TradeLine(u"090000", 50100) + u"\r\n090001^2^3\r\n" +
                               TradeLine(u"9:00", 1) + u"\r\n^" + TradeLine(u"090002", 50200);
  for (const std::u16string zip : {u"NO", u"1"}) {
    Packet p = Reply(u"hoga", zip, data, cdata);
    p.AddText(u"HTIME", u"090000");
    p.AddInt(u"IX", 1);
    const ReplayReply r = ReadReplayReply(p, decoder_);
    ASSERT_EQ(r.kind, ReplayKind::kBlock);
    EXPECT_EQ(r.ix, 1);
    EXPECT_EQ(r.echo.htime, u"090000");
    EXPECT_EQ(r.data_lines, 3u);
    ASSERT_EQ(r.snapshots.size(), 2u);
    EXPECT_EQ(r.snapshots[0],
              (HogaSnapshot{-3, 90000, 77, u'B', 50100, 50000, -8, 9000000000, u"S|50100|10|0"}));
    EXPECT_EQ(r.snapshots[1].time, 90001);
    ASSERT_EQ(r.trades.size(), 2u);  // too few fields, a time not of digits
    EXPECT_EQ(r.trades[0].Price(), 50100);
    EXPECT_EQ(r.trades[1].Time(), 90002);
    EXPECT_EQ(r.trades[1].code(), u"005930");
  }
  // Encoded data that does not decode has no lines; without IX a block is
  // the first of its day; another TYPE is told apart.
  Packet broken(3001);
  broken.AddText(u"TYPE", u"HOGA");
  broken.AddText(u"DATA", u"not base64!");
  const ReplayReply b = ReadReplayReply(broken, decoder_);
  EXPECT_EQ(b.ix, 0);
  EXPECT_EQ(b.data_lines, 0u);
  EXPECT_EQ(ReadReplayReply(Reply(u"CHART", u"NO", u"x"), decoder_).kind, ReplayKind::kUnknown);
}

}  // namespace
}  // namespace velloran
