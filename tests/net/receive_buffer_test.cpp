#include "net/receive_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velloran {
namespace {

std::string Wire(const std::u16string& text) { return Packet(text).ToWire(); }

std::vector<std::u16string> Drain(CMyQueue& q) {
  std::vector<std::u16string> out;
  while (auto p = q.GetPacket()) out.push_back(p->Text());
  return out;
}

void Feed(CMyQueue& q, const std::string& bytes) { q.Append(bytes.data(), static_cast<int>(bytes.size())); }

const std::u16string kKorean = u"<PKT><GBN>3007</GBN><HNAME>한빛전자</HNAME><SHCODE>005930</SHCODE></PKT>";

TEST(FramingSplit, APacketSplitAtEveryByteYieldsItOnceAfterTheSecondPart) {
  const std::string wire = Wire(kKorean);
  for (std::size_t cut = 0; cut <= wire.size(); ++cut) {
    CMyQueue q;
    Feed(q, wire.substr(0, cut));
    const auto first = Drain(q);
    Feed(q, wire.substr(cut));
    const auto second = Drain(q);
    if (cut == wire.size()) {
      ASSERT_EQ(first.size(), 1u) << cut;
      EXPECT_TRUE(second.empty());
    } else {
      EXPECT_TRUE(first.empty()) << cut;
      ASSERT_EQ(second.size(), 1u) << cut;
      EXPECT_EQ(second[0], kKorean) << "cut at " << cut;
    }
    EXPECT_EQ(q.length(), 0);
  }
}

TEST(FramingSplit, OneByteAtATime) {
  const std::string wire = Wire(kKorean) + Wire(u"<PKT><GBN>1</GBN></PKT>");
  CMyQueue q;
  std::vector<std::u16string> got;
  for (char c : wire) {
    q.Append(&c, 1);
    for (auto& t : Drain(q)) got.push_back(t);
  }
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], kKorean);
}

TEST(FramingMany, SeveralPacketsInOneChunkComeOutInOrder) {
  std::string chunk;
  for (int i = 0; i < 50; ++i) chunk += Packet(2002 + i).ToWire();
  CMyQueue q;
  Feed(q, chunk);
  const auto got = Drain(q);
  ASSERT_EQ(got.size(), 50u);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(Packet(got[i]).GetInt(u"GBN", -1), 2002 + i);
}

TEST(FramingNul, ExtraNulsBetweenPacketsAreDropped) {
  CMyQueue q;
  Feed(q, Wire(u"<PKT><GBN>1</GBN></PKT>") + std::string(1, '\0') + Wire(u"<PKT><GBN>2</GBN></PKT>"));
  const auto got = Drain(q);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1], u"<PKT><GBN>2</GBN></PKT>");
}

TEST(FramingNul, AStrayNulAtTheStartOfTheNextChunkDoesNotLoseThePacket) {
  CMyQueue q;
  Feed(q, Wire(u"<PKT><GBN>1</GBN></PKT>"));
  ASSERT_EQ(Drain(q).size(), 1u);
  Feed(q, std::string(1, '\0') + Wire(u"<PKT><GBN>2</GBN></PKT>"));
  const auto got = Drain(q);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], u"<PKT><GBN>2</GBN></PKT>");
}

TEST(FramingNul, ANulNotAfterTheCloseIsNoBoundary) {
  const std::string bytes("<PKT><A>x\0y</A></PKT>\0", 23);
  CMyQueue q;
  Feed(q, bytes);
  const auto got = Drain(q);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], u"<PKT><A>x");
}

TEST(FramingNul, FiveBytesOrFewerNeverMakeAPacket) {
  CMyQueue q;
  Feed(q, std::string("xT>\0", 4));
  EXPECT_EQ(q.GetPacket(), nullptr);
  Feed(q, std::string("T>\0", 3));  // now 7 bytes: the NUL at 6 ends a packet
  auto p = q.GetPacket();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Text(), u"xT>");
}

TEST(FramingGarbage, BytesBeforeTheOpeningTagStayInTheText) {
  CMyQueue q;
  Feed(q, "junk" + Wire(u"<PKT><GBN>5</GBN></PKT>"));
  auto p = q.GetPacket();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Text(), u"junk<PKT><GBN>5</GBN></PKT>");
  EXPECT_EQ(p->GetInt(u"GBN", 0), 5);
}

TEST(FramingOverflow, AChunkThatDoesNotFitDropsEverythingHeld) {
  CMyQueue q;
  const std::string head = "<PKT><GBN>1</GBN><DATA>";
  Feed(q, head);
  std::string filler(4096, 'a');
  int held = static_cast<int>(head.size());
  while (held + 4096 <= CMyQueue::kCapacity) {
    Feed(q, filler);
    held += 4096;
  }
  EXPECT_EQ(q.length(), held);
  EXPECT_EQ(q.GetPacket(), nullptr);
  // The next chunk pushes past 16 MiB: the partial packet is lost, and the
  // packet that follows is framed from a fresh start.
  const std::string next = Wire(u"<PKT><GBN>2</GBN></PKT>");
  Feed(q, filler + next);
  const auto got = Drain(q);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], std::u16string(4096, u'a') + u"<PKT><GBN>2</GBN></PKT>");
}

TEST(FramingOverflow, FillingExactlyToCapacityIsAllowed) {
  CMyQueue q;
  std::string big(CMyQueue::kCapacity - 8, 'b');
  Feed(q, big);
  Feed(q, std::string("</PKT>\0x", 8));
  EXPECT_EQ(q.length(), CMyQueue::kCapacity);
  auto p = q.GetPacket();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Text().size(), CMyQueue::kCapacity - 2u);
  EXPECT_EQ(q.length(), 1);
}

TEST(FramingOverflow, AfterManyPacketsTheBufferStillHoldsAFullChunk) {
  // Consumed packets must not use up room: a long session appends far more
  // than 16 MiB in total.
  CMyQueue q;
  const std::string wire = Wire(kKorean);
  std::size_t total = 0, count = 0;
  while (total < 3u * CMyQueue::kCapacity) {
    Feed(q, wire);
    total += wire.size();
    count += Drain(q).size();
  }
  EXPECT_EQ(count, total / wire.size());
}

TEST(FramingClear, ClearDropsThePartialPacket) {
  CMyQueue q;
  Feed(q, "<PKT><GBN>1</GB");
  q.Clear();
  Feed(q, Wire(u"<PKT><GBN>2</GBN></PKT>"));
  auto p = q.GetPacket();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Text(), u"<PKT><GBN>2</GBN></PKT>");
}

}  // namespace
}  // namespace velloran
