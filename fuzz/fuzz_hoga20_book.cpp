// The replay's twenty-level book fed arbitrary book texts. The first byte
// picks the stock's market and kind and the best prices; the rest, split at
// U+0001, is a run of snapshots applied one after another. Every snapshot
// must leave the book within its bounds and its sides on their sides.
#include "fuzz/fuzz_seeds.h"
#include "hoga/hoga20_book.h"
#include "net/text_util.h"
#include "net/utf8.h"

namespace {

using namespace velloran;

void Check(const CHoga20Book& book, const HogaSnapshot& s) {
  const BookFrame& f = book.frame();
  if (book.ask_count() < 0 || book.ask_count() > BookFrame::kLevels) __builtin_trap();
  if (book.bid_count() < 0 || book.bid_count() > BookFrame::kLevels) __builtin_trap();
  if (f.largest < 0 || f.total_ask < 0 || f.total_bid < 0) __builtin_trap();
  for (int i = 0; i < BookFrame::kLevels; ++i) {
    const HOGA& a = f.asks[i];
    const HOGA& b = f.bids[i];
    if ((i < book.ask_count()) != (a.price > 0)) __builtin_trap();
    if ((i < book.bid_count()) != (b.price > 0)) __builtin_trap();
    if (a.price > 0 && (a.price < book.AskFloor(s) || a.ask <= 0)) __builtin_trap();
    if (b.price > 0 && (b.price > book.BidLimit(s) || b.bid <= 0)) __builtin_trap();
    if (a.stamp.size() > CHoga20Book::kMaxStamp || b.stamp.size() > CHoga20Book::kMaxStamp)
      __builtin_trap();
    (void)StampText(a.stamp, i + 1, f.trading_date);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::u16string text =
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  CHoga20Book book;
  MasterInfo master;
  master.code = u"000100";
  master.market = data[0] % 4;
  master.etf = data[0] / 4 % 2;
  master.base_price = 10000;
  if (data[0] & 0x80) book.SetMaster(master);
  book.SetDate(20240105);
  HogaSnapshot s;
  s.best_ask = data[0] & 0x10 ? 0 : 10050;
  s.best_bid = data[0] & 0x20 ? 0 : 10000;
  s.time = 90000;
  FieldCursor snapshots(text, u'\x01');
  for (std::u16string_view piece; snapshots.Next(piece);) {
    s.book.assign(piece);
    ++s.time;
    book.ApplyBook(s);
    Check(book, s);
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  std::string book;
  for (int k = 0; k < 22; ++k)
    book += "093000|" + std::to_string(10050 + 50 * k) + "|" + std::to_string(10 + k) + "|0," +
            "20240104153000|" + std::to_string(10000 - 50 * k) + "|0|" + std::to_string(5 + k) + ",";
  return {
      std::string("\x81", 1) + book + "\x01" + book,
      std::string("\xb5", 1) + "|10050|5|3,a|b,t|abc|5|5,,t|-5|1|1,t|10049|0|2\x01t|10000|0|9",
      std::string("\x02", 1) + "1030001234|10100|7|0,|10150|6|0|x,t|10200|",
  };
}
