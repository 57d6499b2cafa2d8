#pragma once
// A static splitter window: a fixed grid of panes (child windows of the
// splitter) separated by bars that the user drags to share the room anew.
// Each row and column keeps its share of the room as the window grows and
// shrinks, never below its minimum while the room allows; the last one takes
// what is left. The first shares come from ideal sizes at a design size.

#include <memory>
#include <vector>

#include "platform/window.h"

namespace velloran {

class SplitterWindow : public Window {
 public:
  struct TrackInfo {
    int ideal = 0;       // the size at the design size
    int min = 0;
    int current = 0;     // as the last layout gave it
    double share = -1;   // of the room; < 0 until the ideal was turned into one
  };
  enum class Bar { kNone, kColumn, kRow };  // a column bar lies between two columns

  SplitterWindow();
  ~SplitterWindow() override;

  // Creates the window with a rows x columns grid (each at least 1).
  [[nodiscard]] bool CreateStatic(Window* parent, int rows, int columns, int id,
                                  const Rect& rect = {}, const WindowStyle& style = {});
  [[nodiscard]] int rows() const { return static_cast<int>(rows_.size()); }
  [[nodiscard]] int columns() const { return static_cast<int>(columns_.size()); }

  // pane must be a child of this window; it is moved into its cell at every
  // layout. Not owned.
  bool SetPane(int row, int column, Window* pane);
  [[nodiscard]] Window* Pane(int row, int column) const;
  // The ideal counts at the design size (SetDesignSize; the first laid out
  // size when none was given). The last row or column's ideal is unused.
  bool SetRowInfo(int row, int ideal, int min);
  bool SetColumnInfo(int column, int ideal, int min);
  // A row's or column's share of the room (0 to 1), as a drag leaves it;
  // the next layout keeps it, within the minimums.
  bool SetRowShare(int row, double share);
  bool SetColumnShare(int column, double share);
  [[nodiscard]] TrackInfo RowInfo(int row) const;
  [[nodiscard]] TrackInfo ColumnInfo(int column) const;

  // gap: the room between two panes, where a bar is drawn and grabbed;
  // bar: the width of the bar that follows the mouse while dragging;
  // border: the room around the panes.
  void SetMetrics(int bar, int gap, int border);
  void RecalcLayout();
  void SetDesignSize(Size size) { design_ = size; }

  [[nodiscard]] Rect PaneRect(int row, int column) const;
  // The bar after column i (Bar::kColumn) or row i (Bar::kRow).
  [[nodiscard]] Rect BarRect(Bar kind, int index) const;

  // While locked the hit test answers nowhere, and the bars cannot be grabbed.
  void SetLocked(bool locked) { locked_ = locked; }
  [[nodiscard]] bool locked() const { return locked_; }
  [[nodiscard]] bool IsDragging() const { return drag_ != Bar::kNone; }

  // kNowhere while locked; kBorder over a bar; kClient elsewhere.
  HitCode HitTest(Point p) override;

 protected:
  virtual void DrawBar(DrawContext& dc, const Rect& r, Bar kind);
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonUp(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;

  static constexpr Color kFace = Rgb(58, 58, 58);

 private:
  struct BarHit {
    Bar kind = Bar::kNone;
    int index = -1;
  };
  [[nodiscard]] BarHit BarAt(Point p) const;
  // Lays one axis out; returns where each track starts.
  std::vector<int> LayoutAxis(std::vector<TrackInfo>& tracks, int size, int design) const;
  [[nodiscard]] int Room(const std::vector<TrackInfo>& tracks, int size) const;
  void PlaceTracker();

  std::vector<TrackInfo> rows_;
  std::vector<TrackInfo> columns_;
  std::vector<int> row_starts_;
  std::vector<int> column_starts_;
  std::vector<Window*> panes_;
  Size design_{0, 0};
  int bar_ = 3;
  int gap_ = 4;
  int border_ = 1;
  bool locked_ = false;
  // The bar being dragged, the mouse's offset inside it and the tracker's
  // leading edge.
  Bar drag_ = Bar::kNone;
  int drag_index_ = -1;
  int drag_grab_ = 0;
  int drag_at_ = 0;
  std::unique_ptr<Window> tracker_;
};

}  // namespace velloran
