#include "platform/list_ctrl.h"

#include <algorithm>

#include "platform/control_codes.h"
#include "platform/window_events.h"

namespace velloran {

ListCtrl::ListCtrl(const ListStyle& style) : style_(style) {
  style_.row_height = std::max(style_.row_height, 1);
  style_.header_height = style_.header ? std::max(style_.header_height, 0) : 0;
  SetBackgroundColor(colors_.background);
}

ListCtrl::~ListCtrl() = default;

std::unique_ptr<HeaderCtrl> ListCtrl::MakeHeader() {
  return std::make_unique<HeaderCtrl>();
}

int ListCtrl::OnCreate() {
  if (!header_) header_ = MakeHeader();
  header_->EnableDragDrop(style_.header_drag_drop);
  WindowStyle child;
  child.visible = style_.header;
  if (!header_->Create(this, kHeaderId, {0, 0, 0, style_.header_height}, u"", child)) return -1;
  WindowStyle hidden;
  hidden.visible = false;
  if (!vbar_.Create(this, kVerticalBarId, {}, true, hidden) ||
      !hbar_.Create(this, kHorizontalBarId, {}, false, hidden))
    return -1;
  Layout();
  return 0;
}

// ---- columns

int ListCtrl::InsertColumn(int index, const HeaderItem& column) {
  if (!header_) header_ = MakeHeader();
  const int at = header_->InsertItem(index, column);
  for (Row& row : rows_)
    if (static_cast<int>(row.texts.size()) > at) row.texts.insert(row.texts.begin() + at, u"");
  Layout();
  Invalidate();
  return at;
}

bool ListCtrl::DeleteColumn(int index) {
  if (!header_ || !header_->DeleteItem(index)) return false;
  for (Row& row : rows_)
    if (static_cast<int>(row.texts.size()) > index) row.texts.erase(row.texts.begin() + index);
  Layout();
  Invalidate();
  return true;
}

int ListCtrl::ColumnCount() const {
  return header_ ? header_->ItemCount() : 0;
}

int ListCtrl::ColumnWidth(int index) const {
  const HeaderItem* item = header_ ? header_->Item(index) : nullptr;
  return item ? item->width : 0;
}

bool ListCtrl::SetColumnWidth(int index, int width) {
  return header_ && header_->SetItemWidth(index, width);  // the header's kItemChanged re-lays out
}

std::vector<int> ListCtrl::ColumnOrder() const {
  return header_ ? header_->Order() : std::vector<int>{};
}

bool ListCtrl::SetColumnOrder(const std::vector<int>& order) {
  if (!header_ || !header_->SetOrder(order)) return false;
  Invalidate();
  return true;
}

// ---- rows

int ListCtrl::InsertItem(int index, const std::u16string& text, void* data) {
  index = std::clamp(index, 0, ItemCount());
  Row row;
  row.data = data;
  if (!text.empty()) row.texts.push_back(text);
  rows_.insert(rows_.begin() + index, std::move(row));
  if (selected_ >= index) ++selected_;
  Layout();
  Invalidate();
  return index;
}

bool ListCtrl::DeleteItem(int index) {
  if (index < 0 || index >= ItemCount()) return false;
  rows_.erase(rows_.begin() + index);
  if (selected_ == index)
    selected_ = -1;
  else if (selected_ > index)
    --selected_;
  Layout();
  Invalidate();
  return true;
}

void ListCtrl::DeleteAllItems() {
  rows_.clear();
  selected_ = -1;
  top_index_ = 0;
  Layout();
  Invalidate();
}

bool ListCtrl::SetItemText(int item, int sub_item, const std::u16string& text) {
  if (item < 0 || item >= ItemCount() || sub_item < 0 || sub_item >= std::max(ColumnCount(), 1))
    return false;
  auto& texts = rows_[item].texts;
  if (static_cast<int>(texts.size()) <= sub_item) texts.resize(sub_item + 1);
  texts[sub_item] = text;
  RedrawItem(item);
  return true;
}

std::u16string ListCtrl::ItemText(int item, int sub_item) const {
  if (item < 0 || item >= ItemCount() || sub_item < 0) return {};
  const auto& texts = rows_[item].texts;
  return sub_item < static_cast<int>(texts.size()) ? texts[sub_item] : std::u16string();
}

bool ListCtrl::SetItemData(int item, void* data) {
  if (item < 0 || item >= ItemCount()) return false;
  rows_[item].data = data;
  return true;
}

void* ListCtrl::ItemData(int item) const {
  return item >= 0 && item < ItemCount() ? rows_[item].data : nullptr;
}

int ListCtrl::FindItem(const void* data) const {
  for (int i = 0; i < ItemCount(); ++i)
    if (rows_[i].data == data) return i;
  return -1;
}

// ---- state

unsigned ListCtrl::ItemState(int item, unsigned mask) const {
  return item >= 0 && item < ItemCount() ? rows_[item].state & mask : 0;
}

bool ListCtrl::SetItemState(int item, unsigned state, unsigned mask) {
  if (item < 0 || item >= ItemCount()) return false;
  const unsigned old_state = rows_[item].state;
  const unsigned new_state = (old_state & ~mask) | (state & mask);
  if (new_state == old_state) return true;
  // One selected row: selecting this one first clears the other.
  if ((new_state & list_state::kSelected) && selected_ >= 0 && selected_ != item) {
    const int other = selected_;
    selected_ = -1;
    SetItemState(other, 0, list_state::kSelected | list_state::kFocused);
    if (item >= ItemCount()) return false;  // the parent changed the rows meanwhile
  }
  rows_[item].state = new_state;
  if (new_state & list_state::kSelected)
    selected_ = item;
  else if (selected_ == item)
    selected_ = -1;
  RedrawItem(item);
  Notify(list_notify::kItemChanged, item, -1, old_state, new_state, {});
  return true;
}

void ListCtrl::SelectItem(int item) {
  if (item < 0 || item >= ItemCount()) {
    if (selected_ >= 0) SetItemState(selected_, 0, list_state::kSelected | list_state::kFocused);
    return;
  }
  SetItemState(item, list_state::kSelected | list_state::kFocused,
               list_state::kSelected | list_state::kFocused);
}

// ---- geometry

void ListCtrl::Layout() {
  const Rect client = ClientRect();
  const int top = style_.header_height;
  const int total_width = header_ ? header_->TotalWidth() : 0;
  const int rows_height = ItemCount() * style_.row_height;
  bool need_v = false;
  bool need_h = false;
  // A bar takes room from the other direction, so look twice.
  for (int pass = 0; pass < 2; ++pass) {
    const int width = client.width() - (need_v ? kBarThickness : 0);
    const int height = client.height() - top - (need_h ? kBarThickness : 0);
    need_h = total_width > width;
    need_v = rows_height > height;
  }
  rows_area_ = {0, std::min(top, client.bottom),
                std::max(client.right - (need_v ? kBarThickness : 0), 0),
                std::max(client.bottom - (need_h ? kBarThickness : 0), 0)};
  if (rows_area_.bottom < rows_area_.top) rows_area_.bottom = rows_area_.top;
  top_index_ = std::clamp(top_index_, 0, std::max(ItemCount() - CountPerPage(), 0));
  scroll_x_ = std::clamp(scroll_x_, 0, std::max(total_width - rows_area_.width(), 0));
  if (vbar_.IsCreated()) {
    vbar_.Move({rows_area_.right, rows_area_.top, client.right, rows_area_.bottom});
    vbar_.SetScrollInfo(0, std::max(ItemCount() - 1, 0), CountPerPage(), top_index_);
    vbar_.Show(need_v);
    hbar_.Move({0, rows_area_.bottom, rows_area_.right, client.bottom});
    hbar_.SetScrollInfo(0, std::max(total_width - 1, 0), rows_area_.width(), scroll_x_);
    hbar_.Show(need_h);
  }
  if (header_ && header_->IsCreated()) {
    header_->Move({0, 0, rows_area_.right, top});
    header_->SetOffset(scroll_x_);
  }
}

int ListCtrl::CountPerPage() const {
  return std::max(rows_area_.height() / style_.row_height, 1);
}

int ListCtrl::RowRight() const {
  const int total = header_ ? header_->TotalWidth() : 0;
  return std::max(total - scroll_x_, rows_area_.right);
}

void ListCtrl::CellRects(int y, std::vector<Rect>& out) const {
  const int count = ColumnCount();
  out.resize(count);
  int x = -scroll_x_;
  for (const int i : header_->Order()) {
    const int width = header_->Item(i)->width;
    out[i] = {x, y, x + width, y + style_.row_height};
    x += width;
  }
}

Rect ListCtrl::ItemRect(int item) const {
  if (item < 0 || item >= ItemCount()) return {};
  const int y = rows_area_.top + (item - top_index_) * style_.row_height;
  return {-scroll_x_, y, RowRight(), y + style_.row_height};
}

Rect ListCtrl::SubItemRect(int item, int sub_item) const {
  if (item < 0 || item >= ItemCount() || sub_item < 0 || sub_item >= ColumnCount()) return {};
  const Rect column = header_->ItemRect(sub_item);
  const Rect row = ItemRect(item);
  return {column.left, row.top, column.right, row.bottom};
}

ListCtrl::Hit ListCtrl::HitTestItem(Point p) const {
  if (!rows_area_.Contains(p)) return {};
  const int row = (p.y - rows_area_.top) / style_.row_height;
  const int item = top_index_ + row;
  // The strip under the last whole row shows no row.
  if (item >= ItemCount() || row >= CountPerPage()) return {};
  return {item, header_ ? header_->ItemAt(p.x) : -1};
}

// ---- scrolling

void ListCtrl::SetTopIndex(int item) {
  const int before = top_index_;
  top_index_ = std::clamp(item, 0, std::max(ItemCount() - CountPerPage(), 0));
  if (top_index_ == before) return;
  vbar_.SetPos(top_index_);
  Invalidate();
}

void ListCtrl::EnsureVisible(int item) {
  if (item < 0 || item >= ItemCount()) return;
  if (item < top_index_)
    SetTopIndex(item);
  else if (item >= top_index_ + CountPerPage())
    SetTopIndex(item - CountPerPage() + 1);
}

void ListCtrl::SetScrollX(int x) {
  const int before = scroll_x_;
  const int total_width = header_ ? header_->TotalWidth() : 0;
  scroll_x_ = std::clamp(x, 0, std::max(total_width - rows_area_.width(), 0));
  if (scroll_x_ == before) return;
  hbar_.SetPos(scroll_x_);
  if (header_) header_->SetOffset(scroll_x_);
  Invalidate();
}

void ListCtrl::RedrawItem(int item) {
  const Rect r = ItemRect(item).Intersect(rows_area_);
  if (!r.IsEmpty()) Invalidate(r);
}

void ListCtrl::SortItems(const std::function<int(void*, void*)>& compare) {
  // Bottom-up merge sort: it only ever asks "does the right one go first?",
  // so a comparison that contradicts itself still ends in some order.
  const std::size_t n = rows_.size();
  std::vector<Row> buffer(n);
  for (std::size_t width = 1; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(lo + width, n);
      const std::size_t hi = std::min(lo + 2 * width, n);
      std::size_t a = lo;
      std::size_t b = mid;
      std::size_t out = lo;
      while (a < mid && b < hi) {
        if (compare(rows_[b].data, rows_[a].data) < 0)
          buffer[out++] = std::move(rows_[b++]);
        else
          buffer[out++] = std::move(rows_[a++]);
      }
      while (a < mid) buffer[out++] = std::move(rows_[a++]);
      while (b < hi) buffer[out++] = std::move(rows_[b++]);
    }
    rows_.swap(buffer);
  }
  selected_ = -1;
  for (std::size_t i = 0; i < n; ++i)
    if (rows_[i].state & list_state::kSelected) selected_ = static_cast<int>(i);
  Invalidate();
}

