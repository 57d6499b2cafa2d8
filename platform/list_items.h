#pragma once
// The items of a list-like control (combo box, list box): texts by index,
// each with a data value. Out-of-range indexes read as empty and change
// nothing.

#include <cstdint>
#include <string>
#include <vector>

namespace velloran {

class ListItems {
 public:
  [[nodiscard]] int Count() const { return static_cast<int>(items_.size()); }
  // Before index; at the end when index is outside 0..Count(). Returns where.
  int Insert(int index, const std::u16string& text) {
    if (index < 0 || index > Count()) index = Count();
    items_.insert(items_.begin() + index, Item{text, 0});
    return index;
  }
  bool Erase(int index) {
    if (!Valid(index)) return false;
    items_.erase(items_.begin() + index);
    return true;
  }
  void Clear() { items_.clear(); }
  [[nodiscard]] std::u16string Text(int index) const {
    return Valid(index) ? items_[index].text : std::u16string();
  }
  bool SetData(int index, std::intptr_t data) {
    if (!Valid(index)) return false;
    items_[index].data = data;
    return true;
  }
  [[nodiscard]] std::intptr_t Data(int index) const {
    return Valid(index) ? items_[index].data : 0;
  }
  [[nodiscard]] int FindExact(const std::u16string& text) const {
    for (int i = 0; i < Count(); ++i)
      if (items_[i].text == text) return i;
    return -1;
  }

 private:
  struct Item {
    std::u16string text;
    std::intptr_t data = 0;
  };
  [[nodiscard]] bool Valid(int index) const { return index >= 0 && index < Count(); }
  std::vector<Item> items_;
};

}  // namespace velloran
