#pragma once
// A thread's event loop: the queue its windows' posted messages wait in, the
// watcher of its sockets' readiness, and its timers. The UI thread runs the
// Qt-backed loop (platform/qt_event_loop.h); threads and tests without a
// display run PollEventLoop (platform/poll_event_loop.h). Code written
// against this interface does not care which one it runs on.
//
// Everything except Push, Post and Quit is called on the loop's own thread;
// every callback runs there too. A callback may add or remove watches and
// timers, its own included.
//
// Timers run on the loop's clock: the system's, or one a test moves on by
// hand (platform/clock.h), in which case a timer fires only once the test has
// moved the clock past it and lets the loop run.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "platform/clock.h"
#include "platform/message_window.h"

namespace velloran {

// What a watched descriptor is ready for. An error or a hang-up on the
// descriptor is reported as kReadable (and kWritable when that is watched), so
// that the read or write that follows sees the error.
namespace fd_event {
inline constexpr unsigned kReadable = 1;
inline constexpr unsigned kWritable = 2;
}  // namespace fd_event

class EventLoop : public MessageQueue {
 public:
  using FdCallback = std::function<void(int fd, unsigned ready)>;
  using TimerCallback = std::function<void()>;
  using Task = std::function<void()>;

  EventLoop();
  ~EventLoop() override;
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // The loop created on the calling thread, or nullptr.
  [[nodiscard]] static EventLoop* Current();

  // MessageQueue: from any thread; delivered on the loop's thread in posting
  // order.
  void Push(WindowHandle target, WindowMessage message) override = 0;
  // Runs task on the loop's thread, in order with posted messages. Any thread.
  virtual void Post(Task task) = 0;

  // Watches fd for the events in `interest` (fd_event bits; level-triggered:
  // the callback repeats while the condition holds). Watching an fd again
  // replaces its interest and callback. An interest of 0 keeps the watch but
  // reports nothing.
  virtual void WatchFd(int fd, unsigned interest, FdCallback callback) = 0;
  // Changes what is reported for a watched fd (e.g. kWritable only while a
  // send is pending). No effect on an fd that is not watched.
  virtual void SetFdInterest(int fd, unsigned interest) = 0;
  // Stops watching; no callback for fd runs after this returns. Call it before
  // closing the descriptor.
  virtual void UnwatchFd(int fd) = 0;

  // A timer firing after period, once or every period. Returns its id (> 0).
  [[nodiscard]] int StartTimer(std::chrono::milliseconds period, bool repeat,
                               TimerCallback callback);
  // No tick of the timer runs after this returns, even when called from
  // inside that tick. Unknown ids are ignored.
  void StopTimer(int id);

  // The clock the timers run on; the system's unless set. Timers already
  // started keep the time they had left.
  [[nodiscard]] Clock& clock() const { return *clock_; }
  void SetClock(Clock* clock);
  // For the loop's clock when a test moves it by hand: moves it on by d,
  // stopping at every timer due on the way to run it (and what is ready),
  // as the passing of real time would.
  void Advance(ManualClock& clock, std::chrono::milliseconds d);

  // Handles events until Quit.
  virtual void Run() = 0;
  // Handles what is ready, waiting at most max_wait for something to arrive.
  virtual void ProcessEvents(std::chrono::milliseconds max_wait) = 0;
  // Makes Run return (soon, if called from another thread). Any thread.
  virtual void Quit() = 0;

  // Handles events until done() is true or timeout has passed; returns done().
  // For tests and for waiting on a reply without blocking the loop. The
  // timeout is real time whatever the clock: it only bounds the wait.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

 protected:
  // Runs every timer the clock has reached, earliest first.
  void RunDueTimers();
  // How long until the next timer is due (0 when one is), or -1 when none is
  // waiting or the clock does not move by itself.
  [[nodiscard]] std::chrono::milliseconds UntilNextTimer() const;
  // The set of timers changed: a loop that sleeps until the next one wakes
  // up earlier if it must.
  virtual void TimersChanged() {}

 private:
  struct Timer {
    Clock::SteadyTime due;
    std::chrono::milliseconds period;
    bool repeat;
    std::shared_ptr<TimerCallback> callback;
  };
  Clock* clock_;
  std::map<int, Timer> timers_;
  int next_timer_id_ = 1;
};

}  // namespace velloran
