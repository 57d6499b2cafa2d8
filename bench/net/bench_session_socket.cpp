// End to end over loopback: a server thread pushes a generated session stream
// as fast as the socket takes it; the session socket cuts and routes it into
// the incoming queue, which a thread standing for the worker empties. The
// bound is a plain blocking recv loop over the same kind of connection:
// 4096-byte reads into one buffer, on a socket with the 16 KiB send and
// receive buffers the session socket sets on its own. The same
// loop on a socket with the system's default buffers is printed beside it, to
// show what those buffer sizes cost by themselves, and the bound's loop busy
// after each read for the session socket's own processor time per read, to
// show what the kernel adds for a receiver that works. A paced run measures the
// time from the server's write to the packet standing in the queue.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/session_data.h"
#include "bench/net/session_stream.h"
#include "net/session_socket.h"
#include "platform/poll_event_loop.h"
#include "platform/socket_api.h"
#include "tests/net/loopback_listen.h"

namespace velloran {
namespace {

using Clock = std::chrono::steady_clock;

// One timed run: wall time and the receiving thread's processor time.
struct Run {
  double seconds = 0, user = 0, system = 0;
};

// Measures from construction to Finish() on the calling thread.
class RunTimer {
 public:
  RunTimer() : start_(Clock::now()) { Cpu(user_, system_); }
  Run Finish() const {
    Run r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    Cpu(r.user, r.system);
    r.user -= user_;
    r.system -= system_;
    return r;
  }

