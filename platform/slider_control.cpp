#include "platform/slider_control.h"

#include <algorithm>
#include <string>

#include "platform/window_events.h"

namespace velloran {

namespace {

constexpr int kMargin = 8;  // from the ends to the thumb's centre at min and max
constexpr Color kChannel = Rgb(231, 234, 234);
constexpr Color kChannelEdge = Rgb(214, 214, 214);
constexpr Color kSliderThumb = Rgb(0, 122, 217);
constexpr Color kSliderThumbHeld = Rgb(204, 204, 204);
constexpr Color kTick = Rgb(150, 150, 150);

}  // namespace

SliderControl::SliderControl() : repeat_(0x7F21, 400, 100) {
  SetBackgroundColor(Rgb(240, 240, 240));
}

SliderControl::~SliderControl() = default;

bool SliderControl::Create(Window* parent, int id, const Rect& rect, const SliderStyle& style,
                           const WindowStyle& window) {
  style_ = style;
  if (!Window::Create(parent, id, rect, u"", window)) return false;
  if (style.tool_tips) {
    tip_ = std::make_unique<ToolTipControl>();
    if (!tip_->Create(this)) tip_.reset();
  }
  return true;
}

void SliderControl::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  pos_ = std::clamp(pos_, min_, max_);
  Invalidate();
}

void SliderControl::SetPos(int pos) {
  pos = std::clamp(pos, min_, max_);
  if (pos == pos_) return;
  pos_ = pos;
  Invalidate();
}

int SliderControl::Length() const {
  const Rect r = ClientRect();
  return style_.vertical ? r.height() : r.width();
}

int SliderControl::OffsetOf(int pos) const {
  const int room = std::max(Length() - 2 * kMargin, 0);
  const int span = max_ - min_;
  if (span <= 0) return kMargin;
  return kMargin + static_cast<int>(static_cast<long long>(room) * (pos - min_) / span);
}

int SliderControl::PosAt(int along) const {
  const int room = std::max(Length() - 2 * kMargin, 1);
  const int span = max_ - min_;
  const int offset = std::clamp(along - kMargin, 0, room);
  return min_ + static_cast<int>((static_cast<long long>(offset) * span + room / 2) / room);
}

Rect SliderControl::ThumbRect() const {
  const Rect r = ClientRect();
  const int c = OffsetOf(pos_);
  const int half = kThumbWidth / 2;
  if (style_.vertical) {
    const int depth = std::min(r.width() - 4, 20);
    return {2, c - half, 2 + depth, c - half + kThumbWidth};
  }
  const int depth = std::min(r.height() - 4, 20);
  return {c - half, 2, c - half + kThumbWidth, 2 + depth};
}

void SliderControl::Notify(int code, int pos) {
  if (parent() == nullptr) return;
  parent()->Send(style_.vertical ? sys::kVScroll : sys::kHScroll, sys::MakeWParam(code, pos),
                 static_cast<LParam>(handle().id()));
}

void SliderControl::Change(int pos, int code) {
  pos = std::clamp(pos, min_, max_);
  if (pos != pos_) {
    pos_ = pos;
    Invalidate();
  }
  Notify(code, pos_);
}

void SliderControl::ShowTip() {
  if (!tip_) return;
  const std::string digits = std::to_string(pos_);
  tip_->SetTipText(std::u16string(digits.begin(), digits.end()));
  const Rect t = ThumbRect();
  tip_->ShowAt({t.left, t.bottom - 20 + 4});
}

void SliderControl::PageTowardMouse() {
  const int at = Along(mouse_);
  const int c = OffsetOf(pos_);
  if (std::abs(at - c) <= kThumbWidth / 2) return;  // reached
  if (at < c)
    Change(std::max(pos_ - page_, PosAt(at)), ctl::kPageUp);
  else
    Change(std::min(pos_ + page_, PosAt(at)), ctl::kPageDown);
}

