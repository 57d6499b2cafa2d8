#pragma once
// UTF-8 <-> UTF-16 conversion for the wire. Received bytes are untrusted: every
// ill-formed sequence becomes U+FFFD (one per maximal ill-formed subpart), and
// decoding stops at the first NUL byte. Pure-ASCII runs take a word-wide path.

#include <cstddef>
#include <string>
#include <string_view>

namespace velloran {

// Appends the decoding of bytes[0, length) to out, stopping at the first NUL.
void AppendUtf8AsUtf16(const char* bytes, std::size_t length, std::u16string& out);

std::u16string Utf8ToUtf16(std::string_view bytes);

// Lone surrogates are written as U+FFFD.
void AppendUtf16AsUtf8(std::u16string_view text, std::string& out);

std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace velloran
