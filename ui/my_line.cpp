#include "ui/my_line.h"

#include "platform/application.h"

namespace velloran {

bool CMyLine::Create(Window* parent, int id, bool vertical, int thickness, Color colour, int length,
                     int start) {
  vertical_ = vertical;
  thickness_ = std::max(thickness, 1);
  start_ = start;
  if (length <= 0) {
    // The primary screen stands for the virtual screen (the whole desktop).
    const Rect screen = ScreenArea();
    length = vertical ? screen.height() : screen.width();
  }
  length_ = length;
  SetBackgroundColor(colour);
  return Window::Create(parent, id, At(0), u"", {.visible = false});
}

Rect CMyLine::At(int along) const {
  if (vertical_) return {along, start_, along + thickness_, start_ + length_};
  return {start_, along, start_ + length_, along + thickness_};
}

void CMyLine::MoveTo(Point p) {
  at_ = vertical_ ? p.x : p.y;
  Move(At(at_));
  Show(true);
  SetTimer(kRepaintTimer, 1);
}

void CMyLine::SetLength(int length) {
  length_ = std::max(length, 0);
  if (IsVisible()) Move(At(at_));
}

void CMyLine::SetStart(int start) {
  start_ = start;
  if (IsVisible()) Move(At(at_));
}

void CMyLine::OnTimer(int id) {
  if (id != kRepaintTimer) return;
  KillTimer(kRepaintTimer);
  Invalidate();
}

}  // namespace velloran
