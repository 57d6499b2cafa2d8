// The whole client at the market's busiest minutes. The demo market runs as
// its own program; the client's main frame is logged in to it with the grid
// of the first screen shown, the busiest stock of the day before in the order
// book and its two charts. Three runs: through the open (--open: the first
// minutes at a busy open's rate, from 09:00:00 at the market's own speed), and
// the day at 10 and 50 times its speed. Each reports the client's processor
// time, its resident memory, its longest stall of the user-interface thread
// and the order book's changes and repaints, against a baseline in the same
// run: the bare packet path, a session socket that cuts the same stream
// (the same screen and book asked for) into packets and drops them. Then the
// time from a quote's arrival to the paint of its grid row.
//
//   bench_open [seconds per run, default 30] [runs: open,10,50 by default]
//
// Not a Google Benchmark (each run takes its own market): scripts/bench.sh
// runs it with its default.

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "bench/client_watch.h"
#include "bench/market_process.h"
#include "grid/qz_view.h"
#include "hoga/hoga_view.h"
#include "net/decoder.h"
#include "net/message_codes.h"
#include "net/session_requests.h"
#include "net/session_socket.h"
#include "net/stock_code.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "platform/window_messages.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

using std::chrono::seconds;

void Run(seconds s) {
  (void)UiLoop().RunUntil([] { return false; }, s);
}

struct Figures {
  double cpu_share = 0;  // of one core
  double resident_mib = 0;
  double stall_ms = 0;
  double packets_per_s = 0;
  double changes_per_s = 0, frames_per_s = 0;
  double row_p50_ms = 0, row_p99_ms = 0;  // a quote to its grid row's paint
  std::size_t rows_measured = 0;
};

// Tick-to-pixel on the grid: a second session in this process, asking for
// the same screen, notes when a quote of a stock whose row is in view
// arrives (the market writes it to both sessions in the same step), and the
// grid tells each row it paints; measured from the first quote not yet
// shown to the paint of its row. The session costs processor time of its
// own, so it runs after the processor time is taken.
class RowLatency : public IncomingQueue {
 public:
  explicit RowLatency(CQZListCtrl& grid) : grid_(grid) {
    grid_.SetRowPainted([this](std::u16string_view code) { Painted(code); });
    // A row that left the view (the screen refilled, the sort moved it)
    // before it was painted is not shown late: it is not shown.
    QObject::connect(&prune_, &QTimer::timeout, [this] {
      std::erase_if(waiting_, [this](const auto& w) { return !InView(w.first); });
    });
    prune_.start(10);
  }
  ~RowLatency() override { grid_.SetRowPainted({}); }

  void PushIncoming(std::unique_ptr<Packet> p) override {
    if (p->GetInt(u"GBN", 0) != code::kRealtime || p->GetText(u"RES", u"") != u"CPRC") return;
    const std::u16string code = p->GetText(u"STKCD", u"");
    if (InView(code)) waiting_.try_emplace(code, std::chrono::steady_clock::now());
  }
  void ClearIncoming() override { waiting_.clear(); }

  // p50 and p99 in milliseconds, and how many were measured.
  void Figures(Figures& f) {
    std::sort(latencies_.begin(), latencies_.end());
    f.rows_measured = latencies_.size();
    if (latencies_.empty()) return;
    f.row_p50_ms = latencies_[latencies_.size() / 2];
    f.row_p99_ms = latencies_[latencies_.size() * 99 / 100];
  }

 private:
  [[nodiscard]] bool InView(std::u16string_view code) const { return grid_.RowInView(code) >= 0; }

  void Painted(std::u16string_view code) {
    const auto it = waiting_.find(std::u16string(code));
    if (it == waiting_.end()) return;
    latencies_.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - it->second)
            .count());
    waiting_.erase(it);
  }

  CQZListCtrl& grid_;
  std::unordered_map<std::u16string, std::chrono::steady_clock::time_point> waiting_;
  std::vector<double> latencies_;
  QTimer prune_;
};

struct Market {
  std::vector<std::string> args;
  const char* name;
  const char* key;  // picked on the command line
};

// The market's day reached 09:00:00 (a market that starts later is there).
bool AwaitOpen(const CSessionData& session) {
  return UiLoop().RunUntil([&] { return session.server_time_of_day() >= 90000; }, seconds(60));
}

// The bare packet path: a session socket whose packets are counted and freed.
Figures Bare(const Market& m, seconds length, const std::u16string& code,
             const std::u16string& market_text) {
  struct Drop : IncomingQueue {
    void PushIncoming(std::unique_ptr<Packet>) override {}
    void ClearIncoming() override {}
  } drop;
  bench::MarketProcess market(m.args);
  Figures f;
  if (market.port() == 0) return f;
  CQZSocket socket(drop, u"demo");
  (void)socket.ConnectTo(u"127.0.0.1", market.port());
  (void)socket.Send(ScreenRequest(u"", code::kScreenReverse, 0, 0));
  (void)socket.Send(BookRequest(code, u"", market_text));
  (void)UiLoop().RunUntil([&] { return socket.packets_received() > 0; }, seconds(10));
  // A market that starts before the open is waited for (it has no clock to
  // ask here): it starts at 08:59:30 at its own speed.
  const bool before_open = std::find(m.args.begin(), m.args.end(), "--open") != m.args.end();
  Run(seconds(before_open ? 31 : 2));
  bench::StallWatch stall;
  stall.Start();
  const std::uint64_t packets = socket.packets_received();
  const double c0 = bench::CpuSeconds();
  Run(length);
  f.cpu_share = (bench::CpuSeconds() - c0) / static_cast<double>(length.count());
  f.stall_ms = stall.Stop();
  f.packets_per_s = static_cast<double>(socket.packets_received() - packets) / length.count();
  f.resident_mib = bench::ResidentMiB();
  return f;
}

