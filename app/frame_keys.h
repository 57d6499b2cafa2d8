#pragma once
// The main window's keys: every key press inside the frame is looked up in
// the key table (app/key_map.h) before the window with the focus sees it,
// and what the table names is done here: the screens and modes through the
// top bar's own buttons, the focus from pane to pane, the code and name
// boxes, the replay, the day's alarms, the key list and the charts' newest
// bars. A key the table does not take here goes on to the focus.

#include <memory>
#include <optional>

#include "app/key_map.h"
#include "platform/window.h"

namespace velloran {

class CMainFrame;
class CKeyListWnd;

class CFrameKeys {
 public:
  explicit CFrameKeys(CMainFrame& frame);
  ~CFrameKeys();
  CFrameKeys(const CFrameKeys&) = delete;
  CFrameKeys& operator=(const CFrameKeys&) = delete;

  // What the key would do at target (a window of the frame), and does it;
  // false when it is not the frame's there.
  bool OnKey(const KeyPressInfo& key);
  void Do(KeyAction action, const KeyPressInfo& key);

  // The key list pop-up (created on first use), or null.
  [[nodiscard]] CKeyListWnd* key_list() const { return key_list_.get(); }
  void ToggleKeyList();

  // The panes Tab walks through, in order: the top bar's code box, the work
  // area, the order book, the ratio view, the charts.
  static constexpr int kPanes = 5;
  // The pane the window lies in, or -1.
  [[nodiscard]] int PaneOf(const Window& w) const;
  void FocusPane(int pane);

 private:
  void ClickTopBar(int button_id);

  CMainFrame& frame_;
  std::unique_ptr<CKeyListWnd> key_list_;
  int hook_ = 0;
};

}  // namespace velloran
