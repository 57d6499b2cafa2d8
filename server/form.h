#pragma once
// Reading an "application/x-www-form-urlencoded" body, as the login page
// receives it: pairs separated by "&", name and value by the first "=", "+"
// for a blank and "%XY" for a byte. A "%" that is not followed by two hex
// digits stands for itself.

#include <string>
#include <string_view>
#include <vector>

namespace velloran::server {

struct FormField {
  std::string name, value;  // decoded bytes (UTF-8 as sent)
};

std::vector<FormField> ParseForm(std::string_view body);
std::string PercentDecode(std::string_view text);
// The value of the first field with that name, or the empty text.
std::string FormValue(const std::vector<FormField>& fields, std::string_view name);
// The encoding a client uses for a value (RFC 3986 unreserved characters kept).
std::string PercentEncode(std::string_view text);

}  // namespace velloran::server
