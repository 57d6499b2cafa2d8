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
        if (std::memcmp(t + at + 2, needle.data() + 2, (m - 2) * sizeof(char16_t)) == 0) return at;
        mask &= ~(3u << bit);
      }
    }
  }
#endif
  for (; i <= last; ++i) {
    if (t[i] == needle[0] && std::memcmp(t + i + 1, needle.data() + 1, (m - 1) * sizeof(char16_t)) == 0) {
      return i;
    }
  }
  return std::u16string_view::npos;
}

std::vector<std::u16string_view> Split(std::u16string_view text, std::u16string_view sep) {
  std::vector<std::u16string_view> out;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t at = text.find(sep, start);
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
  std::vector<std::u16string_view> out = Split(text, u"\n");
  std::erase_if(out, [](std::u16string_view line) { return line.empty(); });
  return out;
}

std::vector<std::u16string_view> SplitAll(std::u16string_view record, char16_t sep) {
  std::vector<std::u16string_view> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = record.find(sep, start);
    if (at == std::u16string_view::npos) {
      out.push_back(record.substr(start));
      return out;
    }
    out.push_back(record.substr(start, at - start));
    start = at + 1;
  }
}

std::vector<std::u16string_view> SplitFields(std::u16string_view record, char16_t sep) {
  if (!record.empty() && record.front() == sep) record.remove_prefix(1);
  if (record.empty()) return {};
  return SplitAll(record, sep);
}

namespace {

inline bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

std::int32_t ParseDecimal(std::u16string_view text, bool skip_commas) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
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

double ToReal(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  char buf[64] = {};
  std::size_t n = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  for (; i < text.size() && n < sizeof buf; ++i) {
    const char16_t c = text[i];
    const bool ok = (c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' ||
                    ((c == u'+' || c == u'-') && n > 0 && (buf[n - 1] == 'e' || buf[n - 1] == 'E'));
    if (!ok) break;
    buf[n++] = static_cast<char>(c);
  }
  double value = 0.0;
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

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace velloran
