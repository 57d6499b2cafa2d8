#pragma once
// The event loop of a thread without a display: poll() over the watched
// descriptors and an eventfd that other threads use to wake it for posted
// messages, tasks and Quit.
//
// One lock: what other threads post (tasks, messages, Quit) until the loop's
// thread takes it.

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include <poll.h>

#include "platform/event_loop.h"

namespace velloran {

class PollEventLoop : public EventLoop {
 public:
  PollEventLoop();
  // Drops messages still waiting (their packets freed) and tasks not run.
  ~PollEventLoop() override;

  void Push(WindowHandle target, WindowMessage message) override;
  void Post(Task task) override;
  void WatchFd(int fd, unsigned interest, FdCallback callback) override;
  void SetFdInterest(int fd, unsigned interest) override;
  void UnwatchFd(int fd) override;
  void Run() override;
  void ProcessEvents(std::chrono::milliseconds max_wait) override;
  void Quit() override;

 private:
  struct Posted {
    WindowHandle target;
    WindowMessage message;
    Task task;  // set instead of a message for Post
  };
  struct Watch {
    unsigned interest = 0;
    // Shared so that a callback removing its own watch is not destroyed
    // while it runs.
    std::shared_ptr<FdCallback> callback;
    std::uint64_t generation = 0;
  };
  void Wake();
  void RunPosted();
  [[nodiscard]] int PollTimeoutMs(std::chrono::milliseconds max_wait) const;

  int wake_fd_ = -1;
  // A post from the loop's own thread needs no wake-up: the loop looks at
  // what is posted before it waits again.
  const std::thread::id owner_ = std::this_thread::get_id();
  std::mutex lock_;  // guards posted_ and quit_
  std::vector<Posted> posted_;
  bool quit_ = false;

  // Loop-thread only.
  std::vector<Posted> running_;  // the batch RunPosted works through
  int depth_ = 0;                // ProcessEvents calls under way (a callback may nest one)
  std::vector<pollfd> fds_;      // what the outermost call polls
  std::vector<std::uint64_t> generations_;
  std::unordered_map<int, Watch> watches_;
  std::uint64_t next_generation_ = 1;
};

}  // namespace velloran