 private:
  static void Cpu(double& user, double& system) {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    user = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6;
    system = usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  }
  Clock::time_point start_;
  double user_ = 0, system_ = 0;
};

// With two processors or more, the receiving thread keeps the first and the
// sender (and the worker's stand-in) the second, in every run alike, so that
// no run pays for threads moving between processors.
void PinTo(int cpu) {
  if (std::thread::hardware_concurrency() < 2) return;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  (void)pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}
constexpr int kReceiverCpu = 0;
constexpr int kSenderCpu = 1;

int Listen(int& port) {
  return testing::ListenLoopback(4, port);
}

// Accepts one connection, sends `bytes` and closes.
std::thread Blast(int listen_fd, const std::string& bytes) {
  return std::thread([listen_fd, &bytes] {
    PinTo(kSenderCpu);
    const int fd = ::accept(listen_fd, nullptr, nullptr);
    std::size_t at = 0;
    while (at < bytes.size()) {
      const long n = ::send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (n <= 0) break;
      at += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    char sink[256];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
  });
}

// session_buffers: the socket buffer sizes the session socket uses.
// work_per_read: processor time spent after each read, as a receiver that
// does something with its bytes would.
Run PlainRecv(const std::string& bytes, bool session_buffers,
              std::chrono::nanoseconds work_per_read = {}) {
  int port = 0;
  const int listen_fd = Listen(port);
  std::thread server = Blast(listen_fd, bytes);
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (session_buffers) {
    (void)sock::SetBufferSizes(fd, CQZSocket::kSocketBufferBytes, CQZSocket::kSocketBufferBytes);
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  const RunTimer timer;
  ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  char buf[CQZSocket::kChunkBytes];
  std::size_t total = 0;
  long n;
  while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) {
    total += static_cast<std::size_t>(n);
    if (work_per_read.count() == 0) continue;
    const auto until = Clock::now() + work_per_read;
    while (Clock::now() < until) {
    }
  }
  const Run run = timer.Finish();
  ::close(fd);
  server.join();
  ::close(listen_fd);
  if (total != bytes.size()) std::printf("plain loop lost bytes\n");
  return run;
}

// The order-book view's side: order-book updates go there, not to the queue.
class CountingView : public OrderBookLink {
 public:
  void PushPacket(std::unique_ptr<Packet>) override { ++count; }
  std::u16string_view ShownStockCode() const override { return u"------"; }
  WindowHandle ReplayWindow() const override { return {}; }
  std::size_t count = 0;
};

Run SessionSocket(const std::string& bytes, std::size_t expected_packets) {
  int port = 0;
  const int listen_fd = Listen(port);
  std::thread server = Blast(listen_fd, bytes);
  PollEventLoop loop;
  CSessionData session{SessionOptions{}};
  CQZSocket socket(session, u"bench");
  CountingView view;
  socket.SetOrderBookView(&view);
  // The worker's side: packets are taken, and freed, on a thread of their
  // own. A worker that dispatches is always behind in a burst like this, so
  // it takes what has gathered rather than waiting for each packet.
  std::atomic<bool> done{false};
  std::size_t routed = 0;
  std::thread worker([&] {
    PinTo(kSenderCpu);
    while (!done.load()) {
      const std::size_t taken = session.TakeIncoming().size();
      routed += taken;
      if (taken == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    routed += session.TakeIncoming().size();
  });
  const RunTimer timer;
  (void)socket.ConnectTo(u"127.0.0.1", port);
  loop.RunUntil([&] { return socket.connected(); }, std::chrono::seconds(5));
  loop.RunUntil([&] { return !socket.connected(); }, std::chrono::seconds(120));
  const Run run = timer.Finish();
  done.store(true);
  worker.join();
  routed += view.count;
  socket.Close();
  server.join();
  ::close(listen_fd);
  if (routed != expected_packets) {
    std::printf("session socket routed %zu of %zu packets\n", routed, expected_packets);
  }
  return run;
}

// A socket that notes, right after each receive, when its packets stood in
// the incoming queue.
class TimingSocket : public CQZSocket {
 public:
  TimingSocket(CSessionData& session, std::vector<double>& latencies_us)
      : CQZSocket(session, u"bench"), session_(session), latencies_us_(latencies_us) {}
  void OnReceive(int error) override {
    CQZSocket::OnReceive(error);
    const auto now = Clock::now().time_since_epoch().count();
    for (auto& p : session_.TakeIncoming()) {
      std::u16string_view ts;
      if (!p->Find(u"TS", ts)) continue;
      const long long sent = std::stoll(std::string(ts.begin(), ts.end()));
      latencies_us_.push_back((now - sent) / 1000.0);
    }
  }

 private:
  CSessionData& session_;
  std::vector<double>& latencies_us_;
};

void PacedLatency(int count, int gap_us) {
  int port = 0;
  const int listen_fd = Listen(port);
  std::thread server([&] {
    PinTo(kSenderCpu);
    const int fd = ::accept(listen_fd, nullptr, nullptr);
    std::mt19937 rng(11);
    for (int i = 0; i < count; ++i) {
      Packet p(2002);
      p.AddText(u"RES", u"CPRC");
      p.AddText(u"STKCD", FormatInt06(rng() % 999999));
      p.AddText(u"DATA", sample::QuoteFields(rng));
      p.AddText(u"TS", FormatInt(Clock::now().time_since_epoch().count()));
      const std::string wire = p.ToWire();
      ::send(fd, wire.data(), wire.size(), MSG_NOSIGNAL);
      const auto until = Clock::now() + std::chrono::microseconds(gap_us);
      while (Clock::now() < until) {
      }
    }
    ::shutdown(fd, SHUT_WR);
    char sink[256];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
  });
  PollEventLoop loop;
  CSessionData session{SessionOptions{}};
  std::vector<double> latencies;
  TimingSocket socket(session, latencies);
  (void)socket.ConnectTo(u"127.0.0.1", port);
  loop.RunUntil([&] { return socket.connected(); }, std::chrono::seconds(5));
  loop.RunUntil([&] { return !socket.connected(); }, std::chrono::seconds(60));
  socket.Close();
  server.join();
  ::close(listen_fd);
  std::sort(latencies.begin(), latencies.end());
  if (latencies.empty()) return;
  auto at = [&](double q) {
    return latencies[static_cast<std::size_t>(q * (latencies.size() - 1))];
  };
  std::printf(
      "paced %d packets, one every %d us: write -> in queue p50 %.1f us, p99 %.1f us, max %.1f "
      "us\n",
      static_cast<int>(latencies.size()), gap_us, at(0.5), at(0.99), latencies.back());
}

}  // namespace
}  // namespace velloran

// Optional argument: the number of rounds (default 9; 1 for profiling).
int main(int argc, char** argv) {
  using namespace velloran;
  PinTo(kReceiverCpu);
  const sample::Stream& one = sample::TheStream();
  std::string bytes;
  std::size_t packets = 0;
  for (int i = 0; i < 8; ++i) {
    bytes += one.bytes;
    packets += one.packets.size();
  }
  const double mb = bytes.size() / 1e6;
  // Rounds interleave the three runs, so a neighbour's load falls on all of
  // them alike; the medians are printed.
  const int kRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  // The busy loop is the bound's loop spending, after each read, the
  // session socket's own processor time per read in that round: what the
  // session socket would reach if its work cost nothing but that time.
  const double reads = static_cast<double>(bytes.size()) / CQZSocket::kChunkBytes;
  std::vector<Run> bound, plain_default, ours, busy;
  std::vector<double> ratio, ratio_default, ratio_busy;
  for (int round = 0; round < kRounds; ++round) {
    bound.push_back(PlainRecv(bytes, true));
    plain_default.push_back(PlainRecv(bytes, false));
    ours.push_back(SessionSocket(bytes, packets));
    const auto work =
        std::chrono::nanoseconds(static_cast<long long>(ours.back().user / reads * 1e9));
    busy.push_back(PlainRecv(bytes, true, work));
    ratio.push_back(ours.back().seconds / bound.back().seconds);
    ratio_default.push_back(ours.back().seconds / plain_default.back().seconds);
    ratio_busy.push_back(busy.back().seconds / bound.back().seconds);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  auto field = [](const std::vector<Run>& runs, double Run::*member) {
    std::vector<double> v;
    for (const Run& r : runs) v.push_back(r.*member);
    return v;
  };
  std::printf("stream: %.1f MB, %zu packets over loopback, median of %d rounds\n", mb, packets,
              kRounds);
  std::printf("plain recv loop, 4096-byte reads, 16 KiB socket buffers (bound): %8.1f MB/s\n",
              mb / median(field(bound, &Run::seconds)));
  std::printf("plain recv loop, 4096-byte reads, default socket buffers:        %8.1f MB/s\n",
              mb / median(field(plain_default, &Run::seconds)));
  const double ours_seconds = median(field(ours, &Run::seconds));
  std::printf(
      "session socket into the queue:                                   %8.1f MB/s, "
      "%.2f M packets/s\n",
      mb / ours_seconds, packets / ours_seconds / 1e6);
  std::printf("ratio session socket time / bound time = %.2f (rounds:", median(ratio));
  for (const double r : ratio) std::printf(" %.2f", r);
  std::printf(")\nratio session socket time / default-buffer loop time = %.2f\n",
              median(ratio_default));
  std::printf(
      "bound loop also busy for the session socket's user time per read: %8.1f MB/s, "
      "ratio to the bound %.2f\n",
      mb / median(field(busy, &Run::seconds)), median(ratio_busy));
  // Where the receiving thread's time goes: the bound waits for the sender
  // part of the time; the session socket has the system calls of a read
  // event (poll, the readable-byte query, recv) and its own work.
  std::printf(
      "receiving thread, s: bound wall %.3f user %.3f system %.3f; "
      "session socket wall %.3f user %.3f system %.3f\n",
      median(field(bound, &Run::seconds)), median(field(bound, &Run::user)),
      median(field(bound, &Run::system)), ours_seconds, median(field(ours, &Run::user)),
      median(field(ours, &Run::system)));
  PacedLatency(20000, 20);
  return 0;
}
