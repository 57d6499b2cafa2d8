#pragma once
// Comma-separated text for spreadsheets: UTF-8 with a byte-order mark (so
// Korean names open right), fields quoted where they hold a comma, a quote
// or a line break, rows ended by CR LF.

#include <string>
#include <string_view>
#include <vector>

namespace velloran {

class CsvText {
 public:
  CsvText();  // starts with the byte-order mark
  void Row(const std::vector<std::u16string>& fields);
  [[nodiscard]] const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace velloran