void SliderControl::OnLButtonDown(Point p, WParam) {
  if (!IsEnabled()) return;
  SetFocus();
  SetCapture();
  mouse_ = p;
  if (ThumbRect().Contains(p)) {
    dragging_ = true;
    grab_offset_ = Along(p) - OffsetOf(pos_);
    Invalidate();
    ShowTip();
    return;
  }
  paging_ = true;
  PageTowardMouse();
  repeat_.Start(*this);
}

void SliderControl::OnMouseMove(Point p, WParam) {
  mouse_ = p;
  if (!dragging_) return;
  const int pos = PosAt(Along(p) - grab_offset_);
  if (pos == pos_) return;
  Change(pos, ctl::kThumbTrack);
  ShowTip();
}

void SliderControl::OnLButtonUp(Point p, WParam) {
  mouse_ = p;
  if (!dragging_ && !paging_) return;
  ReleaseCapture();
  repeat_.Stop(*this);
  const bool was_dragging = dragging_;
  dragging_ = paging_ = false;
  Invalidate();
  if (tip_) tip_->Pop();
  if (was_dragging) Notify(ctl::kThumbPosition, pos_);
  Notify(ctl::kEndScroll, pos_);
}

void SliderControl::OnTimer(int id) {
  if (repeat_.Tick(*this, id)) PageTowardMouse();
}

void SliderControl::OnKeyDown(WParam key) {
  switch (key) {
    case sys::kVkLeft:
    case sys::kVkUp:
      Change(pos_ - line_, ctl::kLineUp);
      break;
    case sys::kVkRight:
    case sys::kVkDown:
      Change(pos_ + line_, ctl::kLineDown);
      break;
    case sys::kVkPageUp:
      Change(pos_ - page_, ctl::kPageUp);
      break;
    case sys::kVkPageDown:
      Change(pos_ + page_, ctl::kPageDown);
      break;
    case sys::kVkHome:
      Change(min_, ctl::kTop);
      break;
    case sys::kVkEnd:
      Change(max_, ctl::kBottom);
      break;
    default:
      return;
  }
  key_held_ = true;
}

void SliderControl::OnKeyUp(WParam) {
  if (!key_held_) return;
  key_held_ = false;
  Notify(ctl::kEndScroll, pos_);
}

void SliderControl::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  const Rect thumb = ThumbRect();
  const int length = Length();
  // The channel runs between the thumb's centres at min and max.
  Rect channel;
  if (style_.vertical) {
    const int x = (thumb.left + thumb.right) / 2;
    channel = {x - 2, kMargin, x + 2, std::max(length - kMargin, kMargin + 1)};
  } else {
    const int y = (thumb.top + thumb.bottom) / 2;
    channel = {kMargin, y - 2, std::max(length - kMargin, kMargin + 1), y + 2};
  }
  dc.FillRect(channel, kChannel);
  dc.FrameRect(channel, kChannelEdge);
  if (style_.ticks && max_ > min_) {
    // Ticks past the thumb's far side, one per frequency step, plus both ends.
    const long long span = static_cast<long long>(max_) - min_;
    long long step = std::max(tick_frequency_, 1);
    while (span / step > std::max(length / 2, 1)) step *= 2;  // no denser than the pixels
    for (long long v = min_; v <= max_; v += step) {
      const int c = OffsetOf(static_cast<int>(v));
      if (style_.vertical)
        dc.FillRect({thumb.right + 2, c, thumb.right + 5, c + 1}, kTick);
      else
        dc.FillRect({c, thumb.bottom + 2, c + 1, std::min(thumb.bottom + 5, r.bottom)}, kTick);
    }
    const int end = OffsetOf(max_);
    if (style_.vertical)
      dc.FillRect({thumb.right + 2, end, thumb.right + 5, end + 1}, kTick);
    else
      dc.FillRect({end, thumb.bottom + 2, end + 1, std::min(thumb.bottom + 5, r.bottom)}, kTick);
  }
  const Color face = !IsEnabled() ? Rgb(204, 204, 204)
                     : dragging_  ? kSliderThumbHeld
                                  : kSliderThumb;
  dc.FillRect(thumb, face);
}

}  // namespace velloran
