#include "net/text_util.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velloran {

std::size_t FindText(std::u16string_view text, std::u16string_view needle, std::size_t from) {
  const std::size_t n = text.size(), m = needle.size();
  if (m == 0) return from <= n ? from : std::u16string_view::npos;
  if (from >= n || m > n - from) return std::u16string_view::npos;
  const char16_t* t = text.data();
  const std::size_t last = n - m;  // the last position a match may start at
  std::size_t i = from;
#if defined(__SSE2__)
  if (m >= 2) {
    // Candidates are positions where the first two characters match.
    const __m128i first = _mm_set1_epi16(static_cast<short>(needle[0]));
    const __m128i second = _mm_set1_epi16(static_cast<short>(needle[1]));
    for (; i + 8 <= last + 1; i += 8) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i + 1));
      unsigned mask = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(a, first), _mm_cmpeq_epi16(b, second))));
      while (mask != 0) {
        const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
        const std::size_t at = i + bit / 2;
        if (SameChars(t + at + 2, needle.data() + 2, m - 2)) return at;
        mask &= ~(3u << bit);
      }
    }
  }
#endif
  for (; i <= last; ++i) {
    if (t[i] == needle[0] && SameChars(t + i + 1, needle.data() + 1, m - 1)) {
      return i;
    }
  }
  return std::u16string_view::npos;
}

namespace {

#if defined(__SSE2__) && defined(__x86_64__)
// How many of the 8 characters at p are digits before the first that is not
// (0 to 8), with the value of those digits.
int LeadingDigits8(const char16_t* p, std::uint32_t& value) {
  const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i d = _mm_sub_epi16(chars, _mm_set1_epi16(static_cast<short>(u'0')));
  // Characters below "0" or far above "9" come out negative here.
  const __m128i is_digit = _mm_and_si128(_mm_cmpgt_epi16(d, _mm_set1_epi16(-1)),
                                         _mm_cmplt_epi16(d, _mm_set1_epi16(10)));
  const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(is_digit));
  const int length = __builtin_ctz(~mask) / 2;
  if (length == 0) {
    value = 0;
    return 0;
  }
  // One digit per byte, the first in the lowest; shifted up so that the
  // missing leading digits are zeros, then combined in pairs, fours, eights.
  std::uint64_t w = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(d, d)));
  w <<= (8 - length) * 8;
  w = w * 10 + (w >> 8);
  w = ((w & 0x000000FF000000FF) * (100 + (1000000ULL << 32)) +
       ((w >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32))) >>
      32;
  value = static_cast<std::uint32_t>(w);
  return length;
}
#endif

}  // namespace

bool FieldCursor::NextInt(std::int32_t& value) {
  if (done_) return false;
#if defined(__SSE2__) && defined(__x86_64__)
  if (rest_.size() > 8 && (sep_ < u'0' || sep_ > u'9')) {
    std::uint32_t v = 0;
    const int length = LeadingDigits8(rest_.data(), v);
    if (rest_[length] == sep_) {
      rest_.remove_prefix(static_cast<std::size_t>(length) + 1);
      value = static_cast<std::int32_t>(v);
      return true;
    }
  }
#endif
  std::u16string_view piece;
  Next(piece);
  value = ToInt(piece);
  return true;
}

std::vector<std::u16string_view> Split(std::u16string_view text, std::u16string_view sep) {
  std::vector<std::u16string_view> out;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t at = FindText(text, sep, start);
    if (at == std::u16string_view::npos) {
      out.push_back(text.substr(start));
      break;
    }
    out.push_back(text.substr(start, at - start));
    start = at + sep.size();
  }
  return out;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> out;
  LineCursor lines(text);
  for (std::u16string_view line; lines.Next(line);) out.push_back(line);
  return out;
}

std::vector<std::u16string_view> SplitAll(std::u16string_view record, char16_t sep) {
  std::vector<std::u16string_view> out;
  FieldCursor fields(record, sep);
  for (std::u16string_view piece; fields.Next(piece);) out.push_back(piece);
  return out;
}

std::vector<std::u16string_view> SplitFields(std::u16string_view record, char16_t sep) {
  if (!record.empty() && record.front() == sep) record.remove_prefix(1);
  if (record.empty()) return {};
  return SplitAll(record, sep);
}

namespace {

inline bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Where a number's digits start: past leading blanks and one sign.
std::size_t DigitsStart(std::u16string_view text, bool& negative) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  negative = i < text.size() && text[i] == u'-';
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  return i;
}

std::int32_t ParseDecimal(std::u16string_view text, bool skip_commas) {
  // Most values are a few plain digits: no blank, sign, comma or overflow.
  if (!text.empty() && text.size() <= 9) {
    std::uint32_t value = 0;
    std::size_t k = 0;
    for (; k < text.size(); ++k) {
      const std::uint32_t d = static_cast<std::uint32_t>(text[k]) - u'0';
      if (d > 9) break;
      value = value * 10 + d;
    }
    if (k == text.size()) return static_cast<std::int32_t>(value);
  }
  bool negative = false;
  std::size_t i = DigitsStart(text, negative);
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (skip_commas && c == u',') continue;
    if (c < u'0' || c > u'9') break;
    if (value <= kLimit) value = value * 10 + (c - u'0');
  }
  if (negative) value = -value;
  value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t ToInt(std::u16string_view text) { return ParseDecimal(text, false); }

