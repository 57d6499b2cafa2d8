// The live order book under a stream, two measures.
//
// Latency: a writer on loopback plays the market: the snapshot of one stock,
// then book updates in the demo market's book text at a fixed rate (20 and
// 200 a second), each moving three levels and carrying its number as its
// book time. The client is the session socket routing into the order-book
// view (its thread, the copy posted to its window, the frame pacing, the
// repaint of the moved rows, the copy to the screen). Measured: from the
// write to the window's paint that first shows the update. The baseline in
// the same run: the same stream to a stand-in for the view that notes each
// update as the socket routes it (the network's and the socket's share).
//
// Processor time: the demo market as its own program at its real speed (and
// at 20 times that), the whole client (frame, store, dispatcher, views)
// logged in, first with no stock picked (the baseline), then with a busy
// stock's book subscribed.
//
//   bench_hoga_live [seconds per latency run, default 6] [seconds per CPU run, default 10]

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "bench/market_process.h"
#include "hoga/hoga_view.h"
#include "net/decoder.h"
#include "net/message_codes.h"
#include "net/session_socket.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "tests/hoga/book_packets.h"
#include "tests/net/loopback_listen.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

using namespace testing_book;
using Steady = std::chrono::steady_clock;

double Ms(Steady::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Percentiles {
  double p50 = 0, p99 = 0, max = 0;
  std::size_t n = 0;
};

Percentiles Summarise(std::vector<double> v) {
  Percentiles p;
  if (v.empty()) return p;
  std::sort(v.begin(), v.end());
  const auto at = [&](double q) { return v[static_cast<std::size_t>(q * (v.size() - 1))]; };
  p.p50 = at(0.5);
  p.p99 = at(0.99);
  p.max = v.back();
  p.n = v.size();
  return p;
}

void SendAll(int fd, const std::string& wire) {
  std::size_t done = 0;
  while (done < wire.size()) {
    const ssize_t n = ::send(fd, wire.data() + done, wire.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// The market's side: a snapshot, then `count` updates at `rate` a second.
// Update k (1-based) carries k as its book time; written[k] is when its
// bytes went to the socket.
class Writer {
 public:
  Writer(int count, int rate) : count_(count), rate_(rate), written_(count + 1) {
    listen_fd_ = testing::ListenLoopback(1, port_);
  }
  ~Writer() {
    if (thread_.joinable()) thread_.join();
    if (listen_fd_ >= 0) ::close(listen_fd_);
  }
  [[nodiscard]] int port() const { return port_; }
  [[nodiscard]] Steady::time_point written(int k) const {
    return Steady::time_point(Steady::duration(written_[k].load()));
  }
  // Starts writing once the client is connected.
  void Start() {
    thread_ = std::thread([this] { Run(); });
  }
  void Stop() { stop_ = true; }

 private:
  void Run() {
    const int fd = ::accept(listen_fd_, nullptr, nullptr);
    if (fd < 0) return;
    server::Book book = Ladder(36750, 36700, 50, 3000);
    book.ask_qty[0] = 90000;  // the largest stays: no update rescales the bars
    SendAll(fd, Snapshot(u"000100",
                         QuoteLine({.price = 36700,
                                    .high = 36900,
                                    .low = 36400,
                                    .best_ask = 36750,
                                    .best_bid = 36700}),
                         u"", BookLine(book, 0))
                    ->ToWire());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto gap = std::chrono::nanoseconds(1'000'000'000LL / rate_);
    auto due = Steady::now();
    for (int k = 1; k <= count_ && !stop_; ++k) {
      book.ask_qty[1 + k % 9] += 7;
      book.bid_qty[k % 10] -= 3;
      book.bid_qty[(k + 5) % 10] += 5;
      book.SumTotals();
      const std::string wire = BookUpdate(u"000100", BookLine(book, k))->ToWire();
      due += gap;
      std::this_thread::sleep_until(due);
      written_[k] = Steady::now().time_since_epoch().count();
      SendAll(fd, wire);
    }
    ::shutdown(fd, SHUT_WR);
    char sink[512];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
  }

  const int count_;
  const int rate_;
  int port_ = 0;
  int listen_fd_ = -1;
  std::vector<std::atomic<Steady::rep>> written_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};

// The baseline's stand-in for the view: notes each update as routed.
class RoutedOnly : public OrderBookLink {
 public:
  RoutedOnly(const Writer& writer, std::vector<double>& out) : writer_(writer), out_(out) {}
  void PushPacket(std::unique_ptr<Packet> packet) override {
    if (packet->GetText(u"RES", u"") != u"HOGA") return;
    const int k = ToInt(packet->GetText(u"DATA", u""));
    if (k >= 1) out_.push_back(Ms(Steady::now() - writer_.written(k)));
    last = std::max(last, k);
  }
  [[nodiscard]] std::u16string_view ShownStockCode() const override { return u"000100"; }
  [[nodiscard]] WindowHandle ReplayWindow() const override { return {}; }
  int last = 0;

 private:
  const Writer& writer_;
  std::vector<double>& out_;
};

Percentiles Latency(int rate, int seconds, bool with_view, long* frames, long* rows) {
  const int count = rate * seconds;
  Writer writer(count, rate);
  CSessionData session{SessionOptions{}};
  AddMaster(session.store(), u"000100", u"코스피주", 1, 0, 36650, 47600, 25700);
  Window host;
  (void)host.Create(nullptr, 0, {0, 0, 600, 780}, u"bench", {WindowKind::kTopLevel, true});
  CHogaView view(session);
  (void)view.Create(&host, 1, {0, 0, CHogaCanvas::kWidth, CHogaCanvas::kHeight}, u"");
  std::vector<double> latencies;
  RoutedOnly routed(writer, latencies);
  CQZSocket socket(session, u"bench");
  socket.SetOrderBookView(with_view ? static_cast<OrderBookLink*>(&view.feed()) : &routed);
  (void)socket.ConnectTo(u"127.0.0.1", writer.port());
  UiLoop().RunUntil([&] { return socket.connected(); }, std::chrono::seconds(5));
  // The socket passes on only the snapshot of the stock it last asked for.
  Packet ask(code::kOrderBook);
  ask.AddText(u"SHCODE", u"000100");
  (void)socket.Send(ask);
  writer.Start();
  const long frames_before = view.frames();
  const long rows_before = view.canvas().rows_painted();
  int next = 1;
  const auto deadline = std::chrono::seconds(seconds + 5);
  if (with_view) {
    UiLoop().RunUntil(
        [&] {
          const int shown = ToInt(view.screen_book_time());
          const auto now = Steady::now();
          for (; next <= shown && next <= count; ++next)
            latencies.push_back(Ms(now - writer.written(next)));
          return next > count;
        },
        deadline);
  } else {
    UiLoop().RunUntil([&] { return routed.last >= count; }, deadline);
  }
  writer.Stop();
  socket.Drop();
  if (frames) *frames = view.frames() - frames_before;
  if (rows) *rows = view.canvas().rows_painted() - rows_before;
  view.Destroy();
  host.Destroy();
  return Summarise(latencies);
}

// ---- processor time

void Idle(int seconds) {
  (void)UiLoop().RunUntil([] { return false; }, std::chrono::seconds(seconds));
}

void ProcessorTime(int seconds, const char* speed) {
  constexpr int kStocks = 2600;
  bench::MarketProcess market({"--speed", speed, "--stocks", std::to_string(kStocks)});
  if (market.port() == 0) {
    std::printf("the demo market did not start\n");
    return;
  }
  CDecoder decoder;
  (void)decoder.Load(VELLORAN_DECODER_DIR);
  CSessionData session{SessionOptions{{}, nullptr, &decoder}};
  CMainFrame frame(session, {u"127.0.0.1", market.port(), u"demo"});
  (void)frame.CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080});
  frame.ShowNormal();
  if (!UiLoop().RunUntil([&] { return session.Read()->master.size() == kStocks; },
                         std::chrono::seconds(30))) {
    std::printf("the client did not log in\n");
    return;
  }
  Idle(2);
  double c0 = bench::CpuSeconds();
  Idle(seconds);
  const double idle = bench::CpuSeconds() - c0;

  // The busiest stock of the day before, picked as the top bar picks.
  std::u16string code, market_text;
  {
    const auto data = session.Read();
    int most = -1;
    for (const auto& [c, master] : data->master) {
      const int volume = master->GetInt(u"JNILVOL", 0);
      if (volume > most) {
        most = volume;
        code = c;
        market_text = master->GetText(u"MARKET", u"");
      }
    }
  }
  Packet pick(code::kOrderBook);
  pick.AddText(u"SHCODE", code);
  pick.AddText(u"P_SHOCODE", u"");
  pick.AddText(u"MARKET", market_text);
  pick.AddInt(u"SOC", 1);
  pick.AddInt(u"KOA", 1);
  (void)session.Send(pick);
  auto& view = dynamic_cast<CHogaView&>(frame.hoga_view());
  (void)UiLoop().RunUntil([&] { return view.book().code == code; }, std::chrono::seconds(5));
  Idle(2);  // the charts' replies
  const long changes = view.changes(), frames = view.frames();
  c0 = bench::CpuSeconds();
  Idle(seconds);
  const double subscribed = bench::CpuSeconds() - c0;
  std::printf("client processor time, demo market at %sx its real speed, %d s each\n", speed,
              seconds);
  std::printf("  logged in, no stock picked (baseline): %.1f %% of a core\n", idle * 100 / seconds);
  std::printf("  %s subscribed: %.1f %% of a core; %.1f changes/s, %.1f frames/s\n",
              Utf16ToUtf8(code).c_str(), subscribed * 100 / seconds,
              static_cast<double>(view.changes() - changes) / seconds,
              static_cast<double>(view.frames() - frames) / seconds);
  std::printf("  ratio subscribed / baseline: %.3g (%.2f ms of processor time a second more)\n",
              idle > 0 ? subscribed / idle : 0.0, (subscribed - idle) * 1000 / seconds);
  frame.Destroy();
}

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  using namespace velloran;
  (void)testing_host::App();
  const int latency_s = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;
  std::printf("HOGA update, demo market's write -> the window's paint that shows it\n");
  for (const int rate : {20, 200}) {
    long frames = 0, rows = 0;
    const Percentiles base = Latency(rate, latency_s, false, nullptr, nullptr);
    const Percentiles view = Latency(rate, latency_s, true, &frames, &rows);
    std::printf(
        "  %3d/s, %zu updates: view p50 %.2f ms, p99 %.2f ms, max %.2f ms; %ld frames, %.1f rows "
        "a frame\n",
        rate, view.n, view.p50, view.p99, view.max, frames,
        frames > 0 ? static_cast<double>(rows) / frames : 0.0);
    std::printf("         routed only (baseline): p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                base.p50, base.p99, base.max);
    std::printf("         ratio view / baseline: p50 %.3g, p99 %.3g; p99 / a 60 Hz frame %.3g\n",
                base.p50 > 0 ? view.p50 / base.p50 : 0.0, base.p99 > 0 ? view.p99 / base.p99 : 0.0,
                view.p99 / (1000.0 / 60));
  }
  const int cpu_s = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  ProcessorTime(cpu_s, "1");
  ProcessorTime(cpu_s, "20");
  return 0;
}
