#pragma once
// The repeat of a held button (a scroll bar's arrow, a slider's channel):
// the owner acts once at the press, then once after a first delay and again
// every period until the button is let go, on one of its window timers.

#include "platform/window.h"

namespace velloran {

class AutoRepeat {
 public:
  AutoRepeat(int timer_id, int first_delay_ms, int period_ms)
      : timer_id_(timer_id), first_delay_ms_(first_delay_ms), period_ms_(period_ms) {}

  void Start(Window& owner) {
    running_ = true;
    owner.SetTimer(timer_id_, first_delay_ms_);
  }
  void Stop(Window& owner) {
    running_ = false;
    owner.KillTimer(timer_id_);
  }
  // For the owner's OnTimer: true when the tick is this repeat's and the
  // owner should act again now.
  [[nodiscard]] bool Tick(Window& owner, int id) {
    if (id != timer_id_) return false;
    if (!running_) {
      owner.KillTimer(timer_id_);
      return false;
    }
    owner.SetTimer(timer_id_, period_ms_);
    return true;
  }
  [[nodiscard]] bool running() const { return running_; }

 private:
  int timer_id_;
  int first_delay_ms_;
  int period_ms_;
  bool running_ = false;
};

}  // namespace velloran
