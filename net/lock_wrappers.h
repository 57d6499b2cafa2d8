#pragma once
// The two small lock wrappers of the session layer. CMyMutex keeps the
// property of the system mutex it stands for: the thread that owns it may
// lock it again, and must unlock it as often. One lock inside each CMyMutex:
// state_ guards its owner and depth. (No part of the client holds one at
// present: the dispatcher, the one user, runs on the worker alone.)

#include <condition_variable>
#include <mutex>
#include <thread>

namespace velloran {

class CMySemaphore {
 public:
  CMySemaphore() = default;
  CMySemaphore(const CMySemaphore&) = delete;
  CMySemaphore& operator=(const CMySemaphore&) = delete;
  virtual ~CMySemaphore() = default;
  virtual void Unlock() = 0;
};

class CMyMutex : public CMySemaphore {
 public:
  CMyMutex() = default;
  // Releases the mutex if the destroying thread still holds it.
  ~CMyMutex() override;
  // Waits without a time limit.
  void Lock();
  [[nodiscard]] bool TryLock();
  // Releases one level of ownership; does nothing for a thread that does not own it.
  void Unlock() override;
  [[nodiscard]] bool OwnedByCaller() const;

 private:
  mutable std::mutex state_;
  std::condition_variable released_;
  std::thread::id owner_;
  int depth_ = 0;
};

}  // namespace velloran
