#include "app/due_posts.h"

#include <algorithm>

namespace velloran {

void CDuePosts::After(std::chrono::milliseconds pause, Post post) {
  owner_.Check();
  const Clock::SteadyTime from =
      waiting_.empty() ? clock_.Steady() : std::max(clock_.Steady(), waiting_.back().due);
  waiting_.push_back(Entry{from + pause, std::move(post)});
}

std::optional<std::chrono::milliseconds> CDuePosts::RunDue() {
  owner_.Check();
  for (;;) {
    if (waiting_.empty()) return std::nullopt;
    const Clock::SteadyTime now = clock_.Steady();
    if (waiting_.front().due > now) {
      // Rounded up: a wait that ends early would only come back to wait again.
      return std::chrono::ceil<std::chrono::milliseconds>(waiting_.front().due - now);
    }
    Post post = std::move(waiting_.front().post);
    waiting_.pop_front();
    post();  // taken off first: a post may ask for another
  }
}

}  // namespace velloran
