#pragma once
// The clock that code reads wherever it needs the time of day, a deadline or
// a pause: passed in, so that a test sets the time, moves it on by hand and
// skips the pauses. Event loops run their timers on one (platform/event_loop.h).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

namespace velloran {

class Clock {
 public:
  using TimePoint = std::chrono::system_clock::time_point;
  using SteadyTime = std::chrono::steady_clock::time_point;
  virtual ~Clock() = default;
  // The time of day.
  [[nodiscard]] virtual TimePoint Now() const = 0;
  // A time that only moves forward, for deadlines and durations.
  [[nodiscard]] virtual SteadyTime Steady() const = 0;
  virtual void SleepFor(std::chrono::milliseconds duration) = 0;
  // False for a clock that moves only when told to: nothing is gained by
  // waiting for it in real time.
  [[nodiscard]] virtual bool RunsByItself() const { return true; }
};

// The system's clocks and real sleeps.
class SystemClock : public Clock {
 public:
  [[nodiscard]] TimePoint Now() const override;
  [[nodiscard]] SteadyTime Steady() const override;
  void SleepFor(std::chrono::milliseconds duration) override;
  // One for the whole program, for whoever is given no clock.
  [[nodiscard]] static SystemClock& Instance();
};

// A clock a test sets; SleepFor returns at once and moves the time on. Both
// of its times move together. Safe to read and advance from several threads.
class ManualClock : public Clock {
 public:
  explicit ManualClock(TimePoint start = TimePoint{}) : now_ms_(ToMs(start)) {}
  [[nodiscard]] TimePoint Now() const override;
  [[nodiscard]] SteadyTime Steady() const override;
  void SleepFor(std::chrono::milliseconds duration) override;
  [[nodiscard]] bool RunsByItself() const override { return false; }
  void Set(TimePoint t) { now_ms_.store(ToMs(t)); }
  void Advance(std::chrono::milliseconds d) {
    now_ms_.fetch_add(d.count());
    steady_ms_.fetch_add(d.count());
  }
  // Total of every SleepFor so far.
  [[nodiscard]] std::chrono::milliseconds slept() const {
    return std::chrono::milliseconds(slept_ms_.load());
  }

 private:
  static std::int64_t ToMs(TimePoint t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
  }
  std::atomic<std::int64_t> now_ms_;
  std::atomic<std::int64_t> steady_ms_{0};
  std::atomic<std::int64_t> slept_ms_{0};
};

// Local calendar time of a moment in seconds since the epoch, daylight saving
// decided by the system. Safe from any thread.
[[nodiscard]] std::tm ToLocalTime(std::int64_t seconds);
// Seconds since the epoch of a local calendar time (the system decides
// daylight saving; out-of-range fields are carried over as mktime does); -1
// when it cannot be represented.
[[nodiscard]] std::int64_t FromLocalTime(std::tm local);
[[nodiscard]] inline std::int64_t ToSeconds(Clock::TimePoint t) {
  return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

}  // namespace velloran
