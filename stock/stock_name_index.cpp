#include "stock/stock_name_index.h"

#include <algorithm>

#include "net/packet.h"

namespace velloran {
namespace {

char16_t UpperChar(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  // Latin-1: à..þ except ÷; ÿ has its capital elsewhere and stays.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  // Full-width ａ..ｚ.
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
  // Greek α..ω except the final sigma's own place.
  if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) return static_cast<char16_t>(c - 0x20);
  // Cyrillic а..я and ѐ..џ.
  if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
  return c;
}

}  // namespace

std::u16string UpperName(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& c : upper) c = UpperChar(c);
  return upper;
}

void StockNameIndex::Build(std::span<const Packet* const> masters) {
  entries_.clear();
  entries_.reserve(masters.size());
  for (const Packet* p : masters) {
    if (p == nullptr) continue;
    std::u16string_view name, code;
    if (!p->Find(u"HNAME", name)) name = {};
    if (!p->Find(u"SHCODE", code)) code = {};
    entries_.push_back({UpperName(name), std::u16string(name), std::u16string(code)});
  }
  // Equal keys keep the raw names' order, then the codes'.
  std::sort(entries_.begin(), entries_.end(), [](const StockName& a, const StockName& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.name != b.name) return a.name < b.name;
    return a.code < b.code;
  });
  source_size_ = masters.size();
}

std::span<const StockName> StockNameIndex::Find(std::u16string_view prefix) const {
  const auto first = std::lower_bound(
      entries_.begin(), entries_.end(), prefix,
      [](const StockName& e, std::u16string_view p) { return std::u16string_view(e.key) < p; });
  auto last = first;
  while (last != entries_.end() && std::u16string_view(last->key).starts_with(prefix)) ++last;
  return {first, last};
}

}  // namespace velloran
