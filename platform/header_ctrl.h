#pragma once
// The column header of a report list (ListCtrl): one cell per column with a
// title, width, alignment and a data pointer, laid out in a display order the
// user may change by dragging a cell, and widths changed by dragging a
// divider. It tells its parent about clicks, drags and width changes.

#include <string>
#include <vector>

#include "platform/window.h"

namespace velloran {

enum class ColumnAlign { kLeft = 0, kRight = 1, kCenter = 2 };

struct HeaderItem {
  std::u16string title;
  int width = 0;
  ColumnAlign align = ColumnAlign::kLeft;
  bool fixed_width = false;  // its divider cannot be dragged
  void* data = nullptr;      // the owner's, never freed here
};

// Notification codes (OnNotify's code) sent by the header to its parent; the
// details are in HeaderCtrl::notification() during the call.
namespace header_notify {
inline constexpr int kItemClick = 301;    // a press and release on one cell
inline constexpr int kBeginTrack = 302;   // a divider drag starts
inline constexpr int kItemChanged = 303;  // a width changed (by drag or call)
inline constexpr int kEndTrack = 304;     // the divider was released
inline constexpr int kBeginDrag = 305;    // a cell starts moving
inline constexpr int kEndDrag = 306;      // a cell was dropped; the new order is in place
}  // namespace header_notify

struct HeaderNotification {
  int code = 0;
  int item = -1;      // column index
  int width = 0;      // its width now
  int position = -1;  // its display position now
};

// What an owner-drawn header cell is given.
struct HeaderPaint {
  int item = -1;
  Rect rect;  // in the header's client coordinates
  const HeaderItem* header_item = nullptr;
  bool pressed = false;
};

class HeaderCtrl : public Window {
 public:
  static constexpr int kDividerGrip = 4;  // pixels either side of a divider
  static constexpr int kDragStart = 5;    // pixels the mouse moves before a cell drag
  static constexpr Color kFace = Rgb(234, 234, 234);
  static constexpr Color kLine = Rgb(190, 190, 190);

  HeaderCtrl();

  // Returns the index of the new item (index is clamped to the count); it
  // takes the last display position, and later positions keep their items.
  int InsertItem(int index, const HeaderItem& item);
  bool DeleteItem(int index);
  void DeleteAllItems();
  [[nodiscard]] int ItemCount() const { return static_cast<int>(items_.size()); }
  // Null for an index out of range.
  [[nodiscard]] const HeaderItem* Item(int index) const;
  bool SetItem(int index, const HeaderItem& item);
  bool SetItemWidth(int index, int width);  // sends kItemChanged
  bool SetItemData(int index, void* data);

  // order[position] = column index. SetOrder refuses an array that is not a
  // permutation of the indexes.
  [[nodiscard]] const std::vector<int>& Order() const { return order_; }
  bool SetOrder(const std::vector<int>& order);
  [[nodiscard]] int PositionOf(int index) const;

  // Cell rectangle of a column in client coordinates (after the horizontal
  // offset); empty for an index out of range.
  [[nodiscard]] Rect ItemRect(int index) const;
  [[nodiscard]] int TotalWidth() const;
  // The column under x (client coordinates), or -1.
  [[nodiscard]] int ItemAt(int x) const;
  // The list's horizontal scroll position; cells move left by it.
  void SetOffset(int x);
  [[nodiscard]] int offset() const { return offset_; }

  void EnableDragDrop(bool on) { drag_drop_ = on; }
  [[nodiscard]] bool IsTracking() const { return mode_ == Mode::kTrack; }
  [[nodiscard]] bool IsDragging() const { return mode_ == Mode::kDrag; }

  [[nodiscard]] const HeaderNotification& notification() const { return notification_; }

 protected:
  // Paints one cell; the default fills it, frames its right edge and centres
  // or aligns its title. Overridden by owner-drawn headers.
  virtual void DrawItem(DrawContext& dc, const HeaderPaint& cell);

  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonUp(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;

 private:
  enum class Mode { kIdle, kPressed, kTrack, kDrag };
  // The column whose right divider is under x, or -1 (fixed columns never).
  int DividerAt(int x) const;
  // Display position a cell dropped at x goes to.
  int DropPosition(int x) const;
  void Notify(int code, int item);
  void EndMode();

  std::vector<HeaderItem> items_;
  std::vector<int> order_;
  int offset_ = 0;
  bool drag_drop_ = false;
  Mode mode_ = Mode::kIdle;
  int active_ = -1;  // the pressed, tracked or dragged column
  Point press_{};
  int track_origin_ = 0;  // the tracked column's left edge
  int drag_x_ = 0;        // where the dragged cell is drawn
  HeaderNotification notification_;
};

}  // namespace velloran
