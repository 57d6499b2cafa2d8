#include "hoga/frame_pacer.h"

#include <algorithm>
#include <utility>

#include "platform/application.h"

namespace velloran {

FramePacer::FramePacer(Window& window, int timer_id, Due due, std::function<void()> paint,
                       std::chrono::milliseconds period)
    : window_(window), timer_id_(timer_id), due_(due), paint_(std::move(paint)), period_(period) {}

void FramePacer::Request() {
  if (pending_ || !window_.IsCreated()) return;
  const auto since = UiLoop().clock().Steady() - last_frame_;
  const bool due = frames_ == 0 || since >= period_;
  if (due && due_ == Due::kAtOnce) {
    Paint();
    return;
  }
  const auto wait =
      due ? std::chrono::milliseconds(0)
          : std::chrono::duration_cast<std::chrono::milliseconds>(period_ - since);
  pending_ = true;
  window_.SetTimer(timer_id_, std::max<int>(due ? 0 : 1, static_cast<int>(wait.count())));
}

bool FramePacer::OnTimer(int id) {
  if (id != timer_id_) return false;
  window_.KillTimer(timer_id_);
  pending_ = false;
  Paint();
  return true;
}

void FramePacer::Cancel() {
  window_.KillTimer(timer_id_);
  pending_ = false;
}

void FramePacer::Paint() {
  last_frame_ = UiLoop().clock().Steady();
  ++frames_;
  paint_();
}

}  // namespace velloran
