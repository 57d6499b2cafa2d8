#include "stock/stk_wnd.h"

#include "app/session_data.h"
#include "net/stock_code.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

constexpr int kButtonSize = 18;
constexpr int kTipDelayMs = 300;
const Font& EditFont() {
  static const Font font = Font::Points(u"굴림", 9);
  return font;
}

// The list is usable while it shows and is not on its way out.
bool ListOpen(const CStkListWnd& list) {
  return list.IsShown() && !list.IsClosing();
}

}  // namespace

CStkWnd::CStkWnd() : edit_(*this), list_(*this) {}

CStkWnd::~CStkWnd() = default;

bool CStkWnd::Create(const Rect& rect, Window* owner, int id, int search_bitmap,
                     int list_bitmap) {
  owner_ = owner;
  search_bitmap_ = search_bitmap;
  list_bitmap_ = list_bitmap;
  return Window::Create(owner, id, rect, u"");
}

int CStkWnd::OnCreate() {
  if (!edit_.Create(*this, kEditId, {})) return -1;
  edit_.SetFont(EditFont());
  if (!tip_.Create(&edit_, kTipDelayMs)) return -1;
  auto make_button = [this](int bitmap, int id, const char16_t* caption) {
    auto button = std::make_unique<CBitButton>();
    if (!button->Create(caption, {}, {0, 0, kButtonSize, kButtonSize}, this, id)) return button;
    button->LoadBitmap(bitmap);
    return button;
  };
  if (search_bitmap_ != 0) search_ = make_button(search_bitmap_, kSearchButtonId, u"SCH");
  if (list_bitmap_ != 0) dn_ = make_button(list_bitmap_, kListButtonId, u"DN");
  if ((search_ && !search_->IsCreated()) || (dn_ && !dn_->IsCreated())) return -1;
  if (!list_.Create()) return -1;
  hook_.Register(*this, list_.handle());
  hook_.AddWindow(list_);
  Layout();
  return 0;
}

void CStkWnd::Layout() {
  const Rect c = ClientRect();
  if (!search_ && !dn_) {
    edit_.Move(c.Deflated(1, 1));
    edit_.SetMargins(0, 0);
    return;
  }
  int right = c.right;
  for (CBitButton* b : {search_.get(), dn_.get()}) {
    if (b == nullptr) continue;
    b->Move({right - kButtonSize, 1, right, 1 + kButtonSize});
    right -= kButtonSize;
  }
  edit_.Move({0, 0, right, c.bottom});
  edit_.SetMargins(2, 0);
}

void CStkWnd::OnSize(int, int) {
  Layout();
  UpdateTip();
  if (list_.IsShown()) list_.Replace(EditOnScreen());
}

Rect CStkWnd::EditOnScreen() const {
  return edit_.WindowRect();
}

WindowHandle CStkWnd::MainFrame() const {
  const Window* w = this;
  while (w->parent() != nullptr) w = w->parent();
  return w->handle();
}

bool CStkWnd::IsOwnButton(std::uint64_t handle_id) const {
  for (const CBitButton* b : {search_.get(), dn_.get()}) {
    if (b == nullptr) continue;
    if (handle_id != 0 && b->handle().id() == handle_id) return true;
    // The main frame's 1034 for a press on the button comes while it is held.
    if (b->IsPressed()) return true;
  }
  return false;
}

void CStkWnd::ShowText(const std::u16string& text) {
  shown_text_ = text;
  showing_text_ = true;
  edit_.SetText(text);
  showing_text_ = false;
}

void CStkWnd::UpdateTip() {
  const std::u16string text = edit_.Text();
  Bitmap probe(1, 1);
  DrawContext dc(probe);
  dc.SetFont(EditFont());
  // The edit's own margins and frame leave it a few pixels less than its width.
  const bool cut = !text.empty() && dc.TextExtent(text).width > edit_.ClientRect().width() - 8;
  tip_.SetTipText(cut ? text : std::u16string());
}

void CStkWnd::RefreshIndex() {
  const auto data = session_->Read();
  // A master that came since (more stocks, or the same ones renamed).
  if (data->name_list.size() != index_.source_size() ||
      data->master_generation != index_generation_) {
    index_.Build(data->name_list);
    index_generation_ = data->master_generation;
  }
}

