#pragma once
// A stock code in one message parameter: windows tell each other which stock
// a message is about by its code, which the receiver looks up again, instead
// of by a pointer to a record another thread may have freed meanwhile.

#include <cstdint>
#include <string>
#include <string_view>

namespace velloran {

// A code of one to seven printable ASCII characters, packed with its length;
// 0 (names no stock) for anything else.
[[nodiscard]] constexpr std::intptr_t PackStockCode(std::u16string_view code) {
  if (code.empty() || code.size() > 7) return 0;
  std::uint64_t packed = code.size();
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i] <= u' ' || code[i] > u'~') return 0;
    packed |= static_cast<std::uint64_t>(code[i]) << (8 * (i + 1));
  }
  return static_cast<std::intptr_t>(packed);
}

// The code PackStockCode packed; empty for 0 or anything else.
[[nodiscard]] inline std::u16string UnpackStockCode(std::intptr_t packed) {
  const auto bits = static_cast<std::uint64_t>(packed);
  const std::size_t length = bits & 0xFF;
  if (length == 0 || length > 7) return {};
  std::u16string code(length, u' ');
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<char16_t>((bits >> (8 * (i + 1))) & 0xFF);
    if (c <= u' ' || c > u'~') return {};
    code[i] = c;
  }
  return code;
}

}  // namespace velloran
