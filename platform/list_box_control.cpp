#include "platform/list_box_control.h"

#include <algorithm>

#include "platform/window_events.h"

namespace velloran {

namespace {

constexpr int kBarWidth = 17;
constexpr Color kBorder = Rgb(130, 135, 144);
constexpr Color kSelected = Rgb(0, 120, 215);

}  // namespace

ListBoxControl::ListBoxControl() {
  SetBackgroundColor(Rgb(255, 255, 255));
}

ListBoxControl::~ListBoxControl() = default;

bool ListBoxControl::Create(Window* parent, int id, const Rect& rect, const ListBoxStyle& style,
                            const WindowStyle& window) {
  style_ = style;
  if (!Window::Create(parent, id, rect, u"", window)) return false;
  bar_ = std::make_unique<ScrollBarControl>();
  const Rect area = ListArea();
  if (!bar_->Create(this, 1, {area.right - kBarWidth, area.top, area.right, area.bottom}, true,
                    {.visible = false}))
    return false;
  Layout();
  return true;
}

Rect ListBoxControl::ListArea() const {
  const Rect r = ClientRect();
  return style_.border ? r.Deflated(1, 1) : r;
}

int ListBoxControl::VisibleRows() const {
  return std::max(1, ListArea().height() / std::max(item_height_, 1));
}

void ListBoxControl::Layout() {
  if (!bar_ || !bar_->IsCreated()) return;
  const Rect area = ListArea();
  const bool needed = GetCount() > VisibleRows();
  top_ = std::clamp(top_, 0, std::max(0, GetCount() - VisibleRows()));
  bar_->Move({area.right - kBarWidth, area.top, area.right, area.bottom});
  bar_->SetScrollInfo(0, std::max(GetCount() - 1, 0), VisibleRows(), top_);
  bar_->Show(needed);
  Invalidate();
}

void ListBoxControl::OnSize(int, int) {
  Layout();
}

int ListBoxControl::AddString(const std::u16string& text) {
  return InsertString(-1, text);
}

int ListBoxControl::InsertString(int index, const std::u16string& text) {
  index = items_.Insert(index, text);
  if (selected_ >= index) ++selected_;
  Layout();
  return index;
}

int ListBoxControl::DeleteString(int index) {
  if (!items_.Erase(index)) return -1;
  if (selected_ == index)
    selected_ = -1;
  else if (selected_ > index)
    --selected_;
  Layout();
  return GetCount();
}

void ListBoxControl::ResetContent() {
  items_.Clear();
  selected_ = -1;
  top_ = 0;
  Layout();
}

std::u16string ListBoxControl::GetText(int index) const {
  return items_.Text(index);
}

bool ListBoxControl::SetItemData(int index, std::intptr_t data) {
  return items_.SetData(index, data);
}

std::intptr_t ListBoxControl::GetItemData(int index) const {
  return items_.Data(index);
}

void ListBoxControl::SetCurSel(int index) {
  if (index < -1 || index >= GetCount()) index = -1;
  selected_ = index;
  if (index >= 0) EnsureVisible(index);
  Invalidate();
}

void ListBoxControl::SetTopIndex(int index) {
  top_ = std::clamp(index, 0, std::max(0, GetCount() - VisibleRows()));
  if (bar_) bar_->SetPos(top_);
  Invalidate();
}

void ListBoxControl::SetItemHeight(int height) {
  item_height_ = std::max(height, 1);
  Layout();
}

void ListBoxControl::SetFont(const Font& font) {
  font_ = font;
  Invalidate();
}

Rect ListBoxControl::ItemRect(int index) const {
  const Rect area = ListArea();
  const int right = bar_ && bar_->IsVisible() ? area.right - kBarWidth : area.right;
  const int top = area.top + (index - top_) * item_height_;
  return {area.left, top, right, top + item_height_};
}

int ListBoxControl::ItemAt(Point p) const {
  const Rect area = ListArea();
  if (!area.Contains(p)) return -1;
  const int index = top_ + (p.y - area.top) / item_height_;
  if (index >= GetCount() || !ItemRect(index).Contains(p)) return -1;
  return index;
}

void ListBoxControl::EnsureVisible(int index) {
  if (index < top_)
    SetTopIndex(index);
  else if (index >= top_ + VisibleRows())
    SetTopIndex(index - VisibleRows() + 1);
}

void ListBoxControl::Select(int index, bool notify) {
  if (index < 0 || index >= GetCount()) return;
  const bool changed = index != selected_;
  selected_ = index;
  EnsureVisible(index);
  Invalidate();
  if (changed && notify && style_.notify) CommandParent(ctl::kListSelChange);
}

void ListBoxControl::OnLButtonDown(Point p, WParam) {
  // A drop-down list leaves the focus with its combo box.
  if (!style_.hover_tracking) SetFocus();
  tracking_ = true;
  SetCapture();
  const int index = ItemAt(p);
  if (index >= 0 && !style_.hover_tracking) Select(index, true);
}

void ListBoxControl::OnLButtonUp(Point p, WParam) {
  if (!tracking_) return;
  tracking_ = false;
  ReleaseCapture();
  // A drop-down list picks on release, whether or not the item changed.
  const int index = ItemAt(p);
  if (style_.hover_tracking && index >= 0) {
    selected_ = index;
    Invalidate();
    if (style_.notify) CommandParent(ctl::kListSelChange);
  }
}

void ListBoxControl::OnLButtonDblClk(Point p, WParam flags) {
  OnLButtonDown(p, flags);
  if (ItemAt(p) >= 0 && style_.notify) CommandParent(ctl::kListDblClk);
}

void ListBoxControl::OnMouseMove(Point p, WParam) {
  const int index = ItemAt(p);
  if (index < 0) return;
  if (style_.hover_tracking) {
    if (index != selected_) {
      selected_ = index;
      Invalidate();
    }
  } else if (tracking_) {
    Select(index, true);
  }
}

void ListBoxControl::OnMouseWheel(int delta, Point, WParam) {
  SetTopIndex(top_ - delta / 120 * 3);
}

void ListBoxControl::OnKeyDown(WParam key) {
  if (GetCount() == 0) return;
  const int page = std::max(VisibleRows() - 1, 1);
  int index = selected_;
  switch (key) {
    case sys::kVkUp:
      index = std::max(selected_ - 1, 0);
      break;
    case sys::kVkDown:
      index = std::min(selected_ + 1, GetCount() - 1);
      break;
    case sys::kVkPageUp:
      index = std::max(selected_ - page, 0);
      break;
    case sys::kVkPageDown:
      index = std::min(std::max(selected_, 0) + page, GetCount() - 1);
      break;
    case sys::kVkHome:
      index = 0;
      break;
    case sys::kVkEnd:
      index = GetCount() - 1;
      break;
    default:
      return;
  }
  Select(index, true);
}

LResult ListBoxControl::WindowProc(WindowMessage& m) {
  if (m.message == sys::kVScroll && bar_ &&
      static_cast<std::uint64_t>(m.lparam) == bar_->handle().id()) {
    const int code = sys::LowWord(static_cast<std::intptr_t>(m.wparam));
    int top = top_;
    switch (code) {
      case ctl::kLineUp:
        --top;
        break;
      case ctl::kLineDown:
        ++top;
        break;
      case ctl::kPageUp:
        top -= VisibleRows();
        break;
      case ctl::kPageDown:
        top += VisibleRows();
        break;
      case ctl::kThumbTrack:
      case ctl::kThumbPosition:
        top = bar_->TrackPos();
        break;
      default:
        return 0;
    }
    SetTopIndex(top);
    return 0;
  }
  return Window::WindowProc(m);
}

void ListBoxControl::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  if (style_.border) dc.FrameRect(r, kBorder);
  dc.SetFont(font_);
  dc.SetTransparentBackground(true);
  const Rect area = ListArea();
  dc.IntersectClip(area);
  for (int i = top_; i < GetCount() && i < top_ + VisibleRows() + 1; ++i) {
    const Rect item = ItemRect(i);
    const bool selected = i == selected_;
    if (selected) dc.FillRect(item, kSelected);
    dc.SetTextColor(selected ? Rgb(255, 255, 255) : Rgb(0, 0, 0));
    dc.DrawText(items_.Text(i), {item.left + 3, item.top, item.right - 2, item.bottom},
                text_flag::kSingleLine | text_flag::kVCenter | text_flag::kNoPrefix |
                    text_flag::kEndEllipsis);
  }
}

}  // namespace velloran
