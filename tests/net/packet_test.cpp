#include "net/packet.h"

#include <gtest/gtest.h>

namespace velloran {
namespace {

TEST(PacketBuild, ElementsGoInFrontOfTheCloseInOrder) {
  Packet p(3014);
  p.AddText(u"P_SHCODES", u"");
  p.AddInt(u"IDX", 3009);
  EXPECT_EQ(p.Text(), u"<PKT><GBN>3014</GBN><P_SHCODES></P_SHCODES><IDX>3009</IDX></PKT>");
}

TEST(PacketBuild, AddingTwiceKeepsBothAndTheFirstWins) {
  Packet p(0);
  p.AddText(u"ID", u"first");
  p.AddText(u"ID", u"second");
  EXPECT_EQ(p.GetText(u"ID", u""), u"first");
  EXPECT_NE(p.Text().find(u"<ID>second</ID>"), std::u16string::npos);
}

TEST(PacketBuild, NoCloseTagMeansNothingIsAdded) {
  Packet p(std::u16string(u"<PKT><GBN>1</GBN>"));
  p.AddText(u"ID", u"x");
  EXPECT_EQ(p.Text(), u"<PKT><GBN>1</GBN>");
}

TEST(PacketBuild, WrappingReplacesPercentByFullWidth) {
  Packet p(std::u16string(u"<PKT><GBN>0</GBN><RTN>50%</RTN></PKT>"));
  EXPECT_EQ(p.GetText(u"RTN", u""), u"50\uFF05");
}

TEST(PacketRead, GroupedIntegersAndDefaults) {
  Packet p(std::u16string(u"<PKT><GBN>1,002</GBN><A>-12abc</A><B>  +7</B><C>x</C></PKT>"));
  EXPECT_EQ(p.GetInt(u"GBN", 0), 1002);
  EXPECT_EQ(p.GetInt(u"A", 0), -12);
  EXPECT_EQ(p.GetInt(u"B", 0), 7);
  EXPECT_EQ(p.GetInt(u"C", 5), 0);
  EXPECT_EQ(p.GetInt(u"MISSING", -4), -4);
  EXPECT_EQ(p.GetText(u"MISSING", u"def"), u"def");
}

TEST(PacketRead, TagsMatchWithTheirBrackets) {
  Packet p(0);
  p.AddText(u"DT1", u"20261208");
  EXPECT_EQ(p.GetText(u"DT", u"none"), u"none");
  EXPECT_EQ(p.GetText(u"DT1", u"none"), u"20261208");
}

TEST(PacketRead, EmptyElementIsNotTheDefault) {
  Packet p(0);
  p.AddText(u"SHCODE", u"");
  EXPECT_EQ(p.GetText(u"SHCODE", u"def"), u"");
  EXPECT_EQ(p.GetInt(u"SHCODE", 9), 0);
}

TEST(PacketRead, ClosingTagIsSearchedFromTheStart) {
  // The closing tag comes before the opening one: the value is empty.
  Packet p(std::u16string(u"<PKT></A><A>v</PKT>"));
  EXPECT_EQ(p.GetText(u"A", u"def"), u"");
  // An opening tag without a closing one gives the default.
  Packet q(std::u16string(u"<PKT><A>v</PKT>"));
  EXPECT_EQ(q.GetText(u"A", u"def"), u"def");
}

TEST(PacketRead, TagInsideAnotherValueIsFoundThereFirst) {
  Packet p(0);
  p.AddText(u"DATA", u"<ID>inner</ID>");
  p.AddText(u"ID", u"outer");
  EXPECT_EQ(p.GetText(u"ID", u""), u"inner");
}

TEST(PacketRead, IntegerOverflowClamps) {
  Packet p(0);
  p.AddText(u"A", u"99999999999");
  p.AddText(u"B", u"-99999999999");
  EXPECT_EQ(p.GetInt(u"A", 0), 2147483647);
  EXPECT_EQ(p.GetInt(u"B", 0), -2147483647 - 1);
}

TEST(PacketSet, ReplacesTheElementAndMovesItLast) {
  Packet p(0);
  p.AddInt(u"CFG", 0);
  p.AddText(u"ID", u"kim");
  p.SetInt(u"CFG", 1);
  EXPECT_EQ(p.Text(), u"<PKT><GBN>0</GBN><ID>kim</ID><CFG>1</CFG></PKT>");
}

TEST(PacketSet, RemovesEveryCopyOfTheFirstValue) {
  Packet p(0);
  p.AddText(u"A", u"1");
  p.AddText(u"B", u"x");
  p.AddText(u"A", u"1");
  p.AddText(u"A", u"2");
  p.SetText(u"A", u"9");
  // Both "1" elements go; the "2" element stays in front of the new one.
  EXPECT_EQ(p.Text(), u"<PKT><GBN>0</GBN><B>x</B><A>2</A><A>9</A></PKT>");
  EXPECT_EQ(p.GetText(u"A", u""), u"2");
}

TEST(PacketSet, OnAMissingTagAdds) {
  Packet p(0);
  p.SetText(u"ID", u"lee");
  EXPECT_EQ(p.GetText(u"ID", u""), u"lee");
}

TEST(PacketWire, RoundTripsKoreanTextWithOneNul) {
  Packet p(3004);
  p.AddText(u"HNAME", u"한빛전자");
  const std::string wire = p.ToWire();
  ASSERT_EQ(wire.back(), '\0');
  EXPECT_EQ(wire.find('\0'), wire.size() - 1);
  Packet back(wire.data(), static_cast<int>(wire.size()));
  EXPECT_EQ(back.Text(), p.Text());
}

TEST(PacketWire, DecodedTextEndsAtTheFirstNul) {
  const char bytes[] = "<PKT><GBN>1</GBN><A>x\0y</A></PKT>";
  Packet p(bytes, sizeof bytes);
  EXPECT_EQ(p.Text(), u"<PKT><GBN>1</GBN><A>x");
  EXPECT_EQ(p.GetText(u"A", u"def"), u"def");
}

}  // namespace
}  // namespace velloran
