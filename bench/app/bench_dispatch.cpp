// Packets through push -> worker -> Dispatch -> posted message, for a stream
// of quote updates and screening hits: throughput, and the time from push to
// post at an offered 100,000 packets a second. The baseline is a literal
// worker that takes one packet per pass and sleeps 1 ms after each pass; the
// bound for any worker is Dispatch itself on one thread (BM_DispatchOnly).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "app/session_data.h"
#include "bench/ratio_report.h"
#include "net/text_util.h"

namespace velloran {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr int kStocks = 50;

// Takes every posted message at once and notes when it came.
class TimingQueue : public MessageQueue {
 public:
  void Reset(std::size_t expected) {
    times_.assign(expected, {});
    count_ = 0;
  }
  void Push(WindowHandle, WindowMessage) override {
    const auto now = SteadyClock::now();
    const std::size_t i = count_.load(std::memory_order_relaxed);
    if (i < times_.size()) times_[i] = now;
    count_.store(i + 1, std::memory_order_release);  // one posting thread
  }
  void WaitFor(std::size_t n) const {
    while (count_.load(std::memory_order_acquire) < n) std::this_thread::yield();
  }
  const std::vector<SteadyClock::time_point>& times() const { return times_; }

 private:
  std::vector<SteadyClock::time_point> times_;
  std::atomic<std::size_t> count_{0};
};

class Sink : public MessageWindow {
 public:
  using MessageWindow::MessageWindow;
};

std::u16string QuoteFields(std::mt19937& rng) {
  std::u16string q = FormatInt(90000 + rng() % 60000) + u"|2|" + FormatInt(rng() % 500) + u"|" +
                     FormatReal2((rng() % 3000) / 100.0) + u"|" + FormatInt(1000 + rng() % 90000);
  for (int i = 5; i < 26; ++i) {
    q += u'|';
    q += FormatInt(rng() % 1000000);
  }
  return q;
}

std::u16string Code(int i) {
  return FormatInt06(100000 + i);
}

Packet Hit(std::mt19937& rng, int stock) {
  Packet p(3007);
  p.AddText(u"SHCODE", Code(stock));
  p.AddText(u"HNAME", u"한빛전자");
  p.AddInt(u"MARKET", 1);
  p.AddText(u"CPKT", QuoteFields(rng));
  p.AddInt(u"BTOT", rng() % 5000000);
  p.AddInt(u"STOT", rng() % 5000000);
  p.AddText(u"DT", u"20261208093015");
  p.AddInt(u"PRC", 12000);
  std::u16string day50;
  for (int d = 0; d < 50; ++d) {
    day50 +=
        FormatInt(20261208 - d) + u"|11900|12100|11800|12000|" + FormatInt(rng() % 900000) + u"\n";
  }
  p.AddText(u"DAY50", day50);
  p.AddText(u"SOC", u"1");
  return p;
}

Packet Quote(std::mt19937& rng, int stock) {
  Packet p(2002);
  p.AddText(u"RES", u"CPRC");
  p.AddText(u"STKCD", Code(stock));
  p.AddText(u"DATA", QuoteFields(rng));
  p.AddInt(u"BTOT", rng() % 5000000);
  p.AddInt(u"STOT", rng() % 5000000);
  return p;
}

// Every hit_every-th packet a screening hit (none for 0), the rest quotes;
// every quote posts.
struct Stream {
  std::vector<Packet> packets;
  std::vector<bool> posts;
  std::size_t post_count = 0;
};

Stream MakeStream(int n, int hit_every = 10) {
  std::mt19937 rng(7);
  Stream s;
  for (int i = 0; i < n; ++i) {
    const bool hit = hit_every > 0 && i % hit_every == hit_every - 1;
    s.packets.push_back(hit ? Hit(rng, i % kStocks) : Quote(rng, i % kStocks));
    s.posts.push_back(!hit);
    s.post_count += hit ? 0 : 1;
  }
  return s;
}

// The worker as first written: one packet per pass, 1 ms sleep per pass.
class LiteralWorker {
 public:
  explicit LiteralWorker(CSessionData& session) : session_(session) {
    thread_ = std::thread([this] { Run(); });
  }
  ~LiteralWorker() {
    run_ = false;
    thread_.join();
    Packet* p = nullptr;
    while (incoming_.try_dequeue(p)) delete p;
    while (history_.try_dequeue(p)) delete p;
  }
  void Push(std::unique_ptr<Packet> p) { incoming_.enqueue(p.release()); }

