#include "server/replay_replies.h"

#include <algorithm>

#include "net/message_codes.h"
#include "net/text_util.h"
#include "server/calendar.h"
#include "server/form.h"
#include "server/tick_size.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

constexpr int kSideLevels = 20;      // entries a side of a replayed book
constexpr int kRememberSteps = 40;   // grid steps searched past the live levels
constexpr const char16_t* kLineEnd = u"\r\n";

// Lines a reader must drop without losing the good ones around them.
constexpr const char16_t* kBadBookLines =
    u"\r\n^^^^\r\nabc^def\r\n1^2^3\r\n^090000^x^ ^y^z^w^v^|||,|,\r\n가나다\r\n";
constexpr const char16_t* kBadReplayTradeLines = u"\r\n1^2^3\r\n^^^^^\r\n가나다^x\r\n";

int DigitsValue(std::u16string_view text, int max_digits) {
  if (text.empty() || static_cast<int>(text.size()) > max_digits) return -1;
  int v = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return -1;
    v = v * 10 + (c - u'0');
  }
  return v;
}

void Fill(ReplayRequest& r) {
  const int date = DigitsValue(r.ymd, 8);
  r.date = date > 0 && IsValidDate(date) ? date : 0;
  const int t = DigitsValue(r.htime, 6);
  const bool valid_time = t >= 0 && t / 10000 < 24 && t / 100 % 100 < 60 && t % 100 < 60;
  r.seconds = valid_time ? SecondsFromHhmmss(t) : 0;
}

// Walks a tape's books in order, keeping every level the day has shown as
// the market keeps it: each trade's book is recorded at its second.
class LevelWalk {
 public:
  LevelWalk(const DayTape& tape, std::size_t first) : tape_(tape) {
    levels_ = tape.LevelsBefore(first, next_);
  }
  void Through(std::size_t k) {
    const auto& snaps = tape_.snapshots();
    const Stock& s = tape_.stock();
    for (; next_ <= k && next_ < snaps.size(); ++next_) {
      const int before = next_ > 0 ? snaps[next_ - 1].trades : 0;
      if (snaps[next_].trades > before)
        levels_.Record(tape_.BookOf(snaps[next_]), snaps[next_].second(), s.market, s.etf);
    }
  }
  [[nodiscard]] const LevelHistory& levels() const { return levels_; }

 private:
  const DayTape& tape_;
  LevelHistory levels_;
  std::size_t next_ = 0;
};

void AddEntry(std::u16string& out, std::u16string_view label, int price, int ask, int bid) {
  if (!out.empty()) out += u',';
  out += label;
  for (int v : {price, ask, bid}) {
    out += u'|';
    out += FormatInt(v);
  }
}

std::u16string Stamp(const DayTape& tape, const LevelHistory::Level& l) {
  return l.stamp == LevelHistory::kPreviousDay ? DateTimeText(tape.previous_date(), Market::kClose)
                                               : DateTimeText(tape.date(), l.stamp);
}

std::u16string BookEntries(const DayTape& tape, const Book& b, int second,
                           const LevelHistory& levels) {
  const Stock& s = tape.stock();
  const std::u16string label = FormatInt06(HhmmssFromSeconds(second));
  std::u16string out;
  int count = 0, top = 0;
  for (int i = 0; i < 10 && b.ask_price[i] > 0; ++i, ++count) {
    AddEntry(out, label, b.ask_price[i], b.ask_qty[i], 0);
    top = b.ask_price[i];
  }
  for (int step = 0, p = top; top > 0 && step < kRememberSteps && count < kSideLevels; ++step) {
    p = TickUp(p, s.market, s.etf);
    if (p > s.upper_limit) break;
    const LevelHistory::Level* l = levels.Find(p, s.market, s.etf);
    if (!l || l->ask_qty <= 0) continue;
    AddEntry(out, Stamp(tape, *l), p, l->ask_qty, 0);
    ++count;
  }
  count = 0;
  int bottom = 0;
  for (int i = 0; i < 10 && b.bid_price[i] > 0; ++i, ++count) {
    AddEntry(out, label, b.bid_price[i], 0, b.bid_qty[i]);
    bottom = b.bid_price[i];
  }
  const int tick = TickSize(1, s.market, s.etf);
  for (int step = 0, p = bottom; bottom > 0 && step < kRememberSteps && count < kSideLevels;
       ++step) {
    if (p <= tick) break;
    p = TickDown(p, s.market, s.etf);
    if (p < s.lower_limit) break;
    const LevelHistory::Level* l = levels.Find(p, s.market, s.etf);
    if (!l || l->bid_qty <= 0) continue;
    AddEntry(out, Stamp(tape, *l), p, 0, l->bid_qty);
    ++count;
  }
  return out;
}

// Puts the bad lines at the start and in the middle of a text of lines.
std::u16string WithBadLines(const std::u16string& text, const char16_t* bad) {
  std::size_t middle = text.find(kLineEnd, text.size() / 2);
  if (middle == std::u16string::npos) middle = text.size();
  return bad + text.substr(0, middle) + bad + text.substr(middle);
}

}  // namespace

ReplayRequest ReadReplayRequest(const Packet& packet) {
  ReplayRequest r;
  r.code = packet.GetText(u"SHCODE", u"");
  r.market = packet.GetText(u"MARKET", u"");
  r.ymd = packet.GetText(u"YMD", u"");
  r.htime = packet.GetText(u"HTIME", u"");
  r.type = packet.GetText(u"TYPE", u"");
  r.zip = packet.GetText(u"ZIP", u"NO");
  r.ix = packet.GetInt(u"IX", 0);
  Fill(r);
  return r;
}

