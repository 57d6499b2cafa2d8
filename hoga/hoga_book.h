#pragma once
// CHogaBook, the arithmetic of a live order book without a display: the ten
// levels a side the server sends, every price level seen since the snapshot
// (the level map), and levels 11-20 filled from that map by stepping the
// price by the exchange's tick. The order-book view's thread keeps one.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "hoga/book_frame.h"

namespace velloran {

class CHogaBook {
 public:
  static constexpr int kLevels = BookFrame::kLevels;
  static constexpr int kServerLevels = 10;
  static constexpr int kMaxFillSteps = 100;  // per side
  static constexpr std::size_t kMinBookText = 20;
  // A day of a real stock shows a few hundred prices; more is a broken feed.
  static constexpr std::size_t kMaxMapLevels = 4096;
  static constexpr std::size_t kMaxStamp = 14;

  // A new stock: the map holds the snapshot's level lines and nothing else;
  // the levels and totals start again.
  void StartStock(std::u16string_view level_lines);

  // A book text ("hhmmss|ask1|bid1|askqty1|bidqty1|...|total ask|total bid|n",
  // maybe with a leading "|"). False when it is shorter than 20 characters:
  // then nothing changes. Otherwise levels 1-10 come from the text (a price
  // not positive, or not beyond the level before on its side, is left out
  // and the levels after it move up), the map learns them, and levels 11-20 are filled from the map, starting at the
  // quote's best bid and ask where a side has no level.
  bool Apply(std::u16string_view text, const CPKT& quote, const MasterInfo& master);

  // Levels 11-20 (or all, for a side without levels) from the map alone:
  // a snapshot whose book text is too short.
  void FillFromMap(const CPKT& quote, const MasterInfo& master);

  // Copies the levels, totals and book time into a frame.
  void CopyTo(BookFrame& frame) const;

  [[nodiscard]] const std::array<HOGA, kLevels>& asks() const { return asks_; }
  [[nodiscard]] const std::array<HOGA, kLevels>& bids() const { return bids_; }
  [[nodiscard]] int ask_count() const { return ask_count_; }
  [[nodiscard]] int bid_count() const { return bid_count_; }
  [[nodiscard]] int largest() const { return largest_; }
  [[nodiscard]] std::int32_t total_ask() const { return total_ask_; }
  [[nodiscard]] std::int32_t total_bid() const { return total_bid_; }
  [[nodiscard]] std::int32_t total_ask_change() const { return total_ask_change_; }
  [[nodiscard]] std::int32_t total_bid_change() const { return total_bid_change_; }
  [[nodiscard]] const std::u16string& book_time() const { return book_time_; }
  void set_book_time(std::u16string time) { book_time_ = std::move(time); }
  // The field after the totals (the day's volume); kept, never shown.
  [[nodiscard]] std::int32_t extra() const { return extra_; }
  [[nodiscard]] std::size_t map_size() const { return map_.size(); }
  // The map's entry of a price, or null.
  [[nodiscard]] const HOGA* FindLevel(int price) const;

 private:
  // The next level of one side from the text, learned by the map; false
  // when the price makes no level there.
  bool TakeLevel(std::array<HOGA, kLevels>& side, int& count, int price, int quantity,
                 bool ask_side);

  std::array<HOGA, kLevels> asks_{};
  std::array<HOGA, kLevels> bids_{};
  int ask_count_ = 0;
  int bid_count_ = 0;
  int largest_ = 0;
  std::int32_t total_ask_ = 0, total_bid_ = 0;
  std::int32_t total_ask_change_ = 0, total_bid_change_ = 0;
  bool fresh_ = true;  // no book of this stock applied yet
  std::u16string book_time_;
  std::int32_t extra_ = 0;
  std::map<int, HOGA> map_;
};

}  // namespace velloran
