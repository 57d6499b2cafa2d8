#include "stock/stk_list_wnd.h"

#include "platform/application.h"
#include "platform/window_messages.h"
#include "stock/stk_wnd.h"

namespace velloran {
namespace {

ListStyle SearchListStyle() {
  ListStyle style;
  style.header = false;
  style.grid_lines = true;
  style.show_selection_always = true;
  style.row_height = CStkListCtrl::kRowHeight;
  return style;
}

}  // namespace

CStkListCtrl::CStkListCtrl() : ListCtrl(SearchListStyle()) {}

bool CStkListCtrl::Create(Window* parent, const Rect& rect) {
  return Window::Create(parent, kId, rect, u"");
}

int CStkListCtrl::OnCreate() {
  if (ListCtrl::OnCreate() == -1) return -1;
  InsertColumn(0, {u"종목명", kNameWidth, ColumnAlign::kLeft});
  InsertColumn(1, {u"종목코드", kCodeWidth, ColumnAlign::kRight});
  SetCursor(CursorKind::kHand);
  return 0;
}

void CStkListCtrl::AddRow(const std::u16string& name, const std::u16string& code) {
  const int row = InsertItem(ItemCount(), name);
  SetItemText(row, 1, code);
}

void CStkListCtrl::OnKillFocus() {
  ListCtrl::OnKillFocus();
  // Where the focus went is known once the change is over: a press on the
  // list's own scroll bar keeps the list.
  UiLoop().Post([owner = parent() != nullptr ? parent()->handle() : WindowHandle()] {
    if (auto* list = dynamic_cast<CStkListWnd*>(Window::FromHandle(owner))) list->OnFocusLeft();
  });
}

bool CStkListWnd::Create() {
  WindowStyle style;
  style.kind = WindowKind::kPopup;
  style.visible = false;
  style.topmost = true;
  style.tool = true;
  style.no_activate = true;
  return Window::Create(&owner_, 0, {-2000, -2000, -2000 + kWidth, -2000 + kHeight}, u"SCH-LIST",
                        style);
}

int CStkListWnd::OnCreate() {
  SetBackgroundColor(Rgb(255, 255, 255));
  SetCursor(CursorKind::kHand);
  const Rect c = ClientRect();
  return list_.Create(this, c.Deflated(1, 1)) ? 0 : -1;
}

void CStkListWnd::OnSize(int width, int height) {
  if (list_.IsCreated()) list_.Move(Rect{0, 0, width, height}.Deflated(1, 1));
}

void CStkListWnd::OnPaint(DrawContext& dc) {
  dc.FrameRect(ClientRect(), kBorder);
}

void CStkListWnd::Register(bool shown) {
  if (shown == registered_) return;
  registered_ = shown;
  PostMessage(owner_.MainFrame(), msg::kRegisterPopup, shown ? handle().id() : 0, 0);
}

void CStkListWnd::Open(const Rect& edit_on_screen) {
  KillTimer(kHideTimer);
  closing_ = false;
  Replace(edit_on_screen);
  ShowNoActivate();
  BringToTop();
  Register(true);
}

void CStkListWnd::Replace(const Rect& edit_on_screen) {
  const int top = edit_on_screen.bottom + kGapBelowEdit;
  Move({edit_on_screen.left, top, edit_on_screen.left + kWidth, top + kHeight});
}

void CStkListWnd::Close() {
  if (!IsShown() && !closing_) return;
  closing_ = true;
  SetTimer(kHideTimer, kHideDelayMs);
}

void CStkListWnd::HideNow() {
  KillTimer(kHideTimer);
  closing_ = false;
  Show(false);
  Register(false);
}

void CStkListWnd::OnFocusLeft() {
  if (!list_.HasFocus() && !list_.VerticalBar().HasFocus() && !list_.HorizontalBar().HasFocus())
    Close();
}

void CStkListWnd::ClearRows() {
  list_.DeleteAllItems();
  selected_ = -1;
}

void CStkListWnd::MoveSelection(WParam key) {
  const int count = list_.ItemCount();
  if (count == 0) return;
  int row = selected_;
  switch (key) {
    case sys::kVkDown:
    case sys::kVkPageDown:
      row = std::min(row + 1, count - 1);
      break;
    case sys::kVkUp:
    case sys::kVkPageUp:
      row = std::max(row - 1, 0);
      break;
    case sys::kVkHome:
      row = 0;
      break;
    case sys::kVkEnd:
      row = count - 1;
      break;
    default:
      return;
  }
  list_.SelectItem(row);
  list_.RedrawItem(row);
  list_.EnsureVisible(row);
}

void CStkListWnd::OnTimer(int id) {
  KillTimer(id);
  if (id == kHideTimer) {
    closing_ = false;
    Show(false);
    Register(false);
  } else if (id == kFocusTimer) {
    owner_.FocusEdit();
  }
}

void CStkListWnd::OnLButtonDown(Point, WParam) {
  // The frame around the rows.
  Close();
}

bool CStkListWnd::OnNotify(int id, int code) {
  if (id != CStkListCtrl::kId) return false;
  const ListNotification& n = list_.notification();
  switch (code) {
    case list_notify::kItemChanged:
      if (n.item >= 0 && (n.new_state & list_state::kSelected) &&
          !(n.old_state & list_state::kSelected)) {
        selected_ = n.item;
        owner_.ShowRowName(n.item);
        SetTimer(kFocusTimer, kFocusDelayMs);
      } else if (n.item == selected_ && !(n.new_state & list_state::kSelected)) {
        selected_ = -1;
      }
      return true;
    case list_notify::kClick:
    case list_notify::kDoubleClick:
      // Below the last row the list closes.
      if (n.item < 0) {
        Close();
      } else {
        owner_.PickRow(n.item);
      }
      return true;
    default:
      return false;
  }
}

LResult CStkListWnd::WindowProc(WindowMessage& m) {
  if (m.message == msg::kClosePopup) {
    // A press on one of the box's own buttons is the button's to handle.
    if (!owner_.IsOwnButton(static_cast<std::uint64_t>(m.wparam))) Close();
    return 0;
  }
  return Window::WindowProc(m);
}

}  // namespace velloran
