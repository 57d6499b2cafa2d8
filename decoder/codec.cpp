#include "decoder/codec.h"

#include <zlib.h>

#include <array>
#include <climits>
#include <cstdint>

namespace velloran::codec {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::int8_t kInvalid = -1;
constexpr std::int8_t kSkip = -2;
constexpr std::int8_t kPad = -3;

constexpr std::array<std::int8_t, 128> MakeTable() {
  std::array<std::int8_t, 128> t{};
  for (auto& v : t) v = kInvalid;
  for (int i = 0; i < 64; ++i)
    t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
  t[' '] = t['\t'] = t['\r'] = t['\n'] = kSkip;
  t['='] = kPad;
  return t;
}
constexpr std::array<std::int8_t, 128> kTable = MakeTable();

inline int Value(char16_t c) {
  return c < 128 ? kTable[c] : kInvalid;
}

}  // namespace

void Base64Encode(std::string_view bytes, std::u16string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t at = out.size();
  out.resize(at + (n + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const std::uint32_t v = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
    out[at++] = kAlphabet[v >> 18];
    out[at++] = kAlphabet[(v >> 12) & 63];
    out[at++] = kAlphabet[(v >> 6) & 63];
    out[at++] = kAlphabet[v & 63];
  }
  if (i < n) {
    const bool two = i + 1 < n;
    const std::uint32_t v = (p[i] << 16) | (two ? p[i + 1] << 8 : 0);
    out[at++] = kAlphabet[v >> 18];
    out[at++] = kAlphabet[(v >> 12) & 63];
    out[at++] = two ? kAlphabet[(v >> 6) & 63] : u'=';
    out[at++] = u'=';
  }
}

bool Base64Decode(std::u16string_view text, std::string& out) {
  out.resize(text.size() / 4 * 3 + 3);
  char* o = out.data();
  const char16_t* s = text.data();
  const std::size_t size = text.size();
  std::uint32_t acc = 0;
  int held = 0;  // sextets in acc
  int pad = 0;
  std::size_t i = 0;
  while (i < size) {
    // Whole groups of four alphabet characters, the common case.
    while (held == 0 && i + 4 <= size) {
      const int a = Value(s[i]), b = Value(s[i + 1]), c = Value(s[i + 2]), d = Value(s[i + 3]);
      if ((a | b | c | d) < 0) break;
      const std::uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
      o[0] = static_cast<char>(v >> 16);
      o[1] = static_cast<char>(v >> 8);
      o[2] = static_cast<char>(v);
      o += 3;
      i += 4;
    }
    if (i >= size) break;
    const int v = Value(s[i++]);
    if (v >= 0) {
      if (pad) return false;
      acc = (acc << 6) | static_cast<std::uint32_t>(v);
      if (++held == 4) {
        o[0] = static_cast<char>(acc >> 16);
        o[1] = static_cast<char>(acc >> 8);
        o[2] = static_cast<char>(acc);
        o += 3;
        held = 0;
        acc = 0;
      }
    } else if (v == kPad) {
      if (held < 2 || held + ++pad > 4) return false;
    } else if (v != kSkip) {
      return false;
    }
  }
  if (pad && held + pad != 4) return false;
  if (held == 1) return false;
  if (held == 2) {
    *o++ = static_cast<char>(acc >> 4);
  } else if (held == 3) {
    *o++ = static_cast<char>(acc >> 10);
    *o++ = static_cast<char>(acc >> 2);
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return true;
}

bool Deflate(std::string_view bytes, std::string& out) {
  if (bytes.size() > ULONG_MAX / 2) return false;
  uLongf length = compressBound(static_cast<uLong>(bytes.size()));
  out.resize(length);
  const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &length,
                           reinterpret_cast<const Bytef*>(bytes.data()),
                           static_cast<uLong>(bytes.size()), Z_DEFAULT_COMPRESSION);
  if (rc != Z_OK) {
    out.clear();
    return false;
  }
  out.resize(length);
  return true;
}

bool Inflate(std::string_view stream, std::string& out, std::size_t max_out, bool* cut) {
  if (cut != nullptr) *cut = false;
  out.clear();
  if (stream.empty() || stream.size() > UINT_MAX || max_out == 0) return false;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  std::size_t size = std::min(max_out, std::max<std::size_t>(stream.size() * 4, 1024));
  out.resize(size);
  std::size_t produced = 0;
  bool ok = false;
  for (;;) {
    const std::size_t room = std::min<std::size_t>(size - produced, UINT_MAX);
    z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
    z.avail_out = static_cast<uInt>(room);
    const int rc = inflate(&z, Z_NO_FLUSH);
    produced += room - z.avail_out;
    if (rc == Z_STREAM_END) {
      ok = z.avail_in == 0;  // nothing may follow the stream
      break;
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) break;
    if (z.avail_out != 0 || size == max_out) {
      // The input ran out before the stream ended, or the output would pass
      // the limit: a prefix when one is asked for.
      if (cut != nullptr) ok = *cut = produced > 0;
      break;
    }
    size = std::min(max_out, size * 2);
    out.resize(size);
  }
  inflateEnd(&z);
  out.resize(ok ? produced : 0);
  return ok;
}

}  // namespace velloran::codec