ReplayRequest ReadReplayForm(std::string_view body) {
  const std::vector<FormField> form = ParseForm(body);
  ReplayRequest r;
  r.code = Utf16(FormValue(form, "shcode"));
  r.market = Utf16(FormValue(form, "market"));
  r.ymd = Utf16(FormValue(form, "ymd"));
  r.htime = Utf16(FormValue(form, "htime"));
  r.type = u"HOGA";
  r.zip = u"NO";
  r.ix = 0;
  Fill(r);
  return r;
}

std::u16string TotLines(const DayTape& tape) {
  const auto& snaps = tape.snapshots();
  std::u16string out;
  if (snaps.empty()) return out;
  const int last = std::min(tape.until(), Market::kClose) / 60 * 60;
  std::size_t k = 0, traded = 0;  // the pre-open book until a trade
  for (int t = Market::kOpen; t <= last; t += 60) {
    for (; k < snaps.size() && snaps[k].ms < t * 1000; ++k)
      if (snaps[k].trades > (k > 0 ? snaps[k - 1].trades : 0)) traded = k;
    const Book b = tape.BookOf(snaps[traded]);
    out += DateTimeText(tape.date(), t);
    out += u'^';
    out += FormatInt(b.ask_total);
    out += u'^';
    out += FormatInt(b.bid_total);
    out += kLineEnd;
  }
  return out;
}

HogaBlock CutBlock(const DayTape& tape, int from_seconds, bool after, int max_lines) {
  HogaBlock block;
  const auto& snaps = tape.snapshots();
  const int from_ms = (after ? from_seconds + 1 : from_seconds) * 1000;
  const auto first = std::lower_bound(
      snaps.begin(), snaps.end(), from_ms,
      [](const TapeSnapshot& s, int ms) { return s.ms < ms; });
  const std::size_t k0 = static_cast<std::size_t>(first - snaps.begin());
  if (k0 >= snaps.size()) return block;
  std::size_t end = std::min(snaps.size(), k0 + static_cast<std::size_t>(std::max(1, max_lines)));
  // Whole seconds: the books that share the last one's second come along.
  while (end < snaps.size() && snaps[end].second() == snaps[end - 1].second()) ++end;

  const Stock& s = tape.stock();
  LevelWalk walk(tape, k0);
  block.data.reserve((end - k0) * 900);
  for (std::size_t k = k0; k < end; ++k) {
    walk.Through(k);
    const TapeSnapshot& snap = snaps[k];
    const Book b = tape.BookOf(snap);
    const TapeTrade* last = snap.trades > 0 ? &tape.trades()[snap.trades - 1] : nullptr;
    block.data += FormatInt(static_cast<std::int64_t>(k) + 1);
    block.data += u'^';
    block.data += FormatInt06(HhmmssFromSeconds(snap.second()));
    block.data += u'^';
    block.data += FormatInt(last ? last->price : s.prev_close);
    block.data += u'^';
    if (last) block.data += last->qty > 0 ? u'+' : u'-';
    for (int v : {b.ask_price[0], b.ask_total, b.bid_price[0], b.bid_total}) {
      block.data += u'^';
      block.data += FormatInt(v);
    }
    block.data += u'^';
    block.data += BookEntries(tape, b, snap.second(), walk.levels());
    block.data += kLineEnd;
  }
  block.lines = static_cast<int>(end - k0);
  block.first_second = snaps[k0].second();
  block.last_second = snaps[end - 1].second();
  // The trades whose books are in the block.
  const int t0 = k0 > 0 ? snaps[k0 - 1].trades : 0, t1 = snaps[end - 1].trades;
  for (const Quote& q : tape.Quotes(t0, t1)) {
    block.cdata += QuoteText(q, u'^');
    block.cdata += kLineEnd;
  }
  return block;
}

Packet ReplayReply(const ReplayRequest& r, const DayTape* tape, std::u16string_view memo,
                   bool bad_lines, int max_lines) {
  Packet p(code::kReplayData);
  // The request's own values come back, so a client can match the answer.
  p.AddText(u"SHCODE", PlainCode(r.code));
  p.AddText(u"YMD", PlainCode(r.ymd));
  p.AddText(u"HTIME", PlainCode(r.htime));
  p.AddText(u"TYPE", PlainCode(r.type));
  auto coded = [&r](const std::u16string& text) { return r.encoded() ? Encode(text) : text; };
  if (r.tot()) {
    p.AddText(u"SOC", memo);
    p.AddText(u"ZIP", PlainCode(r.zip));
    p.AddText(u"DATA", coded(tape ? TotLines(*tape) : std::u16string()));
    return p;
  }
  p.AddInt(u"IX", r.ix);
  p.AddText(u"ZIP", PlainCode(r.zip));
  HogaBlock block;
  if (tape && r.type == u"HOGA") block = CutBlock(*tape, r.seconds, r.ix == 1, max_lines);
  if (bad_lines && block.lines > 0) {
    block.data = WithBadLines(block.data, kBadBookLines);
    block.cdata = WithBadLines(block.cdata, kBadReplayTradeLines);
  }
  p.AddText(u"DATA", coded(block.data));
  p.AddText(u"CDATA", coded(block.cdata));
  return p;
}

Packet DayInfo(const DayTape& tape) {
  Packet p(code::kReplayUpdate);
  AddMasterTags(p, tape.stock());
  return p;
}

}  // namespace velloran::server
