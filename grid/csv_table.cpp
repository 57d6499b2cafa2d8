#include "grid/csv_table.h"

#include "net/utf8.h"

namespace velloran {
namespace {

bool NeedsQuotes(std::u16string_view field) {
  return field.find_first_of(u",\"\r\n") != std::u16string_view::npos;
}

void AppendField(std::u16string& line, std::u16string_view field) {
  if (!NeedsQuotes(field)) {
    line += field;
    return;
  }
  line += u'"';
  for (const char16_t c : field) {
    if (c == u'"') line += u'"';
    line += c;
  }
  line += u'"';
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::string CsvDocument(const std::vector<CsvRow>& rows) {
  std::u16string text;
  for (const CsvRow& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) text += u',';
      AppendField(text, row[i]);
    }
    text += u"\r\n";
  }
  return std::string(kUtf8Mark) + Utf16ToUtf8(text);
}

std::u16string UngroupedNumber(std::u16string_view text) {
  // [sign] digits in groups of three [. digits]; nothing else is a grouped number.
  std::size_t i = (!text.empty() && (text[0] == u'-' || text[0] == u'+')) ? 1 : 0;
  const std::size_t int_end = text.find(u'.', i);
  const std::u16string_view whole =
      text.substr(i, int_end == std::u16string_view::npos ? std::u16string_view::npos : int_end - i);
  if (whole.find(u',') == std::u16string_view::npos) return std::u16string(text);
  std::size_t group = 0;
  bool first = true;
  for (std::size_t k = 0; k < whole.size(); ++k) {
    if (whole[k] == u',') {
      if (group == 0 || group > 3 || (!first && group != 3)) return std::u16string(text);
      first = false;
      group = 0;
    } else if (IsDigit(whole[k])) {
      ++group;
    } else {
      return std::u16string(text);
    }
  }
  if (group != 3) return std::u16string(text);
  if (int_end != std::u16string_view::npos) {
    for (std::size_t k = int_end + 1; k < text.size(); ++k)
      if (!IsDigit(text[k])) return std::u16string(text);
  }
  std::u16string out;
  for (const char16_t c : text)
    if (c != u',') out += c;
  return out;
}

}  // namespace velloran
