#include "hoga/hoga20_book.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "net/text_util.h"

namespace velloran {

void CHoga20Book::Empty(std::array<HOGA, kLevels>& side) {
  // The stamps keep their storage: a snapshot refills them at once.
  for (HOGA& h : side) {
    h.level = h.price = h.bid = h.ask = h.change = 0;
    h.stamp.clear();
  }
}

std::int64_t CHoga20Book::AskFloor(const HogaSnapshot& s) const {
  if (s.best_ask > 0) return s.best_ask;
  return std::int64_t{s.best_bid} + TickSize(s.best_bid, frame_.master);
}

std::int64_t CHoga20Book::BidLimit(const HogaSnapshot& s) const {
  if (s.best_bid > 0) return s.best_bid;
  const MasterInfo& m = frame_.master;
  // A won below the best ask; an ETF's prices and those of a market without
  // bands (or of a stock whose master is not known) step by 5.
  const bool banded = !m.code.empty() && m.etf < 1 && (m.market == 1 || m.market == 2);
  return std::int64_t{s.best_ask} - (banded ? 1 : 5);
}

void CHoga20Book::Take(const Entry& e, bool ask_side, std::int64_t& sum) {
  std::array<HOGA, kLevels>& side = ask_side ? frame_.asks : frame_.bids;
  int& count = ask_side ? ask_count_ : bid_count_;
  const int quantity = ask_side ? e.ask : e.bid;
  HOGA& h = side[count];
  h.level = count + 1;
  h.price = e.price;
  (ask_side ? h.ask : h.bid) = quantity;
  h.stamp.assign(e.label.substr(0, kMaxStamp));
  if (e.label.size() < kRememberedLabel) {
    const HOGA& before = (ask_side ? previous_asks_ : previous_bids_)[count];
    if (before.price == e.price)
      h.change = Clamp32(std::int64_t{quantity} - (ask_side ? before.ask : before.bid));
    sum += quantity;
    frame_.largest = std::max(frame_.largest, quantity);
  }
  ++count;
}

void CHoga20Book::ApplyBook(const HogaSnapshot& s) {
  frame_.book_time = FormatInt06(s.time);
  std::swap(previous_asks_, frame_.asks);
  std::swap(previous_bids_, frame_.bids);
  Empty(frame_.asks);
  Empty(frame_.bids);
  ask_count_ = bid_count_ = 0;
  // Each snapshot is a whole book: its totals and its bars' scale are its own.
  frame_.largest = 0;
  std::int64_t ask_sum = 0, bid_sum = 0;
  const std::int64_t floor = AskFloor(s), limit = BidLimit(s);

  // One pass over the text, ended as soon as both sides are full.
  FieldCursor entries(s.book, u',');
  std::u16string_view piece;
  while ((ask_count_ < kLevels || bid_count_ < kLevels) && entries.Next(piece)) {
    FieldCursor fields(piece);
    Entry e;
    std::u16string_view price, ask, bid;
    if (!fields.Next(e.label) || !fields.Next(price) || !fields.Next(ask) || !fields.Next(bid))
      continue;
    e.price = ToInt(price);
    if (e.price <= 0) continue;
    e.ask = ToInt(ask);
    e.bid = ToInt(bid);
    if (ask_count_ < kLevels && e.price >= floor && e.ask > 0) Take(e, true, ask_sum);
    if (bid_count_ < kLevels && e.price <= limit && e.bid > 0) Take(e, false, bid_sum);
  }

  const std::int32_t total_ask = Clamp32(ask_sum), total_bid = Clamp32(bid_sum);
  // The first snapshot after a clear has nothing of its own to differ from.
  frame_.total_ask_change = fresh_ ? 0 : Clamp32(std::int64_t{total_ask} - frame_.total_ask);
  frame_.total_bid_change = fresh_ ? 0 : Clamp32(std::int64_t{total_bid} - frame_.total_bid);
  frame_.total_ask = total_ask;
  frame_.total_bid = total_bid;
  fresh_ = false;
}

bool CHoga20Book::ApplyQuote(const CPKT& quote) {
  // A record cut short is no trade: it would blank the panel's prices.
  if (!quote.valid() || quote.Price() <= 0) return false;
  frame_.quote = quote;
  return true;
}

void CHoga20Book::SetMaster(const MasterInfo& master) {
  frame_.master = master;
  frame_.code = master.code;
  frame_.base_price = master.base_price;
}

void CHoga20Book::SetDate(std::int32_t yyyymmdd) {
  frame_.trading_date = FormatInt(yyyymmdd);
}

void CHoga20Book::ClearBook() {
  Empty(frame_.asks);
  Empty(frame_.bids);
  ask_count_ = bid_count_ = 0;
  frame_.largest = 0;
  frame_.total_ask = frame_.total_bid = 0;
  frame_.total_ask_change = frame_.total_bid_change = 0;
  fresh_ = true;
}

}  // namespace velloran
