#include "decoder/qz_comm_dec.h"

#include <string>
#include <string_view>

#include "decoder/codec.h"
#include "net/utf8.h"

namespace {

// Decoded values are a few MiB at most (a day's order-book history); a
// stream that inflates past this is refused rather than exhausting memory.
constexpr std::size_t kMaxDecodedBytes = std::size_t{256} << 20;
// Working buffers larger than this are released after the call instead of
// being kept for the thread's next one.
constexpr std::size_t kKeptCapacity = std::size_t{16} << 20;

struct Buffers {
  std::string bytes;
  std::string plain;
  std::u16string result;

  void Trim() {
    if (bytes.capacity() > kKeptCapacity) std::string().swap(bytes);
    if (plain.capacity() > kKeptCapacity) std::string().swap(plain);
  }
};

thread_local Buffers decode_buffers;
thread_local Buffers encode_buffers;

std::u16string_view View(const char16_t* text) {
  return text ? std::u16string_view(text) : std::u16string_view();
}

}  // namespace

extern "C" const char16_t* GB_DEC(const char16_t* text) {
  Buffers& b = decode_buffers;
  try {
    b.result.clear();
    if (velloran::codec::Base64Decode(View(text), b.bytes) &&
        velloran::codec::Inflate(b.bytes, b.plain, kMaxDecodedBytes)) {
      velloran::AppendUtf8AsUtf16(b.plain.data(), b.plain.size(), b.result);
    }
  } catch (...) {  // out of memory: the value does not decode
    b.result.clear();
  }
  b.Trim();
  return b.result.c_str();
}

extern "C" const char16_t* GB_ENC(const char16_t* text) {
  Buffers& b = encode_buffers;
  try {
    b.result.clear();
    b.plain.clear();
    velloran::AppendUtf16AsUtf8(View(text), b.plain);
    if (velloran::codec::Deflate(b.plain, b.bytes))
      velloran::codec::Base64Encode(b.bytes, b.result);
  } catch (...) {
    b.result.clear();
  }
  b.Trim();
  return b.result.c_str();
}
