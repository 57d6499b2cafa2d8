#pragma once
// Where a child window lies in its parent's client coordinates, which moving
// and resizing a child (Window::Move) takes.

#include "platform/window.h"

namespace velloran {

// The window rectangle for a window without a parent (screen coordinates).
[[nodiscard]] inline Rect ChildRect(const Window& w) {
  const Rect r = w.WindowRect();
  if (w.parent() == nullptr) return r;
  const Point p = w.parent()->ScreenToClient({r.left, r.top});
  return {p.x, p.y, p.x + r.width(), p.y + r.height()};
}

}  // namespace velloran
