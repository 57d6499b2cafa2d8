#include "net/lock_wrappers.h"

namespace velloran {

CMyMutex::~CMyMutex() {
  std::lock_guard<std::mutex> hold(state_);
  if (depth_ > 0 && owner_ == std::this_thread::get_id()) depth_ = 0;
}

void CMyMutex::Lock() {
  const auto me = std::this_thread::get_id();
  std::unique_lock<std::mutex> hold(state_);
  if (depth_ > 0 && owner_ == me) {
    ++depth_;
    return;
  }
  released_.wait(hold, [this] { return depth_ == 0; });
  owner_ = me;
  depth_ = 1;
}

bool CMyMutex::TryLock() {
  const auto me = std::this_thread::get_id();
  std::lock_guard<std::mutex> hold(state_);
  if (depth_ > 0 && owner_ != me) return false;
  owner_ = me;
  ++depth_;
  return true;
}

void CMyMutex::Unlock() {
  {
    std::lock_guard<std::mutex> hold(state_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--depth_ > 0) return;
    owner_ = {};
  }
  released_.notify_one();
}

bool CMyMutex::OwnedByCaller() const {
  std::lock_guard<std::mutex> hold(state_);
  return depth_ > 0 && owner_ == std::this_thread::get_id();
}

}  // namespace velloran
