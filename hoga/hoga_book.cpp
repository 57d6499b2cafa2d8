#include "hoga/hoga_book.h"

#include <algorithm>
#include <limits>

#include "net/text_util.h"

namespace velloran {
namespace {

std::u16string_view FieldAt(const std::vector<std::u16string_view>& fields, std::size_t i) {
  return i < fields.size() ? fields[i] : std::u16string_view();
}

std::int32_t IntAt(const std::vector<std::u16string_view>& fields, std::size_t i) {
  return ToInt(FieldAt(fields, i));
}

}  // namespace

void CHogaBook::StartStock(std::u16string_view level_lines) {
  map_.clear();
  LineCursor lines(level_lines);
  std::u16string_view line;
  while (lines.Next(line)) {
    if (line.size() < 11) continue;
    FieldCursor fields(line);
    std::u16string_view stamp;
    HOGA level;
    fields.Next(stamp);
    std::int32_t v = 0;
    if (fields.NextInt(v)) level.price = v;
    if (fields.NextInt(v)) level.bid = v;
    if (fields.NextInt(v)) level.ask = v;
    // A line without a price is no level.
    if (level.price <= 0) continue;
    if (map_.size() >= kMaxMapLevels && map_.find(level.price) == map_.end()) continue;
    level.stamp = stamp.substr(0, kMaxStamp);
    map_[level.price] = std::move(level);
  }
  asks_ = {};
  bids_ = {};
  ask_count_ = bid_count_ = largest_ = 0;
  total_ask_ = total_bid_ = total_ask_change_ = total_bid_change_ = 0;
  extra_ = 0;
  fresh_ = true;
}

const HOGA* CHogaBook::FindLevel(int price) const {
  const auto it = map_.find(price);
  return it == map_.end() ? nullptr : &it->second;
}

bool CHogaBook::TakeLevel(std::array<HOGA, kLevels>& side, int& count, int price, int quantity,
                          bool ask_side) {
  // Asks rise and bids fall from the best level out; a price at or inside
  // the last one taken (a repeat, or a side out of order) is no level, nor
  // is one that is not positive. The levels taken close up.
  if (price <= 0) return false;
  if (count > 0 && (ask_side ? price <= side[count - 1].price : price >= side[count - 1].price))
    return false;
  const int k = count;
  HOGA& level = side[k];
  level.level = k + 1;
  level.price = price;
  level.bid = ask_side ? 0 : quantity;
  level.ask = ask_side ? quantity : 0;
  level.change = 0;
  level.stamp = book_time_;
  const auto it = map_.find(price);
  if (it != map_.end()) {
    HOGA& known = it->second;
    // A level last set by a snapshot's line (a full date stamp) shows no
    // change on its first update: its quantity then is not the one just before.
    if (known.stamp.size() <= 6) {
      level.change = Clamp32(std::int64_t{quantity} - (ask_side ? known.ask : known.bid));
    }
    known.stamp = book_time_;
    known.ask = ask_side ? quantity : 0;
    known.bid = ask_side ? 0 : quantity;
  } else if (map_.size() < kMaxMapLevels) {
    // A price first seen now is remembered too: it fills a deeper level
    // once the book has moved away from it.
    map_.emplace(price, HOGA{0, price, level.bid, level.ask, 0, book_time_});
  }
  count = k + 1;
  largest_ = std::max(largest_, quantity);
  return true;
}

bool CHogaBook::Apply(std::u16string_view text, const CPKT& quote, const MasterInfo& master) {
  if (text.size() < kMinBookText) return false;
  const std::vector<std::u16string_view> f = SplitFields(text);
  std::u16string time(FieldAt(f, 0).substr(0, kMaxStamp));
  if (time.size() < 6) time.insert(0, 6 - time.size(), u'0');
  book_time_ = std::move(time);

  // Every slot starts empty: a level the text leaves out shows nothing of
  // the book before.
  asks_ = {};
  bids_ = {};
  ask_count_ = bid_count_ = largest_ = 0;
  std::int64_t ask_sum = 0, bid_sum = 0;
  for (int k = 0; k < kServerLevels; ++k) {
    const std::size_t at = 1 + 4 * static_cast<std::size_t>(k);
    const int ask_price = IntAt(f, at), bid_price = IntAt(f, at + 1);
    const int ask_qty = IntAt(f, at + 2), bid_qty = IntAt(f, at + 3);
    if (TakeLevel(asks_, ask_count_, ask_price, ask_qty, true)) ask_sum += ask_qty;
    if (TakeLevel(bids_, bid_count_, bid_price, bid_qty, false)) bid_sum += bid_qty;
  }
  const std::size_t after = 1 + 4 * kServerLevels;
  std::int32_t ask_total = IntAt(f, after);
  if (ask_total < 1) ask_total = Clamp32(ask_sum);
  std::int32_t bid_total = IntAt(f, after + 1);
  if (bid_total <= 0) bid_total = Clamp32(bid_sum);
  // The first book of a stock has nothing of its own to differ from.
  total_ask_change_ = fresh_ ? 0 : Clamp32(std::int64_t{ask_total} - total_ask_);
  total_bid_change_ = fresh_ ? 0 : Clamp32(std::int64_t{bid_total} - total_bid_);
  total_ask_ = ask_total;
  total_bid_ = bid_total;
  extra_ = IntAt(f, after + 2);
  fresh_ = false;
  FillFromMap(quote, master);
  return true;
}

void CHogaBook::FillFromMap(const CPKT& quote, const MasterInfo& master) {
  constexpr std::int64_t kMaxPrice = std::numeric_limits<std::int32_t>::max();
  // Bids downwards from below the last level (or from the best bid).
  std::int64_t price =
      bid_count_ > 0 ? bids_[bid_count_ - 1].price - TickSize(bids_[bid_count_ - 1].price, master)
                     : quote.BestBid();
  for (int step = 0; step < kMaxFillSteps && bid_count_ < kLevels && price > 0; ++step) {
    const auto it = map_.find(static_cast<int>(price));
    if (it != map_.end() && it->second.bid >= 1) {
      bids_[bid_count_] = it->second;
      bids_[bid_count_].level = bid_count_ + 1;
      ++bid_count_;
    }
    price -= TickSize(price, master);
  }
  // Asks upwards from above the last level (or from the best ask).
  price = ask_count_ > 0 ? asks_[ask_count_ - 1].price +
                               std::int64_t{TickSize(asks_[ask_count_ - 1].price, master)}
                         : quote.BestAsk();
  for (int step = 0;
       step < kMaxFillSteps && ask_count_ < kLevels && price > 0 && price <= kMaxPrice; ++step) {
    const auto it = map_.find(static_cast<int>(price));
    if (it != map_.end() && it->second.ask >= 1) {
      asks_[ask_count_] = it->second;
      asks_[ask_count_].level = ask_count_ + 1;
      ++ask_count_;
    }
    price += TickSize(price, master);
  }
}

void CHogaBook::CopyTo(BookFrame& frame) const {
  frame.asks = asks_;
  frame.bids = bids_;
  frame.largest = largest_;
  frame.total_ask = total_ask_;
  frame.total_bid = total_bid_;
  frame.total_ask_change = total_ask_change_;
  frame.total_bid_change = total_bid_change_;
  frame.book_time = book_time_;
}

}  // namespace velloran