void ListCtrl::SetColors(const ListColors& colors) {
  colors_ = colors;
  SetBackgroundColor(colors.background);
  Invalidate();
}

void ListCtrl::SetFont(const Font& font) {
  font_ = font;
  Invalidate();
}

// ---- painting

void ListCtrl::DrawCellText(DrawContext& dc, const std::u16string& text, const Rect& cell,
                            ColumnAlign align, Color color, Color background) {
  const TextAlign how = align == ColumnAlign::kRight    ? TextAlign::kRight
                        : align == ColumnAlign::kCenter ? TextAlign::kCenter
                                                        : TextAlign::kLeft;
  texts_.Draw(dc, text, {cell.left + 6, cell.top, cell.right - 6, cell.bottom}, how, color,
              background);
}

void ListCtrl::DrawItem(DrawContext& dc, const ListItemPaint& row) {
  const Color fill = row.highlighted ? colors_.selected_background : colors_.background;
  dc.FillRect(row.rect, fill);
  const Color text = row.highlighted ? colors_.selected_text : colors_.text;
  const auto& texts = rows_[row.item].texts;
  for (int i = 0; i < static_cast<int>(row.cells.size()) && i < static_cast<int>(texts.size());
       ++i) {
    const Rect& cell = row.cells[i];
    if (cell.right <= rows_area_.left || cell.left >= rows_area_.right) continue;
    DrawCellText(dc, texts[i], cell, header_->Item(i)->align, text, fill);
  }
}