// The whole client; code and market_text say which stock it picked.
Figures Whole(const Market& m, seconds length, std::u16string& code, std::u16string& market_text) {
  bench::MarketProcess market(m.args);
  Figures f;
  if (market.port() == 0) return f;
  CDecoder decoder;
  (void)decoder.Load(VELLORAN_DECODER_DIR);
  CSessionData session{SessionOptions{{}, nullptr, &decoder}};
  CMainFrame frame(session, {u"127.0.0.1", static_cast<int>(market.port()), u"demo"});
  (void)frame.CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080});
  frame.ShowNormal();
  if (!UiLoop().RunUntil([&] { return !session.Read()->master.empty(); }, seconds(30))) {
    std::printf("  the client did not log in\n");
    return f;
  }
  code = bench::BusiestStock(*session.Read(), market_text);
  session.set_display_mode(1);  // the grid
  PostMessage(frame.qz_view().handle(), msg::kNotify, static_cast<WParam>(code::kScreenRequest), 0);
  PostMessage(frame.top_bar().handle(), msg::kSelectStock, PackStockCode(code), 0);
  auto& book = dynamic_cast<CHogaView&>(frame.hoga_view());
  (void)UiLoop().RunUntil([&] { return book.book().code == code; }, seconds(10));
  if (!AwaitOpen(session)) std::printf("  the market's clock never reached 09:00\n");
  Run(seconds(1));
  bench::StallWatch stall;
  stall.Start();
  const std::uint64_t packets = frame.driver().Status().packets_received;
  const long changes = book.changes(), frames = book.frames();
  const double c0 = bench::CpuSeconds();
  Run(length);
  f.cpu_share = (bench::CpuSeconds() - c0) / static_cast<double>(length.count());
  f.stall_ms = stall.Stop();
  f.resident_mib = bench::ResidentMiB();
  f.packets_per_s =
      static_cast<double>(frame.driver().Status().packets_received - packets) / length.count();
  f.changes_per_s = static_cast<double>(book.changes() - changes) / length.count();
  f.frames_per_s = static_cast<double>(book.frames() - frames) / length.count();

  auto& view = dynamic_cast<CQZView&>(frame.qz_view());
  RowLatency rows(view.grid());
  CQZSocket tap(rows, u"demo");
  (void)tap.ConnectTo(u"127.0.0.1", market.port());
  (void)tap.Send(ScreenRequest(u"", code::kScreenReverse, 0, 0));
  Run(std::max(length / 3, seconds(5)));
  rows.Figures(f);
  frame.Destroy();
  return f;
}

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  using namespace velloran;
  (void)testing_host::App();
  const seconds length(argc > 1 ? std::max(5, std::atoi(argv[1])) : 30);
  const std::vector<Market> markets = {
      {{"--open", "--speed", "1"}, "the open (from 09:00:00, 1x)", "open"},
      {{"--speed", "10", "--start", "100000"}, "the day at 10x (from 10:00)", "10"},
      {{"--speed", "50", "--start", "100000"}, "the day at 50x (from 10:00)", "50"},
  };
  const std::string runs = argc > 2 ? argv[2] : "open,10,50";
  std::printf("the whole client, grid + book + both charts, %lld s a run\n",
              static_cast<long long>(length.count()));
  for (const Market& m : markets) {
    if (("," + runs + ",").find(std::string(",") + m.key + ",") == std::string::npos) continue;
    std::u16string code, market_text;
    const Figures whole = Whole(m, length, code, market_text);
    const Figures bare = Bare(m, length, code, market_text);
    std::printf("%s, book of %s\n", m.name, Utf16ToUtf8(code).c_str());
    std::printf(
        "  client: %.1f %% of a core, %.0f MiB resident, longest stall %.1f ms, %.0f packets/s; "
        "book %.0f changes/s, %.0f repaints/s\n",
        whole.cpu_share * 100, whole.resident_mib, whole.stall_ms, whole.packets_per_s,
        whole.changes_per_s, whole.frames_per_s);
    std::printf("  a quote to its grid row's paint: p50 %.2f ms, p99 %.2f ms (%zu quotes)\n",
                whole.row_p50_ms, whole.row_p99_ms, whole.rows_measured);
    std::printf("  bare packet path (baseline): %.1f %% of a core, longest stall %.1f ms, %.0f packets/s\n",
                bare.cpu_share * 100, bare.stall_ms, bare.packets_per_s);
    std::printf("  ratio client / baseline: processor %.3g, per packet %.3g; stall / a 60 Hz frame %.3g\n",
                bare.cpu_share > 0 ? whole.cpu_share / bare.cpu_share : 0.0,
                bare.cpu_share > 0 && whole.packets_per_s > 0 && bare.packets_per_s > 0
                    ? (whole.cpu_share / whole.packets_per_s) / (bare.cpu_share / bare.packets_per_s)
                    : 0.0,
                whole.stall_ms / (1000.0 / 60));
  }
  return 0;
}
