#include "server/charts.h"

#include <algorithm>

#include "net/message_codes.h"
#include "net/text_util.h"
#include "server/calendar.h"
#include "server/past_day.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

// Gathers the parts of one bar (days or minutes, oldest first). Parts
// without volume only carry the last close: a bar's prices are those of its
// trading parts, or that close when it has none.
class BarBuilder {
 public:
  BarBuilder(int date, int time) {
    bar_.date = date;
    bar_.time = time;
  }
  void Add(int open, int high, int low, int close, std::int64_t volume) {
    if (volume <= 0) {
      if (!traded_) last_ = close;
      return;
    }
    if (!traded_) {
      bar_.open = open;
      bar_.high = high;
      bar_.low = low;
      traded_ = true;
    }
    bar_.high = std::max(bar_.high, high);
    bar_.low = std::min(bar_.low, low);
    bar_.close = close;
    bar_.volume += volume;
  }
  [[nodiscard]] ChartBar Take() const {
    if (traded_) return bar_;
    ChartBar flat = bar_;
    flat.open = flat.high = flat.low = flat.close = last_;
    return flat;
  }

 private:
  ChartBar bar_;
  bool traded_ = false;
  int last_ = 0;
};

// One day's one-minute bars (oldest first, time the start hhmm00) gathered
// into bars of span minutes, appended newest first.
void AppendSpans(const std::vector<ChartBar>& ones, int span, std::vector<ChartBar>& out) {
  std::vector<ChartBar> spans;
  const int span_s = span * 60;
  int group = -1;
  std::optional<BarBuilder> builder;
  for (const ChartBar& m : ones) {
    const int g = SecondsFromHhmmss(m.time) / span_s * span_s;
    if (g != group) {
      if (builder) spans.push_back(builder->Take());
      builder.emplace(m.date, HhmmssFromSeconds(g));
      group = g;
    }
    builder->Add(m.open, m.high, m.low, m.close, m.volume);
  }
  if (builder) spans.push_back(builder->Take());
  out.insert(out.end(), spans.rbegin(), spans.rend());
}

DayBar TodayBar(const Market& market, int index) {
  const Quote& q = market.stock(index).quote;
  DayBar b;
  b.date = market.date();
  b.close = q.price;
  b.open = q.open > 0 ? q.open : q.price;
  b.high = q.open > 0 ? q.high : q.price;
  b.low = q.open > 0 ? q.low : q.price;
  b.volume = q.volume;
  return b;
}

// Today's one-minute bars from the first trade's to the one that holds now.
std::vector<ChartBar> TodayMinutes(const Market& market, int index) {
  std::vector<ChartBar> ones;
  const Stock& s = market.stock(index);
  if (market.now() <= Market::kOpen) return ones;
  const int now_bar = std::min((market.now() - 1 - Market::kOpen) / 60, PastDay::kMinutes - 1);
  int k = 0;
  while (k < static_cast<int>(s.minutes.size()) && s.minutes[k].volume == 0) ++k;
  if (k >= static_cast<int>(s.minutes.size())) return ones;  // no trade yet
  for (; k <= now_bar; ++k) {
    const int time = HhmmssFromSeconds(Market::kOpen + 60 * k);
    if (k < static_cast<int>(s.minutes.size())) {
      const MinuteBar& m = s.minutes[k];
      ones.push_back({market.date(), time, m.open, m.high, m.low, m.close, m.volume});
    } else {
      const int c = ones.back().close;  // the minute now, nothing traded in it yet
      ones.push_back({market.date(), time, c, c, c, c, 0});
    }
  }
  return ones;
}

std::vector<ChartBar> MinuteChart(const Market& market, int index, int span, int count) {
  std::vector<ChartBar> out;
  AppendSpans(TodayMinutes(market, index), span, out);
  if (static_cast<int>(out.size()) >= count) {
    out.resize(count);
    return out;
  }
  const int per_day = (PastDay::kMinutes + span - 1) / span;
  const int days = std::min(Market::kHistoryDays,
                            (count - static_cast<int>(out.size()) + per_day - 1) / per_day + 1);
  const std::vector<DayBar> history = market.DayHistory(index, days);
  for (std::size_t j = 0; j < history.size() && static_cast<int>(out.size()) < count; ++j) {
    const int prev_close = j + 1 < history.size() ? history[j + 1].close : 0;
    const PastDay day(market, index, history[j], prev_close);
    std::vector<ChartBar> ones;
    ones.reserve(PastDay::kMinutes);
    for (int k = 0; k < PastDay::kMinutes; ++k) {
      const PastMinute& m = day.minutes()[k];
      ones.push_back({day.date(), HhmmssFromSeconds(Market::kOpen + 60 * k), m.open, m.high, m.low,
                      m.close, m.volume});
    }
    AppendSpans(ones, span, out);
  }
  if (static_cast<int>(out.size()) > count) out.resize(count);
  return out;
}

