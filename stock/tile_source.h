#pragma once
// Where a stock tile reads what it shows. A tile keeps no record: it is bound
// to a stock code and asks its source for the record of that code each time
// it paints or the mouse moves, so a record dropped meanwhile is simply not
// found. The work area's source reads the session store; a view with a record
// of its own (the order book's tile) offers that one.

#include <cstdint>
#include <functional>
#include <string_view>

#include "stock/stock_records.h"

namespace velloran {

class TileSource {
 public:
  using RecordVisit = std::function<void(const CQZData& record)>;

  virtual ~TileSource() = default;
  // Calls visit with the record of code while it is safe to read (under the
  // store's lock); false, without a call, when there is none.
  virtual bool VisitRecord(std::u16string_view code, const RecordVisit& visit) const = 0;
  // YYYYMMDD: a registration date of this month is shown in red.
  [[nodiscard]] virtual std::int32_t TradingDate() const = 0;
  // The screen shown; in the alarm screen a press on the chart picks a price.
  [[nodiscard]] virtual int CurrentScreen() const = 0;
};

}  // namespace velloran
