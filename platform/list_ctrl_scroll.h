#pragma once
// A scroll bar that a list control paints and hit-tests inside its own client
// area (arrow buttons at both ends, a track and a thumb). It keeps a position
// in 0 .. total - page; the list decides what one unit means (a row or a
// pixel).

#include "platform/draw_context.h"
#include "platform/geometry.h"

namespace velloran {

class ListScrollBar {
 public:
  static constexpr int kThickness = 17;
  static constexpr int kMinThumb = 8;

  enum class Part { kNone, kLineBack, kLineForward, kPageBack, kPageForward, kThumb };

  explicit ListScrollBar(bool vertical) : vertical_(vertical) {}

  void SetRect(const Rect& r) { rect_ = r; }
  [[nodiscard]] const Rect& rect() const { return rect_; }
  [[nodiscard]] bool visible() const { return !rect_.IsEmpty(); }
  // total: units of the content; page: units shown at once.
  void SetRange(int total, int page);
  // Clamped to 0 .. MaxPos(); returns the position now.
  int SetPos(int pos);
  [[nodiscard]] int pos() const { return pos_; }
  [[nodiscard]] int page() const { return page_; }
  [[nodiscard]] int MaxPos() const;

  [[nodiscard]] Part PartAt(Point p) const;
  [[nodiscard]] Rect ThumbRect() const;
  // The position that puts the thumb's leading edge at coordinate c (x for a
  // horizontal bar, y for a vertical one, client coordinates).
  [[nodiscard]] int PosForThumbAt(int c) const;

  void Paint(DrawContext& dc, Part pressed) const;

 private:
  // The track between the arrow buttons, along the bar's axis.
  [[nodiscard]] int TrackStart() const;
  [[nodiscard]] int TrackLength() const;
  [[nodiscard]] int ThumbLength() const;

  bool vertical_;
  Rect rect_;
  int total_ = 0;
  int page_ = 0;
  int pos_ = 0;
};

}  // namespace velloran
