#include "server/screens.h"

#include <algorithm>

#include "net/message_codes.h"
#include "net/text_util.h"
#include "server/calendar.h"
#include "server/past_day.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

constexpr int kSavedTop = 10;
constexpr int kNewsDays = 5;  // news of the last five trading days is listed

Hit MakeHit(const Market& m, int i, const Capture& c) {
  Hit h;
  h.stock = i;
  h.seconds = c.caught() ? std::max(c.seconds, Market::kPreOpen) : m.now();
  h.date = m.date();
  h.price = c.caught() ? c.price : m.stock(i).quote.price;
  h.reg_date = h.start_date = h.end_date = m.date();
  return h;
}

Hit CurrentHit(const Market& m, int i) {
  return MakeHit(m, i, Capture{});
}

bool NewsListed(const Market& m, const Stock& s, int& date, int& seconds) {
  if (s.news_seconds >= 0 && s.news_seconds <= m.now()) {
    date = m.date();
    seconds = s.news_seconds;
    return true;
  }
  const auto& dates = m.trading_dates();
  if (s.news_past_date != 0 && s.news_past_date >= dates[kNewsDays - 1]) {
    date = s.news_past_date;
    seconds = Market::kPreOpen;
    return true;
  }
  return false;
}

// The reverse rule at a minute of one of the last 60 trading days, from
// each stock's path of that day; other days have no answer.
void PastReverseHits(const Market& m, const ScreenRequest& r, std::vector<Hit>& hits) {
  const std::vector<int>& dates = m.trading_dates();
  const auto day = std::find(dates.begin() + 1, dates.begin() + 61, r.past_date);
  if (day == dates.begin() + 61) return;
  const int j = static_cast<int>(day - dates.begin());  // recent_days[j - 1] is that day
  for (int i = 0; i < static_cast<int>(m.stocks().size()); ++i) {
    const Stock& s = m.stock(i);
    if (!PassesFilter(s, r) || static_cast<int>(s.recent_days.size()) < j) continue;
    int bid = 0, ask = 0, price = 0;
    PastDay::TotalsAt(m, i, r.past_date, r.past_seconds, bid, ask);
    if (ask <= 2 * bid) continue;
    const int prev_close = j < static_cast<int>(s.recent_days.size()) ? s.recent_days[j].close : 0;
    PastDay(m, i, s.recent_days[j - 1], prev_close).StateAt(r.past_seconds, bid, ask, price);
    Hit h = CurrentHit(m, i);
    h.date = r.past_date;
    h.seconds = r.past_seconds;
    h.price = price;
    h.reg_date = h.start_date = h.end_date = r.past_date;
    hits.push_back(h);
  }
}

}  // namespace

