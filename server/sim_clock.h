#pragma once
// The market's clock: a simulated trading day that starts at a chosen time
// and runs at a chosen speed (0 stands still and moves only when told), or
// the wall clock in Seoul. Time is passed in, so tests never wait.

#include <chrono>

#include "server/server_options.h"

namespace velloran::server {

class SimClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  SimClock(ClockMode mode, double speed, int start_seconds, TimePoint started);

  // The second of the day the market should have reached at wall time now,
  // and the moment within it (whole seconds for the real clock).
  [[nodiscard]] int SecondsAt(TimePoint now) const;
  [[nodiscard]] double TimeAt(TimePoint now) const;
  // Moves a simulated clock forward by market seconds (a real clock ignores it).
  void Advance(int seconds);
  [[nodiscard]] ClockMode mode() const { return mode_; }

 private:
  ClockMode mode_;
  double speed_;
  int start_seconds_;
  TimePoint started_;
  long long offset_s_ = 0;
};

}  // namespace velloran::server
