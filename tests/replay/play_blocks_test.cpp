// The replay's 3001 replies read into the time line, snapshots and trades:
// how lines are cut, which lines are dropped, and the encoded form.
#include "replay/play_blocks.h"

#include <gtest/gtest.h>

#include <string>

#include "decoder/qz_comm_dec.h"
#include "net/decoder.h"
#include "net/packet.h"
#include "net/text_util.h"

namespace velloran {
namespace {

// 26 quote fields, "^" apart, at a time and a price.
std::u16string TradeLine(std::u16string_view time, int price) {
  std::u16string line(time);
  line += u"^2^100^0.52^" + std::u16string(FormatInt(price));
  for (int i = 5; i < 26; ++i) line += u"^" + FormatInt(i);
  return line;
}

class PlayBlocksTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(decoder_.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk); }
  static Packet Reply(std::u16string_view type, std::u16string_view zip, std::u16string_view data,
                      std::u16string_view cdata = {}) {
    Packet p(3001);
    p.AddText(u"SHCODE", u"005930");
    p.AddText(u"YMD", u"20261209");
    p.AddText(u"TYPE", type);
    if (!zip.empty()) p.AddText(u"ZIP", zip);
    p.AddText(u"DATA", data);
    if (!cdata.empty()) p.AddText(u"CDATA", cdata);
    return p;
  }
  CDecoder decoder_;
};

TEST_F(PlayBlocksTest, LinesAreCutTrimmedAndStartAfterACaret) {
  struct Row {
    std::u16string text;
    std::vector<std::u16string_view> lines;
  };
  const Row rows[] = {
      {u"", {}},
      {u"a\r\nb", {u"a", u"b"}},
      // Empty pieces go; a lone "\n" is no line break.
      {u"a\r\n\r\n\r\nb\r\n", {u"a", u"b"}},
      {u"a\nb\r\nc", {u"a\nb", u"c"}},
      // Only the first line is trimmed, at both ends.
      {u" \t\uFEFFa \r\n b ", {u"a", u" b "}},
      {u"\r\n  \r\n x\r\n", {u"x"}},
      // A leading "^" is left out, once.
      {u"^a^b\r\n^^c\r\n^", {u"a^b", u"^c"}},
      {u"  ^a", {u"a"}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ReplayLines(row.text), row.lines) << std::string(row.text.begin(), row.text.end());
  }
}

TEST_F(PlayBlocksTest, SnapshotLinesWithoutATimeOrFieldsAreDropped) {
  struct Row {
    std::u16string line;
    bool kept;
    std::int32_t time;
  };
  const Row rows[] = {
      {u"1^093001^2^B^50100^7^50000^9^S|50100|10|0,B|50000|0|20", true, 93001},
      {u"1^5^2^^1^2^3^4^", true, 5},  // an empty mark and book
      {u"1^093001^2^B^50100^7^50000^9", false, 0},   // eight fields
      {u"1^09:30^2^B^50100^7^50000^9^x", false, 0},   // not a number
      {u"1^^2^B^50100^7^50000^9^x", false, 0},        // no time
      {u"1^1093001^2^B^50100^7^50000^9^x", false, 0}, // seven digits
      {u"1^-93001^2^B^50100^7^50000^9^x", false, 0},
  };
  for (const Row& row : rows) {
    HogaSnapshot s;
    EXPECT_EQ(ReadSnapshotLine(row.line, s), row.kept) << s.time;
    if (row.kept) {
      EXPECT_EQ(s.time, row.time);
    }
  }
  HogaSnapshot s;
  ASSERT_TRUE(ReadSnapshotLine(u"-3^093001^77^BX^50100^9000000000^50000^-8^S|50100|10|0^x", s));
  EXPECT_EQ(s, (HogaSnapshot{-3, 93001, 77, u'B', 50100, 50000, -8, 9000000000,
                             u"S|50100|10|0"}));
}

