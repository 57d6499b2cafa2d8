#pragma once
// UTF-8 texts built from pieces whose decodings are known and do not depend
// on their neighbours: runs of plain characters of any length (so that every
// block boundary of the decoder is crossed), Korean and four-byte characters,
// lone continuation bytes, bad leads, cut sequences and NULs. The decoding of
// the whole is the decodings of the pieces up to the first NUL.

#include <cstdint>
#include <string>

namespace velloran::testing {

struct Utf8Sample {
  std::string bytes;
  std::u16string text;  // the bytes decoded
};

// The piece that is a NUL; the two after it are plain runs.
constexpr unsigned kUtf8Nul = 10;

// Appends the piece that `choice` names; `length` sets a plain run's length.
inline void AppendUtf8Piece(std::uint8_t choice, std::uint8_t length, Utf8Sample& s,
                            bool& ended) {
  struct Piece {
    const char* bytes;
    const char16_t* text;
  };
  static const Piece kPieces[] = {
      {"\xED\x95\x9C", u"한"},        {"\xEB\x8C\x80", u"대"},
      {"\xC3\xA9", u"\u00E9"},        {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\x80", u"\uFFFD"},            {"\xFF", u"\uFFFD"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},  {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xEB\x8C<", u"\uFFFD<"},      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  static_assert(sizeof kPieces / sizeof kPieces[0] == kUtf8Nul);
  const unsigned kind = choice % (kUtf8Nul + 3u);
  if (kind < kUtf8Nul) {
    s.bytes += kPieces[kind].bytes;
    if (!ended) s.text += kPieces[kind].text;
  } else if (kind == kUtf8Nul) {
    s.bytes += '\0';
    ended = true;
  } else {
    for (int i = 0; i < length % 48; ++i) {
      const char c = static_cast<char>(' ' + (i * 7 + length) % 95);
      s.bytes += c;
      if (!ended) s.text += static_cast<char16_t>(c);
    }
  }
}

}  // namespace velloran::testing
