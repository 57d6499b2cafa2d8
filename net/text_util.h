#pragma once
// Text helpers every part of the client shares: splitting records and fields by
// the packet conventions, the decimal conversions packets use, and the few
// number formats the screens show.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velloran {

// Splits at every occurrence of sep (which must not be empty). An empty text
// gives no pieces; a trailing separator gives no empty last piece.
std::vector<std::u16string_view> Split(std::u16string_view text, std::u16string_view sep);

// The first occurrence of needle in text at or after from, or npos; the same
// result as std::u16string_view::find, found 8 characters at a time.
std::size_t FindText(std::u16string_view text, std::u16string_view needle, std::size_t from = 0);

// True when the n characters at a and b are the same. For the short texts
// of tags and fields: a loop of 64-bit compares, where the library's vector
// compare costs more to set up than the compare itself.
inline bool SameChars(const char16_t* a, const char16_t* b, std::size_t n) {
  if (n >= 4) {
    // Four characters a step, the last step ending at the last character.
    std::uint64_t x, y;
    for (std::size_t i = 0; i + 4 < n; i += 4) {
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      if (x != y) return false;
    }
    std::memcpy(&x, a + n - 4, 8);
    std::memcpy(&y, b + n - 4, 8);
    return x == y;
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

// SameChars for n of at most 8, in one compare: both a and b must have 8
// characters that can be read.
inline bool SameChars8(const char16_t* a, const char16_t* b, std::size_t n) {
#if defined(__SSE2__)
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
  const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
  const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(x, y)));
  const unsigned wanted = (1u << (2 * n)) - 1;
  return (same & wanted) == wanted;
#else
  return SameChars(a, b, n);
#endif
}

// The same text but for the case of the letters a to z: codes and kinds the
// server may write in either case ("HOGA", "hoga"; "m1", "M1").
inline bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// True for a text of one or more of the digits 0 to 9 and nothing else.
inline bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// C-style decimal conversion to a 32-bit integer: leading blanks and one sign
// are accepted, conversion stops at the first non-digit, nothing gives 0, and
// a value out of range is clamped.
std::int32_t ToInt(std::u16string_view text);

// As ToInt, after removing every "," (the reading of integer packet values).
std::int32_t ToIntGrouped(std::u16string_view text);

// As ToInt, to a 64-bit integer (date-and-time keys, large totals).
std::int64_t ToInt64(std::u16string_view text);

// C-style conversion to a double ("12.5", "-3", "1e3"); nothing gives 0.0.
double ToReal(std::u16string_view text);

// The first a or b in text at or after from, or npos, 8 characters at a
// time. Inline: most searches are of a few characters, where a call would
// cost as much as the search.
inline std::size_t FindEitherChar(std::u16string_view text, char16_t a, char16_t b,
                                  std::size_t from = 0) {
  const std::size_t n = text.size();
  const char16_t* t = text.data();
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i wa = _mm_set1_epi16(static_cast<short>(a));
  const __m128i wb = _mm_set1_epi16(static_cast<short>(b));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
    const unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, wa), _mm_cmpeq_epi16(v, wb))));
    if (mask != 0) return i + static_cast<unsigned>(__builtin_ctz(mask)) / 2;
  }
#endif
  for (; i < n; ++i) {
    if (t[i] == a || t[i] == b) return i;
  }
  return std::u16string_view::npos;
}

// The first c in text at or after from, or npos; the same result as
// std::u16string_view::find. The compiler folds the second, equal compare.
inline std::size_t FindChar(std::u16string_view text, char16_t c, std::size_t from = 0) {
  return FindEitherChar(text, c, c, from);
}

// The pieces between separators one at a time, without building a vector:
// the pieces SplitAll gives, in order.
class FieldCursor {
 public:
  explicit FieldCursor(std::u16string_view record, char16_t sep = u'|') : rest_(record), sep_(sep) {}
  // The next piece; false once the last has been given.
  bool Next(std::u16string_view& piece) {
    if (done_) return false;
    const std::size_t at = FindChar(rest_, sep_);
    if (at == std::u16string_view::npos) {
      piece = rest_;
      done_ = true;
    } else {
      piece = rest_.substr(0, at);
      rest_.remove_prefix(at + 1);
    }
    return true;
  }
  // The next piece as ToInt reads it. The usual short digit pieces are
  // converted while their end is found, in one pass.
  bool NextInt(std::int32_t& value);

 private:
  std::u16string_view rest_;
  char16_t sep_;
  bool done_ = false;
};

// The records of SplitLines one at a time: pieces between "\n", empty ones
// skipped.
class LineCursor {
 public:
  explicit LineCursor(std::u16string_view text) : fields_(text, u'\n') {}
  bool Next(std::u16string_view& line) {
    while (fields_.Next(line)) {
      if (!line.empty()) return true;
    }
    return false;
  }

 private:
  FieldCursor fields_;
};

// Records separated by "\n", empty records skipped.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// Fields separated by sep, every piece kept (an empty record gives none).
// Index 0 is what the protocol calls field 1. A record that starts with sep is
// numbered from the piece after it: the leading sep makes no empty first field.
std::vector<std::u16string_view> SplitFields(std::u16string_view record, char16_t sep = u'|');

// Every piece between separators, the first and last kept even when empty
// (positional records such as quotes).
std::vector<std::u16string_view> SplitAll(std::u16string_view record, char16_t sep = u'|');

std::u16string FormatInt(std::int64_t value);     // "%d"
std::u16string FormatInt06(std::int64_t value);   // "%06d"
std::u16string FormatReal2(double value);         // "%.2f"

// The screens' number format: absolute value grouped by "," in threes; 0 is a blank.
std::u16string FormatNumber(std::int64_t value);

// Every "%" replaced by the full-width U+FF05, as for any packet made from
// received or stored text.
void ReplacePercent(std::u16string& text);

// A text cut for a text box to lay out in a moment: at most max_chars of
// it (cut at a line break when there is one in its last quarter), and every
// line longer than max_line broken into lines of at most max_line, at its
// last blank when there is one in the line's second half. A surrogate pair
// is never split. Line breaks ("\n", "\r\n") are kept as they came.
std::u16string BoundText(std::u16string_view text, std::size_t max_chars, std::size_t max_line);

// Plain ASCII text widened (tags, literals built at run time).
std::u16string Widen(std::string_view ascii);

}  // namespace velloran
