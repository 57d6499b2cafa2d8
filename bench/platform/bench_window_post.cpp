// A message posted from another thread until the window procedure has it on
// the user-interface thread, against a bare Qt posted event to a plain
// QObject. One message in flight at a time; the UI thread sleeps in its loop
// between messages as it does in the client. Prints p50 and p99 latencies and
// their ratios.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/ratio_report.h"
#include "platform/application.h"
#include "tests/platform/offscreen_app.h"
#include "platform/window.h"

namespace velloran {
namespace {

using Clock = std::chrono::steady_clock;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
      .count();
}

using testing_host::App;

std::atomic<std::int64_t> handled_ns{0};
// Every latency of every run, in microseconds, by kind ("layer", "qt").
std::map<std::string, std::vector<double>> latencies_us;

class TimedWindow : public Window {
 public:
  LResult WindowProc(WindowMessage& m) override {
    if (m.message == 2027) {
      handled_ns.store(NowNs() - static_cast<std::int64_t>(m.wparam), std::memory_order_release);
      return 0;
    }
    return Window::WindowProc(m);
  }
};

const QEvent::Type kBareEvent = static_cast<QEvent::Type>(QEvent::User + 900);
struct TimedEvent : QEvent {
  explicit TimedEvent(std::int64_t t) : QEvent(kBareEvent), sent_ns(t) {}
  std::int64_t sent_ns;
};
class BareReceiver : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() != kBareEvent) return QObject::event(e);
    handled_ns.store(NowNs() - static_cast<TimedEvent*>(e)->sent_ns, std::memory_order_release);
    return true;
  }
};

double Percentile(const std::vector<double>& sorted, int p) {
  if (sorted.empty()) return 0;
  return sorted[std::min(sorted.size() - 1, sorted.size() * p / 100)];
}

// Runs the benchmark loop with a poster thread that posts once per iteration.
template <typename PostFn>
void RoundTrips(benchmark::State& state, const std::string& name, PostFn post) {
  std::atomic<int> turn{0};
  std::atomic<bool> stop{false};
  std::thread poster([&] {
    int seen = 0;
    while (!stop.load(std::memory_order_acquire)) {
      if (turn.load(std::memory_order_acquire) == seen) {
        std::this_thread::yield();
        continue;
      }
      ++seen;
      post(NowNs());
    }
  });
  std::vector<double> latencies;
  for (auto _ : state) {
    handled_ns.store(-1, std::memory_order_relaxed);
    turn.fetch_add(1, std::memory_order_release);
    while (handled_ns.load(std::memory_order_acquire) < 0)
      App().loop().ProcessEvents(std::chrono::milliseconds(100));
    latencies.push_back(handled_ns.load() / 1000.0);
  }
  stop = true;
  poster.join();
  auto& all = latencies_us[name];
  all.insert(all.end(), latencies.begin(), latencies.end());
  std::sort(latencies.begin(), latencies.end());
  state.counters["p50_us"] = Percentile(latencies, 50);
  state.counters["p99_us"] = Percentile(latencies, 99);
}

void BM_LayerPostMessage(benchmark::State& state) {
  TimedWindow window;
  WindowStyle style;
  style.kind = WindowKind::kTopLevel;
  style.visible = false;
  if (!window.Create(nullptr, 0, {0, 0, 10, 10}, u"", style)) {
    state.SkipWithError("no window");
    return;
  }
  const WindowHandle target = window.handle();
  RoundTrips(state, "layer", [target](std::int64_t t) {
    (void)PostMessage(target, 2027, static_cast<WParam>(t), 0);
  });
}

void BM_QtPostedEvent(benchmark::State& state) {
  BareReceiver receiver;
  RoundTrips(state, "qt", [&receiver](std::int64_t t) {
    QCoreApplication::postEvent(&receiver, new TimedEvent(t));
  });
}

BENCHMARK(BM_QtPostedEvent)->Iterations(20000)->UseRealTime();
BENCHMARK(BM_LayerPostMessage)->Iterations(20000)->UseRealTime();

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  velloran::App();
  const int rc = velloran::RunWithRatios(argc, argv, {{"BM_LayerPostMessage", "BM_QtPostedEvent"}});
  auto& all = velloran::latencies_us;
  for (auto& [name, v] : all) std::sort(v.begin(), v.end());
  if (!all["layer"].empty() && !all["qt"].empty()) {
    const double l50 = velloran::Percentile(all["layer"], 50);
    const double l99 = velloran::Percentile(all["layer"], 99);
    const double q50 = velloran::Percentile(all["qt"], 50);
    const double q99 = velloran::Percentile(all["qt"], 99);
    std::printf(
        "latency post -> handled over all runs: layer p50 %.1f us p99 %.1f us; bare Qt "
        "p50 %.1f us p99 %.1f us; ratio p50 %.2f p99 %.2f\n",
        l50, l99, q50, q99, l50 / q50, l99 / q99);
  }
  return rc;
}