bool ListCtrl::OnEraseBackground(DrawContext&) {
  return true;  // OnPaint covers every pixel once
}

void ListCtrl::OnPaint(DrawContext& dc) {
  dc.IntersectClip(rows_area_);
  dc.SetFont(font_);
  dc.SetTransparentBackground(true);
  const int h = style_.row_height;
  // Whole rows only: a row cut by the bar below would hide half its cells.
  const int visible = CountPerPage();
  const int last = std::min(ItemCount(), top_index_ + visible);
  const int rows_bottom = rows_area_.top + (last - top_index_) * h;
  if (rows_bottom < rows_area_.bottom)
    dc.FillRect({rows_area_.left, rows_bottom, rows_area_.right, rows_area_.bottom},
                colors_.background);
  // Only the rows the paint must renew (one row for a changed quote).
  const Rect box = dc.PaintBox();
  const int from = std::max(top_index_, top_index_ + (box.top - rows_area_.top) / h);
  const int to = std::min(last, top_index_ + (box.bottom - rows_area_.top + h - 1) / h);
  const bool show_selection = style_.show_selection_always || HasFocus();
  const int right = RowRight();
  for (int i = from; i < to; ++i) {
    const int y = rows_area_.top + (i - top_index_) * h;
    if (!dc.MustPaint({rows_area_.left, y, rows_area_.right, y + h})) continue;
    CellRects(y, cells_);
    const unsigned state = rows_[i].state;
    const bool highlighted = (state & list_state::kDropHighlighted) ||
                             ((state & list_state::kSelected) && show_selection);
    DrawItem(dc, {i, {-scroll_x_, y, right, y + h}, cells_, state, rows_[i].data, highlighted});
  }
  if (style_.grid_lines) {
    for (int i = from; i < to; ++i) {
      const int y = rows_area_.top + (i - top_index_ + 1) * h - 1;
      if (dc.MustPaint({rows_area_.left, y, rows_area_.right, y + 1}))
        dc.FillRect({rows_area_.left, y, rows_area_.right, y + 1}, colors_.grid);
    }
    // Column lines only as far as the paint reaches: filling a line one
    // pixel a row costs as much as the rows it crosses.
    const int top = std::max(rows_area_.top, box.top);
    const int bottom = std::min(rows_area_.bottom, box.bottom);
    int x = -scroll_x_;
    for (const int c : header_->Order()) {
      x += header_->Item(c)->width;
      if (top < bottom) dc.FillRect({x - 1, top, x, bottom}, colors_.grid);
    }
  }
  dc.ResetClip();
  // The corner between the two bars.
  const Rect client = ClientRect();
  if (rows_area_.right < client.right && rows_area_.bottom < client.bottom)
    dc.FillRect({rows_area_.right, rows_area_.bottom, client.right, client.bottom},
                Rgb(240, 240, 240));
}

