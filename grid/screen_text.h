#pragma once
// The words the work area and the top bar use for a market filter, and the
// colour of the text that says a screen caught nothing (tiles and grid).

#include "net/message_codes.h"
#include "platform/geometry.h"

namespace velloran {

inline constexpr int kMarketFilters = 3;  // 0 all, 1 KOSPI, 2 KOSDAQ

[[nodiscard]] inline const char16_t* MarketName(int market) {
  return market == 1 ? u"코스피" : market == 2 ? u"코스닥" : u"전체";
}

// The name of a screen, as the work area's header and an export's file say it.
[[nodiscard]] inline const char16_t* ScreenName(int screen) {
  switch (screen) {
    case code::kScreenSurging: return u"급등주";
    case code::kScreenBoxRange: return u"박스권";
    case code::kScreenNews: return u"재료주";
    case code::kScreenReverse: return u"현재역상";
    case code::kScreenPastReverse: return u"과거역상";
    case code::kSavedScreen: return u"내 검색";
    case code::kAlarm: return u"알람";
    case code::kClosingWatch: return u"종가";
    default: return u"검색";
  }
}

inline constexpr Color kEmptyResultColor = Rgb(110, 110, 110);

}  // namespace velloran