void CStkWnd::Search(const std::u16string& text) {
  rows_.clear();
  const std::u16string key = UpperName(text);
  // A code picks at once, whatever names start with the same characters.
  if (session_ != nullptr && key.size() == kCodeLength) {
    Row found;
    {
      const auto data = session_->Read();
      if (const Packet* p = data->FindMaster(key)) {
        found = {p->GetText(u"HNAME", u""), p->GetText(u"SHCODE", u"")};
      }
    }
    if (!found.name.empty()) {
      list_.HideNow();
      list_.ClearRows();
      Pick(found);
      return;
    }
  }
  // An empty text lists nothing: composing over a selection clears the
  // text first, which must not flash every stock of the market.
  if (session_ != nullptr && !key.empty()) {
    RefreshIndex();
    for (const StockName& e : index_.Find(key)) rows_.push_back({e.name, e.code});
  }
  if (rows_.empty()) {
    list_.HideNow();
    list_.ClearRows();
    return;
  }
  // An open list takes the new rows where it stands.
  ShowRows();
}

void CStkWnd::ShowRows() {
  CStkListCtrl& list = list_.list();
  list_.ClearRows();
  for (const Row& r : rows_) list.AddRow(r.name, r.code);
  if (IsVisible()) list_.Open(EditOnScreen());
}

void CStkWnd::ToggleSearch() {
  if (ListOpen(list_)) {
    list_.Close();
    return;
  }
  rows_.clear();
  const std::u16string key = UpperName(edit_.Text());
  if (session_ != nullptr && !key.empty()) {
    RefreshIndex();
    for (const StockName& e : index_.Find(key)) rows_.push_back({e.name, e.code});
  }
  // Nothing typed that names a stock (the code on show, say): the recent ones.
  if (rows_.empty()) {
    ToggleRecent();
    return;
  }
  ShowRows();
}

void CStkWnd::ToggleRecent() {
  if (ListOpen(list_)) {
    list_.Close();
    return;
  }
  rows_.clear();
  if (session_ != nullptr) {
    const auto& recent = session_->recent();
    for (auto it = recent.rbegin(); it != recent.rend(); ++it)
      rows_.push_back({(*it)->GetText(u"HNAME", u""), (*it)->GetText(u"SHCODE", u"")});
  }
  ShowRows();
}

bool CStkWnd::OnEditKey(WParam key) {
  switch (key) {
    case sys::kVkTab:
      if (!show_code_ || tab_partner_ == nullptr) return false;
      tab_partner_->FocusEdit();
      return true;
    case sys::kVkEscape:
      // What was typed goes: the box shows the stock on show again.
      list_.HideNow();
      ShowText(shown_text_);
      edit_.SelectAll();
      return true;
    case sys::kVkReturn:
      if (!ListOpen(list_)) return false;
      if (!rows_.empty()) PickRow(list_.selected() >= 0 ? list_.selected() : 0);
      return true;
    case sys::kVkUp:
    case sys::kVkDown:
    case sys::kVkPageUp:
    case sys::kVkPageDown:
    case sys::kVkHome:
    case sys::kVkEnd:
      if (!ListOpen(list_)) return false;
      list_.MoveSelection(key);
      return true;
    default:
      return false;
  }
}

void CStkWnd::OnEditFocusLost() {
  if (show_code_) return;
  list_.Close();
  Show(false);
}

void CStkWnd::ShowRowName(int row) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) ShowText(rows_[row].name);
}

void CStkWnd::PickRow(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  const Row picked = rows_[row];
  Pick(picked);
}

void CStkWnd::Pick(const Row& row) {
  list_.Close();
  // A stock without a name is no stock to show.
  if (row.name.empty()) return;
  if (show_code_) {
    ShowText(row.code);
  } else {
    Show(false);
    ShowText(row.name);
  }
  const std::intptr_t code = PackStockCode(row.code);
  if (owner_ != nullptr && code != 0)
    PostMessage(owner_->handle(), msg::kSelectStock, static_cast<WParam>(code),
                show_code_ ? 0 : select_lparam_);
  SetTimer(kFocusTimer, kFocusDelayMs);
}

void CStkWnd::FocusEdit() {
  edit_.SetFocus();
  edit_.SelectAll();
}

void CStkWnd::OnTimer(int id) {
  if (id != kFocusTimer) return;
  KillTimer(id);
  FocusEdit();
}

bool CStkWnd::OnCommand(int id, int code, const WindowHandle&) {
  switch (id) {
    case kEditId:
      if (code == ctl::kEditChange) {
        UpdateTip();
        if (!showing_text_) Search(edit_.Text());
      }
      return true;
    case kSearchButtonId:
      if (code != ctl::kButtonClicked) return true;
      if (owner_ != nullptr) owner_->Send(msg::kSearchButton, 0, 0);
      ToggleSearch();
      return true;
    case kListButtonId:
      if (code == ctl::kButtonClicked) ToggleRecent();
      return true;
    default:
      return false;
  }
}

}  // namespace velloran
