#pragma once
// ThreadOwner: what a class keeps instead of a lock for state that one thread
// alone touches. In debug builds the first thread that checks becomes the
// owner and a check from any other thread stops the program at once; release
// builds check nothing.

#include <atomic>
#include <cassert>
#include <thread>

namespace velloran {

class ThreadOwner {
 public:
  void Check() const {
#ifndef NDEBUG
    std::thread::id owner;
    const std::thread::id me = std::this_thread::get_id();
    const bool first = owner_.compare_exchange_strong(owner, me);
    assert((first || owner == me) && "touched from a second thread");
    (void)first;
#endif
  }
  // The next thread to check becomes the owner (the old one has ended).
  void Release() { owner_.store(std::thread::id()); }

 private:
  mutable std::atomic<std::thread::id> owner_{};
};

}  // namespace velloran
