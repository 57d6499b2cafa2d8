#include "server/book_replies.h"

#include <algorithm>

#include "net/message_codes.h"
#include "net/text_util.h"
#include "server/calendar.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

// The short-book fault: a few levels a side, the totals of what is left.
Book Shortened(const Book& book) {
  Book out = book;
  for (int i = 6; i < 10; ++i) out.ask_price[i] = out.ask_qty[i] = 0;
  for (int i = 3; i < 10; ++i) out.bid_price[i] = out.bid_qty[i] = 0;
  out.SumTotals();
  return out;
}

std::u16string FaultyBook(const Book& book, int hhmmss, std::int64_t volume,
                          const FaultOptions& faults) {
  std::u16string text = BookText(faults.short_book ? Shortened(book) : book, hhmmss, volume);
  if (faults.bar_book) text.insert(0, u"|");
  return text;
}

// Lines a client must skip or survive: empty, short, not numbers.
constexpr const char16_t* kBadLevelLines =
    u"\n1|2\n20260105090000|abc|x|y\n|||||||||||\n20260105090000|5000\n";
constexpr const char16_t* kBadTradeLines =
    u"\n1|2|3\n가나다\n0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0|0\n";

}  // namespace

std::u16string BookText(const Book& b, int hhmmss, std::int64_t volume) {
  std::u16string out = FormatInt06(hhmmss);
  out.reserve(400);
  for (int i = 0; i < 10; ++i) {
    for (int v : {b.ask_price[i], b.bid_price[i], b.ask_qty[i], b.bid_qty[i]}) {
      out += u'|';
      out += FormatInt(v);
    }
  }
  for (std::int64_t v : {std::int64_t{b.ask_total}, std::int64_t{b.bid_total}, volume}) {
    out += u'|';
    out += FormatInt(v);
  }
  return out;
}

std::u16string LevelLines(const Market& market, int index) {
  const Stock& s = market.stock(index);
  const int today = market.date(), yesterday = market.trading_dates()[1];
  std::u16string out;
  for (const LevelHistory::Level& l : s.levels.Levels()) {
    out += l.stamp == LevelHistory::kPreviousDay ? DateTimeText(yesterday, 15 * 3600 + 30 * 60)
                                                 : DateTimeText(today, l.stamp);
    for (int v : {l.price, l.bid_qty, l.ask_qty}) {
      out += u'|';
      out += FormatInt(v);
    }
    out += u'\n';
  }
  return out;
}

std::vector<Quote> RecentQuotes(const Stock& s) {
  std::vector<Quote> out;
  // Each older record is the quote after the newer trade, that trade taken back.
  Quote q = s.quote;
  for (int k = 0; k < s.trades.size(); ++k) {
    const TradeRecord& r = s.trades.Newest(k);
    if (k > 0) {
      const TradeRecord& newer = s.trades.Newest(k - 1);
      q.volume -= newer.qty;
      (newer.buy_side ? q.buy_volume : q.sell_volume) -= newer.qty;
      q.value_won -= static_cast<std::int64_t>(newer.qty) * newer.price;
    }
    q.time = r.time;
    q.high = r.high;
    q.low = r.low;
    q.trade_volume = r.qty;
    q.buy_side = r.buy_side;
    q.best_ask = r.best_ask;
    q.best_bid = r.best_bid;
    ApplyPrice(q, s, r.price);
    out.push_back(q);
  }
  return out;
}

std::u16string TradeLines(const Stock& stock) {
  std::u16string out;
  const std::vector<Quote> quotes = RecentQuotes(stock);
  for (std::size_t k = 1; k < quotes.size(); ++k) out += QuoteText(quotes[k]) + u"\n";
  return out;
}

Packet BookSnapshot(const Market& market, int index, const FaultOptions& faults) {
  const Stock& s = market.stock(index);
  const Book& book = market.LiveBook(index);
  std::u16string levels = LevelLines(market, index), trades = TradeLines(s);
  if (faults.bad_maps) {
    // At the start and in the middle, where a parser that stops early still meets them.
    levels = kBadLevelLines + levels.substr(0, levels.size() / 2) + kBadLevelLines +
             levels.substr(levels.size() / 2);
    trades = kBadTradeLines + trades + kBadTradeLines;
  }
  Packet p(code::kOrderBook);
  p.AddText(u"SHCODE", Utf16(s.code));
  p.AddInt(u"KPRC", s.prev_close);
  p.AddText(u"CPKT", QuoteText(s.quote));
  p.AddText(u"HMAP", levels);
  p.AddText(u"HPKT",
            FaultyBook(book, HhmmssFromSeconds(static_cast<int>(market.LiveBookSeconds(index))),
                       s.quote.volume, faults));
  p.AddText(u"MARKET", FormatInt(s.market));
  p.AddInt(u"ETFGUBUN", s.etf ? 1 : 0);
  p.AddText(u"CMAP", trades);
  p.AddText(u"HNAME", s.name);
  p.AddText(u"DAY50", DayBarText(s.recent_days, 50));
  p.AddInt(u"BTOT", book.bid_total);
  p.AddInt(u"STOT", book.ask_total);
  return p;
}

Packet EmptySnapshot(std::u16string_view code) {
  Packet p(code::kOrderBook);
  p.AddText(u"SHCODE", PlainCode(code));
  return p;
}

Packet BookUpdate(const Market& market, int index, const Book& book, double seconds,
                  const FaultOptions& faults, std::uint64_t seq) {
  const Stock& s = market.stock(index);
  std::u16string text =
      FaultyBook(book, HhmmssFromSeconds(static_cast<int>(seconds)), s.quote.volume, faults);
  if (faults.tiny_book && seq % 3 == 2) text.resize(std::min<std::size_t>(text.size(), 19));
  Packet p(code::kRealtime);
  p.AddText(u"RES", u"HOGA");
  p.AddText(u"STKCD", Utf16(s.code));
  p.AddText(u"DATA", text);
  return p;
}

Packet MemoPacket(const Market& market, const UserData& user, int index) {
  std::u16string text;
  for (const Memo& m : user.memos)
    if (m.stock == index) text = m.text;
  Packet p(code::kStockText);
  p.AddText(u"SHCODE", Utf16(market.stock(index).code));
  p.AddText(u"DATA", text);
  return p;
}

Packet RatioSamples(const Market& market, int index) {
  std::u16string lines;
  const int last = std::min(market.now(), Market::kClose) / 60 * 60;
  for (int t = Market::kOpen; t <= last; t += 60) {
    int bid = 0, ask = 0, price = 0;
    market.TotalsAt(index, t, bid, ask, price);
    lines += DateTimeText(market.date(), t) + u"|" + FormatInt(ask) + u"|" + FormatInt(bid) + u"\n";
  }
  Packet p(code::kChartUpdate);
  p.AddText(u"SHCODE", Utf16(market.stock(index).code));
  p.AddText(u"DATA", lines);
  return p;
}

}  // namespace velloran::server
