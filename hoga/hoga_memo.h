#pragma once
// CHogaMemo, the order book's memo box: the text the server keeps for the
// shown stock (code 3013), on the memo's pale yellow, with a scroll bar.

#include "platform/memo_control.h"

namespace velloran {

class CHogaMemo : public MemoControl {
 public:
  static constexpr Color kBackground = Rgb(255, 248, 222);
  static constexpr Color kText = Rgb(50, 50, 50);

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect) {
    if (!MemoControl::Create(parent, id, rect)) return false;
    SetColors(kText, kBackground);
    SetFont(Font::Points(u"굴림", 9));
    return true;
  }
};

}  // namespace velloran
