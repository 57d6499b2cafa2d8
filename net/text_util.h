#pragma once
// Text helpers every part of the client shares: splitting records and fields by
// the packet conventions, the decimal conversions packets use, and the few
// number formats the screens show.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

// Splits at every occurrence of sep (which must not be empty). An empty text
// gives no pieces; a trailing separator gives no empty last piece.
std::vector<std::u16string_view> Split(std::u16string_view text, std::u16string_view sep);

// The first occurrence of needle in text at or after from, or npos; the same
// result as std::u16string_view::find, found 8 characters at a time.
std::size_t FindText(std::u16string_view text, std::u16string_view needle, std::size_t from = 0);

// Records separated by "\n", empty records skipped.
std::vector<std::u16string_view> SplitLines(std::u16string_view text);

// Fields separated by sep, every piece kept (an empty record gives none).
// Index 0 is what the protocol calls field 1. A record that starts with sep is
// numbered from the piece after it: the leading sep makes no empty first field.
std::vector<std::u16string_view> SplitFields(std::u16string_view record, char16_t sep = u'|');

// Every piece between separators, the first and last kept even when empty
// (positional records such as quotes).
std::vector<std::u16string_view> SplitAll(std::u16string_view record, char16_t sep = u'|');

// C-style decimal conversion to a 32-bit integer: leading blanks and one sign
// are accepted, conversion stops at the first non-digit, nothing gives 0, and
// a value out of range is clamped.
std::int32_t ToInt(std::u16string_view text);

// As ToInt, after removing every "," (the reading of integer packet values).
std::int32_t ToIntGrouped(std::u16string_view text);

// C-style conversion to a double ("12.5", "-3", "1e3"); nothing gives 0.0.
double ToReal(std::u16string_view text);

std::u16string FormatInt(std::int64_t value);     // "%d"
std::u16string FormatInt06(std::int64_t value);   // "%06d"
std::u16string FormatReal2(double value);         // "%.2f"

// The screens' number format: absolute value grouped by "," in threes; 0 is a blank.
std::u16string FormatNumber(std::int64_t value);

// Every "%" replaced by the full-width U+FF05, as for any packet made from
// received or stored text.
void ReplacePercent(std::u16string& text);

// Plain ASCII text widened (tags, literals built at run time).
std::u16string Widen(std::string_view ascii);

}  // namespace velloran
