#include "platform/list_ctrl_scroll.h"

#include <algorithm>

namespace velloran {

namespace {
constexpr Color kTrack = Rgb(240, 240, 240);
constexpr Color kButton = Rgb(222, 222, 222);
constexpr Color kThumbFace = Rgb(192, 192, 192);
constexpr Color kPressedFace = Rgb(160, 160, 160);
constexpr Color kArrow = Rgb(96, 96, 96);
}  // namespace

void ListScrollBar::SetRange(int total, int page) {
  total_ = std::max(total, 0);
  page_ = std::max(page, 0);
  SetPos(pos_);
}

int ListScrollBar::MaxPos() const {
  return std::max(total_ - page_, 0);
}

int ListScrollBar::SetPos(int pos) {
  pos_ = std::clamp(pos, 0, MaxPos());
  return pos_;
}

int ListScrollBar::TrackStart() const {
  return (vertical_ ? rect_.top : rect_.left) + kThickness;
}

int ListScrollBar::TrackLength() const {
  const int length = vertical_ ? rect_.height() : rect_.width();
  return std::max(length - 2 * kThickness, 0);
}

int ListScrollBar::ThumbLength() const {
  const int track = TrackLength();
  if (total_ <= 0 || page_ >= total_) return track;
  const long long length = static_cast<long long>(track) * page_ / total_;
  return std::min(track, std::max(static_cast<int>(length), kMinThumb));
}

Rect ListScrollBar::ThumbRect() const {
  const int room = TrackLength() - ThumbLength();
  const int max = MaxPos();
  const int offset = max > 0 ? static_cast<int>(static_cast<long long>(room) * pos_ / max) : 0;
  const int start = TrackStart() + offset;
  if (vertical_) return {rect_.left, start, rect_.right, start + ThumbLength()};
  return {start, rect_.top, start + ThumbLength(), rect_.bottom};
}

int ListScrollBar::PosForThumbAt(int c) const {
  const int room = TrackLength() - ThumbLength();
  if (room <= 0) return 0;
  const long long offset = std::clamp(c - TrackStart(), 0, room);
  return static_cast<int>((offset * MaxPos() + room / 2) / room);
}

ListScrollBar::Part ListScrollBar::PartAt(Point p) const {
  if (!rect_.Contains(p)) return Part::kNone;
  const int c = vertical_ ? p.y : p.x;
  const int start = vertical_ ? rect_.top : rect_.left;
  const int end = vertical_ ? rect_.bottom : rect_.right;
  if (c < start + kThickness) return Part::kLineBack;
  if (c >= end - kThickness) return Part::kLineForward;
  const Rect thumb = ThumbRect();
  const int thumb_start = vertical_ ? thumb.top : thumb.left;
  const int thumb_end = vertical_ ? thumb.bottom : thumb.right;
  if (c < thumb_start) return Part::kPageBack;
  if (c >= thumb_end) return Part::kPageForward;
  return Part::kThumb;
}

void ListScrollBar::Paint(DrawContext& dc, Part pressed) const {
  if (!visible()) return;
  dc.FillRect(rect_, kTrack);
  const Rect back = vertical_ ? Rect{rect_.left, rect_.top, rect_.right, rect_.top + kThickness}
                              : Rect{rect_.left, rect_.top, rect_.left + kThickness, rect_.bottom};
  const Rect forward = vertical_
                           ? Rect{rect_.left, rect_.bottom - kThickness, rect_.right, rect_.bottom}
                           : Rect{rect_.right - kThickness, rect_.top, rect_.right, rect_.bottom};
  dc.FillRect(back.Deflated(1, 1), pressed == Part::kLineBack ? kPressedFace : kButton);
  dc.FillRect(forward.Deflated(1, 1), pressed == Part::kLineForward ? kPressedFace : kButton);
  // Small triangles pointing away from the track.
  dc.SetPen({kArrow, 1, PenStyle::kSolid});
  dc.SetBrush(kArrow);
  const int cx = (back.left + back.right) / 2;
  const int cy = (back.top + back.bottom) / 2;
  const int fx = (forward.left + forward.right) / 2;
  const int fy = (forward.top + forward.bottom) / 2;
  if (vertical_) {
    dc.Polygon({{cx - 3, cy + 2}, {cx + 3, cy + 2}, {cx, cy - 2}});
    dc.Polygon({{fx - 3, fy - 2}, {fx + 3, fy - 2}, {fx, fy + 2}});
  } else {
    dc.Polygon({{cx + 2, cy - 3}, {cx + 2, cy + 3}, {cx - 2, cy}});
    dc.Polygon({{fx - 2, fy - 3}, {fx - 2, fy + 3}, {fx + 2, fy}});
  }
  if (page_ < total_)
    dc.FillRect(ThumbRect().Deflated(vertical_ ? 2 : 0, vertical_ ? 0 : 2),
                pressed == Part::kThumb ? kPressedFace : kThumbFace);
}

}  // namespace velloran
