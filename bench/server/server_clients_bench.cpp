// The demo server under many clients on loopback: each client logs in, asks
// for the current-reverse screen of the whole market (and, in the book runs,
// subscribes a busy stock's order book, a different one each) and then only
// reads for a fixed time while the simulated clock runs fast. Reported per
// client: packets per second; for the server: how far the market got against
// its clock and its slowest step. The one-client run is the baseline; the
// ratio of the per-client rates shows what many clients cost each other, and
// the ratio of the step times with and without books what the books cost.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/message_codes.h"
#include "net/packet.h"
#include "net/receive_buffer.h"
#include "server/demo_server.h"

namespace {

using namespace velloran;
using namespace velloran::server;

constexpr double kReadSeconds = 3.0;

int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void SendPacket(int fd, const Packet& p) {
  const std::string wire = p.ToWire();
  std::size_t done = 0;
  while (done < wire.size()) {
    const ssize_t n = ::send(fd, wire.data() + done, wire.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

struct Client {
  int fd = -1;
  std::unique_ptr<CMyQueue> queue = std::make_unique<CMyQueue>();
  std::uint64_t packets = 0;
  bool batch_done = false;  // the first 3014 end has arrived
};

// Reads every client's socket until the deadline, counting whole packets.
void ReadAll(std::vector<Client>& clients, std::chrono::steady_clock::time_point until,
             bool until_batches = false) {
  std::vector<pollfd> fds;
  for (const Client& c : clients) fds.push_back({c.fd, POLLIN, 0});
  char chunk[65536];
  while (std::chrono::steady_clock::now() < until) {
    if (until_batches &&
        std::all_of(clients.begin(), clients.end(), [](const Client& c) { return c.batch_done; }))
      return;
    if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (!(fds[i].revents & POLLIN)) continue;
      const ssize_t n = ::recv(fds[i].fd, chunk, sizeof chunk, 0);
      if (n <= 0) {
        fds[i].fd = -1;
        continue;
      }
      Client& c = clients[i];
      for (ssize_t off = 0; off < n; off += 4096) {
        const int part = static_cast<int>(std::min<ssize_t>(4096, n - off));
        c.queue->Append(chunk + off, part);
        while (auto p = c.queue->GetPacket()) {
          ++c.packets;
          if (!c.batch_done) c.batch_done = p->GetInt(u"GBN", 0) == code::kScreenRequest;
        }
      }
    }
  }
}

std::map<std::pair<int, int>, double> g_rate;  // (clients, speed) -> packets/s per client
struct StepTimes {
  double mean_ms = 0, max_ms = 0, late = 0;
};
std::map<std::pair<int, bool>, StepTimes> g_steps;  // (speed, books) -> steps, 10 clients

void BM_Clients(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int speed = static_cast<int>(state.range(1));
  const bool books = state.range(2) != 0;
  for (auto _ : state) {
    ServerOptions o;
    o.seed = 1;
    o.date = 20260105;
    o.start_time = 93000;
    o.speed = speed;
    DemoServer server(o);
    std::string error;
    if (!server.Start(error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    std::vector<std::u16string> busy;  // stocks that trade every few seconds
    server.WithMarket([&](const Market& m) {
      for (const Stock& s : m.stocks())
        if (!s.etf && s.mean_gap_s < 8)
          busy.push_back(std::u16string(s.code.begin(), s.code.end()));
    });
    std::vector<Client> clients(count);
    for (std::size_t k = 0; k < clients.size(); ++k) {
      Client& c = clients[k];
      c.fd = Connect(server.session_port());
      Packet hello(code::kHello);
      hello.AddText(u"ID", u"demo");
      hello.AddInt(u"VER", 2);
      SendPacket(c.fd, hello);
      Packet screen(code::kScreenRequest);
      screen.AddText(u"P_SHCODES", u"");
      screen.AddInt(u"IDX", code::kScreenReverse);
      screen.AddInt(u"MARKET", 0);
      screen.AddInt(u"CHK", 0);
      SendPacket(c.fd, screen);
      if (books && !busy.empty()) {
        Packet book(code::kOrderBook);
        book.AddText(u"SHCODE", busy[k * 7 % busy.size()]);
        book.AddText(u"P_SHOCODE", u"");
        SendPacket(c.fd, book);
      }
    }
    // The start-up data and the first batch first, then the measured stretch.
    ReadAll(clients, std::chrono::steady_clock::now() + std::chrono::seconds(30), true);
    ReadAll(clients, std::chrono::steady_clock::now() + std::chrono::milliseconds(500));
    for (Client& c : clients) c.packets = 0;
    const ServerStats before = server.Stats();
    const auto start = std::chrono::steady_clock::now();
    ReadAll(clients, start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(kReadSeconds)));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const ServerStats after = server.Stats();
    std::uint64_t total = 0;
    for (const Client& c : clients) total += c.packets;
    const double per_client = total / seconds / count;
    g_rate[{count, speed}] = per_client;
    state.counters["pkts_per_s_per_client"] = per_client;
    state.counters["pkts_per_s_total"] = total / seconds;
    // 1.0 means the market kept pace with its clock.
    state.counters["market_pace"] =
        (after.market_seconds - before.market_seconds) / (speed * seconds);
    state.counters["max_step_ms"] = after.max_step_ms;
    state.counters["mean_step_ms"] =
        after.steps ? after.total_step_ms / static_cast<double>(after.steps) : 0.0;
    state.counters["late_steps"] = static_cast<double>(after.late_steps - before.late_steps);
    if (count == 10) {
      const double steps = static_cast<double>(after.steps - before.steps);
      g_steps[{speed, books}] = {
          steps > 0 ? (after.total_step_ms - before.total_step_ms) / steps : 0, after.max_step_ms,
          static_cast<double>(after.late_steps - before.late_steps)};
    }
    for (Client& c : clients) ::close(c.fd);
    server.Stop();
  }
}
BENCHMARK(BM_Clients)
    ->ArgsProduct({{1, 50}, {10, 60}, {0}})
    ->ArgsProduct({{10}, {1, 10, 60}, {0, 1}})
    ->ArgNames({"clients", "speed", "books"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (int speed : {10, 60}) {
    const auto one = g_rate.find({1, speed}), many = g_rate.find({50, speed});
    if (one != g_rate.end() && many != g_rate.end() && one->second > 0)
      std::printf("speed %dx: per-client packet rate, 50 clients / 1 client = %.3f\n", speed,
                  many->second / one->second);
  }
  for (int speed : {1, 10, 60}) {
    const auto without = g_steps.find({speed, false}), with = g_steps.find({speed, true});
    if (without == g_steps.end() || with == g_steps.end() || without->second.mean_ms <= 0) continue;
    std::printf(
        "speed %dx, 10 clients: mean step with a book each / without = %.3f (%.3f / %.3f ms; "
        "slowest %.1f / %.1f ms; late steps %.0f / %.0f)\n",
        speed, with->second.mean_ms / without->second.mean_ms, with->second.mean_ms,
        without->second.mean_ms, with->second.max_ms, without->second.max_ms, with->second.late,
        without->second.late);
  }
  benchmark::Shutdown();
  return 0;
}
