#pragma once
// A table as a CSV file for spreadsheets: UTF-8 behind a byte-order mark (so
// that they read the Korean names as such), CR LF line ends, and a field in
// double quotes, its quotes doubled, only where it holds a comma, a quote or
// a line break, as RFC 4180 has it.

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

using CsvRow = std::vector<std::u16string>;

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

[[nodiscard]] std::string CsvDocument(const std::vector<CsvRow>& rows);

// A number as the grid shows it ("-1,234,500", "12.50") without its group
// separators, for a spreadsheet to read as a number; any other text as it is.
[[nodiscard]] std::u16string UngroupedNumber(std::u16string_view text);

}  // namespace velloran