 private:
  void Run() {
    while (run_) {
      Packet* p = nullptr;
      if (incoming_.try_dequeue(p)) {
        session_.Dispatch(*p);
        history_.enqueue(p);
      }
      if (history_.size_approx() > CSessionData::kHistoryLimit && history_.try_dequeue(p)) delete p;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  CSessionData& session_;
  moodycamel::ConcurrentQueue<Packet*> incoming_;
  moodycamel::ConcurrentQueue<Packet*> history_;
  std::atomic<bool> run_{true};
  std::thread thread_;
};

// A store in grid mode with a record for every stock of the stream.
struct Bench {
  Bench() : sink(queue), session(SessionOptions{}) {
    session.SetWindows({{}, {}, sink.handle(), {}});
    session.set_display_mode(1);
    session.set_market_filter(0);  // the stream's hits name KOSPI
    std::mt19937 rng(1);
    for (int i = 0; i < kStocks; ++i) {
      Packet p = Hit(rng, i);
      session.Dispatch(p);
    }
  }
  TimingQueue queue;
  Sink sink;
  CSessionData session;
};

template <bool kLiteral>
void Run(benchmark::State& state, Bench& b, const Stream& stream, bool paced,
         std::vector<double>* latencies_us) {
  std::unique_ptr<LiteralWorker> literal;
  if constexpr (kLiteral) {
    literal = std::make_unique<LiteralWorker>(b.session);
  } else {
    b.session.StartWorker();
  }
  std::vector<SteadyClock::time_point> pushed;
  pushed.reserve(stream.post_count);
  for (auto _ : state) {
    b.queue.Reset(stream.post_count);
    pushed.clear();
    const auto start = SteadyClock::now();
    for (std::size_t i = 0; i < stream.packets.size(); ++i) {
      if (paced) {
        const auto due = start + std::chrono::microseconds(10) * i;  // 100,000 a second
        while (SteadyClock::now() < due) {
        }
      }
      auto p = std::make_unique<Packet>(stream.packets[i]);
      if (stream.posts[i]) pushed.push_back(SteadyClock::now());
      if constexpr (kLiteral) {
        literal->Push(std::move(p));
      } else {
        b.session.PushIncoming(std::move(p));
      }
    }
    b.queue.WaitFor(stream.post_count);
    if (latencies_us) {
      for (std::size_t k = 0; k < pushed.size(); ++k) {
        latencies_us->push_back(
            std::chrono::duration<double, std::micro>(b.queue.times()[k] - pushed[k]).count());
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(stream.packets.size()));
}

double Percentile(std::vector<double>& v, double q) {
  if (v.empty()) return 0;
  const auto at = v.begin() + static_cast<std::ptrdiff_t>(q * (v.size() - 1));
  std::nth_element(v.begin(), at, v.end());
  return *at;
}

template <bool kLiteral>
void BM_Throughput(benchmark::State& state) {
  Bench b;
  const Stream stream = MakeStream(static_cast<int>(state.range(0)));
  Run<kLiteral>(state, b, stream, false, nullptr);
}

template <bool kLiteral>
void BM_Latency(benchmark::State& state) {
  Bench b;
  const Stream stream = MakeStream(static_cast<int>(state.range(0)));
  std::vector<double> latencies;
  Run<kLiteral>(state, b, stream, true, &latencies);
  state.counters["p50_us"] = Percentile(latencies, 0.50);
  state.counters["p99_us"] = Percentile(latencies, 0.99);
}

// The bound: the same packets handed to Dispatch on one thread, no queue.
void BM_DispatchOnly(benchmark::State& state) {
  Bench b;
  const Stream stream =
      MakeStream(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    b.queue.Reset(stream.post_count);
    for (const Packet& p : stream.packets) {
      auto copy = std::make_unique<Packet>(p);
      b.session.Dispatch(*copy);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(stream.packets.size()));
}

// Quotes only: the live market between screening batches.
void BM_QuotesBlocking(benchmark::State& state) {
  Bench b;
  const Stream stream = MakeStream(static_cast<int>(state.range(0)), 0);
  Run<false>(state, b, stream, false, nullptr);
}

void BM_ThroughputBlocking(benchmark::State& s) {
  BM_Throughput<false>(s);
}
void BM_ThroughputLiteral(benchmark::State& s) {
  BM_Throughput<true>(s);
}
void BM_LatencyBlocking(benchmark::State& s) {
  BM_Latency<false>(s);
}
void BM_LatencyLiteral(benchmark::State& s) {
  BM_Latency<true>(s);
}

// The literal worker manages about a thousand packets a second, so its runs
// are short streams measured once.
BENCHMARK(BM_DispatchOnly)
    ->Args({2000, 10})
    ->Args({2000, 0})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThroughputBlocking)
    ->Arg(2000)
    ->Arg(200000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuotesBlocking)->Arg(200000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThroughputLiteral)
    ->Arg(2000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
// A two-core machine shared with anything else now and then stops one of the
// two threads for a scheduler tick; the median of five runs is reported.
BENCHMARK(BM_LatencyBlocking)
    ->Arg(2000)
    ->Arg(50000)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LatencyLiteral)
    ->Arg(2000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The search list of a master of 2,600 stocks after the first login: taken
// whole (as the dispatcher does) against one stock at a time, which costs
// what a search and an insert per stock did.
void BM_NameList(benchmark::State& state) {
  constexpr int kMaster = 2600;
  std::mt19937 rng(3);
  std::vector<std::unique_ptr<Packet>> master;
  for (int i = 0; i < kMaster; ++i) {
    std::u16string name;
    for (int k = 0; k < 4; ++k) name += static_cast<char16_t>(0xAC00 + rng() % 11172);
    master.push_back(std::make_unique<Packet>(u"<PKT><GBN>3002</GBN><SHCODE>" + Code(i) +
                                              u"</SHCODE><HNAME>" + name + u"</HNAME></PKT>"));
  }
  const bool whole = state.range(0) != 0;
  for (auto _ : state) {
    CSessionData session{SessionOptions{}};
    session.store().first_login = 0;
    if (whole) {
      std::vector<const Packet*> all;
      for (const auto& p : master) all.push_back(p.get());
      session.AddToNameList(std::move(all));
    } else {
      for (const auto& p : master) session.AddToNameList({p.get()});
    }
    benchmark::DoNotOptimize(session.Read()->name_list.data());
  }
}

BENCHMARK(BM_NameList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv,
                                 {{"BM_ThroughputBlocking", "BM_ThroughputLiteral"},
                                  {"BM_LatencyBlocking", "BM_LatencyLiteral"}});
}
