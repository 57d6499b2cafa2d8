// GB_DEC on arbitrary text: never a crash, and whatever decodes re-encodes to
// a text that decodes to the same value.
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
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  std::vector<std::string> seeds;
  for (const char16_t* plain : {u"005930삼성전자$@$000660메모", u"20240105|0|1|2|3|4|5\n", u""}) {
    seeds.push_back(velloran::Utf16ToUtf8(GB_ENC(plain)));
  }
  seeds.push_back("eJwDAAAAAAE=");
  seeds.push_back("not base64");
  return seeds;
}
