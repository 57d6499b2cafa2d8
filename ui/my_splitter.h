#pragma once
// A thin bar between two panes of its parent that the user drags. The bar
// stays within the parent's rectangle less a margin, keeps its position as a
// ratio of the parent's extent, and tells the parent once the drag is over
// (msg::kSplitterMoved, wParam this bar) so that it lays the panes out anew.

#include "platform/window.h"

namespace velloran {

enum class SplitterOrientation {
  kVertical,   // moves left and right
  kHorizontal  // moves up and down
};

class CMySplitter : public Window {
 public:
  static constexpr int kDragTimer = 1805;
  static constexpr int kDragPeriodMs = 10;
  static constexpr int kThickness = 3;

  // Placed at the far edge of first_pane (a child of parent, may be null:
  // then at the parent's near edge), across the whole parent.
  [[nodiscard]] bool Create(Window* parent, SplitterOrientation orientation, Window* first_pane,
                            int margin, Color colour, int id = 0);

  // The panes the bar divides, in the parent's client coordinates: from the
  // first pane's near edge (the limit's when there is none) up to the bar,
  // and from the bar to the far limit, as long as the bar.
  [[nodiscard]] Rect FirstPaneRect() const;
  [[nodiscard]] Rect SecondPaneRect() const;

  // -1 until the first drag (or SetRatio).
  [[nodiscard]] double ratio() const { return ratio_; }
  void SetRatio(double ratio) { ratio_ = ratio; }
  [[nodiscard]] bool dragging() const { return dragging_; }
  [[nodiscard]] Rect limits() const { return limits_; }
  [[nodiscard]] SplitterOrientation orientation() const { return orientation_; }
  [[nodiscard]] int margin() const { return margin_; }

 protected:
  void OnLButtonDown(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnLButtonUp(Point p, WParam flags) override;
  void OnTimer(int id) override;

 private:
  // The parent's window rectangle in its own client coordinates.
  [[nodiscard]] static Rect LimitsIn(const Window* parent);
  [[nodiscard]] int Extent() const;
  [[nodiscard]] bool vertical() const { return orientation_ == SplitterOrientation::kVertical; }

  SplitterOrientation orientation_ = SplitterOrientation::kVertical;
  Window* first_pane_ = nullptr;
  Rect limits_;
  int margin_ = 0;
  double ratio_ = -1.0;
  bool dragging_ = false;     // from the press until the parent was told
  bool button_down_ = false;  // the left button holds the bar
  Point grab_{};              // where the bar was grabbed, in its own coordinates
};

}  // namespace velloran
