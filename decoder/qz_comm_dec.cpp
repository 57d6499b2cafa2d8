#include "decoder/qz_comm_dec.h"

#include <algorithm>
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

// The longest Base64 text a value of max_bytes can come as: a zlib stream
// is at most a little longer than what it holds (stored blocks of 64 KiB,
// each with 5 bytes of header, and 6 bytes of its own), and Base64 writes 4
// characters for every 3 bytes.
std::size_t MaxEncodedChars(std::size_t max_bytes) {
  const std::size_t stream = max_bytes + 5 * (max_bytes / 16383 + 1) + 6;
  return (stream + 2) / 3 * 4;
}

// The whole value, or (prefix) its whole lines within max_bytes.
const char16_t* Decode(const char16_t* text, std::size_t max_bytes, bool prefix) {
  Buffers& b = decode_buffers;
  try {
    b.result.clear();
    std::u16string_view encoded;
    bool short_read = false;
    if (!prefix || text == nullptr) {
      encoded = View(text);
    } else {
      // What lies past the text that can hold max_bytes is not even read.
      const std::size_t most = MaxEncodedChars(max_bytes);
      std::size_t length = 0;
      while (length <= most && text[length] != u'\0') ++length;
      short_read = length > most;
      encoded = std::u16string_view(text, short_read ? most : length);
    }
    bool cut = false;
    if (velloran::codec::Base64Decode(encoded, b.bytes) &&
        velloran::codec::Inflate(b.bytes, b.plain, max_bytes, prefix ? &cut : nullptr) &&
        // A stream read whole that ends early is damaged, not long.
        !(cut && !short_read && b.plain.size() < max_bytes)) {
      // A value cut short ends after its last whole line.
      if (cut) b.plain.resize(b.plain.find_last_of('\n') + 1);  // npos + 1: nothing
      velloran::AppendUtf8AsUtf16(b.plain.data(), b.plain.size(), b.result);
    }
  } catch (...) {  // out of memory: the value does not decode
    b.result.clear();
  }
  b.Trim();
  return b.result.c_str();
}

}  // namespace

extern "C" const char16_t* GB_DEC(const char16_t* text) {
  return Decode(text, kMaxDecodedBytes, false);
}

extern "C" const char16_t* GB_DEC_MAX(const char16_t* text, size_t max_bytes) {
  return Decode(text, std::min(max_bytes, kMaxDecodedBytes), true);
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
