#pragma once
// The stock names as the search compares them: each master entry's name in
// upper case beside its name and code, sorted by the upper-case name, so that
// the names starting with a typed prefix lie together and are found by a
// binary search instead of a walk over every name.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

class Packet;

// The system's upper-case mapping for names: Latin letters (ASCII, Latin-1
// and the full-width forms), Greek and Cyrillic; everything else stays.
[[nodiscard]] std::u16string UpperName(std::u16string_view text);

struct StockName {
  std::u16string key;   // the name in upper case
  std::u16string name;  // "HNAME" as it came
  std::u16string code;  // "SHCODE"
};

class StockNameIndex {
 public:
  // Rebuilds from master packets in any order; the packets are only read here.
  void Build(std::span<const Packet* const> masters);
  // How many packets the last Build read.
  [[nodiscard]] std::size_t source_size() const { return source_size_; }
  // The entries whose upper-case name starts with prefix (given in upper
  // case), in order; every entry for an empty prefix.
  [[nodiscard]] std::span<const StockName> Find(std::u16string_view prefix) const;

 private:
  std::vector<StockName> entries_;
  std::size_t source_size_ = 0;
};

}  // namespace velloran
