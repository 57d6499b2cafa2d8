#include "platform/event_loop.h"

#include <algorithm>
#include <vector>

namespace velloran {
namespace {
thread_local EventLoop* current_loop = nullptr;
}  // namespace

EventLoop::EventLoop() : clock_(&SystemClock::Instance()) {
  current_loop = this;
}

EventLoop::~EventLoop() {
  if (current_loop == this) current_loop = nullptr;
}

EventLoop* EventLoop::Current() {
  return current_loop;
}

void EventLoop::SetClock(Clock* clock) {
  Clock* next = clock != nullptr ? clock : &SystemClock::Instance();
  const Clock::SteadyTime before = clock_->Steady(), after = next->Steady();
  for (auto& [id, timer] : timers_) timer.due = after + (timer.due - before);
  clock_ = next;
  TimersChanged();
}

int EventLoop::StartTimer(std::chrono::milliseconds period, bool repeat, TimerCallback callback) {
  if (period.count() < 0) period = std::chrono::milliseconds(0);
  const int id = next_timer_id_++;
  timers_.emplace(id, Timer{clock_->Steady() + period, period, repeat,
                            std::make_shared<TimerCallback>(std::move(callback))});
  TimersChanged();
  return id;
}

void EventLoop::StopTimer(int id) {
  if (timers_.erase(id) != 0) TimersChanged();
}

void EventLoop::RunDueTimers() {
  if (timers_.empty()) return;
  const Clock::SteadyTime now = clock_->Steady();
  std::vector<std::pair<Clock::SteadyTime, int>> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.due <= now) due.emplace_back(timer.due, id);
  }
  if (due.empty()) return;
  std::sort(due.begin(), due.end());
  for (const auto& [when, id] : due) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) continue;  // stopped by an earlier tick
    const auto callback = it->second.callback;
    if (it->second.repeat) {
      // Missed periods are not made up: the next tick is a period from now at
      // the earliest.
      const auto period = std::max(it->second.period, std::chrono::milliseconds(1));
      it->second.due = std::max(it->second.due + period, now + period);
    } else {
      timers_.erase(it);
    }
    (*callback)();
  }
  TimersChanged();
}

void EventLoop::Advance(ManualClock& clock, std::chrono::milliseconds d) {
  const Clock::SteadyTime end = clock.Steady() + d;
  for (;;) {
    Clock::SteadyTime next = end;
    for (const auto& [id, timer] : timers_) next = std::min(next, timer.due);
    // Whole milliseconds, rounded up so that the clock reaches the timer.
    if (next > clock.Steady()) clock.Advance(std::chrono::ceil<std::chrono::milliseconds>(next - clock.Steady()));
    ProcessEvents(std::chrono::milliseconds(0));
    if (next >= end) return;
  }
}

std::chrono::milliseconds EventLoop::UntilNextTimer() const {
  if (timers_.empty() || !clock_->RunsByItself()) return std::chrono::milliseconds(-1);
  Clock::SteadyTime first = Clock::SteadyTime::max();
  for (const auto& [id, timer] : timers_) first = std::min(first, timer.due);
  const Clock::SteadyTime now = clock_->Steady();
  // Rounded up, so that a timer is not waited for again and again just
  // before it is due.
  return first <= now ? std::chrono::milliseconds(0)
                      : std::chrono::ceil<std::chrono::milliseconds>(first - now);
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return done();
    ProcessEvents(std::min(left, std::chrono::milliseconds(50)));
  }
  return true;
}

}  // namespace velloran
