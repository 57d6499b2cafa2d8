#pragma once
// A 26-field quote text for tests: time, sign, price, open, high, low and the
// day's volume where the quote record keeps them, the rest 0.

#include <string>

#include "net/text_util.h"

namespace velloran::testing {

inline std::u16string QuoteText(int price, int open = 0, int high = 0, int low = 0, int volume = 0,
                                int time = 93000) {
  std::u16string out;
  for (int pos = 0; pos < 26; ++pos) {
    int v = 0;
    switch (pos) {
      case 0:
        v = time;
        break;
      case 1:
        v = 2;
        break;
      case 4:
        v = price;
        break;
      case 6:
        v = open;
        break;
      case 8:
        v = high;
        break;
      case 10:
        v = low;
        break;
      case 13:
        v = volume;
        break;
    }
    if (pos > 0) out += u'|';
    out += FormatInt(v);
  }
  return out;
}

}  // namespace velloran::testing
