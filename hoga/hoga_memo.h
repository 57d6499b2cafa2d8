#pragma once
// CHogaMemo, the order book's memo box: the text the server keeps for the
// shown stock (code 3013), on the memo's pale yellow, with a scroll bar.
// What the server sends is bounded before the box lays it out: a memo is a
// few lines a trader wrote, and one line of a megabyte would hold the
// user-interface thread (and the socket read on it) for most of a minute.

#include "net/text_util.h"
#include "platform/memo_control.h"

namespace velloran {

class CHogaMemo : public MemoControl {
 public:
  static constexpr Color kBackground = Rgb(255, 248, 222);
  static constexpr Color kText = Rgb(50, 50, 50);
  static constexpr std::size_t kMaxChars = 64 * 1024;
  static constexpr std::size_t kMaxLine = 200;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect) {
    if (!MemoControl::Create(parent, id, rect)) return false;
    SetColors(kText, kBackground);
    SetFont(Font::Points(u"굴림", 9));
    return true;
  }

  // The memo shown: the first kMaxChars of the text, in lines of at most kMaxLine.
  void SetText(const std::u16string& text) {
    MemoControl::SetText(BoundText(text, kMaxChars, kMaxLine));
  }
};

}  // namespace velloran