// ---- input

void ListCtrl::Notify(int code, int item, int sub_item, unsigned old_state, unsigned new_state,
                      Point p) {
  notification_ = {code, item, sub_item, old_state, new_state, p, {}};
  NotifyParent(code);
}

bool ListCtrl::OnNotify(int id, int code) {
  if (id != kHeaderId || !header_) return false;
  if (code == header_notify::kItemChanged) {
    Layout();
    Invalidate();
  } else if (code == header_notify::kEndDrag) {
    Invalidate();
  }
  notification_ = {code, -1, header_->notification().item, 0, 0, {}, header_->notification()};
  NotifyParent(code);
  return true;
}

LResult ListCtrl::WindowProc(WindowMessage& m) {
  if (m.message == sys::kVScroll || m.message == sys::kHScroll) {
    OnScroll(m.message == sys::kVScroll, sys::LowWord(static_cast<LParam>(m.wparam)));
    return 0;
  }
  return Window::WindowProc(m);
}

void ListCtrl::OnScroll(bool vertical, int code) {
  const int pos = vertical ? top_index_ : scroll_x_;
  const int line = vertical ? 1 : 20;
  const int page = std::max(vertical ? CountPerPage() : rows_area_.width(), 1);
  int to = pos;
  switch (code) {
    case ctl::kLineUp:
      to = pos - line;
      break;
    case ctl::kLineDown:
      to = pos + line;
      break;
    case ctl::kPageUp:
      to = pos - page;
      break;
    case ctl::kPageDown:
      to = pos + page;
      break;
    case ctl::kThumbTrack:
    case ctl::kThumbPosition:
      // Read from the bar: a message carries only 16 bits of it.
      to = (vertical ? vbar_ : hbar_).TrackPos();
      break;
    default:
      return;
  }
  if (vertical) {
    SetTopIndex(to);
  } else {
    SetScrollX(to);
  }
}

