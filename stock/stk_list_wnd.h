#pragma once
// The drop-down list of a stock search box: a pop-up ("SCH-LIST", 230 x 200,
// under the box's edit, above other windows, shown without taking the
// focus) holding a two-column list of names and codes. It is registered
// with the main frame while it shows, so that a press elsewhere closes it;
// every close waits 200 ms (timer 1242), so a click that lands in the list
// is handled before the list goes.

#include <string>

#include "platform/list_ctrl.h"
#include "platform/window.h"

namespace velloran {

class CStkWnd;

// Rows of a stock name and its code; selection in white on blue.
class CStkListCtrl : public ListCtrl {
 public:
  static constexpr int kId = 8900;
  static constexpr int kRowHeight = 20;
  static constexpr int kNameWidth = 120;
  static constexpr int kCodeWidth = 80;

  CStkListCtrl();
  [[nodiscard]] bool Create(Window* parent, const Rect& rect);
  void AddRow(const std::u16string& name, const std::u16string& code);

 protected:
  int OnCreate() override;
  void OnKillFocus() override;
};

class CStkListWnd : public Window {
 public:
  static constexpr int kWidth = 230;
  static constexpr int kHeight = 200;
  static constexpr int kGapBelowEdit = 3;
  static constexpr int kHideTimer = 1242;
  static constexpr int kHideDelayMs = 200;
  // After a selection, the edit gets the focus back.
  static constexpr int kFocusTimer = 1243;
  static constexpr int kFocusDelayMs = 500;
  static constexpr Color kBorder = Rgb(120, 120, 120);

  explicit CStkListWnd(CStkWnd& owner) : owner_(owner) {}

  // Created hidden, off screen, owned by the box.
  [[nodiscard]] bool Create();
  // Places the list under the edit (screen rectangle), shows it and registers it.
  void Open(const Rect& edit_on_screen);
  // Starts the 200 ms hide; nothing when the list is hidden already.
  void Close();
  // Hides at once (the box is typing into it).
  void HideNow();
  [[nodiscard]] bool IsShown() const { return IsVisible(); }
  [[nodiscard]] bool IsClosing() const { return closing_; }
  // Moves the list to the edit's new place while it shows.
  void Replace(const Rect& edit_on_screen);

  [[nodiscard]] CStkListCtrl& list() { return list_; }
  [[nodiscard]] int selected() const { return selected_; }
  void ClearRows();
  // The list's rows lost the focus: the list closes unless its scroll bar took it.
  void OnFocusLeft();
  // Up, Down, PageUp, PageDown, Home, End.
  void MoveSelection(WParam key);

  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  void OnLButtonDown(Point p, WParam flags) override;
  bool OnNotify(int id, int code) override;

 private:
  void Register(bool shown);

  CStkWnd& owner_;
  CStkListCtrl list_;
  int selected_ = -1;
  bool closing_ = false;
  bool registered_ = false;
};

}  // namespace velloran
