#pragma once
// The demo server's answers to a replay's 3001 requests, made from a stock's
// day tape (day_tape.h). The texts, lines separated by "\r\n", fields by "^":
//
//   TOT DATA    one line a minute from 09:00 to now or the close:
//               YYYYMMDDhhmmss^ask total^bid total, the book the last trade
//               before that minute left (the totals of 3015)
//   HOGA DATA   one line a book: seq^hhmmss^price^side^best ask^ask total^
//               best bid^bid total^book, with seq the book's number in the day,
//               price and side ("+" bought, "-" sold, blank before any trade)
//               those of the last trade; the book lists "label|price|askqty|bidqty"
//               entries joined by ",": the asks up from the best ask, then the
//               bids down from the best bid. Live levels are labelled hhmmss;
//               levels remembered from earlier in the day (or the previous
//               day's close) follow them with their stamp YYYYMMDDhhmmss, up
//               to twenty a side.
//   HOGA CDATA  the block's trades as 26-field quote records joined by "^".
//
// A HOGA block holds the books from HTIME on (IX 0) or after it (IX 1), cut at
// whole seconds after at most about max_lines books: the last block of a day
// is short or reaches 15:30:00.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/packet.h"
#include "server/day_tape.h"

namespace velloran::server {

inline constexpr int kReplayBlockLines = 2000;

struct ReplayRequest {
  std::u16string code;    // as sent
  std::u16string market;  // as sent
  std::u16string ymd, htime, type, zip;
  int date = 0;     // YYYYMMDD, 0 when not a date
  int seconds = 0;  // HTIME as seconds of the day
  int ix = 0;
  [[nodiscard]] bool tot() const { return type == u"TOT"; }
  [[nodiscard]] bool encoded() const { return zip != u"NO"; }
};

ReplayRequest ReadReplayRequest(const Packet& packet);
// The replay page's form: shcode, market, ymd, htime; a first HOGA block, IX 0, ZIP "NO".
ReplayRequest ReadReplayForm(std::string_view body);

struct HogaBlock {
  std::u16string data, cdata;
  int lines = 0;
  int first_second = -1, last_second = -1;  // of its books, -1 when empty
};

// The time line of totals of the tape as run so far.
std::u16string TotLines(const DayTape& tape);
HogaBlock CutBlock(const DayTape& tape, int from_seconds, bool after,
                   int max_lines = kReplayBlockLines);

// The whole 3001 answer; tape is none for a stock or day without one. memo
// is the SOC of a TOT answer. bad_lines mixes malformed lines into a HOGA block.
Packet ReplayReply(const ReplayRequest& request, const DayTape* tape, std::u16string_view memo,
                   bool bad_lines, int max_lines = kReplayBlockLines);
// 3018: the master data of the stock on the tape's day.
Packet DayInfo(const DayTape& tape);

}  // namespace velloran::server
