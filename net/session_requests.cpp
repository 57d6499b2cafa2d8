#include "net/session_requests.h"

#include "net/message_codes.h"
#include "net/text_util.h"

namespace velloran {

Packet ScreenRequest(std::u16string_view held_codes, int screen, int market, int strength,
                     std::u16string_view past_time) {
  Packet p(code::kScreenRequest);
  p.AddText(u"P_SHCODES", held_codes);
  p.AddInt(u"IDX", screen);
  p.AddInt(u"MARKET", market);
  p.AddInt(u"CHK", strength);
  if (screen == code::kScreenPastReverse && !past_time.empty()) p.AddText(u"HTIME", past_time);
  return p;
}

Packet BookRequest(std::u16string_view stock, std::u16string_view previous,
                   std::u16string_view market) {
  Packet p(code::kOrderBook);
  p.AddText(u"SHCODE", stock);
  p.AddText(u"P_SHOCODE", previous);
  p.AddText(u"MARKET", market);
  p.AddInt(u"SOC", 1);
  p.AddInt(u"KOA", 1);
  return p;
}

Packet ChartRequest(std::u16string_view stock, std::u16string_view period, int chart_id,
                    int count) {
  Packet p(code::kChart);
  p.AddText(u"STKCD", stock);
  p.AddText(u"TM", period);
  p.AddInt(u"CHART_ID", chart_id);
  if (SameIgnoringAsciiCase(period, u"D") || SameIgnoringAsciiCase(period, u"m1")) {
    p.AddInt(u"CNT", kChartFullCount);
  } else if (count > 0) {
    p.AddInt(u"CNT", count);
  }
  return p;
}

namespace {

// The leading tags every 3001 request shares.
Packet ReplayRequest(std::u16string_view stock, std::u16string_view market,
                     std::u16string_view ymd, std::u16string_view htime) {
  Packet p(code::kReplayData);
  p.AddText(u"SHCODE", stock);
  p.AddText(u"MARKET", market);
  p.AddText(u"YMD", ymd);
  p.AddText(u"HTIME", htime);
  return p;
}

Packet ReplayBlockRequest(std::u16string_view stock, std::u16string_view market,
                          std::u16string_view ymd, int hhmmss, int ix) {
  // A time off the day (a negative one) asks from the day's start.
  Packet p = ReplayRequest(stock, market, ymd, FormatInt06(hhmmss < 0 ? 0 : hhmmss));
  p.AddText(u"TYPE", u"HOGA");
  p.AddInt(u"IX", ix);
  p.AddText(u"ZIP", u"NO");
  return p;
}

}  // namespace

Packet ReplayTimeLineRequest(std::u16string_view stock, std::u16string_view market,
                             std::u16string_view ymd) {
  Packet p = ReplayRequest(stock, market, ymd, u"0");
  p.AddText(u"TYPE", u"TOT");
  p.AddInt(u"SOC", 1);
  p.AddText(u"ZIP", u"NO");
  return p;
}

Packet ReplayFirstBlockRequest(std::u16string_view stock, std::u16string_view market,
                               std::u16string_view ymd) {
  Packet p = ReplayRequest(stock, market, ymd, FormatInt06(kReplayFirstBlockTime));
  p.AddText(u"TYPE", u"HOGA");
  p.AddText(u"ZIP", u"NO");
  return p;
}

Packet ReplayNextBlockRequest(std::u16string_view stock, std::u16string_view market,
                              std::u16string_view ymd, int last_time) {
  return ReplayBlockRequest(stock, market, ymd, last_time, 1);
}

Packet ReplaySeekBlockRequest(std::u16string_view stock, std::u16string_view market,
                              std::u16string_view ymd, int seek_time) {
  return ReplayBlockRequest(stock, market, ymd, seek_time - seek_time % 100, 0);
}

}  // namespace velloran
