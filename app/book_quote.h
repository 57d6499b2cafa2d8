#pragma once
// What the order-book view tells the windows that follow its stock (message
// 2028): a copy of its quote, book time and totals as they stood after a
// change, which the receiver owns. No receiver reads the view itself, whose
// own thread keeps changing it.

#include <cstdint>
#include <string>

#include "net/quote.h"

namespace velloran {

struct BookQuote {
  enum class Change {
    kSnapshot,  // a new stock's snapshot was applied
    kBook,      // a book update (2002 "HOGA")
    kTrade,     // a trade (2002 "CPRC")
  };
  Change change = Change::kSnapshot;
  std::u16string code;       // the stock shown
  CPKT quote;                // its quote record, with the book's totals beside it
  std::u16string book_time;  // hhmmss of the book, six digits
  std::int32_t total_bid = 0;
  std::int32_t total_ask = 0;
};

}  // namespace velloran
