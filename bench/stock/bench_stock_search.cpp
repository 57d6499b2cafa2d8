// Typing a one-syllable prefix into a stock search box over the demo
// market's 2,600 names: the box finds the names in its index and shows them
// in its drop-down list (offscreen). The baseline is a plain linear scan of
// the same names, upper-casing each and comparing its start, collecting the
// matches. The index lookup alone is measured too. The prefix is the most
// common first syllable of the names, the box's worst case of one syllable.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/session_data.h"
#include "bench/ratio_report.h"
#include "platform/application.h"
#include "server/market.h"
#include "server/wire_text.h"
#include "stock/stk_wnd.h"
#include "stock/stock_name_index.h"
#include "tests/platform/offscreen_app.h"

namespace velloran {
namespace {

struct Fixture {
  Application& app = testing_host::App();  // before the windows
  CSessionData session{SessionOptions{}};
  Window host;
  CStkWnd box;
  std::u16string prefix;
  std::u16string other;  // the second most common, typed in turn

  Fixture() {
    const server::Market market(server::MarketConfig{});
    std::map<char16_t, int> first;
    for (const server::Stock& s : market.stocks()) {
      auto p = std::make_unique<Packet>(server::MasterLine(s));
      const std::u16string code = p->GetText(u"SHCODE", u"");
      const Packet* stored = nullptr;
      {
        auto data = session.store().Write();
        stored = (data->master[code] = std::move(p)).get();
      }
      session.AddToNameList({stored});
      ++first[s.name.empty() ? u' ' : s.name[0]];
    }
    std::vector<std::pair<int, char16_t>> counts;
    for (const auto& [c, n] : first) counts.emplace_back(n, c);
    std::sort(counts.rbegin(), counts.rend());
    prefix = std::u16string(1, counts[0].second);
    other = std::u16string(1, counts[1].second);
    (void)host.Create(nullptr, 0, {0, 0, 400, 300}, u"bench", {WindowKind::kTopLevel, true});
    (void)box.Create({20, 20, 110, 38}, &host, 2540, 338, 337);
    box.SetSources(&session);
  }
  ~Fixture() {
    box.Destroy();
    host.Destroy();
  }
};

Fixture& TheFixture() {
  static Fixture* f = new Fixture;
  return *f;
}

void BM_TypeSyllableShown(benchmark::State& state) {
  Fixture& f = TheFixture();
  std::size_t shown = 0;
  bool flip = false;
  for (auto _ : state) {
    // As typing would: the text changes each time, and the list follows.
    f.box.Search(flip ? f.other : f.prefix);
    flip = !flip;
    shown += f.box.list().list().ItemCount();
  }
  if (!f.box.list().IsShown()) state.SkipWithError("the list did not show");
  state.counters["rows"] = static_cast<double>(shown) / state.iterations();
}
BENCHMARK(BM_TypeSyllableShown);

void BM_IndexLookup(benchmark::State& state) {
  Fixture& f = TheFixture();
  StockNameIndex index;
  index.Build(f.session.Read()->name_list);
  std::vector<CStkWnd::Row> rows;
  bool flip = false;
  for (auto _ : state) {
    rows.clear();
    for (const StockName& e : index.Find(flip ? f.other : f.prefix)) rows.push_back({e.name, e.code});
    flip = !flip;
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_IndexLookup);

// Every name, upper-cased and compared at its start.
void BM_LinearScan(benchmark::State& state) {
  Fixture& f = TheFixture();
  std::vector<CStkWnd::Row> rows;
  bool flip = false;
  for (auto _ : state) {
    rows.clear();
    const std::u16string& typed = flip ? f.other : f.prefix;
    const auto data = f.session.Read();
    for (const Packet* p : data->name_list) {
      const std::u16string name = UpperName(p->GetText(u"HNAME", u""));
      if (name.compare(0, typed.size(), typed) == 0)
        rows.push_back({p->GetText(u"HNAME", u""), p->GetText(u"SHCODE", u"")});
    }
    flip = !flip;
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_LinearScan);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv,
                                 {{"BM_TypeSyllableShown", "BM_LinearScan"},
                                  {"BM_IndexLookup", "BM_LinearScan"}});
}
