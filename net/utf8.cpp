#include "net/utf8.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velloran {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kLowBits = 0x0101010101010101ull;

// True when the 8 bytes hold neither a byte >= 0x80 nor a NUL.
inline bool PlainAscii8(const unsigned char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  const std::uint64_t has_zero = (w - kLowBits) & ~w & kHighBits;
  return ((w & kHighBits) | has_zero) == 0;
}

// Length of the well-formed sequence starting with lead byte b at p, or the
// length of its maximal ill-formed subpart (as a negative number).
inline int SequenceLength(const unsigned char* p, std::size_t avail, char32_t& cp) {
  const unsigned char b = p[0];
  int need;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    need = 1;
    cp = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    need = 2;
    cp = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;  // no encoded surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    need = 3;
    cp = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return -1;
  }
  for (int k = 1; k <= need; ++k) {
    if (static_cast<std::size_t>(k) >= avail) return -k;
    const unsigned char c = p[k];
    if (c < lo || c > hi) return -k;
    lo = 0x80;
    hi = 0xBF;
    cp = (cp << 6) | (c & 0x3F);
  }
  return need + 1;
}

// Each widens the leading run of bytes below 0x80 other than NUL into o and
// returns its length, a block at a time. A block is written whole, which
// stays within the output because no byte decodes to more than one unit.
// Where n is at least a block, the last bytes are taken as one block that
// ends at n: its part already looked at is plain and widens to the same
// units again. Only a shorter n leaves a run that may go on in its last
// bytes.
std::size_t WidenPlainSse2(const unsigned char* p, std::size_t n, char16_t* o) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const auto block = [&](std::size_t at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + at), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + at + 8), _mm_unpackhi_epi8(v, zero));
    return static_cast<unsigned>(_mm_movemask_epi8(v)) |
           static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
  };
  for (; i + 16 <= n; i += 16) {
    const unsigned special = block(i);
    if (special != 0) return i + static_cast<unsigned>(__builtin_ctz(special));
  }
  if (i == n || n < 16) return i;
  const unsigned special = block(n - 16);
  return special != 0 ? n - 16 + static_cast<unsigned>(__builtin_ctz(special)) : n;
#else
  return i;
#endif
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) std::size_t WidenPlainAvx2(const unsigned char* p, std::size_t n,
                                                           char16_t* o) {
  const __m256i zero = _mm256_setzero_si256();
  const auto block = [&](std::size_t at) __attribute__((target("avx2"))) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + at));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + at),
                        _mm256_cvtepu8_epi16(_mm256_castsi256_si128(v)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + at + 16),
                        _mm256_cvtepu8_epi16(_mm256_extracti128_si256(v, 1)));
    return static_cast<unsigned>(_mm256_movemask_epi8(v)) |
           static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, zero)));
  };
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const unsigned special = block(i);
    if (special != 0) return i + static_cast<unsigned>(__builtin_ctz(special));
  }
  if (i == n) return i;
  if (n < 32) return WidenPlainSse2(p, n, o);
  const unsigned special = block(n - 32);
  return special != 0 ? n - 32 + static_cast<unsigned>(__builtin_ctz(special)) : n;
}
#endif

using WidenPlain = std::size_t (*)(const unsigned char*, std::size_t, char16_t*);

WidenPlain ChooseWidenPlain() {
#if defined(__x86_64__) && defined(__GNUC__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return WidenPlainAvx2;
#endif
  return WidenPlainSse2;
}

}  // namespace

void AppendUtf8AsUtf16(const char* bytes, std::size_t length, std::u16string& out) {
  static const WidenPlain widen_plain = ChooseWidenPlain();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes);
  const auto* end = p + length;
  const std::size_t base = out.size();
  // A UTF-8 text never decodes to more UTF-16 units than it has bytes.
  out.resize(base + length);
  char16_t* o = out.data() + base;
  while (p < end) {
    const std::size_t plain = widen_plain(p, static_cast<std::size_t>(end - p), o);
    p += plain;
    o += plain;
    while (end - p >= 8 && PlainAscii8(p)) {
      for (int k = 0; k < 8; ++k) o[k] = p[k];
      o += 8;
      p += 8;
    }
    // The few plain bytes before the next other one.
    while (p < end && *p < 0x80 && *p != 0) *o++ = *p++;
    if (p == end || *p == 0) break;
    char32_t cp = 0;
    const int n = SequenceLength(p, static_cast<std::size_t>(end - p), cp);
    if (n < 0) {
      *o++ = kReplacement;
      p += -n;
    } else if (cp < 0x10000) {
      *o++ = static_cast<char16_t>(cp);
      p += n;
    } else {
      cp -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      p += n;
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
  std::u16string out;
  AppendUtf8AsUtf16(bytes.data(), bytes.size(), out);
  return out;
}

void AppendUtf16AsUtf8(std::u16string_view text, std::string& out) {
  const std::size_t base = out.size();
  out.resize(base + text.size() * 3);
  char* o = out.data() + base;
  const char16_t* p = text.data();
  const char16_t* end = p + text.size();
  while (p < end) {
    char32_t c = *p++;
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    if (c < 0x800) {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (c >> 12));
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (c >> 18));
      *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf16AsUtf8(text, out);
  return out;
}

}  // namespace velloran