std::int32_t ToIntGrouped(std::u16string_view text) { return ParseDecimal(text, true); }

std::int64_t ToInt64(std::u16string_view text) {
  bool negative = false;
  std::size_t i = DigitsStart(text, negative);
  std::uint64_t value = 0;
  constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;  // past it, the value is clamped
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    const auto d = static_cast<std::uint64_t>(text[i] - u'0');
    value = value > (kLimit - d) / 10 ? kLimit : value * 10 + d;
  }
  if (negative) return value == kLimit ? std::numeric_limits<std::int64_t>::min()
                                       : -static_cast<std::int64_t>(value);
  return value >= kLimit ? std::numeric_limits<std::int64_t>::max()
                         : static_cast<std::int64_t>(value);
}

namespace {

// The usual quote and bar text: digits with at most one ".", at most 15
// digits in all, nothing numeric after. Such a value is an integer below 2^53
// divided by an exact power of ten, which one division rounds exactly as the
// full conversion does.
bool PlainDecimal(const char16_t* p, const char16_t* end, double& value) {
  static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fraction = -1;  // digits after the point; -1 before it
  for (; p != end; ++p) {
    const unsigned d = static_cast<unsigned>(*p) - u'0';
    if (d <= 9) {
      if (++digits > 15) return false;
      mantissa = mantissa * 10 + d;
      if (fraction >= 0) ++fraction;
    } else if (*p == u'.' && fraction < 0) {
      fraction = 0;
    } else if (*p == u'.' || *p == u'e' || *p == u'E') {
      return false;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  value = static_cast<double>(mantissa) / kPowers[fraction < 0 ? 0 : fraction];
  return true;
}

}  // namespace

double ToReal(std::u16string_view text) {
  bool negative = false;
  std::size_t i = DigitsStart(text, negative);
  double value = 0.0;
  if (PlainDecimal(text.data() + i, text.data() + text.size(), value)) {
    return negative ? -value : value;
  }
  char buf[64] = {};
  std::size_t n = 0;
  for (; i < text.size() && n < sizeof buf; ++i) {
    const char16_t c = text[i];
    const bool ok = (c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' ||
                    ((c == u'+' || c == u'-') && n > 0 && (buf[n - 1] == 'e' || buf[n - 1] == 'E'));
    if (!ok) break;
    buf[n++] = static_cast<char>(c);
  }
  // from_chars takes the longest valid prefix, as strtod does.
  std::from_chars(buf, buf + n, value);
  if (!std::isfinite(value)) value = 0.0;
  return negative ? -value : value;
}

std::u16string FormatInt(std::int64_t value) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::u16string(buf, r.ptr);
}

std::u16string FormatInt06(std::int64_t value) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%06lld", static_cast<long long>(value));
  return std::u16string(buf, buf + n);
}

std::u16string FormatReal2(double value) {
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, "%.2f", value);
  return std::u16string(buf, buf + std::min<int>(n, sizeof buf - 1));
}

std::u16string FormatNumber(std::int64_t value) {
  if (value == 0) return {};
  std::uint64_t v = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  char16_t buf[32];
  int pos = 32;
  int digits = 0;
  while (v > 0) {
    if (digits > 0 && digits % 3 == 0) buf[--pos] = u',';
    buf[--pos] = static_cast<char16_t>(u'0' + v % 10);
    v /= 10;
    ++digits;
  }
  return std::u16string(buf + pos, buf + 32);
}

void ReplacePercent(std::u16string& text) { std::replace(text.begin(), text.end(), u'%', u'\uFF05'); }

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Where to cut text at most n long without splitting a pair.
std::size_t CutAt(std::u16string_view text, std::size_t n) {
  if (n >= text.size()) return text.size();
  if (n > 0 && IsHighSurrogate(text[n - 1])) --n;
  return n;
}

}  // namespace

std::u16string BoundText(std::u16string_view text, std::size_t max_chars, std::size_t max_line) {
  if (max_line == 0) max_line = 1;
  if (text.size() > max_chars) {
    std::size_t n = CutAt(text, max_chars);
    const std::size_t line_end = text.substr(0, n).rfind(u'\n');
    if (line_end != std::u16string_view::npos && line_end >= n - n / 4) n = line_end;
    text = text.substr(0, n);
  }
  std::u16string out;
  out.reserve(text.size() + text.size() / max_line + 1);
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find(u'\n', from);
    const bool last = end == std::u16string_view::npos;
    if (last) end = text.size();
    std::u16string_view line = text.substr(from, end - from);
    while (line.size() > max_line) {
      std::size_t n = CutAt(line, max_line);
      if (n == 0) n = 2;  // a line limit of one: the pair goes whole
      const std::size_t blank = line.substr(0, n).find_last_of(u" \t");
      if (blank != std::u16string_view::npos && blank >= n / 2) n = blank + 1;
      out.append(line.substr(0, n));
      out.push_back(u'\n');
      line.remove_prefix(n);
    }
    out.append(line);
    if (!last) out.push_back(u'\n');
    from = end + 1;
  }
  return out;
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace velloran
