// A 3013 memo as the memo box bounds it before laying it out: any text, cut
// and broken under bounds from the input and under the box's own, is never
// longer than the bound plus its added line breaks, has no line beyond the
// line bound, splits no surrogate pair, and is a prefix of the text once the
// added breaks are taken out.
#include <string>

#include "fuzz/fuzz_seeds.h"
#include "net/text_util.h"
#include "net/utf8.h"

namespace {

void Check(const std::u16string& text, std::size_t max_chars, std::size_t max_line) {
  const std::u16string out = velloran::BoundText(text, max_chars, max_line);
  if (max_line == 0) max_line = 1;
  std::size_t line = 0, kept = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char16_t c = out[i];
    if (c == u'\n') {
      line = 0;
      // A break the text did not have is one added.
      if (kept < text.size() && text[kept] == u'\n') ++kept;
      continue;
    }
    // Only a pair may pass a line bound of one.
    if (++line > std::max<std::size_t>(max_line, 2)) __builtin_trap();
    if (kept >= text.size() || text[kept] != c) __builtin_trap();
    ++kept;
  }
  if (kept > max_chars) __builtin_trap();
  if (kept > 0 && kept < text.size() && text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = velloran::Utf8ToUtf16({reinterpret_cast<const char*>(data), size});
  Check(text, 64 * 1024, 200);  // the memo box's bounds
  if (size > 2) Check(text, std::size_t{data[0]} * 4, data[1] % 16);
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {"목표가 55,000\n손절 49,000",
          "\x40\x03" "ab cd ef\r\ngh\xf0\x9f\x98\x80ij",
          // A megabyte on one line, and one of blanks.
          std::string(1 << 20, 'x'), std::string(300000, ' '),
          // Long lines of Korean text between short ones.
          [] {
            std::string s;
            for (int i = 0; i < 2000; ++i) s += i % 3 ? "메모메모메모메모메모메모메모메모메모메모" : "\n";
            return s;
          }()};
}
