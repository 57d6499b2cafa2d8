#include "platform/poll_event_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace velloran {

PollEventLoop::PollEventLoop() : wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (wake_fd_ < 0) {
    // Without it no other thread could reach this loop; nothing sensible to
    // fall back to.
    std::perror("eventfd");
    std::abort();
  }
}

PollEventLoop::~PollEventLoop() {
  std::vector<Posted> dropped;
  {
    std::lock_guard<std::mutex> hold(lock_);
    dropped.swap(posted_);
  }
  dropped.clear();
  close(wake_fd_);
}

void PollEventLoop::Wake() {
  const std::uint64_t one = 1;
  // A full counter means a wake-up is already pending, which is all we need.
  [[maybe_unused]] const auto written = write(wake_fd_, &one, sizeof one);
}

void PollEventLoop::Push(WindowHandle target, WindowMessage message) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    posted_.push_back(Posted{std::move(target), std::move(message), nullptr});
  }
  if (std::this_thread::get_id() != owner_) Wake();
}

void PollEventLoop::Post(Task task) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    posted_.push_back(Posted{WindowHandle(), WindowMessage{}, std::move(task)});
  }
  if (std::this_thread::get_id() != owner_) Wake();
}

void PollEventLoop::Quit() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
  }
  Wake();
}

void PollEventLoop::WatchFd(int fd, unsigned interest, FdCallback callback) {
  watches_[fd] =
      Watch{interest, std::make_shared<FdCallback>(std::move(callback)), next_generation_++};
}

void PollEventLoop::SetFdInterest(int fd, unsigned interest) {
  const auto it = watches_.find(fd);
  if (it != watches_.end()) it->second.interest = interest;
}

void PollEventLoop::UnwatchFd(int fd) {
  watches_.erase(fd);
}

void PollEventLoop::Run() {
  for (;;) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (quit_) {
        quit_ = false;
        return;
      }
    }
    ProcessEvents(std::chrono::milliseconds(-1));
  }
}

int PollEventLoop::PollTimeoutMs(std::chrono::milliseconds max_wait) const {
  long long wait = max_wait.count();  // negative: no limit
  const long long until = UntilNextTimer().count();
  if (until >= 0 && (wait < 0 || until < wait)) wait = until;
  return wait > 24LL * 3600 * 1000 ? 24 * 3600 * 1000 : static_cast<int>(wait);
}

void PollEventLoop::ProcessEvents(std::chrono::milliseconds max_wait) {
  // The outermost call keeps its arrays from one call to the next; a call
  // nested in a callback has its own.
  std::vector<pollfd> nested_fds;
  std::vector<std::uint64_t> nested_generations;
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } nesting(depth_);
  const bool outer = depth_ == 1;
  std::vector<pollfd>& fds = outer ? fds_ : nested_fds;
  std::vector<std::uint64_t>& generations = outer ? generations_ : nested_generations;
  fds.clear();
  generations.clear();
  fds.push_back(pollfd{wake_fd_, POLLIN, 0});
  generations.push_back(0);
  for (const auto& [fd, watch] : watches_) {
    short events = 0;
    if (watch.interest & fd_event::kReadable) events |= POLLIN;
    if (watch.interest & fd_event::kWritable) events |= POLLOUT;
    if (events == 0) continue;
    fds.push_back(pollfd{fd, events, 0});
    generations.push_back(watch.generation);
  }
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!posted_.empty() || quit_) max_wait = std::chrono::milliseconds(0);
  }
  const int n = poll(fds.data(), fds.size(), PollTimeoutMs(max_wait));
  if (n < 0 && errno != EINTR) std::perror("poll");

  if (fds[0].revents != 0) {
    std::uint64_t count;
    [[maybe_unused]] const auto got = read(wake_fd_, &count, sizeof count);
  }
  RunPosted();
  RunDueTimers();
  if (n <= 0) return;
  for (std::size_t i = 1; i < fds.size(); ++i) {
    if (fds[i].revents == 0) continue;
    // The watch may have gone, or been replaced, by an earlier callback.
    const auto it = watches_.find(fds[i].fd);
    if (it == watches_.end() || it->second.generation != generations[i]) continue;
    unsigned ready = 0;
    const bool failed = (fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
    if ((fds[i].revents & POLLIN) || failed) ready |= fd_event::kReadable;
    if ((fds[i].revents & POLLOUT) || failed) ready |= fd_event::kWritable;
    ready &= it->second.interest;
    if (ready == 0) continue;
    const auto callback = it->second.callback;
    (*callback)(fds[i].fd, ready);
  }
  // What the descriptors' callbacks posted (a socket's read event) is handled
  // now rather than after one more poll.
  RunPosted();
}

void PollEventLoop::RunPosted() {
  // A nested call (from inside a posted item) takes a batch of its own.
  std::vector<Posted> nested;
  std::vector<Posted>& batch = depth_ == 1 ? running_ : nested;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (posted_.empty()) return;
    batch.swap(posted_);
  }
  for (auto& item : batch) {
    if (item.task) {
      item.task();
    } else {
      DeliverMessage(item.target, item.message);
    }
  }
  batch.clear();
}

}  // namespace velloran
