#pragma once
// CPlayTape, the replayed day held so far: order-book snapshots and trades in
// time order, grown block by block as the server sends them. An index into it
// stays valid across appends (nothing held ever moves), so the clock keeps its
// place while a block arrives; only Clear (a new day, or a seek outside what
// is held) invalidates indexes. A snapshot is a whole book, so any moment is
// rebuilt from one snapshot without replaying the day from its start.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "hoga/hoga_snapshot.h"
#include "net/quote.h"

namespace velloran {

class CPlayTape {
 public:
  void Clear();

  // A block's records, appended in the order given. A record earlier than
  // the last one held is dropped: the tape stays in time order, which the
  // clock and the searches rely on. Returns how many were kept.
  std::size_t AppendSnapshots(std::vector<HogaSnapshot> block);
  std::size_t AppendTrades(std::vector<CPKT> block);

  [[nodiscard]] std::size_t snapshot_count() const { return snapshots_.size(); }
  [[nodiscard]] std::size_t trade_count() const { return trades_.size(); }
  [[nodiscard]] bool empty() const { return snapshots_.empty() && trades_.empty(); }
  // i < the count; the reference stays valid until Clear.
  [[nodiscard]] const HogaSnapshot& snapshot(std::size_t i) const { return snapshots_[i]; }
  [[nodiscard]] const CPKT& trade(std::size_t i) const { return trades_[i]; }
  // A record's time on the clock (milliseconds since midnight).
  [[nodiscard]] std::int64_t snapshot_ms(std::size_t i) const { return snapshot_ms_[i]; }
  [[nodiscard]] std::int64_t trade_ms(std::size_t i) const { return trade_ms_[i]; }

  // The first record at or after ms, or the count when none is.
  [[nodiscard]] std::size_t FirstSnapshotAtOrAfter(std::int64_t ms) const;
  [[nodiscard]] std::size_t FirstTradeAtOrAfter(std::int64_t ms) const;
  // The first record at or after from whose time is not before ms (the
  // records due before a clock of ms end there); a linear walk from a
  // known place, cheaper than a search when few records are due.
  [[nodiscard]] std::size_t SnapshotsDueEnd(std::size_t from, std::int64_t ms) const;
  [[nodiscard]] std::size_t TradesDueEnd(std::size_t from, std::int64_t ms) const;

  // Whether a moment lies strictly between the first and the last snapshot
  // held, where a seek can use what is held.
  [[nodiscard]] bool Holds(std::int64_t ms) const;

 private:
  std::deque<HogaSnapshot> snapshots_;
  std::deque<CPKT> trades_;
  // The records' times in milliseconds, beside them for the searches.
  std::deque<std::int64_t> snapshot_ms_;
  std::deque<std::int64_t> trade_ms_;
};

}  // namespace velloran
