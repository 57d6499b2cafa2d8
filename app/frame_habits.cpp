#include "app/frame_habits.h"

#include <ctime>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "app/stock_menu.h"
#include "grid/grid_export.h"
#include "grid/qz_view.h"
#include "grid/screen_text.h"
#include "net/stock_code.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "platform/clipboard.h"
#include "platform/context_menu.h"
#include "platform/window.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"
#include "stock/stk_item.h"

namespace velloran {
namespace {

// The tile a window is or lies in; null when none.
CSTKItem* TileOf(Window* window) {
  for (; window != nullptr; window = window->parent())
    if (auto* tile = dynamic_cast<CSTKItem*>(window)) return tile;
  return nullptr;
}

}  // namespace

CFrameHabits::CFrameHabits(CSessionData& session, CMainFrame& frame)
    : session_(session), frame_(frame) {}

CFrameHabits::~CFrameHabits() { Uninstall(); }

void CFrameHabits::Install() {
  if (press_hook_ == 0) {
    press_hook_ = AddPreTranslateHook(
        [this](const WindowHandle& target, const WindowMessage& m) { return OnPress(target, m); });
  }
  if (message_hook_ == 0) {
    message_hook_ = AddMessageHook([this](const WindowHandle& target, const WindowMessage& m) {
      if (m.message == sys::kKeyDown) OnKey(target, m);
    });
  }
}

void CFrameHabits::Uninstall() {
  if (press_hook_ != 0) RemovePreTranslateHook(press_hook_);
  if (message_hook_ != 0) RemoveMessageHook(message_hook_);
  press_hook_ = message_hook_ = 0;
}

CQZView* CFrameHabits::WorkArea() const {
  return dynamic_cast<CQZView*>(&frame_.qz_view());
}

std::u16string CFrameHabits::StockAt(Window& pressed, Point client, int& item) const {
  item = -1;
  CQZView* view = WorkArea();
  if (view == nullptr) return {};
  if (CSTKItem* tile = TileOf(&pressed); tile != nullptr && tile->IsInside(*view))
    return tile->code();
  CQZListCtrl& grid = view->grid();
  if (!grid.IsCreated() || !pressed.IsInside(grid)) return {};
  const Point at = grid.ScreenToClient(pressed.ClientToScreen(client));
  item = grid.HitTestItem(at).item;
  return item < 0 ? std::u16string() : std::u16string(grid.RowCode(item));
}

bool CFrameHabits::OnPress(const WindowHandle& target, const WindowMessage& m) {
  if (m.message != sys::kRButtonDown) return false;
  Window* pressed = Window::FromHandle(target);
  if (pressed == nullptr || !pressed->IsInside(frame_)) return false;
  const Point client{sys::LowWord(m.lparam), sys::HighWord(m.lparam)};
  int item = -1;
  const std::u16string code = StockAt(*pressed, client, item);
  if (code.empty()) return false;
  CQZView* view = WorkArea();
  if (item >= 0) view->grid().SelectItem(item);
  const bool can_export = view->grid().ItemCount() > 0;
  const int command =
      ShowContextMenu(*pressed, pressed->ClientToScreen(client), StockMenuEntries(can_export));
  Run(command, code, item);
  return true;
}

void CFrameHabits::OnKey(const WindowHandle& target, const WindowMessage& m) {
  if ((static_cast<WParam>(m.lparam) & sys::kControlFlag) == 0) return;
  Window* window = Window::FromHandle(target);
  if (window == nullptr || !window->IsInside(frame_)) return;
  const WParam key = m.wparam;
  if (key == 'S' || key == 'E') {
    ExportShownGrid();
    return;
  }
  if (key != 'C') return;
  CQZView* view = WorkArea();
  if (view != nullptr && view->grid().IsCreated() && window->IsInside(view->grid())) {
    const std::u16string row = GridRowText(view->grid(), session_, view->grid().SelectedItem());
    if (!row.empty()) SetClipboardText(row);
    return;
  }
  if (CSTKItem* tile = TileOf(window); tile != nullptr && !tile->code().empty()) {
    CopyStock(tile->code());
    return;
  }
  if ((view != nullptr && window->IsInside(*view)) || window->IsInside(frame_.hoga_view()))
    CopyShownStock();
}

void CFrameHabits::Run(int command, const std::u16string& code, int item) {
  switch (command) {
    case kCopyStockCommand: {
      CQZView* view = WorkArea();
      const std::u16string row =
          item >= 0 && view != nullptr ? GridRowText(view->grid(), session_, item) : u"";
      if (!row.empty()) {
        SetClipboardText(row);
      } else {
        CopyStock(code);
      }
      return;
    }
    case kReplayCommand: {
      // What PLAY does for the stock once it is on show: the pick first,
      // then the replay of the book.
      if (Window* top = Window::FromHandle(frame_.top_bar().handle())) {
        top->Send(msg::kSelectStock, static_cast<WParam>(PackStockCode(code)), 0);
      }
      PostMessage(frame_.hoga_view().handle(), msg::kOpenReplay, 0, 0);
      return;
    }
    case kChartsCommand:
      Pick(code);
      return;
    case kExportCommand:
      ExportShownGrid();
      return;
    default:
      return;
  }
}

void CFrameHabits::Pick(const std::u16string& code) {
  PostMessage(frame_.top_bar().handle(), msg::kSelectStock,
              static_cast<WParam>(PackStockCode(code)), 0);
}

void CFrameHabits::CopyStock(const std::u16string& code) {
  std::u16string name;
  {
    const auto data = session_.Read();
    if (const Packet* master = data->FindMaster(code)) name = master->GetText(u"HNAME", u"");
  }
  SetClipboardText(StockClipboardText(code, name));
}

void CFrameHabits::CopyShownStock() {
  if (session_.recent().empty()) return;
  CopyStock(session_.recent().back()->GetText(u"SHCODE", u""));
}

std::filesystem::path CFrameHabits::ExportShownGrid() {
  CQZView* view = WorkArea();
  const std::filesystem::path directory = ExportDirectory(session_.data_dir());
  if (view == nullptr || view->grid().ItemCount() == 0) {
    ShowMessageBox(&frame_, u"내보낼 행이 없습니다: 그리드에 포착된 종목이 없습니다");
    return {};
  }
  if (directory.empty()) {
    ShowMessageBox(&frame_, u"내보낼 수 없습니다: 설정 폴더가 없습니다");
    return {};
  }
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::filesystem::path file = ExportGrid(view->grid(), session_, directory,
                                                ScreenName(session_.current_screen()), local);
  if (file.empty()) {
    ShowMessageBox(&frame_, u"내보내지 못했습니다: " + Utf8ToUtf16(directory.string()));
    return {};
  }
  ShowMessageBox(&frame_, u"CSV로 내보냈습니다: " + Utf8ToUtf16(file.string()));
  return file;
}

}  // namespace velloran
