// The screen journal on the dispatcher's path: recording a batch end in
// which 3,000 stocks change (1,500 enter, 1,500 leave) against dispatching
// that batch (its 3,000 hits and the end). Also the size of a journal line,
// for the size of a busy day's file.
#include <memory>
#include <vector>

#include "app/session_data.h"
#include "bench/ratio_report.h"
#include "net/text_util.h"

namespace velloran {
namespace {

constexpr int kHits = 3000;  // a batch's stocks; half of them new to the next
constexpr int kFirstA = 100000, kFirstB = kFirstA + kHits / 2;

std::vector<std::unique_ptr<Packet>> BatchOf(int first_code) {
  std::vector<std::unique_ptr<Packet>> packets;
  for (int i = 0; i < kHits; ++i) {
    const int price = 1000 + i;
    std::u16string q = u"93000|2|10|1.25|" + FormatInt(price);
    for (int f = 5; f < 26; ++f) q += u"|" + FormatInt(f * 7 + i);
    packets.push_back(std::make_unique<Packet>(
        u"<PKT><GBN>3007</GBN><SHCODE>" + FormatInt06(first_code + i) + u"</SHCODE><HNAME>종목" +
        FormatInt(i) + u"</HNAME><MARKET>2</MARKET><PRC>" + FormatInt(price) + u"</PRC><BTOT>100</BTOT>"
        u"<STOT>300</STOT><CPKT>" + q + u"</CPKT></PKT>"));
  }
  packets.push_back(std::make_unique<Packet>(
      u"<PKT><GBN>3014</GBN><END>1</END><DT>20240105100000</DT></PKT>"));
  return packets;
}

// Dispatching the batch: a switch drops the last batch's records, then the
// hits and the end (whose journal work is a part of it).
void BM_DispatchBatch(benchmark::State& state) {
  CSessionData session(SessionOptions{});
  const auto a = BatchOf(kFirstA), b = BatchOf(kFirstB);
  bool flip = false;
  for (auto _ : state) {
    (void)session.SwitchScreen(3007);
    for (const auto& p : flip ? a : b) session.Dispatch(*p);
    flip = !flip;
  }
  state.SetItemsProcessed(state.iterations());
}

// The journal's part alone: the result alternates between two sets of 3,000
// stocks that share half, so each end records 1,500 entries and 1,500 exits.
void BM_RecordBatch(benchmark::State& state) {
  CSessionData first(SessionOptions{}), second(SessionOptions{});
  for (const auto& p : BatchOf(kFirstA)) first.Dispatch(*p);
  for (const auto& p : BatchOf(kFirstB)) second.Dispatch(*p);
  CScreenJournal journal(JournalOptions{{}, 20240105, 20});
  bool flip = false;
  for (auto _ : state) {
    CSessionData& s = flip ? first : second;
    journal.OnBatchEnd(3007, 2, u"20240105100000", *s.store().Write());
    flip = !flip;
  }
  state.SetItemsProcessed(state.iterations());
  std::string line;
  const auto entries = journal.Entries();
  for (std::size_t i = 0; i < 1000 && i < entries.size(); ++i) AppendJournalLine(entries[i], line);
  state.counters["line_bytes"] = static_cast<double>(line.size()) / 1000.0;
}

// Each iteration adds 3,000 entries kept for the window: a bounded count
// keeps the memory reasonable.
BENCHMARK(BM_DispatchBatch)->Unit(benchmark::kMillisecond)->Iterations(100);
BENCHMARK(BM_RecordBatch)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv, {{"BM_RecordBatch", "BM_DispatchBatch"}});
}
