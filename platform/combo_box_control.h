#pragma once
// A drop-down-list combo box, painted by us: the closed face shows the
// selected item; a press opens the list under it (a pop-up list box) and a
// pick closes it. The parent hears kCommand ctl::kComboDropDown and
// ctl::kComboCloseUp as the list opens and closes, and ctl::kComboSelChange
// when the user picks another item (by the list, the wheel or the arrow keys).
// The window is the closed face; the list's height is the drop height.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/control_codes.h"
#include "platform/list_box_control.h"
#include "platform/list_items.h"
#include "platform/window.h"

namespace velloran {

struct ComboStyle {
  // The face is painted by DrawFace: a derived class, or else the parent on
  // ctl::kDrawItem.
  bool owner_drawn_face = false;
  int drop_height = 100;  // the most the open list takes, in pixels
};

class ComboBoxControl : public Window {
 public:
  ComboBoxControl();
  ~ComboBoxControl() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, const ComboStyle& style = {},
                            const WindowStyle& window = {});

  // Items as in a list box: indexes from 0, -1 for none.
  int AddString(const std::u16string& text);
  int InsertString(int index, const std::u16string& text);
  int DeleteString(int index);
  void ResetContent();
  [[nodiscard]] int GetCount() const { return items_.Count(); }
  [[nodiscard]] std::u16string GetLBText(int index) const;
  bool SetItemData(int index, std::intptr_t data);
  [[nodiscard]] std::intptr_t GetItemData(int index) const;
  // Index of the first item with exactly this text, or -1.
  [[nodiscard]] int FindStringExact(const std::u16string& text) const;
  // By the program: repaints at once, no notification; false for a bad index
  // (the selection is then cleared, as the system does).
  bool SetCurSel(int index);
  [[nodiscard]] int GetCurSel() const { return selected_; }
  // The selected item's text, empty when none.
  [[nodiscard]] std::u16string SelectedText() const { return GetLBText(selected_); }

  void SetDropHeight(int pixels);
  [[nodiscard]] int drop_height() const { return style_.drop_height; }
  void SetItemHeight(int pixels) { item_height_ = std::max(pixels, 1); }
  void SetFont(const Font& font);
  [[nodiscard]] const Font& font() const { return font_; }

  void ShowDropDown(bool show);
  [[nodiscard]] bool GetDroppedState() const;
  // The open list, for tests; null while closed.
  [[nodiscard]] ListBoxControl* DropList() const {
    return GetDroppedState() ? list_.get() : nullptr;
  }

 protected:
  // Paints the closed face; the default draws the system-like face, or asks
  // the parent for an owner-drawn one.
  virtual void DrawFace(const DrawItem& item);

  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonDblClk(Point p, WParam flags) override { OnLButtonDown(p, flags); }
  void OnMouseWheel(int delta, Point p, WParam flags) override;
  void OnKeyDown(WParam key) override;
  void OnSetFocus() override;
  void OnKillFocus() override;
  void OnDestroy() override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  void Pick(int index);  // by the user
  void CloseList(bool notify);

  ComboStyle style_;
  ListItems items_;
  int selected_ = -1;
  int item_height_ = 16;
  Font font_ = Font::Points(u"굴림", 9);
  std::unique_ptr<ListBoxControl> list_;
  int hook_ = 0;  // closes the list on a press elsewhere
};

}  // namespace velloran
