// The client's resident memory over a long session: the demo market as a
// process of its own (so that its memory is not counted), ten times its speed
// by default, dropping every connection every --drop seconds; the client's
// main frame logged in to it with the grid shown, the first stock of the
// screen in the order book, and the screens switched in turn every --switch
// seconds. Prints VmRSS every --sample seconds, then the slope of a
// least-squares line through the samples after --warmup seconds and how far
// the last sample stands from the first of them.
//
//   soak_memory [--minutes M] [--speed X] [--drop S] [--switch S] [--sample S] [--warmup S]
//               [--hold 1]
//
// With --hold 1 the program ends without freeing anything, so that a heap
// profiler (heaptrack) lists everything still held at the end by where it was
// allocated.
//
// Not a Google Benchmark (it runs for minutes): scripts/bench.sh leaves it out.

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "bench/market_process.h"
#include "grid/qz_view.h"
#include "grid/top_bar.h"
#include "net/decoder.h"
#include "net/stock_code.h"
#include "platform/control_codes.h"
#include "platform/window_messages.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

struct Options {
  double minutes = 12;
  std::string speed = "10";
  int drop_s = 20;
  int switch_s = 20;
  int sample_s = 10;
  int warmup_s = 120;
  bool hold = false;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* v = argv[i + 1];
    if (name == "--minutes") {
      o.minutes = std::atof(v);
    } else if (name == "--speed") {
      o.speed = v;
    } else if (name == "--drop") {
      o.drop_s = std::atoi(v);
    } else if (name == "--switch") {
      o.switch_s = std::atoi(v);
    } else if (name == "--sample") {
      o.sample_s = std::atoi(v);
    } else if (name == "--warmup") {
      o.warmup_s = std::atoi(v);
    } else if (name == "--hold") {
      o.hold = std::atoi(v) != 0;
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && o.minutes > 0 && o.switch_s > 0 && o.sample_s > 0 && o.warmup_s >= 0;
}

struct Sample {
  double t_s;
  double mib;
};

int Run(const Options& o) {
  Application& app = testing_host::App();
  std::vector<std::string> args{"--speed", o.speed, "--stocks", "2600"};
  if (o.drop_s > 0) args.insert(args.end(), {"--fault-drop", std::to_string(o.drop_s)});
  bench::MarketProcess market(args);
  CDecoder decoder;
  if (market.port() == 0 || decoder.Load(VELLORAN_DECODER_DIR) != DecoderLoad::kOk) {
    std::fprintf(stderr, "no market or no decoder\n");
    return 1;
  }
  auto session = std::make_unique<CSessionData>(SessionOptions{{}, nullptr, &decoder});
  auto frame =
      std::make_unique<CMainFrame>(*session, SessionEndpoint{u"127.0.0.1", market.port(), u"demo"});
  if (!frame->CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080})) return 1;
  frame->ShowNormal();
  auto& view = static_cast<CQZView&>(frame->qz_view());
  auto& bar = static_cast<CTopBar&>(frame->top_bar());
  if (!app.loop().RunUntil([&] { return !view.search_time().empty(); }, std::chrono::seconds(60))) {
    std::fprintf(stderr, "no first result\n");
    return 1;
  }
  bar.grid_button().CommandParent(ctl::kButtonClicked);

  constexpr int kScreens[] = {3004, 3005, 3006, 3007};
  std::size_t next_screen = 0;
  bool picked = false;
  std::vector<Sample> samples;
  const auto start = std::chrono::steady_clock::now();
  const int total_s = static_cast<int>(o.minutes * 60);
  std::printf("# t_s rss_mib connects records master\n");
  for (int t = 1; t <= total_s; ++t) {
    app.loop().RunUntil([] { return false; }, std::chrono::seconds(1));
    if (!picked) {
      std::u16string code;
      {
        const auto store = session->Read();
        if (!store->records.empty()) code = store->records.begin()->first;
      }
      if (!code.empty()) {
        picked = true;
        PostMessage(bar.handle(), msg::kSelectStock, static_cast<WParam>(PackStockCode(code)), 0);
      }
    }
    if (t % o.switch_s == 0) {
      bar.list_button(kScreens[next_screen]).CommandParent(ctl::kButtonClicked);
      next_screen = (next_screen + 1) % std::size(kScreens);
    }
    if (t % o.sample_s == 0) {
      const double t_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const double mib = bench::ResidentMiB();
      std::size_t records = 0, master = 0;
      {
        const auto store = session->Read();
        records = store->records.size();
        master = store->master.size();
      }
      samples.push_back({t_s, mib});
      std::printf("%.0f %.1f %d %zu %zu\n", t_s, mib, frame->driver().connect_count(), records,
                  master);
      std::fflush(stdout);
    }
  }

  // Least squares over the samples after the warm-up.
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  const Sample* first = nullptr;
  const Sample* last = nullptr;
  for (const Sample& s : samples) {
    if (s.t_s < o.warmup_s) continue;
    if (first == nullptr) first = &s;
    last = &s;
    n += 1;
    sx += s.t_s;
    sy += s.mib;
    sxx += s.t_s * s.t_s;
    sxy += s.t_s * s.mib;
  }
  if (n >= 2 && first != nullptr) {
    const double slope_per_s = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    std::printf("slope %.3f MiB/min over %.0f s after %d s; first %.1f MiB, last %.1f MiB (%+.1f %%); "
                "%d connections\n",
                slope_per_s * 60, last->t_s - first->t_s, o.warmup_s, first->mib, last->mib,
                (last->mib - first->mib) * 100 / first->mib, frame->driver().connect_count());
  }
  std::fflush(stdout);
  if (o.hold) _exit(0);  // the market goes with its parent
  frame.reset();
  session.reset();
  return 0;
}

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  velloran::Options o;
  if (!velloran::ParseOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: soak_memory [--minutes M] [--speed X] [--drop S] [--switch S] "
                 "[--sample S] [--warmup S] [--hold 1]\n");
    return 2;
  }
  return velloran::Run(o);
}
