#include "platform/clock.h"

#include <thread>

namespace velloran {

Clock::TimePoint SystemClock::Now() const {
  return std::chrono::system_clock::now();
}

void SystemClock::SleepFor(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

Clock::TimePoint ManualClock::Now() const {
  return TimePoint(
      std::chrono::duration_cast<TimePoint::duration>(std::chrono::milliseconds(now_ms_.load())));
}

void ManualClock::SleepFor(std::chrono::milliseconds duration) {
  now_ms_.fetch_add(duration.count());
  slept_ms_.fetch_add(duration.count());
}

}  // namespace velloran
