#include "app/csv_text.h"

#include "net/utf8.h"

namespace velloran {

CsvText::CsvText() : bytes_("\xEF\xBB\xBF") {}

void CsvText::Row(const std::vector<std::u16string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) bytes_ += ',';
    const std::u16string& f = fields[i];
    if (f.find_first_of(u",\"\r\n") == std::u16string::npos) {
      AppendUtf16AsUtf8(f, bytes_);
      continue;
    }
    std::u16string quoted = u"\"";
    for (char16_t c : f) {
      if (c == u'"') quoted += u'"';
      quoted += c;
    }
    quoted += u'"';
    AppendUtf16AsUtf8(quoted, bytes_);
  }
  bytes_ += "\r\n";
}

}  // namespace velloran
