#include "platform/scroll_bar_control.h"

#include <algorithm>

#include "platform/window_events.h"

namespace velloran {

namespace {

constexpr int kMinThumb = 8;
constexpr Color kTrack = Rgb(240, 240, 240);
constexpr Color kArrowFace = Rgb(225, 225, 225);
constexpr Color kGlyph = Rgb(96, 96, 96);
constexpr Color kThumb = Rgb(205, 205, 205);
constexpr Color kThumbHeld = Rgb(166, 166, 166);

}  // namespace

ScrollBarControl::ScrollBarControl() : repeat_(0x7F01, 400, 50) {
  SetBackgroundColor(kTrack);
}

bool ScrollBarControl::Create(Window* parent, int id, const Rect& rect, bool vertical,
                              const WindowStyle& window) {
  vertical_ = vertical;
  return Window::Create(parent, id, rect, u"", window);
}

void ScrollBarControl::SetScrollInfo(int min, int max, int page, int pos) {
  min_ = min;
  max_ = std::max(min, max);
  page_ = std::clamp(page, 0, max_ - min_ + 1);
  SetPos(pos);
  Invalidate();
}

void ScrollBarControl::SetRange(int min, int max) {
  SetScrollInfo(min, max, page_, pos_);
}

void ScrollBarControl::SetPage(int page) {
  SetScrollInfo(min_, max_, page, pos_);
}

void ScrollBarControl::SetPos(int pos) {
  const int clamped = std::clamp(pos, min_, MaxPos());
  if (clamped == pos_) return;
  pos_ = clamped;
  Invalidate();
}

int ScrollBarControl::MaxPos() const {
  return std::max(min_, page_ > 0 ? max_ - page_ + 1 : max_);
}

int ScrollBarControl::Thickness() const {
  const Rect r = ClientRect();
  return vertical_ ? r.width() : r.height();
}

int ScrollBarControl::Length() const {
  const Rect r = ClientRect();
  return vertical_ ? r.height() : r.width();
}

Rect ScrollBarControl::ArrowRect(bool first) const {
  const Rect r = ClientRect();
  const int t = std::min(Thickness(), Length() / 2);
  if (vertical_) return first ? Rect{0, 0, r.right, t} : Rect{0, r.bottom - t, r.right, r.bottom};
  return first ? Rect{0, 0, t, r.bottom} : Rect{r.right - t, 0, r.right, r.bottom};
}

int ScrollBarControl::ThumbLength() const {
  const int track = Length() - 2 * std::min(Thickness(), Length() / 2);
  const int range = max_ - min_ + 1;
  int length =
      page_ > 0 ? static_cast<int>(static_cast<long long>(track) * page_ / range) : Thickness();
  length = std::max(length, kMinThumb);
  return std::min(length, track);
}

int ScrollBarControl::ThumbOffset(int pos) const {
  const int arrow = std::min(Thickness(), Length() / 2);
  const int room = Length() - 2 * arrow - ThumbLength();
  const int span = MaxPos() - min_;
  if (span <= 0 || room <= 0) return arrow;
  return arrow + static_cast<int>(static_cast<long long>(room) * (pos - min_) / span);
}

Rect ScrollBarControl::ThumbRect() const {
  const int start = ThumbOffset(TrackPos());
  const int end = start + ThumbLength();
  const Rect r = ClientRect();
  return vertical_ ? Rect{0, start, r.right, end} : Rect{start, 0, end, r.bottom};
}

ScrollBarControl::Part ScrollBarControl::PartAt(Point p) const {
  if (ArrowRect(true).Contains(p)) return Part::kFirstArrow;
  if (ArrowRect(false).Contains(p)) return Part::kSecondArrow;
  const Rect thumb = ThumbRect();
  if (thumb.Contains(p)) return Part::kThumb;
  if (!ClientRect().Contains(p)) return Part::kNone;
  return Along(p) < (vertical_ ? thumb.top : thumb.left) ? Part::kPageFirst : Part::kPageSecond;
}

void ScrollBarControl::Notify(int code, int pos) {
  if (parent() == nullptr) return;
  parent()->Send(vertical_ ? sys::kVScroll : sys::kHScroll, sys::MakeWParam(code, pos),
                 static_cast<LParam>(handle().id()));
}

void ScrollBarControl::Repeat() {
  // A page press stops once the thumb has reached the mouse.
  const Part under = PartAt(mouse_);
  switch (held_) {
    case Part::kFirstArrow:
      if (under == Part::kFirstArrow) Notify(ctl::kLineUp, 0);
      break;
    case Part::kSecondArrow:
      if (under == Part::kSecondArrow) Notify(ctl::kLineDown, 0);
      break;
    case Part::kPageFirst:
      if (under == Part::kPageFirst) Notify(ctl::kPageUp, 0);
      break;
    case Part::kPageSecond:
      if (under == Part::kPageSecond) Notify(ctl::kPageDown, 0);
      break;
    default:
      break;
  }
}

void ScrollBarControl::OnLButtonDown(Point p, WParam) {
  if (!IsEnabled()) return;
  held_ = PartAt(p);
  mouse_ = p;
  if (held_ == Part::kNone) return;
  SetCapture();
  if (held_ == Part::kThumb) {
    dragging_ = true;
    track_pos_ = pos_;
    grab_offset_ = Along(p) - ThumbOffset(pos_);
    Invalidate();
    return;
  }
  Repeat();
  repeat_.Start(*this);
}

void ScrollBarControl::OnMouseMove(Point p, WParam) {
  mouse_ = p;
  if (!dragging_) return;
  const int arrow = std::min(Thickness(), Length() / 2);
  const int room = Length() - 2 * arrow - ThumbLength();
  const int span = MaxPos() - min_;
  int pos = min_;
  if (room > 0 && span > 0) {
    const int offset = std::clamp(Along(p) - grab_offset_ - arrow, 0, room);
    pos = min_ + static_cast<int>((static_cast<long long>(offset) * span + room / 2) / room);
  }
  if (pos == track_pos_) return;
  track_pos_ = pos;
  Invalidate();
  Notify(ctl::kThumbTrack, pos);
}

void ScrollBarControl::OnLButtonUp(Point p, WParam) {
  if (held_ == Part::kNone) return;
  mouse_ = p;
  repeat_.Stop(*this);
  ReleaseCapture();
  const bool was_dragging = dragging_;
  held_ = Part::kNone;
  dragging_ = false;
  Invalidate();
  if (was_dragging) Notify(ctl::kThumbPosition, track_pos_);
  Notify(ctl::kEndScroll, 0);
}

void ScrollBarControl::OnTimer(int id) {
  if (repeat_.Tick(*this, id)) Repeat();
}

void ScrollBarControl::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  dc.FillRect(r, kTrack);
  const bool enabled = IsEnabled() && MaxPos() > min_;
  for (const bool first : {true, false}) {
    const Rect a = ArrowRect(first);
    const bool held = (first ? held_ == Part::kFirstArrow : held_ == Part::kSecondArrow);
    dc.FillRect(a, held ? kThumbHeld : kArrowFace);
    const int cx = (a.left + a.right) / 2;
    const int cy = (a.top + a.bottom) / 2;
    const int s = std::max(2, std::min(a.width(), a.height()) / 4);
    std::vector<Point> glyph;
    if (vertical_)
      glyph =
          first ? std::vector<Point>{{cx - s, cy + s / 2}, {cx + s, cy + s / 2}, {cx, cy - s / 2}}
                : std::vector<Point>{{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s / 2}};
    else
      glyph =
          first ? std::vector<Point>{{cx + s / 2, cy - s}, {cx + s / 2, cy + s}, {cx - s / 2, cy}}
                : std::vector<Point>{{cx - s / 2, cy - s}, {cx - s / 2, cy + s}, {cx + s / 2, cy}};
    const Color g = enabled ? kGlyph : Rgb(191, 191, 191);
    dc.SetPen({g, 1, PenStyle::kSolid});
    dc.SetBrush(g);
    dc.Polygon(glyph);
  }
  if (enabled) {
    const Rect thumb = ThumbRect();
    dc.FillRect(vertical_ ? thumb.Deflated(2, 0) : thumb.Deflated(0, 2),
                dragging_ ? kThumbHeld : kThumb);
  }
}

}  // namespace velloran
