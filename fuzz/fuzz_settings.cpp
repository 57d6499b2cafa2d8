// The settings files as stored text: any bytes (text or not, of any
// encoding) must decode to lines no longer than an entry may be, each line
// must make a packet, and the lines must survive a save and a load.
#include <cstdlib>
#include <string_view>

#include "app/settings_files.h"
#include "fuzz/fuzz_seeds.h"
#include "net/packet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const StoredText text = DecodeStoredText(bytes);
  const std::vector<std::u16string>& lines = text.lines;
  std::vector<std::u16string_view> views;
  for (const auto& line : lines) {
    if (line.size() > kMaxStoredLine) std::abort();  // no entry is that long
    Packet p{std::u16string(line)};
    (void)p.GetInt(u"CFG", 0);
    (void)p.GetText(u"SHCODE", u"");
    views.emplace_back(line);
  }
  if (DecodeTextLines(EncodeTextLines(views)) != lines) std::abort();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  using velloran::EncodeTextLines;
  return {
      EncodeTextLines({u"<PKT><GBN>0</GBN><CFG>1</CFG><ID>trader</ID><CHK>1</CHK></PKT>", u"",
                       u"not a packet"}),
      EncodeTextLines({u"<PKT><GBN>0</GBN><SHCODE>005930</SHCODE><HNAME>한빛전자</HNAME>"
                       u"<MARKET>1</MARKET></PKT>"}),
      std::string("\xFF\xFE<\0P\0\r\0\r\0\n\0x", 13),
      "\xEF\xBB\xBF<PKT><GBN>0</GBN></PKT>\r\n\xC3",
      std::string("\xFF\xFE\x00\xD8\n\0", 6),
      // Not what the program writes: UTF-16 without a mark, big-endian, a
      // stray NUL in UTF-8, binary noise.
      std::string("<\0P\0K\0T\0>\0\r\0\n\0", 14),
      std::string("\xFE\xFF\0<\0P\0\r\0\n", 10),
      std::string("\0<\0P\0K\0T\0>", 10),
      std::string("<PKT>\0</PKT>\r\n", 15),
      std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0", 20),
      // A line too long to be an entry between two that are, in UTF-16 and
      // in UTF-8; the longest line kept.
      EncodeTextLines({u"<PKT><GBN>0</GBN><CFG>1</CFG></PKT>",
                       std::u16string(velloran::kMaxStoredLine + 1, u'x'), u"<PKT></PKT>"}),
      "<PKT></PKT>\n" + std::string(velloran::kMaxStoredLine + 1, 'y') + "\n<PKT></PKT>",
      EncodeTextLines({std::u16string(velloran::kMaxStoredLine, u'z')}),
  };
}
