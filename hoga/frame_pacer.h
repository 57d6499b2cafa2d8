#pragma once
// FramePacer, the order books' pacing by the display: every change asks for
// a frame, and the window paints at most once a period however many changes
// come between two. A frame waits on a window timer of the loop's clock. One
// already due is painted at once, or, for a window whose caller hands it
// bursts of changes and must not wait for a paint, at the loop's next pass,
// after the burst.

#include <chrono>
#include <functional>

#include "platform/window.h"

namespace velloran {

class FramePacer {
 public:
  // A 60 Hz display's frame, rounded up: never more than 60 frames a second.
  static constexpr std::chrono::milliseconds kPeriod{17};
  enum class Due { kAtOnce, kNextPass };

  FramePacer(Window& window, int timer_id, Due due, std::function<void()> paint,
             std::chrono::milliseconds period = kPeriod);

  // A change to show: paints now or at the next frame's time, unless a
  // frame already waits (nothing while the window is not created).
  void Request();
  // The window's timer: paints the waiting frame. False for another timer.
  [[nodiscard]] bool OnTimer(int id);
  // The waiting frame is dropped (the window goes).
  void Cancel();

  [[nodiscard]] long frames() const { return frames_; }
  [[nodiscard]] bool pending() const { return pending_; }

 private:
  void Paint();

  Window& window_;
  int timer_id_;
  Due due_;
  std::function<void()> paint_;
  std::chrono::milliseconds period_;
  bool pending_ = false;
  long frames_ = 0;
  std::chrono::steady_clock::time_point last_frame_{};
};

}  // namespace velloran
