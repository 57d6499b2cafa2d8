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
  // Repeated reads go through the packet's tag index; the first read of a
  // fresh packet is the plain search. Both must find the same value.
  auto same_reads = [&wtag](const velloran::Packet& packet) {
    const velloran::Packet fresh(packet);  // a copy starts without an index
    const std::u16string plain = fresh.GetText(wtag, u"\x01none");
    for (int i = 0; i < 6; ++i) {
      if (packet.GetText(wtag, u"\x01none") != plain) __builtin_trap();
    }
  };
  same_reads(p);
  (void)p.GetInt(wtag, 7);
  p.AddText(wtag, wvalue);
  same_reads(p);
  p.SetText(wtag, wvalue);
  p.SetInt(wtag, 42);
  same_reads(p);
  // A packet re-read from its own wire form keeps its text.
  const std::string wire = p.ToWire();
  velloran::Packet again(wire.data(), static_cast<int>(wire.size()));
  if (p.Text().find(u'\0') == std::u16string::npos && again.Text() != p.Text()) __builtin_trap();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {"<PKT><GBN>1,002</GBN><DT1>x</DT1></PKT>\x01" "DT\x01" "20261208",
          "<PKT><GBN>0</GBN><CFG>0</CFG><CFG>0</CFG></PKT>\x01" "CFG\x01" "1",
          "<PKT></A><A>v</PKT>\x01" "A\x01", "\xEB\x8C\x80<PKT><GBN>3</GBN></PKT>"};
}
