// Quote records parsed from arbitrary text, alone and from a packet.
#include "fuzz/fuzz_seeds.h"
#include "net/packet.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = velloran::Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
  velloran::CPKT q;
  const auto fields = velloran::SplitAll(text);
  if (q.Parse(text) != (fields.size() >= velloran::CPKT::kFieldCount)) __builtin_trap();
  if (q.valid()) {
    // Every field reads as the plain conversions read the split pieces.
    for (int pos = 0; pos < velloran::CPKT::kFieldCount; ++pos) {
      switch (velloran::CPKT::TypeOf(pos)) {
        case velloran::CPKT::FieldType::kInt:
        case velloran::CPKT::FieldType::kLong:
          if (q.Int(pos) != velloran::ToInt(fields[pos])) __builtin_trap();
          break;
        case velloran::CPKT::FieldType::kReal: {
          const double want = velloran::ToReal(fields[pos]);
          if (q.Real(pos) != want) __builtin_trap();
          break;
        }
        case velloran::CPKT::FieldType::kText:
          if (q.Text(pos) != fields[pos]) __builtin_trap();
          break;
      }
    }
    // A valid record re-parses from its own text.
    velloran::CPKT r;
    if (!r.Parse(q.ToText()) || r.Price() != q.Price()) __builtin_trap();
  }
  // The one-pass integer reading agrees with ToInt of each piece.
  velloran::FieldCursor cursor(text);
  for (const auto piece : fields) {
    std::int32_t value = 0;
    if (!cursor.NextInt(value) || value != velloran::ToInt(piece)) __builtin_trap();
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
