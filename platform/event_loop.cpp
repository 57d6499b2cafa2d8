#include "platform/event_loop.h"

namespace velloran {
namespace {
thread_local EventLoop* current_loop = nullptr;
}  // namespace

EventLoop::EventLoop() {
  current_loop = this;
}

EventLoop::~EventLoop() {
  if (current_loop == this) current_loop = nullptr;
}

EventLoop* EventLoop::Current() {
  return current_loop;
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
