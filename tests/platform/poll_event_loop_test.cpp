#include "platform/poll_event_loop.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/test_window.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;

struct SocketPair {
  SocketPair() { EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fd), 0); }
  ~SocketPair() {
    for (int f : fd)
      if (f >= 0) close(f);
  }
  int fd[2] = {-1, -1};
};

TEST(PollEventLoop, PostsFromThreadsArriveInOrderPerThreadAndTasksRun) {
  PollEventLoop loop;
  EXPECT_EQ(EventLoop::Current(), &loop);
  RecordingWindow window(loop);
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) EXPECT_TRUE(PostMessage(window.handle(), 100 + t, i, t));
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_TRUE(loop.RunUntil([&] { return window.received.size() == 1500; }, milliseconds(5000)));
  int next[3] = {0, 0, 0};
  for (const auto& m : window.received) {
    ASSERT_EQ(m.message, 100u + m.lparam);
    EXPECT_EQ(m.wparam, static_cast<WParam>(next[m.lparam]++));
  }
  bool ran = false;
  std::thread([&] { loop.Post([&] { ran = true; }); }).join();
  EXPECT_TRUE(loop.RunUntil([&] { return ran; }, milliseconds(2000)));
}

TEST(PollEventLoop, DestroyingTheLoopFreesTheValuesOfWaitingMessages) {
  auto loop = std::make_unique<PollEventLoop>();
  RecordingWindow window(*loop);
  EXPECT_TRUE(PostOwned(window.handle(), 2132, std::make_unique<std::string>("2132"), true, 0));
  loop.reset();  // leak sanitizer reports the packet if it was kept
  EXPECT_TRUE(window.received.empty());
}

TEST(PollEventLoop, ReadinessIsReportedAndUnwatchInsideTheCallbackStopsIt) {
  PollEventLoop loop;
  SocketPair pair;
  int reads = 0;
  std::string got;
  loop.WatchFd(pair.fd[0], fd_event::kReadable, [&](int fd, unsigned ready) {
    EXPECT_EQ(ready, fd_event::kReadable);
    char buffer[16];
    const auto n = read(fd, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, n);
    ++reads;
    loop.UnwatchFd(fd);
  });
  loop.ProcessEvents(milliseconds(0));
  EXPECT_EQ(reads, 0);
  ASSERT_EQ(write(pair.fd[1], "abc", 3), 3);
  EXPECT_TRUE(loop.RunUntil([&] { return reads == 1; }, milliseconds(2000)));
  EXPECT_EQ(got, "abc");
  ASSERT_EQ(write(pair.fd[1], "d", 1), 1);
  loop.ProcessEvents(milliseconds(20));
  EXPECT_EQ(reads, 1);
}

TEST(PollEventLoop, WritableInterestCanBeSwitchedAndHangUpReadsAsReadable) {
  PollEventLoop loop;
  SocketPair pair;
  unsigned seen = 0;
  int calls = 0;
  loop.WatchFd(pair.fd[0], fd_event::kWritable, [&](int, unsigned ready) {
    seen |= ready;
    ++calls;
    loop.SetFdInterest(pair.fd[0], fd_event::kReadable);
  });
  EXPECT_TRUE(loop.RunUntil([&] { return calls == 1; }, milliseconds(2000)));
  EXPECT_EQ(seen, fd_event::kWritable);
  loop.ProcessEvents(milliseconds(10));
  EXPECT_EQ(calls, 1);  // nothing to read yet
  close(pair.fd[1]);
  pair.fd[1] = -1;
  EXPECT_TRUE(loop.RunUntil([&] { return calls == 2; }, milliseconds(2000)));
  EXPECT_EQ(seen, fd_event::kWritable | fd_event::kReadable);
  loop.UnwatchFd(pair.fd[0]);
}

TEST(PollEventLoop, TimersRepeatOneShotsFireOnceAndStoppingInsideATickWorks) {
  PollEventLoop loop;
  int once = 0, repeated = 0, other = 0;
  (void)loop.StartTimer(milliseconds(1), false, [&] { ++once; });
  int id = 0;
  id = loop.StartTimer(milliseconds(1), true, [&] {
    if (++repeated == 3) loop.StopTimer(id);
  });
  const int other_id = loop.StartTimer(milliseconds(1), true, [&] { ++other; });
  EXPECT_TRUE(loop.RunUntil([&] { return repeated == 3 && once == 1; }, milliseconds(2000)));
  loop.StopTimer(other_id);
  const int other_seen = other;
  loop.ProcessEvents(milliseconds(20));
  EXPECT_EQ(repeated, 3);
  EXPECT_EQ(once, 1);
  EXPECT_EQ(other, other_seen);
  loop.StopTimer(12345);  // unknown: ignored
}

TEST(PollEventLoop, QuitFromAnotherThreadEndsRun) {
  PollEventLoop loop;
  std::atomic<bool> started{false};
  loop.Post([&] { started = true; });
  std::thread quitter([&] {
    while (!started) std::this_thread::yield();
    loop.Quit();
  });
  loop.Run();
  quitter.join();
  EXPECT_TRUE(started);
}

}  // namespace
}  // namespace velloran
