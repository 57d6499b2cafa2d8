#include "platform/combo_box_control.h"

#include <QWidget>

#include <algorithm>

#include "platform/application.h"
#include "platform/window_events.h"

namespace velloran {

namespace {

constexpr int kListId = 1000;

}  // namespace

ComboBoxControl::ComboBoxControl() {
  SetBackgroundColor(Rgb(255, 255, 255));
}

ComboBoxControl::~ComboBoxControl() {
  if (hook_ != 0) RemovePreTranslateHook(hook_);
}

bool ComboBoxControl::Create(Window* parent, int id, const Rect& rect, const ComboStyle& style,
                             const WindowStyle& window) {
  style_ = style;
  return Window::Create(parent, id, rect, u"", window);
}

int ComboBoxControl::AddString(const std::u16string& text) {
  return InsertString(-1, text);
}

int ComboBoxControl::InsertString(int index, const std::u16string& text) {
  index = items_.Insert(index, text);
  if (selected_ >= index) ++selected_;
  return index;
}

int ComboBoxControl::DeleteString(int index) {
  if (!items_.Erase(index)) return -1;
  if (selected_ == index)
    selected_ = -1;
  else if (selected_ > index)
    --selected_;
  Invalidate();
  return GetCount();
}

void ComboBoxControl::ResetContent() {
  CloseList(true);
  items_.Clear();
  selected_ = -1;
  Invalidate();
}

std::u16string ComboBoxControl::GetLBText(int index) const {
  return items_.Text(index);
}

bool ComboBoxControl::SetItemData(int index, std::intptr_t data) {
  return items_.SetData(index, data);
}

std::intptr_t ComboBoxControl::GetItemData(int index) const {
  return items_.Data(index);
}

int ComboBoxControl::FindStringExact(const std::u16string& text) const {
  return items_.FindExact(text);
}

bool ComboBoxControl::SetCurSel(int index) {
  const bool valid = index >= 0 && index < GetCount();
  selected_ = valid ? index : -1;
  if (GetDroppedState()) list_->SetCurSel(selected_);
  UpdateNow();
  return valid;
}

void ComboBoxControl::SetDropHeight(int pixels) {
  style_.drop_height = std::max(pixels, 0);
}

void ComboBoxControl::SetFont(const Font& font) {
  font_ = font;
  Invalidate();
}

bool ComboBoxControl::GetDroppedState() const {
  return list_ && list_->IsCreated() && list_->IsVisible();
}

void ComboBoxControl::ShowDropDown(bool show) {
  if (show == GetDroppedState() || !IsCreated()) return;
  if (!show) {
    CloseList(true);
    return;
  }
  CommandParent(ctl::kComboDropDown);
  const Rect face = WindowRect();
  const int rows = std::max(GetCount(), 1);
  const int height =
      std::max(std::min(style_.drop_height, rows * item_height_ + 2), item_height_ + 2);
  const Rect where{face.left, face.bottom, face.right, face.bottom + height};
  list_ = std::make_unique<ListBoxControl>();
  WindowStyle popup;
  popup.kind = WindowKind::kPopup;
  popup.topmost = true;
  popup.tool = true;
  popup.no_activate = true;
  popup.visible = false;
  if (!list_->Create(this, kListId, where, {true, true, true}, popup)) {
    list_.reset();
    return;
  }
  // A press in the list must not take the focus (and so the list) away.
  WidgetOf(list_.get())->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
  list_->SetItemHeight(item_height_);
  list_->SetFont(font_);
  for (int i = 0; i < items_.Count(); ++i) list_->AddString(items_.Text(i));
  list_->SetCurSel(selected_);
  list_->ShowNoActivate();
  Invalidate();
  if (hook_ == 0) {
    hook_ = AddPreTranslateHook([this](const WindowHandle& target, const WindowMessage&) {
      // A press anywhere but on the list or the face closes the list; the
      // press itself goes on.
      Window* w = Window::FromHandle(target);
      if (w == this || (list_ && w == list_.get())) return false;
      if (w != nullptr && list_ && w->IsInside(*list_)) return false;
      CloseList(true);
      return false;
    });
  }
}

void ComboBoxControl::CloseList(bool notify) {
  if (hook_ != 0) {
    RemovePreTranslateHook(hook_);
    hook_ = 0;
  }
  if (!list_) return;
  // The list window may be inside its own event: it goes later.
  std::unique_ptr<ListBoxControl> list = std::move(list_);
  list->Destroy();
  UiLoop().Post([gone = std::shared_ptr<ListBoxControl>(std::move(list))] {});
  Invalidate();
  if (notify) CommandParent(ctl::kComboCloseUp);
}

void ComboBoxControl::Pick(int index) {
  if (index < 0 || index >= GetCount()) return;
  const bool changed = index != selected_;
  selected_ = index;
  UpdateNow();
  if (changed) CommandParent(ctl::kComboSelChange);
}

bool ComboBoxControl::OnCommand(int id, int code, const WindowHandle&) {
  if (id != kListId || code != ctl::kListSelChange || !list_) return false;
  const int index = list_->GetCurSel();
  CloseList(true);
  Pick(index);
  return true;
}

void ComboBoxControl::OnLButtonDown(Point, WParam) {
  SetFocus();
  ShowDropDown(!GetDroppedState());
}

void ComboBoxControl::OnMouseWheel(int delta, Point, WParam) {
  if (GetDroppedState() || GetCount() == 0) return;
  Pick(std::clamp(selected_ + (delta > 0 ? -1 : 1), 0, GetCount() - 1));
}

void ComboBoxControl::OnKeyDown(WParam key) {
  if (GetCount() == 0) return;
  if (GetDroppedState()) {
    switch (key) {
      case sys::kVkReturn: {
        const int index = list_->GetCurSel();
        CloseList(true);
        Pick(index);
        return;
      }
      case sys::kVkEscape:
        CloseList(true);
        return;
      case sys::kVkUp:
      case sys::kVkDown:
      case sys::kVkPageUp:
      case sys::kVkPageDown:
      case sys::kVkHome:
      case sys::kVkEnd: {
        // The list's own keys move the highlight; the pick waits for Enter.
        const int count = GetCount();
        int index = list_->GetCurSel();
        const int page = std::max(list_->VisibleRows() - 1, 1);
        if (key == sys::kVkUp) index = std::max(index - 1, 0);
        if (key == sys::kVkDown) index = std::min(index + 1, count - 1);
        if (key == sys::kVkPageUp) index = std::max(index - page, 0);
        if (key == sys::kVkPageDown) index = std::min(std::max(index, 0) + page, count - 1);
        if (key == sys::kVkHome) index = 0;
        if (key == sys::kVkEnd) index = count - 1;
        list_->SetCurSel(index);
        return;
      }
      default:
        return;
    }
  }
  switch (key) {
    case sys::kVkUp:
      Pick(std::max(selected_ - 1, 0));
      break;
    case sys::kVkDown:
      Pick(std::min(selected_ + 1, GetCount() - 1));
      break;
    case sys::kVkHome:
      Pick(0);
      break;
    case sys::kVkEnd:
      Pick(GetCount() - 1);
      break;
    default:
      break;
  }
}

void ComboBoxControl::OnSetFocus() {
  Invalidate();
  CommandParent(ctl::kComboSetFocus);
}

void ComboBoxControl::OnKillFocus() {
  CloseList(true);
  Invalidate();
  CommandParent(ctl::kComboKillFocus);
}

void ComboBoxControl::OnDestroy() {
  CloseList(false);
}

void ComboBoxControl::OnPaint(DrawContext& dc) {
  const DrawItem item{dc,    ClientRect(), id(),         selected_, GetDroppedState(),
                      false, HasFocus(),   !IsEnabled(), false};
  DrawFace(item);
}

void ComboBoxControl::DrawFace(const DrawItem& item) {
  if (style_.owner_drawn_face) {
    if (parent() != nullptr)
      parent()->Send(ctl::kDrawItem, static_cast<WParam>(id()), reinterpret_cast<LParam>(&item));
    return;
  }
  DrawContext& dc = item.dc;
  const Rect& r = item.rect;
  dc.FillRect(r, item.disabled ? Rgb(240, 240, 240) : Rgb(255, 255, 255));
  dc.FrameRect(r, item.focused || item.pressed ? Rgb(0, 120, 215) : Rgb(122, 122, 122));
  const int arrow = std::min(17, r.width() / 2);
  const int cx = r.right - arrow / 2 - 1;
  const int cy = (r.top + r.bottom) / 2;
  dc.SetPen({Rgb(96, 96, 96), 1, PenStyle::kSolid});
  dc.SetBrush(Rgb(96, 96, 96));
  dc.Polygon({{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}});
  if (item.item < 0) return;
  dc.SetFont(font_);
  dc.SetTransparentBackground(true);
  dc.SetTextColor(item.disabled ? Rgb(131, 131, 131) : Rgb(0, 0, 0));
  dc.DrawText(GetLBText(item.item), {r.left + 4, r.top, r.right - arrow - 2, r.bottom},
              text_flag::kSingleLine | text_flag::kVCenter | text_flag::kNoPrefix |
                  text_flag::kEndEllipsis);
}

}  // namespace velloran
