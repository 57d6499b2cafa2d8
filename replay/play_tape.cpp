#include "replay/play_tape.h"

#include <algorithm>
#include <utility>

#include "replay/play_time.h"

namespace velloran {
namespace {

// Appends the records of a block that keep the order, with their times.
template <typename Record, typename TimeOf>
std::size_t AppendInOrder(std::vector<Record>& block, std::deque<Record>& records,
                          std::deque<std::int64_t>& times, TimeOf time_of) {
  std::size_t kept = 0;
  for (Record& record : block) {
    const std::int64_t ms = HhmmssToMs(time_of(record));
    if (!times.empty() && ms < times.back()) continue;
    records.push_back(std::move(record));
    times.push_back(ms);
    ++kept;
  }
  return kept;
}

std::size_t FirstAtOrAfter(const std::deque<std::int64_t>& times, std::int64_t ms) {
  return static_cast<std::size_t>(std::lower_bound(times.begin(), times.end(), ms) -
                                  times.begin());
}

std::size_t DueEnd(const std::deque<std::int64_t>& times, std::size_t from, std::int64_t ms) {
  while (from < times.size() && times[from] < ms) ++from;
  return from;
}

}  // namespace

void CPlayTape::Clear() {
  snapshots_.clear();
  trades_.clear();
  snapshot_ms_.clear();
  trade_ms_.clear();
}

std::size_t CPlayTape::AppendSnapshots(std::vector<HogaSnapshot> block) {
  return AppendInOrder(block, snapshots_, snapshot_ms_,
                       [](const HogaSnapshot& s) { return s.time; });
}

std::size_t CPlayTape::AppendTrades(std::vector<CPKT> block) {
  return AppendInOrder(block, trades_, trade_ms_, [](const CPKT& t) { return t.Time(); });
}

std::size_t CPlayTape::FirstSnapshotAtOrAfter(std::int64_t ms) const {
  return FirstAtOrAfter(snapshot_ms_, ms);
}

std::size_t CPlayTape::FirstTradeAtOrAfter(std::int64_t ms) const {
  return FirstAtOrAfter(trade_ms_, ms);
}

std::size_t CPlayTape::SnapshotsDueEnd(std::size_t from, std::int64_t ms) const {
  return DueEnd(snapshot_ms_, from, ms);
}

std::size_t CPlayTape::TradesDueEnd(std::size_t from, std::int64_t ms) const {
  return DueEnd(trade_ms_, from, ms);
}

bool CPlayTape::Holds(std::int64_t ms) const {
  return !snapshot_ms_.empty() && snapshot_ms_.front() < ms && ms < snapshot_ms_.back();
}

}  // namespace velloran
