#include "platform/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/event_loop.h"

namespace velloran {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's writing end for the handler; -1 while no one catches.
std::atomic<int> g_write_fd{-1};

extern "C" void OnTerminationSignal(int signal) {
  const int saved = errno;
  const int fd = g_write_fd.load();
  if (fd >= 0) {
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds a request to end: dropping this one is fine.
    (void)!::write(fd, &number, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(EventLoop& loop, std::function<void(int)> on_signal)
    : loop_(loop), on_signal_(std::move(on_signal)) {
  if (g_write_fd.load() >= 0) return;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  read_fd_ = fds[0];
  write_fd_ = fds[1];
  g_write_fd.store(write_fd_);
  loop_.WatchFd(read_fd_, fd_event::kReadable, [this](int, unsigned) { OnReadable(); });
  struct sigaction action {};
  action.sa_handler = &OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int s : kSignals) ::sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  if (read_fd_ < 0) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int s : kSignals) ::sigaction(s, &action, nullptr);
  g_write_fd.store(-1);
  loop_.UnwatchFd(read_fd_);
  ::close(read_fd_);
  ::close(write_fd_);
}

void TerminationSignals::OnReadable() {
  unsigned char numbers[16];
  for (;;) {
    const ssize_t n = ::read(read_fd_, numbers, sizeof numbers);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) {
      if (on_signal_) on_signal_(numbers[i]);
    }
  }
}

}  // namespace velloran