ScreenRequest ReadScreenRequest(const Packet& request, int today) {
  ScreenRequest r;
  r.screen = request.GetInt(u"IDX", 0);
  r.market = request.GetInt(u"MARKET", 0);
  if (r.market < 0 || r.market > 2) r.market = 0;
  r.chk = request.GetInt(u"CHK", 0) == 1 ? 1 : 0;
  const std::u16string htime = request.GetText(u"HTIME", u"");
  r.past_date = today;
  r.past_seconds = -1;
  if (htime.size() >= 6 && htime.size() <= 14 &&
      std::all_of(htime.begin(), htime.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
    const int hhmmss = ToInt(std::u16string_view(htime).substr(htime.size() - 6));
    if (hhmmss / 10000 < 24 && hhmmss / 100 % 100 < 60 && hhmmss % 100 < 60)
      r.past_seconds = SecondsFromHhmmss(hhmmss);
    if (htime.size() == 14) {
      const int date = ToInt(std::u16string_view(htime).substr(0, 8));
      r.past_date = IsValidDate(date) ? date : 0;
    }
  }
  return r;
}

bool IsServedScreen(int screen) {
  using namespace code;
  switch (screen) {
    case kScreenSurging:
    case kScreenBoxRange:
    case kScreenNews:
    case kScreenReverse:
    case kSavedScreen:
    case kAlarm:
    case kScreenPastReverse:
    case kClosingWatch:
      return true;
    default:
      return false;
  }
}

bool PassesFilter(const Stock& s, const ScreenRequest& r) {
  if (r.market != 0 && s.market != r.market) return false;
  // The buying-strength check applies to the market screens, not to the user's own lists.
  const bool market_screen =
      r.screen != code::kSavedScreen && r.screen != code::kAlarm && r.screen != code::kClosingWatch;
  if (market_screen && r.chk == 1 && s.quote.buy_volume < s.quote.sell_volume) return false;
  return true;
}

SavedResults EvaluateSavedRules(const Market& m) {
  SavedResults out;
  const int n = static_cast<int>(m.stocks().size());
  auto top = [&](auto&& key, auto&& keep) {
    std::vector<int> idx;
    for (int i = 0; i < n; ++i)
      if (keep(m.stock(i))) idx.push_back(i);
    const std::size_t k = std::min<std::size_t>(kSavedTop, idx.size());
    std::partial_sort(idx.begin(), idx.begin() + k, idx.end(), [&](int a, int b) {
      const double ka = key(m.stock(a)), kb = key(m.stock(b));
      return ka != kb ? ka > kb : a < b;
    });
    idx.resize(k);
    std::sort(idx.begin(), idx.end());
    return idx;
  };
  out[0] = top([](const Stock& s) { return s.quote.rate; },
               [](const Stock& s) { return !s.etf && s.quote.volume > 0; });
  out[1] = top([](const Stock& s) { return static_cast<double>(s.quote.volume); },
               [](const Stock& s) { return !s.etf && s.quote.volume > 0; });
  out[2] = top(
      [](const Stock& s) {
        return static_cast<double>(s.quote.ask_total) / std::max(1, s.quote.bid_total);
      },
      [](const Stock& s) { return s.market == 2 && s.reversed; });
  return out;
}

std::vector<Hit> ScreenHits(const Market& m, const UserData& user, const SavedResults& saved,
                            const ScreenRequest& r) {
  std::vector<Hit> hits;
  const int n = static_cast<int>(m.stocks().size());
  auto add = [&](Hit h) {
    if (PassesFilter(m.stock(h.stock), r)) hits.push_back(std::move(h));
  };
  switch (r.screen) {
    case code::kScreenSurging:
      for (int i = 0; i < n; ++i)
        if (m.stock(i).surge.caught()) add(MakeHit(m, i, m.stock(i).surge));
      break;
    case code::kScreenBoxRange:
      for (int i = 0; i < n; ++i) {
        const Stock& s = m.stock(i);
        const bool in_box = s.box_low > 0 && s.box_high <= s.box_low * 1.12 &&
                            s.quote.price >= s.box_low && s.quote.price <= s.box_high;
        if (!in_box) continue;
        Hit h = MakeHit(m, i, s.box.caught() ? s.box : Capture{Market::kPreOpen, s.prev_close});
        const int days = std::max(20, s.box_days);
        h.reg_date = h.start_date = m.trading_dates()[std::min<int>(days, Market::kHistoryDays)];
        h.end_date = m.trading_dates()[1];
        add(h);
      }
      break;
    case code::kScreenNews:
      for (int i = 0; i < n; ++i) {
        const Stock& s = m.stock(i);
        int date = 0, seconds = 0;
        if (!NewsListed(m, s, date, seconds)) continue;
        Hit h = CurrentHit(m, i);
        h.date = date;
        h.seconds = seconds;
        h.price = date == m.date() ? s.quote.price : s.prev_close;
        h.reg_date = h.start_date = h.end_date = date;
        h.source = s.headline;
        add(h);
      }
      break;
    case code::kScreenReverse:
      for (int i = 0; i < n; ++i) {
        const Stock& s = m.stock(i);
        if (!s.reversed) continue;
        Hit h = MakeHit(m, i, s.reverse);
        h.reg_date = h.start_date = s.reverse_date;
        add(h);
      }
      break;
    case code::kScreenPastReverse: {
      if (r.past_seconds < 0) break;
      if (r.past_date != m.date()) {
        PastReverseHits(m, r, hits);
        break;
      }
      const int at = std::min(r.past_seconds, m.now());
      for (int i = 0; i < n; ++i) {
        int bid = 0, ask = 0, price = 0;
        m.TotalsAt(i, at, bid, ask, price);
        if (ask <= 2 * bid) continue;
        Hit h = CurrentHit(m, i);
        h.seconds = at;
        h.price = price;
        h.reg_date = h.start_date = m.stock(i).reverse_date;
        add(h);
      }
      break;
    }
    case code::kSavedScreen: {
      std::vector<int> seen;
      for (const SavedScreen& screen : user.screens)
        for (int i : saved[static_cast<int>(screen.rule)]) {
          if (std::find(seen.begin(), seen.end(), i) != seen.end()) continue;
          seen.push_back(i);
          Hit h = CurrentHit(m, i);
          h.seq = screen.seq;
          add(h);
        }
      std::sort(hits.begin(), hits.end(),
                [](const Hit& a, const Hit& b) { return a.stock < b.stock; });
      break;
    }
    case code::kAlarm:
      for (const Alarm& a : user.alarms) {
        Hit h = CurrentHit(m, a.stock);
        h.seq = a.seq;
        h.price = a.price;
        h.price2 = a.price2;
        h.time = a.time;
        h.time2 = a.time2;
        add(h);
      }
      break;
    case code::kClosingWatch:
      for (const ClosingItem& c : user.closing) {
        Hit h = CurrentHit(m, c.stock);
        h.srt = c.srt;
        h.price = m.stock(c.stock).prev_close;
        h.reg_date = h.start_date = h.end_date = c.date;
        add(h);
      }
      break;
    default:
      break;
  }
  return hits;
}

Packet HitPacket(int screen, const Market& m, const Hit& h) {
  const Stock& s = m.stock(h.stock);
  Packet p(screen);
  p.AddText(u"SHCODE", Utf16(s.code));
  p.AddText(u"HNAME", s.name);
  p.AddInt(u"MARKET", s.market);
  p.AddText(u"CPKT", QuoteText(s.quote));
  p.AddInt(u"BTOT", s.quote.bid_total);
  p.AddInt(u"STOT", s.quote.ask_total);
  if (screen == code::kAlarm) {
    p.AddInt(u"SEQ", h.seq);
    p.AddText(u"DT", h.time);
    p.AddInt(u"PRC", h.price);
    p.AddText(u"DT1", h.time2);
    p.AddInt(u"PRC1", h.price2);
  } else {
    if (screen == code::kSavedScreen) p.AddInt(u"SEQ", h.seq);
    if (screen == code::kClosingWatch) p.AddInt(u"SRT", h.srt);
    p.AddText(u"DT", DateTimeText(h.date, h.seconds));
    p.AddInt(u"PRC", h.price);
  }
  auto date_text = [](int date) { return date ? DateText(date) : std::u16string(); };
  p.AddText(u"REGDT", date_text(h.reg_date));
  p.AddText(u"ST_YMD", date_text(h.start_date));
  p.AddText(u"ED_YMD", date_text(h.end_date));
  p.AddText(u"KOA_YMD", date_text(s.reverse_date));
  p.AddText(u"SOC", h.source);
  p.AddText(u"DAY50", DayBarText(s.recent_days, 50));
  return p;
}

}  // namespace velloran::server
