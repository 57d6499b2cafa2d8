#pragma once
// The two halves of the decoder library's encoding, kept apart from its C
// interface so that the benchmarks can time them alone: Base64 over UTF-16
// text, and zlib streams in memory.

#include <string>
#include <string_view>

namespace velloran::codec {

// Appends the Base64 text (with "=" padding) of bytes to out.
void Base64Encode(std::string_view bytes, std::u16string& out);

// Replaces out with the bytes of a Base64 text. Blanks, tabs and line breaks
// are skipped; padding is optional. Any other character outside the alphabet,
// data after padding, or a lone final character gives false.
[[nodiscard]] bool Base64Decode(std::u16string_view text, std::string& out);

// Replaces out with the zlib stream (RFC 1950) of bytes.
[[nodiscard]] bool Deflate(std::string_view bytes, std::string& out);

// Replaces out with the inflated bytes of one complete zlib stream. A broken,
// truncated or over-long stream, a failed checksum, bytes after the stream,
// or an output beyond max_out bytes gives false. With cut, a stream that
// runs out early or goes on past max_out gives the bytes inflated so far
// (max_out at most) and sets *cut; *cut is false for a whole stream.
[[nodiscard]] bool Inflate(std::string_view stream, std::string& out, std::size_t max_out,
                           bool* cut = nullptr);

}  // namespace velloran::codec
