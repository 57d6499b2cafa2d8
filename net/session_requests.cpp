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

}  // namespace velloran
