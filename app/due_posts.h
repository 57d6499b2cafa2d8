#pragma once
// Window messages that must wait: each goes out a pause after the one asked
// for before it (or after now, when that one is past), in the order asked
// for. Whoever drains them (the worker, between packets) is never held up.
// No lock: the worker alone asks for posts and drains them (checked in debug
// builds).

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

#include "platform/clock.h"
#include "platform/thread_owner.h"

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
  // The next thread to use the posts owns them (the worker, once started).
  void HandOver() { owner_.Release(); }

 private:
  struct Entry {
    Clock::SteadyTime due;
    Post post;
  };
  Clock& clock_;
  ThreadOwner owner_;
  std::deque<Entry> waiting_;  // in order of due time
};

}  // namespace velloran
