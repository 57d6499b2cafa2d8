#pragma once
// What a chart window needs from the session it lives in, given by its owner:
// the trading date and server hour for merging quotes, whether the market is
// open, and a way to send its chart requests.

#include <cstdint>

#include "net/packet.h"

namespace velloran {

class ChartContext {
 public:
  virtual ~ChartContext() = default;
  // YYYYMMDD; 0 until the server has sent its trading dates.
  [[nodiscard]] virtual std::int32_t TradingDate() const = 0;
  // The hour of the server's clock.
  [[nodiscard]] virtual int ServerHour() const = 0;
  // True while the market trades (CheckMarketState of the session store).
  [[nodiscard]] virtual bool CheckMarketState() const = 0;
  // Sends a request; false when there is no connection to send it on.
  virtual bool SendRequest(const Packet& request) = 0;
  // A number that changes whenever the session connects anew: replies to
  // requests sent over an earlier connection never come.
  [[nodiscard]] virtual std::uint64_t Connection() const { return 0; }
};

}  // namespace velloran
