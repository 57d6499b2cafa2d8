#pragma once
// A list box of text items with item data, painted by us: one selection,
// a vertical scroll bar when the items do not fit, the wheel and the arrow
// keys. A selection the user makes is told to the parent as kCommand
// ctl::kListSelChange, a double click as ctl::kListDblClk. Combo boxes use it
// as their drop-down list (with hover tracking).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/control_codes.h"
#include "platform/list_items.h"
#include "platform/scroll_bar_control.h"
#include "platform/window.h"

namespace velloran {

struct ListBoxStyle {
  bool border = true;
  bool notify = true;
  // The selection follows the mouse without a press (a drop-down list).
  bool hover_tracking = false;
};

class ListBoxControl : public Window {
 public:
  ListBoxControl();
  ~ListBoxControl() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect,
                            const ListBoxStyle& style = {}, const WindowStyle& window = {});

  // Indexes run from 0; -1 means none. Insert at -1 or past the end appends.
  int AddString(const std::u16string& text);
  int InsertString(int index, const std::u16string& text);
  // The number of items left, or -1 for a bad index.
  int DeleteString(int index);
  void ResetContent();
  [[nodiscard]] int GetCount() const { return items_.Count(); }
  [[nodiscard]] std::u16string GetText(int index) const;
  // False for a bad index.
  bool SetItemData(int index, std::intptr_t data);
  [[nodiscard]] std::intptr_t GetItemData(int index) const;  // 0 for a bad index
  // Selection by the program: no notification; -1 clears it.
  void SetCurSel(int index);
  [[nodiscard]] int GetCurSel() const { return selected_; }
  void SetTopIndex(int index);
  [[nodiscard]] int GetTopIndex() const { return top_; }
  void SetItemHeight(int height);
  [[nodiscard]] int GetItemHeight() const { return item_height_; }
  void SetFont(const Font& font);
  // The item at a client point, or -1.
  [[nodiscard]] int ItemAt(Point p) const;
  [[nodiscard]] Rect ItemRect(int index) const;
  [[nodiscard]] int VisibleRows() const;

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnSize(int width, int height) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonUp(Point p, WParam flags) override;
  void OnLButtonDblClk(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnMouseWheel(int delta, Point p, WParam flags) override;
  void OnKeyDown(WParam key) override;
  LResult WindowProc(WindowMessage& m) override;

 private:
  [[nodiscard]] Rect ListArea() const;
  void Select(int index, bool notify);
  void EnsureVisible(int index);
  void Layout();

  ListBoxStyle style_;
  ListItems items_;
  int selected_ = -1;
  int top_ = 0;
  int item_height_ = 16;
  bool tracking_ = false;  // a press is held
  Font font_ = Font::Points(u"굴림", 9);
  std::unique_ptr<ScrollBarControl> bar_;
};

}  // namespace velloran
