#include "net/lock_wrappers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace velloran {
namespace {

TEST(MyMutex, OwnerMayLockAgainAndOthersWaitUntilFullyReleased) {
  CMyMutex m;
  m.Lock();
  m.Lock();
  std::atomic<bool> other_got_it{false};
  std::thread other([&] {
    m.Lock();
    other_got_it = true;
    m.Unlock();
  });
  m.Unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(other_got_it.load()) << "one level of ownership is still held";
  m.Unlock();
  other.join();
  EXPECT_TRUE(other_got_it.load());
}

TEST(MyMutex, UnlockByANonOwnerDoesNothing) {
  CMyMutex m;
  m.Lock();
  std::thread([&] {
    m.Unlock();
    EXPECT_FALSE(m.TryLock());
  }).join();
  EXPECT_TRUE(m.OwnedByCaller());
  m.Unlock();
  EXPECT_FALSE(m.OwnedByCaller());
}

}  // namespace
}  // namespace velloran
