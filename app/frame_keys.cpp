#include "app/frame_keys.h"

#include "app/key_list_wnd.h"
#include "app/main_frame.h"
#include "grid/qz_view.h"
#include "grid/top_bar.h"
#include "hoga/chart_view.h"
#include "platform/control_codes.h"
#include "platform/application.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {
constexpr int kWorkAreaPane = 1;
constexpr int kChartsPane = 4;
}  // namespace

CFrameKeys::CFrameKeys(CMainFrame& frame) : frame_(frame) {
  hook_ = AddKeyHook([this](const KeyPressInfo& key) { return OnKey(key); });
}

CFrameKeys::~CFrameKeys() {
  RemoveKeyHook(hook_);
}

bool CFrameKeys::OnKey(const KeyPressInfo& key) {
  const Window* target = Window::FromHandle(key.target);
  // The login dialog and other programs' windows keep their keys.
  if (target == nullptr || !frame_.IsCreated()) return false;
  // The key list is a pop-up of its own, not a child of the frame.
  const bool in_list = key_list_ && target->IsInside(*key_list_);
  if (!in_list && !target->IsInside(frame_)) return false;
  KeyContext where;
  where.in_text_box = key.in_text_box;
  where.in_charts = PaneOf(*target) == kChartsPane;
  const std::optional<KeyAction> action = FindKeyAction(key.key, key.modifiers, where);
  if (!action) return false;
  Do(*action, key);
  return true;
}

int CFrameKeys::PaneOf(const Window& w) const {
  auto& frame = const_cast<CMainFrame&>(frame_);
  Window* const panes[kPanes] = {&frame.top_bar(), &frame.qz_view(), &frame.hoga_view(),
                                 &frame.koa_view(), &frame.chart_view()};
  for (int i = 0; i < kPanes; ++i)
    if (w.IsInside(*panes[i])) return i;
  return -1;
}

void CFrameKeys::FocusPane(int pane) {
  pane = ((pane % kPanes) + kPanes) % kPanes;
  switch (pane) {
    case 0:
      if (auto* bar = dynamic_cast<CTopBar*>(&frame_.top_bar())) bar->code_box().edit().SetFocus();
      break;
    case kWorkAreaPane:
      if (auto* view = dynamic_cast<CQZView*>(&frame_.qz_view())) {
        if (view->grid().IsVisible()) {
          view->grid().SetFocus();
        } else {
          view->tiles().SetFocus();
        }
      }
      break;
    case 2:
      frame_.hoga_view().SetFocus();
      break;
    case 3:
      frame_.koa_view().SetFocus();
      break;
    default:
      if (auto* charts = dynamic_cast<CChartView*>(&frame_.chart_view())) {
        charts->left().SetFocus();
      } else {
        frame_.chart_view().SetFocus();
      }
      break;
  }
}

void CFrameKeys::ClickTopBar(int button_id) {
  frame_.top_bar().Send(sys::kCommand, sys::MakeWParam(button_id, ctl::kButtonClicked), 0);
}

void CFrameKeys::ToggleKeyList() {
  if (key_list_ && key_list_->IsVisible()) {
    key_list_->Show(false);
    return;
  }
  if (!key_list_) {
    key_list_ = std::make_unique<CKeyListWnd>();
    WindowStyle popup;
    popup.kind = WindowKind::kPopup;
    popup.tool = true;
    popup.visible = false;
    if (!key_list_->Create(&frame_, 0, {0, 0, CKeyListWnd::kWidth, CKeyListWnd::Height()}, u"",
                           popup)) {
      key_list_.reset();
      return;
    }
  }
  // In the middle of the frame.
  const Rect f = frame_.WindowRect();
  const int x = f.left + (f.width() - CKeyListWnd::kWidth) / 2;
  const int y = f.top + (f.height() - CKeyListWnd::Height()) / 2;
  key_list_->Move({x, y, x + CKeyListWnd::kWidth, y + CKeyListWnd::Height()});
  key_list_->Show(true);
  key_list_->Activate();
  key_list_->SetFocus();
  PostMessage(frame_.handle(), msg::kRegisterPopup, key_list_->handle().id(), 0);
}

void CFrameKeys::Do(KeyAction action, const KeyPressInfo& key) {
  auto* bar = dynamic_cast<CTopBar*>(&frame_.top_bar());
  switch (action) {
    case KeyAction::kKeyList:
      ToggleKeyList();
      return;
    case KeyAction::kSurging:
    case KeyAction::kBoxRange:
    case KeyAction::kNews:
    case KeyAction::kReverse: {
      const int id = action == KeyAction::kSurging    ? CTopBar::kSurgingId
                     : action == KeyAction::kBoxRange ? CTopBar::kBoxRangeId
                     : action == KeyAction::kNews     ? CTopBar::kNewsId
                                                      : CTopBar::kReverseId;
      ClickTopBar(id);
      FocusPane(kWorkAreaPane);
      return;
    }
    case KeyAction::kTile:
    case KeyAction::kGrid:
      ClickTopBar(action == KeyAction::kTile ? CTopBar::kTileId : CTopBar::kGridId);
      // The work area rebuilds on its message; the focus follows it there.
      UiLoop().Post([this, frame = frame_.handle()] {
        if (Window::FromHandle(frame) != nullptr) FocusPane(kWorkAreaPane);
      });
      return;
    case KeyAction::kNameBox:
      if (bar != nullptr) {
        bar->name_box().edit().SetFocus();
        bar->name_box().edit().SelectAll();
      }
      return;
    case KeyAction::kCodeDigit:
      if (bar != nullptr) {
        EditControl& edit = bar->code_box().edit();
        edit.SetFocus();
        // A digit starts a new code; the next ones type into the box.
        edit.SetText(std::u16string(1, static_cast<char16_t>(key.key)));
        edit.SetCaretPosition(1);
      }
      return;
    case KeyAction::kNextPane:
    case KeyAction::kPreviousPane: {
      const Window* target = Window::FromHandle(key.target);
      const int at = target != nullptr ? PaneOf(*target) : -1;
      const int step = action == KeyAction::kNextPane ? 1 : -1;
      FocusPane(at < 0 ? (step > 0 ? 0 : kPanes - 1) : at + step);
      return;
    }
    case KeyAction::kBack:
      if (key_list_ && key_list_->IsVisible()) {
        key_list_->Show(false);
        frame_.Activate();
        FocusPane(kWorkAreaPane);
      } else if (!frame_.popup().IsNull()) {
        PostMessage(frame_.popup(), msg::kClosePopup, 0, 0);
      } else {
        FocusPane(kWorkAreaPane);
      }
      return;
    case KeyAction::kReplay:
      ClickTopBar(CTopBar::kPlayId);
      return;
    case KeyAction::kAlarms:
      frame_.alarms().ToggleList();
      return;
    case KeyAction::kJournal:
      frame_.ToggleJournal();
      return;
    case KeyAction::kNewestBar:
      if (auto* charts = dynamic_cast<CChartView*>(&frame_.chart_view())) {
        const Window* target = Window::FromHandle(key.target);
        CQZChartWnd& chart =
            target != nullptr && target->IsInside(charts->right()) ? charts->right() : charts->left();
        chart.ShowNewest();
      }
      return;
    default:  // shown only, or the replay frame's
      return;
  }
}

}  // namespace velloran
