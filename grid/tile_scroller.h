#pragma once
// The scroller of the tile wall: the page and content sizes and the scroll
// offset, moved by line, page, thumb and wheel steps and kept within
// 0 .. content - page. The wall is never wider than its page, so only the
// vertical offset moves.

#include <algorithm>
#include <cstdlib>

#include "platform/control_codes.h"
#include "platform/geometry.h"

namespace velloran {

class CTileScroller {
 public:
  static constexpr int kLineStep = 60;
  // The system's wheel-lines setting: one notch scrolls one line of 60 pixels.
  static constexpr int kWheelLines = 3;

  void SetSizes(Size page, Size content) {
    page_ = page;
    content_ = content;
    y_ = std::clamp(y_, 0, MaxY());
  }
  // A scroll bar's request (ctl:: code, and the thumb's position for the
  // thumb codes); true when the offset moved.
  bool Scroll(int code, int track_pos) {
    switch (code) {
      case ctl::kLineUp:
        return ScrollTo(y_ - kLineStep);
      case ctl::kLineDown:
        return ScrollTo(y_ + kLineStep);
      case ctl::kPageUp:
        return ScrollTo(y_ - page_.height);
      case ctl::kPageDown:
        return ScrollTo(y_ + page_.height);
      case ctl::kThumbTrack:
      case ctl::kThumbPosition:
        return ScrollTo(track_pos);
      case ctl::kTop:
        return ScrollTo(0);
      case ctl::kBottom:
        return ScrollTo(MaxY());
      default:
        return false;
    }
  }
  // delta: 120 a notch, positive away from the user (up).
  bool Wheel(int delta) {
    const int lines = std::max(std::abs(delta) / 120 * kWheelLines / 3, 1);
    return ScrollTo(y_ + (delta > 0 ? -1 : 1) * lines * kLineStep);
  }
  bool ScrollTo(int y) {
    const int to = std::clamp(y, 0, MaxY());
    if (to == y_) return false;
    y_ = to;
    return true;
  }

  [[nodiscard]] int y() const { return y_; }
  [[nodiscard]] int MaxY() const { return std::max(content_.height - page_.height, 0); }
  [[nodiscard]] Size page() const { return page_; }
  [[nodiscard]] Size content() const { return content_; }

 private:
  Size page_;
  Size content_;
  int y_ = 0;
};

}  // namespace velloran