TEST_F(PlayBlocksTest, TimeLineOfTheDayPlainOrEncoded) {
  const std::u16string day =
      u"  ^20261209090000^5000^2000\r\n"
      u"1000^1^2\r\n"                    // no date and time
      u"\r\n"
      u"20261209090100^9000000000\r\n"  // wider than 32 bits; no bid total
      u"^20261209090200^x^7";
  for (const std::u16string zip : {u"NO", u"Y", u""}) {
    const std::u16string data = zip == u"NO" ? day : std::u16string(GB_ENC(day.c_str()));
    Packet p = Reply(u"TOT", zip, data);
    p.AddText(u"SOC", u"1");
    const ReplayReply r = ReadReplayReply(p, decoder_);
    ASSERT_EQ(r.kind, ReplayKind::kTimeLine);
    EXPECT_EQ(r.soc, u"1");
    EXPECT_EQ(r.echo.ymd, u"20261209");
    EXPECT_FALSE(r.echo.htime.has_value());
    ASSERT_EQ(r.time_line.size(), 3u) << std::string(zip.begin(), zip.end());
    EXPECT_EQ(r.time_line[0].key, u"20261209090000");
    EXPECT_EQ(r.time_line[0].time, 90000);
    EXPECT_EQ(r.time_line[0].ask_total, 5000);
    EXPECT_EQ(r.time_line[0].bid_total, 2000);
    EXPECT_EQ(r.time_line[1].ask_total, 9000000000);
    EXPECT_EQ(r.time_line[1].bid_total, 0);
    EXPECT_EQ(r.time_line[2].time, 90200);
    EXPECT_EQ(r.time_line[2].bid_total, 7);
  }
}

TEST_F(PlayBlocksTest, BlockOfSnapshotsAndTradesPlainOrEncoded) {
  const std::u16string data =
      u" 1^090000^2^B^50100^7^50000^9^S|50100|10|0 \r\n"
      u"1^x^2^B^50100^7^50000^9^bad time\r\n"
      u"^1^090001^2^S^50200^7^50100^9^S|50200|1|0";
  const std::u16string cdata = TradeLine(u"090000", 50100) + u"\r\n" +
                               u"090001^2^3\r\n" +  // too few fields
                               TradeLine(u"9:00", 1) + u"\r\n^" + TradeLine(u"090002", 50200);
  for (const std::u16string zip : {u"NO", u"1"}) {
    const bool plain = zip == u"NO";
    Packet p = Reply(u"hoga", zip, plain ? data : GB_ENC(data.c_str()),
                     plain ? cdata : GB_ENC(cdata.c_str()));
    p.AddText(u"HTIME", u"090000");
    p.AddInt(u"IX", 1);
    const ReplayReply r = ReadReplayReply(p, decoder_);
    ASSERT_EQ(r.kind, ReplayKind::kBlock);
    EXPECT_EQ(r.ix, 1);
    EXPECT_EQ(r.echo.stock, u"005930");
    EXPECT_EQ(r.echo.htime, u"090000");
    EXPECT_EQ(r.data_lines, 3u);
    ASSERT_EQ(r.snapshots.size(), 2u);
    EXPECT_EQ(r.snapshots[0].book, u"S|50100|10|0");  // trimmed
    EXPECT_EQ(r.snapshots[1].time, 90001);
    EXPECT_EQ(r.snapshots[1].mark, u'S');
    ASSERT_EQ(r.trades.size(), 2u);
    EXPECT_EQ(r.trades[0].Price(), 50100);
    EXPECT_EQ(r.trades[1].Time(), 90002);
    EXPECT_EQ(r.trades[1].code(), u"005930");
    EXPECT_TRUE(r.trades[1].valid());
  }
}

TEST_F(PlayBlocksTest, RepliesThatCarryNothingUsable) {
  // Encoded data that does not decode has no lines; a missing IX is the
  // first block's 0; an unknown TYPE is told apart.
  Packet broken = Reply(u"HOGA", u"", u"not base64 at all!");
  const ReplayReply b = ReadReplayReply(broken, decoder_);
  EXPECT_EQ(b.kind, ReplayKind::kBlock);
  EXPECT_EQ(b.ix, 0);
  EXPECT_EQ(b.data_lines, 0u);
  EXPECT_EQ(ReadReplayReply(Reply(u"CHART", u"NO", u"x"), decoder_).kind, ReplayKind::kUnknown);
  // Without a loaded decoder encoded data reads as empty.
  CDecoder none;
  EXPECT_TRUE(ReadReplayReply(Reply(u"TOT", u"", GB_ENC(u"20261209090000^1^2")), none)
                  .time_line.empty());
}

}  // namespace
}  // namespace velloran
