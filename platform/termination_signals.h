#pragma once
// The signals that ask a program to end (SIGTERM at logout or shutdown,
// SIGINT from a terminal, SIGHUP when the terminal goes) turned into a call
// on an event loop's thread, where the program can end as it does when the
// user closes it. The signal handler only writes a byte to a pipe that the
// loop watches; everything else runs in the loop.

#include <functional>

namespace velloran {

class EventLoop;

class TerminationSignals {
 public:
  // Catches the signals until destroyed; on_signal gets each signal's number
  // on the loop's thread. One at a time per process: a second one catches
  // nothing (active() is false).
  TerminationSignals(EventLoop& loop, std::function<void(int signal)> on_signal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  [[nodiscard]] bool active() const { return read_fd_ >= 0; }

 private:
  void OnReadable();

  EventLoop& loop_;
  std::function<void(int)> on_signal_;
  int read_fd_ = -1;
  int write_fd_ = -1;
};

}  // namespace velloran
