#pragma once
// A report-style list: rows of cells under a column header (HeaderCtrl), one
// selected row at a time, scrolled by rows vertically and by pixels
// horizontally. Rows carry an owner's data pointer and optional texts; a
// derived list paints rows itself by overriding DrawItem. Only the rows in
// view are painted, so long lists cost no more than short ones.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/header_ctrl.h"
#include "platform/scroll_bar_control.h"
#include "platform/text_pictures.h"
#include "platform/window.h"

namespace velloran {

// Item state bits.
namespace list_state {
inline constexpr unsigned kFocused = 0x1;
inline constexpr unsigned kSelected = 0x2;
inline constexpr unsigned kDropHighlighted = 0x8;
}  // namespace list_state

// Notification codes (OnNotify's code) to the parent; details in
// ListCtrl::notification() during the call. The header's codes
// (header_notify::k...) are passed on unchanged with the header's details.
namespace list_notify {
inline constexpr int kItemChanged = 201;  // an item's state changed
inline constexpr int kClick = 202;        // left press in the rows (item -1 below the last)
inline constexpr int kDoubleClick = 203;
inline constexpr int kRightClick = 204;
}  // namespace list_notify

struct ListNotification {
  int code = 0;
  int item = -1;
  int sub_item = -1;
  unsigned old_state = 0;
  unsigned new_state = 0;
  Point point{};
  HeaderNotification header;  // for the header's codes
};

struct ListStyle {
  bool header = true;
  bool grid_lines = false;
  bool show_selection_always = false;  // else the selection shows only with the focus
  bool header_drag_drop = false;
  int row_height = 18;
  int header_height = 20;
};

struct ListColors {
  Color background = Rgb(255, 255, 255);
  Color text = Rgb(50, 50, 50);
  Color selected_background = Rgb(51, 153, 255);
  Color selected_text = Rgb(255, 255, 255);
  Color grid = Rgb(216, 216, 216);
};

// What DrawItem is given for one row in view.
struct ListItemPaint {
  int item = -1;
  // From the first column's left edge to the last column's right edge, and
  // at least to the right edge of the rows' area.
  Rect rect;
  std::span<const Rect> cells;  // by column index
  unsigned state = 0;
  void* data = nullptr;
  bool highlighted = false;  // selected (and shown) or drop-highlighted
};

class ListCtrl : public Window {
 public:
  static constexpr int kHeaderId = 1;
  static constexpr int kVerticalBarId = 2;
  static constexpr int kHorizontalBarId = 3;
  static constexpr int kBarThickness = 17;

  explicit ListCtrl(const ListStyle& style = {});
  ~ListCtrl() override;

  // Columns. InsertColumn returns the new column's index; it goes to the
  // last display position.
  int InsertColumn(int index, const HeaderItem& column);
  bool DeleteColumn(int index);
  [[nodiscard]] int ColumnCount() const;
  [[nodiscard]] int ColumnWidth(int index) const;
  bool SetColumnWidth(int index, int width);
  // order[position] = column index.
  [[nodiscard]] std::vector<int> ColumnOrder() const;
  bool SetColumnOrder(const std::vector<int>& order);
  [[nodiscard]] HeaderCtrl& header() { return *header_; }

  // Rows. InsertItem clamps index to 0 .. count and returns it.
  int InsertItem(int index, const std::u16string& text, void* data = nullptr);
  bool DeleteItem(int index);
  void DeleteAllItems();
  [[nodiscard]] int ItemCount() const { return static_cast<int>(rows_.size()); }
  bool SetItemText(int item, int sub_item, const std::u16string& text);
  [[nodiscard]] std::u16string ItemText(int item, int sub_item) const;
  bool SetItemData(int item, void* data);
  [[nodiscard]] void* ItemData(int item) const;
  // The first row with this data, or -1.
  [[nodiscard]] int FindItem(const void* data) const;

  // State. Selecting a row takes the selection (and focus) from any other;
  // each change is notified as kItemChanged.
  [[nodiscard]] unsigned ItemState(int item, unsigned mask) const;
  bool SetItemState(int item, unsigned state, unsigned mask);
  [[nodiscard]] int SelectedItem() const { return selected_; }
  // -1 clears the selection.
  void SelectItem(int item);

