// GB_DEC on arbitrary text: never a crash, and whatever decodes re-encodes to
// a text that decodes to the same value; GB_DEC_MAX under a bound from the
// input gives that value when it fits the bound, and whole lines of it within
// the bound when it does not.
#include <cstring>
#include <string>

#include "decoder/qz_comm_dec.h"
#include "fuzz/fuzz_seeds.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Half the inputs are read as UTF-8 text, half as raw UTF-16 units, so that
  // characters beyond ASCII reach the Base64 reader as they would from a packet.
  std::u16string text;
  if (size > 0 && (data[0] & 1)) {
    text.resize((size - 1) / 2);
    std::memcpy(text.data(), data + 1, text.size() * 2);
  } else {
    text = velloran::Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
  }
  const std::u16string decoded = GB_DEC(text.c_str());
  if (!decoded.empty()) {
    const std::u16string again = GB_ENC(decoded.c_str());
    if (decoded != GB_DEC(again.c_str())) __builtin_trap();
  }
  const std::size_t bound = size > 1 ? std::size_t{data[size - 1]} << (data[size - 2] % 16) : 0;
  const std::u16string bounded = GB_DEC_MAX(text.c_str(), bound);
  // Within the bound: the value whole. Past it: whole lines of it, within the bound.
  if (velloran::Utf16ToUtf8(bounded).size() > bound) __builtin_trap();
  if (!bounded.empty() && bounded.back() != u'\n' && bounded != decoded) __builtin_trap();
  if (!decoded.empty() && decoded.compare(0, bounded.size(), bounded) != 0) __builtin_trap();
  if (velloran::Utf16ToUtf8(decoded).size() <= bound && text.size() <= bound && bounded != decoded)
    __builtin_trap();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  std::vector<std::string> seeds;
  for (const char16_t* plain : {u"005930삼성전자$@$000660메모", u"20240105|0|1|2|3|4|5\n", u""}) {
    seeds.push_back(velloran::Utf16ToUtf8(GB_ENC(plain)));
  }
  // A stream of a few kilobytes that inflates to 4 MiB of bars.
  std::u16string flood;
  while (flood.size() < (4u << 20)) flood += u"20240105|0|1|1|1|1|1\n";
  seeds.push_back(velloran::Utf16ToUtf8(GB_ENC(flood.c_str())) + "\x10\x04");
  seeds.push_back("eJwDAAAAAAE=");
  seeds.push_back("not base64");
  return seeds;
}