void ListCtrl::OnLButtonDown(Point p, WParam) {
  SetFocus();
  if (!rows_area_.Contains(p)) return;
  const Hit hit = HitTestItem(p);
  SelectItem(hit.item);
  EnsureVisible(hit.item);
  Notify(list_notify::kClick, hit.item, hit.sub_item, 0, 0, p);
}

void ListCtrl::OnLButtonDblClk(Point p, WParam) {
  if (!rows_area_.Contains(p)) return;
  const Hit hit = HitTestItem(p);
  Notify(list_notify::kDoubleClick, hit.item, hit.sub_item, 0, 0, p);
}

void ListCtrl::OnRButtonDown(Point p, WParam) {
  if (!rows_area_.Contains(p)) return;
  const Hit hit = HitTestItem(p);
  Notify(list_notify::kRightClick, hit.item, hit.sub_item, 0, 0, p);
}

void ListCtrl::OnMouseWheel(int delta, Point, WParam flags) {
  const int notches = delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : delta < 0 ? -1 : 0);
  if (flags & sys::kShiftFlag)
    SetScrollX(scroll_x_ - notches * 60);
  else
    SetTopIndex(top_index_ - notches * 3);
}

void ListCtrl::MoveSelection(int item) {
  if (ItemCount() == 0) return;
  item = std::clamp(item, 0, ItemCount() - 1);
  SelectItem(item);
  EnsureVisible(item);
}

void ListCtrl::OnKeyDown(WParam key) {
  const int page = CountPerPage();
  switch (key) {
    case sys::kVkUp:
      MoveSelection(selected_ < 0 ? 0 : selected_ - 1);
      break;
    case sys::kVkDown:
      MoveSelection(selected_ + 1);
      break;
    case sys::kVkPageUp:
      MoveSelection(selected_ - page);
      break;
    case sys::kVkPageDown:
      MoveSelection(selected_ < 0 ? page - 1 : selected_ + page);
      break;
    case sys::kVkHome:
      MoveSelection(0);
      break;
    case sys::kVkEnd:
      MoveSelection(ItemCount() - 1);
      break;
    default:
      break;
  }
}

void ListCtrl::OnSize(int, int) {
  Layout();
  Invalidate();
}

}  // namespace velloran
