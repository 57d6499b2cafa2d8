// The UTF-8 decoder on texts made of pieces with known decodings: each input
// byte pair names a piece and a run length, so every path of the decoder (the
// block-wide plain runs, the 8-byte steps, the character at a time) meets
// every kind of character at every offset.
#include "fuzz/fuzz_seeds.h"
#include "net/utf8.h"
#include "tests/net/utf8_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velloran::testing::Utf8Sample s;
  bool ended = false;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    velloran::testing::AppendUtf8Piece(data[i], data[i + 1], s, ended);
  }
  std::u16string out = u"x";
  velloran::AppendUtf8AsUtf16(s.bytes.data(), s.bytes.size(), out);
  if (out != u"x" + s.text) __builtin_trap();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {std::string("\x0b\x2f\x00\x00\x0c\x11\x03\x00\x0b\x05", 10),
          std::string("\x0c\x20\x08\x00\x0b\x21\x04\x00\x0a\x00\x0b\x30", 12)};
}
