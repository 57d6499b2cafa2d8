#pragma once
// What the demo server sends for a subscribed order book: the 3003 snapshot,
// the book text of its HPKT and of every 2002 "HOGA" update, the memo (3013)
// and the day's ask-bid samples (3015). The texts, field by field:
//
//   book text  hhmmss|ask1|bid1|askqty1|bidqty1|...|ask10|bid10|askqty10|bidqty10|
//              total ask|total bid|day volume
//              (a price of 0 and quantities of 0 for a level beyond the day's limit)
//   HMAP       one line per price level shown today, and the twenty a side of
//              the previous day's closing book: YYYYMMDDhhmmss|price|bid qty|ask qty,
//              the stamp the last time the level was set; highest price first
//   CMAP       one 26-field quote record per trade, newest first: the trades
//              before the one CPKT reports (at most 49; the client puts CPKT on top)
//   3015 DATA  one line a minute from 09:00 to now: YYYYMMDDhhmm00|ask total|bid total
//
// The faults a reliability test asks for change these texts (FaultOptions).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/packet.h"
#include "server/market.h"
#include "server/server_options.h"
#include "server/user_book.h"

namespace velloran::server {

std::u16string BookText(const Book& book, int hhmmss, std::int64_t volume);
std::u16string LevelLines(const Market& market, int index);
// The quote records of the stock's last trades, newest first.
std::vector<Quote> RecentQuotes(const Stock& stock);
std::u16string TradeLines(const Stock& stock);

// The snapshot of a stock's book now (the watched book when it is watched).
Packet BookSnapshot(const Market& market, int index, const FaultOptions& faults);
// The answer for a code the market does not list: the code, when it is a
// plain one, and nothing else.
Packet EmptySnapshot(std::u16string_view code);
// A 2002 "HOGA" update of the book; seq counts the updates sent, for the
// faults that hit every third one.
Packet BookUpdate(const Market& market, int index, const Book& book, double seconds,
                  const FaultOptions& faults, std::uint64_t seq);
// 3013: the user's memo of the stock, or an empty text.
Packet MemoPacket(const Market& market, const UserData& user, int index);
// 3015: the book totals at every minute of the day so far.
Packet RatioSamples(const Market& market, int index);

}  // namespace velloran::server
