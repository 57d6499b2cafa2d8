#pragma once
// The replay's charts never show what comes after the replay's clock. A
// chart reply holds bars up to the server's now: what a replay installs is
// cut to the bars before the clock (for a day chart, before the replayed
// day, whose bar the replayed trades build), and a minute chart whose bars
// end on an earlier day is given a first bar of the replayed day for the
// replayed trades to grow, as live trades grow today's.

#include <cstdint>
#include <string>
#include <string_view>

#include "chart/bar_store.h"
#include "net/quote.h"

namespace velloran {

// The seconds a minute type's bar spans ("m1" 60, "m30" 1800); 0 for a day,
// week or month type.
[[nodiscard]] int ChartSpanSeconds(std::u16string_view type);

// The lines of a decoded chart DATA text that lie before the clock of a
// replay of ymd: for a day, week or month type the bars before ymd; for a
// minute type also the bars of ymd that ended by the clock (ms since
// midnight). Lines that do not read as bars are dropped.
[[nodiscard]] std::u16string CutChartData(std::u16string_view data, std::u16string_view type,
                                          std::int32_t ymd, std::int64_t clock_ms);

// The empty bar of ymd that a trade's price and volume go into: it starts at
// the span boundary before the trade (a trade on a boundary belongs to the
// bar that ends there), within the day; base is the close of the bar before
// it.
[[nodiscard]] TICK FirstMinuteBar(const CPKT& trade, int span_seconds, std::int32_t ymd,
                                  std::int32_t base);

}  // namespace velloran
