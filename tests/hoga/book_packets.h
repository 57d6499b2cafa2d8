#pragma once
// Order-book packets as the demo market sends them, for the book's tests:
// master entries, snapshots, book and trade updates built with the server's
// own book text.

#include <memory>
#include <string>
#include <vector>

#include "app/session_store.h"
#include "net/message_codes.h"
#include "net/packet.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "server/book_replies.h"
#include "server/order_book.h"

namespace velloran::testing_book {

struct QuoteFields {
  int time = 100000;
  int price = 0;
  int open = 0, high = 0, low = 0;
  int best_ask = 0, best_bid = 0;
  int sign = 2;
  int trade_volume = 1;
  bool buy = true;
};

inline std::u16string QuoteLine(const QuoteFields& s) {
  std::u16string zeros = u"0";
  for (int i = 1; i < CPKT::kFieldCount; ++i) zeros += u"|0";
  CPKT q;
  (void)q.Parse(zeros);
  q.SetInt(0, s.time);
  q.SetInt(1, s.sign);
  q.SetInt(4, s.price);
  q.SetInt(6, s.open);
  q.SetInt(8, s.high);
  q.SetInt(10, s.low);
  q.SetText(11, s.buy ? u"+" : u"-");
  q.SetInt(12, s.trade_volume);
  q.SetInt(21, s.best_ask);
  q.SetInt(22, s.best_bid);
  return q.ToText();
}

// A master entry as the stock master keeps it.
inline void AddMaster(CSessionStore& store, const std::u16string& code, const std::u16string& name,
                      int market, int etf, int base, int upper = 0, int lower = 0) {
  Packet p(code::kStockMaster);
  p.AddText(u"SHCODE", code);
  p.AddText(u"HNAME", name);
  p.AddInt(u"MARKET", market);
  p.AddInt(u"ETFGUBUN", etf);
  p.AddInt(u"KPRC", base);
  p.AddInt(u"UPLMTPRICE", upper);
  p.AddInt(u"DNLMTPRICE", lower);
  p.AddText(u"PER", u"12.34");
  p.AddText(u"PBR", u"1.05");
  p.AddText(u"ROE", u"8.50");
  store.Write()->master[code] = std::make_unique<Packet>(p);
}

// Ten levels a side stepping by `step` from the best prices, each with the
// given quantity unless set later.
inline server::Book Ladder(int best_ask, int best_bid, int step, int quantity = 100) {
  server::Book b;
  for (int i = 0; i < 10; ++i) {
    b.ask_price[i] = best_ask + i * step;
    b.bid_price[i] = best_bid - i * step;
    b.ask_qty[i] = b.bid_qty[i] = quantity;
  }
  b.SumTotals();
  return b;
}

inline std::u16string BookLine(const server::Book& b, int hhmmss) {
  return server::BookText(b, hhmmss, 12345);
}

// One HMAP line: YYYYMMDDhhmmss|price|bid qty|ask qty.
inline std::u16string LevelLine(const std::u16string& stamp, int price, int bid, int ask) {
  return stamp + u"|" + FormatInt(price) + u"|" + FormatInt(bid) + u"|" + FormatInt(ask) + u"\n";
}

inline std::unique_ptr<Packet> Snapshot(const std::u16string& code, const std::u16string& quote,
                                        const std::u16string& levels, const std::u16string& book,
                                        const std::u16string& trades = u"") {
  auto p = std::make_unique<Packet>(code::kOrderBook);
  p->AddText(u"SHCODE", code);
  p->AddText(u"CPKT", quote);
  p->AddText(u"HMAP", levels);
  p->AddText(u"HPKT", book);
  p->AddText(u"CMAP", trades);
  p->AddText(u"HNAME", u"테스트" + code);
  p->AddText(u"DAY50", u"");
  return p;
}

inline std::unique_ptr<Packet> BookUpdate(const std::u16string& code, const std::u16string& text,
                                          const std::u16string& res = u"HOGA") {
  auto p = std::make_unique<Packet>(code::kRealtime);
  p->AddText(u"RES", res);
  p->AddText(u"STKCD", code);
  p->AddText(u"DATA", text);
  return p;
}

inline std::unique_ptr<Packet> Trade(const std::u16string& code, const std::u16string& quote) {
  auto p = BookUpdate(code, quote, u"CPRC");
  p->AddInt(u"BTOT", 1000);
  p->AddInt(u"STOT", 2000);
  return p;
}

inline std::unique_ptr<Packet> Memo(const std::u16string& code, const std::u16string& text) {
  auto p = std::make_unique<Packet>(code::kStockText);
  p->AddText(u"SHCODE", code);
  p->AddText(u"DATA", text);
  return p;
}

}  // namespace velloran::testing_book
