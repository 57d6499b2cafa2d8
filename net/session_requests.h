#pragma once
// The requests the client sends the data server, each built here and only
// here, by one rule. The windows decide when to ask and for what; these
// decide how the asking reads, tags in the order the server is sent them.
// The replay's requests (3001) belong here too.

#include <string_view>

#include "net/packet.h"

namespace velloran {

// The bars a "D" or "m1" chart request asks for.
inline constexpr int kChartFullCount = 1200;

// 3014, a screening list. held_codes: the codes of the records held for the
// list before, each followed by "|". market: 0 all, 1 KOSPI, 2 KOSDAQ.
// strength: 1 when the buying strength is applied, else 0. The past screen
// (3016) is asked for at a moment, past_time (YYYYMMDDhhmmss), as HTIME; no
// other screen carries one, and without a moment the past screen is asked
// for without it.
[[nodiscard]] Packet ScreenRequest(std::u16string_view held_codes, int screen, int market,
                                   int strength, std::u16string_view past_time = {});

// 3003, the order book and quote of stock, and no longer those of previous
// (empty when none is subscribed). market: the text of the stock's master
// record.
[[nodiscard]] Packet BookRequest(std::u16string_view stock, std::u16string_view previous,
                                 std::u16string_view market);

// 3011, the bars of stock for period ("D", "J", "M", "m1" ... "m60"); the
// reply echoes chart_id. "D" and "m1" ask for kChartFullCount bars; another
// period for count when it is above 0, else for as many as the server gives
// unasked. The request's CNT, when there is one, is the count asked for.
[[nodiscard]] Packet ChartRequest(std::u16string_view stock, std::u16string_view period,
                                  int chart_id, int count = 0);

// 3001, a replayed day of stock (market: 1 KOSPI, 2 KOSDAQ; ymd: YYYYMMDD).
// Every one asks for plain text (ZIP "NO"). The time line: the day's order-
// book totals, with the book's extra values (SOC).
[[nodiscard]] Packet ReplayTimeLineRequest(std::u16string_view stock, std::u16string_view market,
                                           std::u16string_view ymd);
// The order-book blocks: the first of the day (downloaded over HTTP, from
// kReplayFirstBlockTime); the one after the last snapshot held (its time,
// hhmmss); the one a seek to an hhmmss needs, from the start of its minute.
inline constexpr int kReplayFirstBlockTime = 80000;
[[nodiscard]] Packet ReplayFirstBlockRequest(std::u16string_view stock, std::u16string_view market,
                                             std::u16string_view ymd);
[[nodiscard]] Packet ReplayNextBlockRequest(std::u16string_view stock, std::u16string_view market,
                                            std::u16string_view ymd, int last_time);
[[nodiscard]] Packet ReplaySeekBlockRequest(std::u16string_view stock, std::u16string_view market,
                                            std::u16string_view ymd, int seek_time);

}  // namespace velloran
