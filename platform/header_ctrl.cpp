#include "platform/header_ctrl.h"

#include <algorithm>
#include <cstdlib>

#include "platform/window_events.h"

namespace velloran {

HeaderCtrl::HeaderCtrl() {
  SetBackgroundColor(kFace);
}

int HeaderCtrl::InsertItem(int index, const HeaderItem& item) {
  index = std::clamp(index, 0, ItemCount());
  items_.insert(items_.begin() + index, item);
  items_[index].width = std::max(items_[index].width, 0);
  for (int& i : order_)
    if (i >= index) ++i;
  order_.push_back(index);
  Invalidate();
  return index;
}

bool HeaderCtrl::DeleteItem(int index) {
  if (index < 0 || index >= ItemCount()) return false;
  if (mode_ != Mode::kIdle) EndMode();
  items_.erase(items_.begin() + index);
  order_.erase(std::find(order_.begin(), order_.end(), index));
  for (int& i : order_)
    if (i > index) --i;
  Invalidate();
  return true;
}

void HeaderCtrl::DeleteAllItems() {
  if (mode_ != Mode::kIdle) EndMode();
  items_.clear();
  order_.clear();
  Invalidate();
}

const HeaderItem* HeaderCtrl::Item(int index) const {
  if (index < 0 || index >= ItemCount()) return nullptr;
  return &items_[index];
}

bool HeaderCtrl::SetItem(int index, const HeaderItem& item) {
  if (index < 0 || index >= ItemCount()) return false;
  const int old_width = items_[index].width;
  items_[index] = item;
  items_[index].width = std::max(item.width, 0);
  Invalidate();
  if (items_[index].width != old_width) Notify(header_notify::kItemChanged, index);
  return true;
}

bool HeaderCtrl::SetItemWidth(int index, int width) {
  if (index < 0 || index >= ItemCount()) return false;
  width = std::max(width, 0);
  if (items_[index].width == width) return true;
  items_[index].width = width;
  Invalidate();
  Notify(header_notify::kItemChanged, index);
  return true;
}

bool HeaderCtrl::SetItemData(int index, void* data) {
  if (index < 0 || index >= ItemCount()) return false;
  items_[index].data = data;
  return true;
}

bool HeaderCtrl::SetOrder(const std::vector<int>& order) {
  if (order.size() != items_.size()) return false;
  std::vector<bool> seen(order.size(), false);
  for (const int i : order) {
    if (i < 0 || i >= ItemCount() || seen[i]) return false;
    seen[i] = true;
  }
  order_ = order;
  Invalidate();
  return true;
}

int HeaderCtrl::PositionOf(int index) const {
  const auto it = std::find(order_.begin(), order_.end(), index);
  return it == order_.end() ? -1 : static_cast<int>(it - order_.begin());
}

Rect HeaderCtrl::ItemRect(int index) const {
  if (index < 0 || index >= ItemCount()) return {};
  const int height = ClientRect().height();
  int x = -offset_;
  for (const int i : order_) {
    if (i == index) return {x, 0, x + items_[i].width, height};
    x += items_[i].width;
  }
  return {};
}

int HeaderCtrl::TotalWidth() const {
  int total = 0;
  for (const HeaderItem& item : items_) total += item.width;
  return total;
}

int HeaderCtrl::ItemAt(int x) const {
  int left = -offset_;
  for (const int i : order_) {
    if (x >= left && x < left + items_[i].width) return i;
    left += items_[i].width;
  }
  return -1;
}

void HeaderCtrl::SetOffset(int x) {
  if (offset_ == x) return;
  offset_ = x;
  Invalidate();
}

int HeaderCtrl::DividerAt(int x) const {
  // From the last position backwards, so that a divider followed by columns
  // of width 0 grabs the last of them, which can then be widened again.
  int right = -offset_ + TotalWidth();
  for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
    const HeaderItem& item = items_[*it];
    if (!item.fixed_width && std::abs(x - right) <= kDividerGrip) return *it;
    right -= item.width;
  }
  return -1;
}

int HeaderCtrl::DropPosition(int x) const {
  int left = -offset_;
  for (int p = 0; p < static_cast<int>(order_.size()); ++p) {
    const int width = items_[order_[p]].width;
    if (x < left + width) return std::max(p, 0);
    left += width;
  }
  return std::max(ItemCount() - 1, 0);
}

void HeaderCtrl::Notify(int code, int item) {
  notification_ = {code, item, item >= 0 && item < ItemCount() ? items_[item].width : 0,
                   PositionOf(item)};
  NotifyParent(code);
}

