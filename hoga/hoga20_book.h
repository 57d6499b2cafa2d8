#pragma once
// CHoga20Book, the replay's twenty-level order book without a display: each
// replayed snapshot (HogaSnapshot) is the whole book of its moment, twenty
// levels a side taken in list order from its entries; the quote of the last
// trade and the replayed stock's master values beside it. It hands its
// window a BookFrame, which the live book's canvas paints.

#include <array>
#include <cstdint>
#include <string>

#include "hoga/book_frame.h"
#include "hoga/hoga_snapshot.h"
#include "net/quote.h"

namespace velloran {

class CHoga20Book {
 public:
  static constexpr int kLevels = BookFrame::kLevels;
  // A label this long is a level remembered from an earlier moment (a date
  // and time), not one of the snapshot's own: it is shown but counts nowhere.
  static constexpr std::size_t kRememberedLabel = 10;
  static constexpr std::size_t kMaxStamp = 14;  // what the stamp texts read

  // Applies one snapshot: the levels, their changes against the snapshot
  // before, its own totals and largest quantity, its time. Entries that are
  // no level (fewer than four fields, a price that is no positive number,
  // no quantity on the side) are passed over.
  void ApplyBook(const HogaSnapshot& snapshot);
  // The quote of the last trade: the panel's open, high and low, the day's
  // high and low boxes. False, and nothing taken, for a record that is no
  // trade (invalid, or without a price).
  [[nodiscard]] bool ApplyQuote(const CPKT& quote);
  // The replayed stock's master values (base price, limits, tick rule).
  void SetMaster(const MasterInfo& master);
  // The replayed day (YYYYMMDD), against which the stamps read.
  void SetDate(std::int32_t yyyymmdd);
  // Every level empty, the totals 0; the next snapshot differs from nothing.
  void ClearBook();

  // The book as its window paints it.
  [[nodiscard]] const BookFrame& frame() const { return frame_; }
  [[nodiscard]] const std::array<HOGA, kLevels>& previous_asks() const { return previous_asks_; }
  [[nodiscard]] const std::array<HOGA, kLevels>& previous_bids() const { return previous_bids_; }
  [[nodiscard]] int ask_count() const { return ask_count_; }
  [[nodiscard]] int bid_count() const { return bid_count_; }
  // The lowest ask price and the highest bid price a snapshot takes.
  [[nodiscard]] std::int64_t AskFloor(const HogaSnapshot& s) const;
  [[nodiscard]] std::int64_t BidLimit(const HogaSnapshot& s) const;

 private:
  struct Entry {
    std::u16string_view label;
    std::int32_t price = 0, ask = 0, bid = 0;
  };
  // The next level of one side; the snapshot's own levels count.
  void Take(const Entry& e, bool ask_side, std::int64_t& sum);
  static void Empty(std::array<HOGA, kLevels>& side);

  BookFrame frame_;
  std::array<HOGA, kLevels> previous_asks_{};
  std::array<HOGA, kLevels> previous_bids_{};
  int ask_count_ = 0;
  int bid_count_ = 0;
  bool fresh_ = true;  // no snapshot since the book was cleared
};

}  // namespace velloran
