#pragma once
// A scroll bar control, painted by us: arrows, track and thumb. Presses on the
// arrows and the track, and dragging the thumb, are told to the parent as
// kHScroll / kVScroll messages with the ctl:: scroll codes (repeated while
// held); as with the system's scroll bar, the parent moves the thumb with
// SetPos, except while the thumb is dragged, when it follows the mouse.

#include "platform/auto_repeat.h"
#include "platform/control_codes.h"
#include "platform/window.h"

namespace velloran {

class ScrollBarControl : public Window {
 public:
  ScrollBarControl();

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, bool vertical,
                            const WindowStyle& window = {});

  // page 0 gives a square thumb; the position is kept within min ..
  // max - page + 1 (max with page 0).
  void SetScrollInfo(int min, int max, int page, int pos);
  void SetRange(int min, int max);
  void SetPage(int page);
  void SetPos(int pos);
  [[nodiscard]] int pos() const { return pos_; }
  [[nodiscard]] int min() const { return min_; }
  [[nodiscard]] int max() const { return max_; }
  [[nodiscard]] int page() const { return page_; }
  // While the thumb is dragged, where it is; else the position.
  [[nodiscard]] int TrackPos() const { return dragging_ ? track_pos_ : pos_; }
  [[nodiscard]] bool vertical() const { return vertical_; }

  // The parts, in client coordinates, for painting and for tests.
  [[nodiscard]] Rect ArrowRect(bool first) const;
  [[nodiscard]] Rect ThumbRect() const;

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonDblClk(Point p, WParam flags) override { OnLButtonDown(p, flags); }
  void OnLButtonUp(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnTimer(int id) override;

 private:
  enum class Part { kNone, kFirstArrow, kSecondArrow, kPageFirst, kPageSecond, kThumb };
  [[nodiscard]] int Thickness() const;
  [[nodiscard]] int Length() const;
  [[nodiscard]] int MaxPos() const;
  [[nodiscard]] int ThumbLength() const;
  [[nodiscard]] int ThumbOffset(int pos) const;  // along the bar, from its start
  [[nodiscard]] int Along(Point p) const { return vertical_ ? p.y : p.x; }
  [[nodiscard]] Part PartAt(Point p) const;
  void Notify(int code, int pos);
  void Repeat();

  bool vertical_ = false;
  int min_ = 0;
  int max_ = 100;
  int page_ = 0;
  int pos_ = 0;
  Part held_ = Part::kNone;
  Point mouse_{};
  bool dragging_ = false;
  int track_pos_ = 0;
  int grab_offset_ = 0;  // where on the thumb it was taken
  AutoRepeat repeat_;
};

}  // namespace velloran
