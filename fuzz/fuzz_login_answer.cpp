// The login service's answer as it arrives (any bytes), read the way the
// login dialog reads it.
#include <cstdlib>

#include "fuzz/fuzz_seeds.h"
#include "net/login.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const velloran::LoginAnswer answer = velloran::ParseLoginAnswer(velloran::Utf8ToUtf16(bytes));
  // A text shown to the user or kept never holds a raw "%".
  if (answer.message.find(u'%') != std::u16string::npos ||
      answer.server_address.find(u'%') != std::u16string::npos)
    std::abort();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {
      "<PKT><GBN>0</GBN><RTN>OK</RTN><IP>127.0.0.1</IP><PORT>7001</PORT></PKT>",
      "<PKT><GBN>0</GBN><RTN>ok</RTN></PKT>",
      "<PKT><RTN>\xec\x95\x84\xec\x9d\xb4\xeb\x94\x94 50%</RTN><PORT>-99999999999</PORT></PKT>",
      "<PKT><RTN>OK<PORT>1,234</PORT></RTN><IP></IP>\r\n",
      "<PKT><RTN></RTN><RTN>OK</RTN><IP>\xff\xfe%</IP></PKT>",
      std::string("<PKT><RTN>O\0K</RTN></PKT>", 25),
  };
}