// Weeks (Monday to Friday) or months of the day bars before today, newest
// first; the first is today's period, as far as it has gone before today.
std::vector<ChartBar> PeriodChart(const Market& market, int index, bool weeks, int count) {
  auto key = [weeks](int date) {
    if (!weeks) return date / 100;
    const int days = DaysFromDate(date);
    return days - (Weekday(date) + 6) % 7;  // its Monday
  };
  const int per_bar = weeks ? 5 : 23;
  const std::vector<DayBar> days =
      market.DayHistory(index, std::min(Market::kHistoryDays, count * per_bar + per_bar));
  std::vector<ChartBar> out;
  const int today = market.date();
  std::size_t d = 0;
  if (days.empty() || key(days[0].date) != key(today)) {
    // Today opens its period: its prices so far, and the volume left to the client.
    const DayBar t = TodayBar(market, index);
    out.push_back({today, weeks ? IsoWeek(today) : 0, t.open, t.high, t.low, t.close, 0});
  }
  while (d < days.size() && static_cast<int>(out.size()) < count) {
    const int k = key(days[d].date);
    std::size_t end = d;
    while (end < days.size() && key(days[end].date) == k) ++end;
    const DayBar& oldest = days[end - 1];
    BarBuilder b(oldest.date, weeks ? IsoWeek(oldest.date) : 0);
    for (std::size_t i = end; i-- > d;) {
      const DayBar& day = days[i];
      b.Add(day.open, day.high, day.low, day.close, day.volume);
    }
    out.push_back(b.Take());
    d = end;
  }
  if (static_cast<int>(out.size()) > count) out.resize(count);
  return out;
}

}  // namespace

std::optional<ChartKind> ParseChartType(std::u16string_view tm) {
  if (tm == u"D") return ChartKind{ChartPeriod::kDay, 0};
  if (tm == u"J") return ChartKind{ChartPeriod::kWeek, 0};
  if (tm == u"M") return ChartKind{ChartPeriod::kMonth, 0};
  for (int span : {1, 3, 5, 10, 30, 60})
    if (tm == u"m" + FormatInt(span)) return ChartKind{ChartPeriod::kMinutes, span};
  return std::nullopt;
}

int IsoWeek(int yyyymmdd) {
  const int days = DaysFromDate(yyyymmdd);
  // The week belongs to the year of its Thursday.
  const int thursday = days - (Weekday(yyyymmdd) + 6) % 7 + 3;
  const int year = DateFromDays(thursday) / 10000;
  const int week = (thursday - DaysFromDate(year * 10000 + 101)) / 7 + 1;
  return year * 100 + week;
}

std::vector<ChartBar> ChartBars(const Market& market, int index, ChartKind kind, int count) {
  std::vector<ChartBar> out;
  if (index < 0 || index >= static_cast<int>(market.stocks().size()) || count <= 0) return out;
  switch (kind.period) {
    case ChartPeriod::kDay: {
      const DayBar t = TodayBar(market, index);
      out.push_back({t.date, 0, t.open, t.high, t.low, t.close, t.volume});
      for (const DayBar& b : market.DayHistory(index, count - 1))
        out.push_back({b.date, 0, b.open, b.high, b.low, b.close, b.volume});
      break;
    }
    case ChartPeriod::kWeek:
    case ChartPeriod::kMonth:
      out = PeriodChart(market, index, kind.period == ChartPeriod::kWeek, count);
      break;
    case ChartPeriod::kMinutes:
      out = MinuteChart(market, index, kind.span_minutes, count);
      break;
  }
  return out;
}

std::u16string ChartLines(const std::vector<ChartBar>& bars) {
  std::u16string out;
  out.reserve(bars.size() * 48);
  for (const ChartBar& b : bars) {
    out += FormatInt(b.date);
    for (std::int64_t v : {std::int64_t{b.time}, std::int64_t{b.open}, std::int64_t{b.high},
                           std::int64_t{b.low}, std::int64_t{b.close}, b.volume}) {
      out += u'|';
      out += FormatInt(v);
    }
    out += u'\n';
  }
  return out;
}

Packet ChartReply(const Market& market, const Packet& request) {
  const std::u16string code = request.GetText(u"STKCD", u"");
  const std::u16string tm = request.GetText(u"TM", u"");
  int count = request.GetInt(u"CNT", 0);
  if (count <= 0) count = kDefaultChartBars;
  count = std::min(count, kMaxChartBars);
  const int index = market.Find(Utf8(code));
  const std::optional<ChartKind> kind = ParseChartType(tm);

  Packet p(code::kChart);
  // Echoed only when they are what a request holds, never arbitrary text.
  p.AddText(u"STKCD", PlainCode(code));
  p.AddText(u"TM", PlainCode(tm));
  p.AddInt(u"CHART_ID", request.GetInt(u"CHART_ID", 0));
  p.AddText(u"DATA", index >= 0 && kind ? Encode(ChartLines(ChartBars(market, index, *kind, count)))
                                        : std::u16string());
  p.AddText(u"CPKT", index >= 0 ? QuoteText(market.stock(index).quote) : std::u16string());
  return p;
}

}  // namespace velloran::server
