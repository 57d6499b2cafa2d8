// The receive buffer fed arbitrary chunks: the first byte of each chunk says
// how long it is, so the fuzzer also explores how a stream is cut.
#include <cstring>

#include "fuzz/fuzz_seeds.h"
#include "net/receive_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static velloran::CMyQueue* queue = new velloran::CMyQueue;  // 16 MiB, made once
  queue->Clear();
  std::size_t i = 0;
  while (i < size) {
    const std::size_t n = std::min<std::size_t>(1 + data[i] % 64, size - i - 1);
    ++i;
    queue->Append(reinterpret_cast<const char*>(data + i), static_cast<int>(n));
    i += n;
    while (auto packet = queue->GetPacket()) {
      // Whatever is cut must be readable.
      (void)packet->GetInt(u"GBN", 0);
      (void)packet->GetText(u"DATA", u"");
    }
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  const std::string a = velloran::Packet(std::u16string(
      u"<PKT><GBN>3007</GBN><SHCODE>005930</SHCODE><HNAME>한빛전자</HNAME></PKT>")).ToWire();
  const std::string b = velloran::Packet(2002).ToWire();
  std::string two = "\x10" + a.substr(0, 16) + "\x3f" + a.substr(16) + "\x05" + b + std::string(1, '\0');
  std::string single = "\x7f" + a;
  return {two, single, std::string("\x03xT>\0\0", 6)};
}
