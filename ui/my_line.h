#pragma once
// The cross-hair and hover lines: a thin window filled with its colour,
// vertical or horizontal, that follows the mouse along one axis.

#include "platform/window.h"

namespace velloran {

class CMyLine : public Window {
 public:
  static constexpr int kRepaintTimer = 1805;

  // A hidden child. length 0 spans the screen (its height for a
  // vertical line, its width for a horizontal one); start is the fixed
  // coordinate where the line begins (top of a vertical line, left of a
  // horizontal one).
  [[nodiscard]] bool Create(Window* parent, int id, bool vertical, int thickness, Color colour,
                            int length = 0, int start = 0);
  // Shows the line at p.x (vertical) or p.y (horizontal) and repaints it 1 ms
  // later.
  void MoveTo(Point p);
  void Hide() { Show(false); }
  void SetLength(int length);
  void SetStart(int start);
  [[nodiscard]] bool vertical() const { return vertical_; }

 protected:
  void OnTimer(int id) override;

 private:
  [[nodiscard]] Rect At(int along) const;

  bool vertical_ = true;
  int thickness_ = 1;
  int length_ = 0;
  int start_ = 0;
  int at_ = 0;
};

}  // namespace velloran
