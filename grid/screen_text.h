#pragma once
// The words the work area and the top bar use for a market filter, and the
// colour of the text that says a screen caught nothing (tiles and grid).

#include "platform/geometry.h"

namespace velloran {

inline constexpr int kMarketFilters = 3;  // 0 all, 1 KOSPI, 2 KOSDAQ

[[nodiscard]] inline const char16_t* MarketName(int market) {
  return market == 1 ? u"코스피" : market == 2 ? u"코스닥" : u"전체";
}

inline constexpr Color kEmptyResultColor = Rgb(110, 110, 110);

}  // namespace velloran
