#pragma once
// The event loop of the user-interface thread, backed by Qt: posted messages
// and tasks become Qt events, watched descriptors Qt socket notifiers; one Qt
// timer wakes the loop when the next of its timers is due. Created by
// Application after Qt itself.

#include <map>
#include <memory>

#include "platform/event_loop.h"

namespace velloran {

class QtEventLoop : public EventLoop {
 public:
  QtEventLoop();
  // Posted messages still waiting are dropped with their packets.
  ~QtEventLoop() override;

  void Push(WindowHandle target, WindowMessage message) override;
  void Post(Task task) override;
  void WatchFd(int fd, unsigned interest, FdCallback callback) override;
  void SetFdInterest(int fd, unsigned interest) override;
  void UnwatchFd(int fd) override;
  void Run() override;
  void ProcessEvents(std::chrono::milliseconds max_wait) override;
  void Quit() override;

 protected:
  void TimersChanged() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velloran
