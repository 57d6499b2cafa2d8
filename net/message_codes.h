#pragma once
// The message codes of the session protocol (the GBN of every packet). The
// numbers appear here and nowhere else.

namespace velloran::code {

inline constexpr int kLocal = 0;           // kept in memory or a settings file; never sent
inline constexpr int kHello = 1;           // C>S hello; S>C login answer
inline constexpr int kServerEvent = 999;   // EVT "MINUTE"
inline constexpr int kRealtime = 2002;     // RES JIF, JISU, CPRC, HOGA, JHO, UHO, YK
inline constexpr int kReplayData = 3001;   // replay history request and answer
inline constexpr int kStockMaster = 3002;
inline constexpr int kOrderBook = 3003;    // subscription request and snapshot
inline constexpr int kScreenSurging = 3004;      // 급등주
inline constexpr int kScreenBoxRange = 3005;     // 박스권
inline constexpr int kScreenNews = 3006;         // 재료주
inline constexpr int kScreenReverse = 3007;      // 현재역상
inline constexpr int kScreen3008 = 3008;
inline constexpr int kSavedScreen = 3009;
inline constexpr int kAlarm = 3010;
inline constexpr int kChart = 3011;
inline constexpr int kTradingDates = 3012;
inline constexpr int kStockText = 3013;
inline constexpr int kScreenRequest = 3014;  // C>S request; S>C end of batch
inline constexpr int kChartUpdate = 3015;
inline constexpr int kScreenPastReverse = 3016;
inline constexpr int kReplayUpdate = 3018;
inline constexpr int kClosingWatch = 3020;
inline constexpr int kSavedScreenList = 3023;
inline constexpr int kStockDetail = 3024;

// True for the codes that carry screening hits.
constexpr bool IsScreenCode(int c) {
  return (c >= kScreenSurging && c <= kAlarm) || c == kScreenPastReverse || c == kClosingWatch;
}

// The name a screen goes by in the work area, exports and the screen journal.
constexpr const char16_t* ScreenName(int screen) {
  switch (screen) {
    case kScreenSurging: return u"급등주";
    case kScreenBoxRange: return u"박스권";
    case kScreenNews: return u"재료주";
    case kScreenReverse: return u"현재역상";
    case kScreenPastReverse: return u"과거역상";
    case kSavedScreen: return u"내 검색";
    case kAlarm: return u"알람";
    case kClosingWatch: return u"종가";
    default: return u"검색";
  }
}

}  // namespace velloran::code
