#include "server/sim_clock.h"

#include <algorithm>

#include "server/calendar.h"

namespace velloran::server {

SimClock::SimClock(ClockMode mode, double speed, int start_seconds, TimePoint started)
    : mode_(mode), speed_(speed), start_seconds_(start_seconds), started_(started) {}

int SimClock::SecondsAt(TimePoint now) const {
  return static_cast<int>(TimeAt(now));
}

double SimClock::TimeAt(TimePoint now) const {
  if (mode_ == ClockMode::kReal) {
    int date = 0, seconds = 0;
    SeoulNow(date, seconds);
    return seconds;
  }
  const double elapsed = std::chrono::duration<double>(now - started_).count();
  const double t = start_seconds_ + offset_s_ + speed_ * std::max(0.0, elapsed);
  return std::min(t, 24.0 * 3600 - 1);
}

void SimClock::Advance(int seconds) {
  if (mode_ == ClockMode::kSim && seconds > 0) offset_s_ += seconds;
}

}  // namespace velloran::server
