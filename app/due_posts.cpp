#include "app/due_posts.h"

#include <algorithm>

namespace velloran {

void CDuePosts::After(std::chrono::milliseconds pause, Post post) {
  std::lock_guard<std::mutex> hold(lock_);
  const Clock::SteadyTime from =
      waiting_.empty() ? clock_.Steady() : std::max(clock_.Steady(), waiting_.back().due);
  waiting_.push_back(Entry{from + pause, std::move(post)});
}

std::optional<std::chrono::milliseconds> CDuePosts::RunDue() {
  for (;;) {
    Post post;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (waiting_.empty()) return std::nullopt;
      const Clock::SteadyTime now = clock_.Steady();
      if (waiting_.front().due > now) {
        // Rounded up: a wait that ends early would only come back to wait again.
        return std::chrono::ceil<std::chrono::milliseconds>(waiting_.front().due - now);
      }
      post = std::move(waiting_.front().post);
      waiting_.pop_front();
    }
    post();  // outside the lock: a post may ask for another
  }
}

}  // namespace velloran
