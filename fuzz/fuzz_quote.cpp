// Quote records parsed from arbitrary text, alone and from a packet.
#include "fuzz/fuzz_seeds.h"
#include "net/packet.h"
#include "net/quote.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = velloran::Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
  velloran::CPKT q;
  if (q.Parse(text)) {
    // A valid record re-parses from its own text.
    velloran::CPKT r;
    if (!r.Parse(q.ToText()) || r.Price() != q.Price()) __builtin_trap();
  }
  (void)q.Parse(text, u'^');
  velloran::Packet p(2002);
  p.AddText(u"STKCD", u"005930");
  p.AddText(u"DATA", text);
  const velloran::CPKT::MasterPrice master = [](std::u16string_view) { return 1000; };
  q.Update(p, master);
  velloran::Packet wrapped{std::u16string(text)};
  q.Update(wrapped, master);
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {"93015|2|150|1.23|12350|090001|12200|0901|12400|0930|12150|0905|10|345678|7|200|9|300|11|0.5|12|12400|12350|t23|24|t25",
          "1|2|3", "", "<PKT><GBN>2002</GBN><STKCD>000660</STKCD><DATA></DATA><BTOT>1,000</BTOT></PKT>"};
}
