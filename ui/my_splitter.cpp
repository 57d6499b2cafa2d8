#include "ui/my_splitter.h"

#include <algorithm>

#include "platform/child_rect.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"

namespace velloran {

Rect CMySplitter::LimitsIn(const Window* parent) {
  if (parent == nullptr) return {};
  const Rect r = parent->WindowRect();
  const Point p = parent->ScreenToClient({r.left, r.top});
  return {p.x, p.y, p.x + r.width(), p.y + r.height()};
}

int CMySplitter::Extent() const {
  return vertical() ? limits_.width() : limits_.height();
}

bool CMySplitter::Create(Window* parent, SplitterOrientation orientation, Window* first_pane,
                         int margin, Color colour, int id) {
  if (parent == nullptr) return false;
  orientation_ = orientation;
  first_pane_ = first_pane;
  margin_ = std::max(margin, 0);
  SetBackgroundColor(colour);
  limits_ = LimitsIn(parent);
  const Rect pane = first_pane ? ChildRect(*first_pane)
                               : Rect{limits_.left, limits_.top, limits_.left, limits_.top};
  const Rect bar = vertical()
                       ? Rect{pane.right, limits_.top, pane.right + kThickness, limits_.bottom}
                       : Rect{limits_.left, pane.bottom, limits_.right, pane.bottom + kThickness};
  if (!Window::Create(parent, id, bar, u"")) return false;
  SetCursor(vertical() ? CursorKind::kSizeWE : ResourceCursor(343));
  return true;
}

Rect CMySplitter::FirstPaneRect() const {
  const Rect bar = ChildRect(*this);
  const Rect pane = first_pane_ && first_pane_->IsCreated() ? ChildRect(*first_pane_) : limits_;
  if (vertical()) return {std::min(pane.left, bar.left), bar.top, bar.left, bar.bottom};
  return {bar.left, std::min(pane.top, bar.top), bar.right, bar.top};
}

Rect CMySplitter::SecondPaneRect() const {
  const Rect bar = ChildRect(*this);
  if (vertical()) return {bar.right, bar.top, std::max(limits_.right, bar.right), bar.bottom};
  return {bar.left, bar.bottom, bar.right, std::max(limits_.bottom, bar.bottom)};
}

void CMySplitter::OnLButtonDown(Point p, WParam) {
  if (!dragging_) {
    SetTimer(kDragTimer, kDragPeriodMs);
    dragging_ = true;
  }
  // The parent may have been resized since the bar was made.
  limits_ = LimitsIn(parent());
  button_down_ = true;
  grab_ = p;
  SetCapture();
}

void CMySplitter::OnMouseMove(Point p, WParam flags) {
  if (!button_down_ || !(flags & sys::kLButtonFlag)) return;
  const Rect bar = ChildRect(*this);
  // The bar's new near edge, held within the limits less the margin.
  const int near = vertical() ? limits_.left : limits_.top;
  const int far = vertical() ? limits_.right : limits_.bottom;
  const int wanted = vertical() ? bar.left + p.x - grab_.x : bar.top + p.y - grab_.y;
  const int at = std::max(std::min(wanted, far - margin_), near + margin_);
  if (Extent() > 0) ratio_ = static_cast<double>(at) / Extent();
  if (vertical())
    Move({at, bar.top, at + bar.width(), bar.bottom});
  else
    Move({bar.left, at, bar.right, at + bar.height()});
}

void CMySplitter::OnLButtonUp(Point, WParam) {
  button_down_ = false;
  ReleaseCapture();
}

void CMySplitter::OnTimer(int id) {
  if (id != kDragTimer || button_down_) return;
  KillTimer(kDragTimer);
  if (!dragging_) return;
  dragging_ = false;
  const Rect bar = ChildRect(*this);
  if (Extent() > 0) ratio_ = static_cast<double>(vertical() ? bar.left : bar.top) / Extent();
  if (parent() != nullptr) parent()->Send(msg::kSplitterMoved, reinterpret_cast<WParam>(this), 0);
}

}  // namespace velloran
