#pragma once
// CStkWnd, a stock search box: the user types the start of a name or a
// six-character code, or opens the recent stocks with "DN", and picks one
// from the drop-down list; the pick reaches the owner as 2026 with the code
// packed in wParam. The names come from the session's stock master, kept
// here as an index sorted the way the typed text is compared; the list's
// rows hold copies of names and codes, never the store's packets.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/tool_tip_control.h"
#include "platform/window.h"
#include "stock/stk_edit.h"
#include "stock/stk_list_wnd.h"
#include "stock/stock_name_index.h"
#include "ui/bit_button.h"
#include "ui/msg_hook.h"

namespace velloran {

class CSessionData;

class CStkWnd : public Window {
 public:
  static constexpr int kEditId = 8911;
  static constexpr int kSearchButtonId = 8912;  // "SCH"
  static constexpr int kListButtonId = 8913;    // "DN"
  static constexpr int kFocusTimer = 1032;
  static constexpr int kFocusDelayMs = 200;
  static constexpr int kCodeLength = 6;

  struct Row {
    std::u16string name;
    std::u16string code;
  };

  CStkWnd();
  ~CStkWnd() override;

  // A child of owner, which hears 2026 and 2025. Bitmap 0: no such button.
  [[nodiscard]] bool Create(const Rect& rect, Window* owner, int id, int search_bitmap,
                            int list_bitmap);
  // Where names and recent stocks come from; null: nothing is found.
  void SetSources(CSessionData* session) { session_ = session; }
  [[nodiscard]] bool has_sources() const { return session_ != nullptr; }
  // 1: after a pick the edit shows the code and the box stays; 0: it shows
  // the name and the box hides itself, and 2026 carries lparam.
  void SetShowCode(bool show_code, LParam lparam = 0) {
    show_code_ = show_code;
    select_lparam_ = lparam;
  }
  // Where Tab (or Shift+Tab) moves the focus while the code shows.
  void SetTabPartner(CStkWnd* partner) { tab_partner_ = partner; }
  // Shows a text without searching (the owner showing its selection).
  void ShowText(const std::u16string& text);
  [[nodiscard]] std::u16string Text() const { return edit_.Text(); }

  [[nodiscard]] CStkEdit& edit() { return edit_; }
  // The whole text over the edit when the edit is too narrow for it.
  [[nodiscard]] ToolTipControl& name_tip() { return tip_; }
  [[nodiscard]] CStkListWnd& list() { return list_; }
  [[nodiscard]] CBitButton* search_button() { return search_.get(); }
  [[nodiscard]] CBitButton* list_button() { return dn_.get(); }
  [[nodiscard]] const std::vector<Row>& rows() const { return rows_; }

  // --- from the edit and the list
  // Runs the typing rule on the edit's text.
  void Search(const std::u16string& text);
  // A key down in the edit; true when the box used it.
  bool OnEditKey(WParam key);
  void OnEditFocusLost();
  void ShowRowName(int row);
  void PickRow(int row);
  void FocusEdit();
  // "DN": the recent stocks, newest first, or the list closed.
  void ToggleRecent();
  // "SCH": the stocks whose names start with the text, or the recent ones
  // when none does; or the list closed.
  void ToggleSearch();
  // wParam of a 1034 that came from a press on one of the box's own buttons.
  [[nodiscard]] bool IsOwnButton(std::uint64_t handle_id) const;
  // The main frame: the top-level window the box lies in.
  [[nodiscard]] WindowHandle MainFrame() const;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnTimer(int id) override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  void Layout();
  void Pick(const Row& row);
  void ShowRows();
  [[nodiscard]] Rect EditOnScreen() const;
  // The index follows the master: rebuilt when its count changed.
  void RefreshIndex();
  void UpdateTip();

  Window* owner_ = nullptr;
  CSessionData* session_ = nullptr;
  std::uint64_t index_generation_ = 0;  // of the master the index was built from
  int search_bitmap_ = 0;
  int list_bitmap_ = 0;
  bool show_code_ = true;
  LParam select_lparam_ = 0;
  CStkWnd* tab_partner_ = nullptr;
  CStkEdit edit_;
  std::unique_ptr<CBitButton> search_;
  std::unique_ptr<CBitButton> dn_;
  CStkListWnd list_;
  ToolTipControl tip_;
  CMsgHook hook_;
  StockNameIndex index_;
  std::vector<Row> rows_;
  bool showing_text_ = false;  // the text changes by the program, not by typing
  std::u16string shown_text_;  // the program's last text: the stock on show
};

}  // namespace velloran
