#pragma once
// Window messages that must wait: each goes out a pause after the one asked
// for before it (or after now, when that one is past), in the order asked
// for. Whoever drains them (the worker, between packets) is never held up.

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/clock.h"

namespace velloran {

class CDuePosts {
 public:
  using Post = std::function<void()>;

  explicit CDuePosts(Clock& clock) : clock_(clock) {}

  // Runs post once pause has passed after the later of now and the time the
  // last post is due.
  void After(std::chrono::milliseconds pause, Post post);
  // Runs every post that is due, oldest first; returns how long until the
  // next one is due, or nothing when none waits.
  std::optional<std::chrono::milliseconds> RunDue();

 private:
  struct Entry {
    Clock::SteadyTime due;
    Post post;
  };
  Clock& clock_;
  std::mutex lock_;
  std::deque<Entry> waiting_;  // in order of due time
};

}  // namespace velloran
