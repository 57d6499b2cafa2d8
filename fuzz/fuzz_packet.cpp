// Packet reads and writes on arbitrary text: the input is split into a packet
// text, a tag and a value at the first two 0x01 bytes.
#include "fuzz/fuzz_seeds.h"
#include "net/packet.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::size_t a = in.find('\x01');
  const std::size_t b = a == std::string_view::npos ? a : in.find('\x01', a + 1);
  const std::string_view body = in.substr(0, a);
  const std::string_view tag = a == std::string_view::npos ? "GBN" : in.substr(a + 1, b - a - 1);
  const std::string_view value = b == std::string_view::npos ? "" : in.substr(b + 1);

  velloran::Packet p(body.data(), static_cast<int>(body.size()));
  const std::u16string wtag = velloran::Utf8ToUtf16(tag);
  const std::u16string wvalue = velloran::Utf8ToUtf16(value);
  // Every read, by whichever way the packet takes (leading elements, plain
  // search, tag index on repeated reads), finds what the definition says:
  // the text between the first "<tag>" and the first "</tag>".
  auto same_reads = [&wtag](const velloran::Packet& packet) {
    const std::u16string_view text = packet.Text();
    const std::u16string open = u"<" + wtag + u">";
    const std::u16string close = u"</" + wtag + u">";
    std::u16string want = u"\x01none";
    const std::size_t o = text.find(open);
    const std::size_t c = text.find(close);
    if (o != std::u16string_view::npos && c != std::u16string_view::npos) {
      const std::size_t from = text.find(u'>', o) + 1;
      want = c < from ? std::u16string() : std::u16string(text.substr(from, c - from));
    }
    for (int i = 0; i < 6; ++i) {
      if (packet.GetText(wtag, u"\x01none") != want) __builtin_trap();
    }
  };
  // Several tags read in one pass, each as a single read gives it.
  auto same_each = [&wtag](const velloran::Packet& packet) {
    const velloran::Packet fresh(packet);  // no index yet: the one-pass way
    std::u16string_view values[3];
    const std::uint32_t found = fresh.FindEach({u"GBN", wtag, u"A"}, values);
    std::u16string_view one;
    if (((found & 1) != 0) != fresh.Find(u"GBN", one) || ((found & 1) != 0 && values[0] != one) ||
        ((found & 2) != 0) != fresh.Find(wtag, one) || ((found & 2) != 0 && values[1] != one) ||
        ((found & 4) != 0) != fresh.Find(u"A", one) || ((found & 4) != 0 && values[2] != one)) {
      __builtin_trap();
    }
    // The same pass in two steps.
    const velloran::Packet stepped(packet);
    const velloran::Packet::TagSet tags{u"GBN", wtag, u"A"};
    velloran::Packet::LeadingReader reader(stepped, tags);
    const std::uint32_t both = reader.Read(1) | reader.Read(6);
    for (std::size_t k = 0; k < 3; ++k) {
      if (((both >> k & 1) != 0) != ((found >> k & 1) != 0) ||
          ((both >> k & 1) != 0 && reader.value(k) != values[k])) {
        __builtin_trap();
      }
    }
  };
  same_each(p);
  same_reads(p);
  (void)p.GetInt(wtag, 7);
  p.AddText(wtag, wvalue);
  same_reads(p);
  p.SetText(wtag, wvalue);
  p.SetInt(wtag, 42);
  same_reads(p);
  same_each(p);
  // A packet re-read from its own wire form keeps its text.
  const std::string wire = p.ToWire();
  velloran::Packet again(wire.data(), static_cast<int>(wire.size()));
  if (p.Text().find(u'\0') == std::u16string::npos && again.Text() != p.Text()) __builtin_trap();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {"<PKT><GBN>1,002</GBN><DT1>x</DT1></PKT>\x01" "DT\x01" "20261208",
          "<PKT><GBN>0</GBN><CFG>0</CFG><CFG>0</CFG></PKT>\x01" "CFG\x01" "1",
          "<PKT></A><A>v</PKT>\x01" "A\x01", "\xEB\x8C\x80<PKT><GBN>3</GBN></PKT>",
          "<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>005930</STKCD></PKT>\x01" "STKCD\x01" "1",
          "<PKT><A>1</A></B><B>2</B></PKT>\x01" "B\x01", "<PKT><PKT>x</PKT></PKT>\x01" "PKT\x01"};
}
