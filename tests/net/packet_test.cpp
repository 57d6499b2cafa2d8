#include "net/packet.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

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

TEST(PacketRead, FirstElementReadsAsAnyOther) {
  EXPECT_EQ(Packet(std::u16string(u"<PKT><GBN>2002</GBN></PKT>")).GetInt(u"GBN", 0), 2002);
  // "<PKT>" itself is the first "<PKT>".
  EXPECT_EQ(Packet(std::u16string(u"<PKT><PKT>x</PKT></PKT>")).GetText(u"PKT", u""), u"<PKT>x");
  // A "<" inside the first value: the value runs to the closing tag.
  EXPECT_EQ(Packet(std::u16string(u"<PKT><GBN>1<X></GBN>")).GetText(u"GBN", u""), u"1<X>");
  // An element named "/A" holds the first "</A>", ahead of the A element.
  const Packet slash(std::u16string(u"<PKT></A>x<//A><A>v</A></PKT>"));
  EXPECT_EQ(Packet(slash).GetText(u"A", u"def"), u"");
  std::u16string_view values[2];
  EXPECT_EQ(slash.FindEach({u"A", u"GBN"}, values), 1u);
  EXPECT_EQ(values[0], u"");
  // A tag with a ">": the value starts after the first ">", as in any search.
  EXPECT_EQ(Packet(std::u16string(u"<PKT><G>B>v</G>B></PKT>")).GetText(u"G>B", u""), u"B>v");
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

// The reading as it is defined, searched afresh each time: the first
// "<tag>", the first ">" from there, the first "</tag>" from the start.
std::u16string Reference(const std::u16string& text, const std::u16string& tag,
                         const std::u16string& fallback) {
  const auto open = text.find(u"<" + tag + u">");
  if (open == std::u16string::npos) return fallback;
  const auto start = text.find(u'>', open) + 1;
  const auto close = text.find(u"</" + tag + u">");
  if (close == std::u16string::npos) return fallback;
  return close < start ? std::u16string() : text.substr(start, close - start);
}

// Texts of a few characters that make tags, brackets inside values, nested
// and unclosed brackets and repeated elements likely; half of them start as
// packets do, which the read of a first element takes a short way for.
std::u16string RandomText(std::mt19937& rng) {
  static const char16_t kAlphabet[] = u"<>/AB<>/A";
  std::u16string t = rng() % 2 == 0 ? u"<PKT><" : u"";
  const int n = static_cast<int>(rng() % 40);
  for (int i = 0; i < n; ++i) t += kAlphabet[rng() % 9];
  return t;
}

TEST(PacketRead, AgreesWithTheDefinedReadingOnAnyTextAndAfterEveryChange) {
  std::mt19937 rng(5);
  const std::vector<std::u16string> tags = {u"", u"A", u"B", u"AB", u"/A", u"A<B", u"A>B", u"PKT"};
  auto check = [&](const Packet& p, int round) {
    for (const auto& tag : tags) {
      ASSERT_EQ(p.GetText(tag, u"def"), Reference(p.Text(), tag, u"def"))
          << "round " << round << " tag " << std::string(tag.begin(), tag.end());
    }
    // Several tags in one pass, in and out of the order they stand in, with a
    // tag the pass cannot take and one asked for twice.
    const Packet fresh(p);
    for (const auto& asked : {std::vector<std::u16string>{u"A", u"B", u"AB"},
                              std::vector<std::u16string>{u"B", u"", u"A"},
                              std::vector<std::u16string>{u"A", u"/A", u"PKT"},
                              std::vector<std::u16string>{u"B", u"B"}}) {
      std::u16string_view values[3] = {u"def", u"def", u"def"};
      const std::uint32_t found =
          asked.size() == 2 ? fresh.FindEach({asked[0], asked[1]}, values)
                            : fresh.FindEach({asked[0], asked[1], asked[2]}, values);
      for (std::size_t k = 0; k < asked.size(); ++k) {
        const std::u16string want = Reference(p.Text(), asked[k], u"def");
        ASSERT_EQ(std::u16string(values[k]), want) << "round " << round << " tag " << k;
        ASSERT_EQ((found >> k & 1) != 0, want != u"def" || p.GetText(asked[k], u"x") == u"def");
      }
    }
    // The same pass stopped after its first tag and taken up again.
    const Packet again(p);
    static constexpr Packet::TagSet kSteps{u"B", u"A", u"AB"};
    Packet::LeadingReader reader(again, kSteps);
    const std::uint32_t first = reader.Read(0b001);
    const std::uint32_t rest = reader.Read(0b110);
    for (std::size_t k = 0; k < 3; ++k) {
      const std::u16string want = Reference(p.Text(), std::u16string(kSteps.begin()[k]), u"def");
      const bool found = ((first | rest) >> k & 1) != 0;
      ASSERT_EQ(found ? std::u16string(reader.value(k)) : u"def", want)
          << "round " << round << " step tag " << k;
    }
  };
  for (int round = 0; round < 3000; ++round) {
    Packet p(RandomText(rng));
    check(p, round);
    switch (round % 5) {
      case 0:
        p.AddText(tags[rng() % tags.size()], RandomText(rng));
        break;
      case 1:
        p.SetText(tags[rng() % tags.size()], RandomText(rng));
        break;
      case 2:
        p.SetWholeText(RandomText(rng) + u"</PKT>");
        break;
      case 3: {
        Packet copy(p);
        check(copy, round);
        copy.AddText(u"A", u"x");
        check(copy, round);
        break;
      }
      default: {
        Packet moved(std::move(p));
        check(moved, round);
        p = moved;
        break;
      }
    }
    check(p, round);
  }
}

TEST(PacketRead, ManyThreadsMayReadOnePacketAtOnce) {
  Packet p(2002);
  p.AddText(u"RES", u"CPRC");
  p.AddText(u"STKCD", u"005930");
  p.AddInt(u"BTOT", 1234);
  for (int round = 0; round < 200; ++round) {
    p.SetInt(u"SEQ", round);  // every round starts without an index
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
      readers.emplace_back([&] {
        EXPECT_EQ(p.GetText(u"STKCD", u""), u"005930");
        EXPECT_EQ(p.GetInt(u"BTOT", 0), 1234);
        EXPECT_EQ(p.GetInt(u"SEQ", -1), round);
      });
    }
    for (auto& r : readers) r.join();
  }
}

}  // namespace
}  // namespace velloran
