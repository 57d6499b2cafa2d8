// The login service's answer as it arrives (any bytes), read the way the
// login dialog reads it: an answer it accepts names a host of plain
// characters and a port from 1 to 65535; any other is refused with a message.
#include <cstdlib>

#include "fuzz/fuzz_seeds.h"
#include "net/login.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  using namespace velloran;
  const std::u16string text = Utf8ToUtf16(bytes);
  const LoginAnswer answer = ParseLoginAnswer(text);
  // A text shown to the user or kept never holds a raw "%".
  if (answer.message.find(u'%') != std::u16string::npos ||
      answer.server_address.find(u'%') != std::u16string::npos)
    std::abort();
  LoginResponse response;
  response.text = text;
  response.status = 200;
  const LoginAnswer read = ReadLoginResponse(response);
  if (read.ok) {
    if (read.server_port < 1 || read.server_port > 65535 || read.server_address.empty()) std::abort();
    for (const char16_t c : read.server_address) {
      if (c <= u' ' || c > u'~') std::abort();
    }
  } else if (read.message.empty()) {
    std::abort();  // a failure always says something
  }
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
      "<PKT><RTN>OK</RTN><IP>10.0.0.1</IP><PORT>99999</PORT></PKT>",
      "<PKT><RTN>OK</RTN><IP>data.example</IP><PORT>65535</PORT></PKT>",
      "\x89PNG\r\n",
  };
}