  // Geometry in client coordinates.
  [[nodiscard]] Rect RowsArea() const { return rows_area_; }
  [[nodiscard]] Rect ItemRect(int item) const;
  [[nodiscard]] Rect SubItemRect(int item, int sub_item) const;
  struct Hit {
    int item = -1;
    int sub_item = -1;
  };
  [[nodiscard]] Hit HitTestItem(Point p) const;

  // Scrolling.
  [[nodiscard]] int TopIndex() const { return top_index_; }
  void SetTopIndex(int item);
  [[nodiscard]] int CountPerPage() const;
  void EnsureVisible(int item);
  [[nodiscard]] int ScrollX() const { return scroll_x_; }
  void SetScrollX(int x);
  [[nodiscard]] const ScrollBarControl& VerticalBar() const { return vbar_; }
  [[nodiscard]] const ScrollBarControl& HorizontalBar() const { return hbar_; }

  void RedrawItem(int item);
  // Reorders the rows by compare(a's data, b's data) < 0 meaning a before b;
  // rows comparing 0 keep their order. Any answers are safe, including ones
  // that contradict each other.
  void SortItems(const std::function<int(void*, void*)>& compare);

  void SetColors(const ListColors& colors);
  [[nodiscard]] const ListColors& colors() const { return colors_; }
  void SetFont(const Font& font);
  [[nodiscard]] const ListStyle& style() const { return style_; }

  [[nodiscard]] const ListNotification& notification() const { return notification_; }

 protected:
  // The header the list creates in OnCreate; an owner-drawn header derives
  // from HeaderCtrl.
  virtual std::unique_ptr<HeaderCtrl> MakeHeader();
  // Paints one row. The default fills the row (selection colours when
  // highlighted) and draws each cell's text by its column's alignment.
  virtual void DrawItem(DrawContext& dc, const ListItemPaint& row);
  // A cell's text inside the cell less 6 pixels left and right, on one line,
  // vertically centred, with an ellipsis when it does not fit, in the
  // context's font. The cell must already be filled with background: the
  // text is copied from its painted picture (TextPictures), which makes
  // repainting rows far cheaper than DrawText.
  void DrawCellText(DrawContext& dc, const std::u16string& text, const Rect& cell,
                    ColumnAlign align, Color color, Color background);
  [[nodiscard]] const Font& font() const { return font_; }

  int OnCreate() override;
  void OnSize(int width, int height) override;
  bool OnEraseBackground(DrawContext& dc) override;
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonDblClk(Point p, WParam flags) override;
  void OnRButtonDown(Point p, WParam flags) override;
  void OnMouseWheel(int delta, Point p, WParam flags) override;
  void OnKeyDown(WParam key) override;
  void OnSetFocus() override { Invalidate(); }
  void OnKillFocus() override { Invalidate(); }
  bool OnNotify(int id, int code) override;
  LResult WindowProc(WindowMessage& m) override;

 private:
  struct Row {
    void* data = nullptr;
    unsigned state = 0;
    std::vector<std::u16string> texts;
  };
  void Layout();
  // Column rectangles by index for a row starting at y.
  void CellRects(int y, std::vector<Rect>& out) const;
  [[nodiscard]] int RowRight() const;
  void Notify(int code, int item, int sub_item, unsigned old_state, unsigned new_state, Point p);
  // A scroll bar's request (a ctl:: scroll code).
  void OnScroll(bool vertical, int code);
  void MoveSelection(int item);

  ListStyle style_;
  ListColors colors_;
  Font font_ = Font::Points(u"굴림", 9);
  std::unique_ptr<HeaderCtrl> header_;
  std::vector<Row> rows_;
  int selected_ = -1;
  int top_index_ = 0;
  int scroll_x_ = 0;
  Rect rows_area_;
  ScrollBarControl vbar_;
  ScrollBarControl hbar_;
  std::vector<Rect> cells_;  // reused while painting
  TextPictures texts_;
  ListNotification notification_;
};

}  // namespace velloran
