#include "platform/clock.h"

#include <time.h>

#include <thread>

namespace velloran {

Clock::TimePoint SystemClock::Now() const {
  return std::chrono::system_clock::now();
}

Clock::SteadyTime SystemClock::Steady() const {
  return std::chrono::steady_clock::now();
}

void SystemClock::SleepFor(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

SystemClock& SystemClock::Instance() {
  static SystemClock clock;
  return clock;
}

Clock::TimePoint ManualClock::Now() const {
  return TimePoint(
      std::chrono::duration_cast<TimePoint::duration>(std::chrono::milliseconds(now_ms_.load())));
}

Clock::SteadyTime ManualClock::Steady() const {
  return SteadyTime(std::chrono::duration_cast<SteadyTime::duration>(
      std::chrono::milliseconds(steady_ms_.load())));
}

void ManualClock::SleepFor(std::chrono::milliseconds duration) {
  Advance(duration);
  slept_ms_.fetch_add(duration.count());
}

std::tm ToLocalTime(std::int64_t seconds) {
  std::tm out{};
  const std::time_t t = static_cast<std::time_t>(seconds);
  if (localtime_r(&t, &out) == nullptr) out = std::tm{};
  return out;
}

std::int64_t FromLocalTime(std::tm local) {
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

}  // namespace velloran