void HeaderCtrl::EndMode() {
  mode_ = Mode::kIdle;
  active_ = -1;
  ReleaseCapture();
  Invalidate();
}

void HeaderCtrl::OnLButtonDown(Point p, WParam) {
  if (mode_ != Mode::kIdle) return;
  press_ = p;
  const int divider = DividerAt(p.x);
  if (divider >= 0) {
    mode_ = Mode::kTrack;
    active_ = divider;
    track_origin_ = ItemRect(divider).left;
    SetCapture();
    Notify(header_notify::kBeginTrack, divider);
    return;
  }
  const int item = ItemAt(p.x);
  if (item < 0) return;
  mode_ = Mode::kPressed;
  active_ = item;
  SetCapture();
  Invalidate();
}

void HeaderCtrl::OnMouseMove(Point p, WParam flags) {
  if (mode_ == Mode::kIdle) {
    SetCursor(DividerAt(p.x) >= 0 ? CursorKind::kSizeWE : CursorKind::kArrow);
    return;
  }
  if (!(flags & sys::kLButtonFlag)) return;  // the release comes next
  if (mode_ == Mode::kTrack) {
    SetItemWidth(active_, p.x - track_origin_);
    return;
  }
  if (mode_ == Mode::kPressed && drag_drop_ && std::abs(p.x - press_.x) > kDragStart) {
    mode_ = Mode::kDrag;
    Notify(header_notify::kBeginDrag, active_);
  }
  if (mode_ == Mode::kDrag) {
    drag_x_ = ItemRect(active_).left + (p.x - press_.x);
    Invalidate();
  }
}

void HeaderCtrl::OnLButtonUp(Point p, WParam) {
  const Mode mode = mode_;
  const int item = active_;
  if (mode == Mode::kIdle) return;
  EndMode();
  switch (mode) {
    case Mode::kTrack:
      Notify(header_notify::kEndTrack, item);
      break;
    case Mode::kDrag: {
      const int from = PositionOf(item);
      const int to = DropPosition(p.x);
      if (from >= 0 && from != to) {
        order_.erase(order_.begin() + from);
        order_.insert(order_.begin() + to, item);
      }
      Invalidate();
      Notify(header_notify::kEndDrag, item);
      break;
    }
    case Mode::kPressed:
      if (ItemAt(p.x) == item) Notify(header_notify::kItemClick, item);
      break;
    case Mode::kIdle:
      break;
  }
}

void HeaderCtrl::DrawItem(DrawContext& dc, const HeaderPaint& cell) {
  const Rect& r = cell.rect;
  dc.FillRect(r, cell.pressed ? Rgb(214, 214, 214) : kFace);
  dc.FillRect({r.right - 1, r.top, r.right, r.bottom}, kLine);
  dc.FillRect({r.left, r.bottom - 1, r.right, r.bottom}, kLine);
  unsigned align = text_flag::kCenter;
  if (cell.header_item->align == ColumnAlign::kLeft) align = text_flag::kLeft;
  if (cell.header_item->align == ColumnAlign::kRight) align = text_flag::kRight;
  dc.SetTransparentBackground(true);
  dc.SetTextColor(Rgb(50, 50, 50));
  dc.DrawText(cell.header_item->title, r.Deflated(6, 0),
              align | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix |
                  text_flag::kEndEllipsis);
}

void HeaderCtrl::OnPaint(DrawContext& dc) {
  const Rect client = ClientRect();
  dc.FillRect({client.left, client.bottom - 1, client.right, client.bottom}, kLine);
  dc.SetFont(Font::Points(u"굴림", 9));
  for (const int i : order_) {
    const Rect r = ItemRect(i);
    if (r.right <= 0 || r.left >= client.right || r.IsEmpty()) continue;
    const bool pressed = (mode_ == Mode::kPressed || mode_ == Mode::kDrag) && i == active_;
    DrawItem(dc, {i, r, &items_[i], pressed});
  }
  if (mode_ == Mode::kDrag && active_ >= 0) {
    // The dragged cell follows the mouse; a mark shows where it would land.
    const int width = items_[active_].width;
    const Rect ghost{drag_x_, 0, drag_x_ + width, client.bottom};
    dc.AlphaFill(ghost, Rgb(120, 120, 120), 90);
    dc.FrameRect(ghost, Rgb(90, 90, 90));
    const int to = DropPosition(drag_x_ + (press_.x - ItemRect(active_).left));
    const int from = PositionOf(active_);
    const Rect target = ItemRect(order_[to]);
    const int mark = to > from ? target.right - 2 : target.left;
    dc.FillRect({mark, 0, mark + 2, client.bottom}, Rgb(30, 40, 235));
  }
}

}  // namespace velloran
