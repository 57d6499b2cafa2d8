#pragma once
// The session a chart window sees in tests: a trading date, server hour and
// market state the test sets, and the requests the chart sent, as texts.

#include <string>
#include <vector>

#include "chart/chart_context.h"

namespace velloran::testing_bars {

class RecordingContext : public ChartContext {
 public:
  [[nodiscard]] std::int32_t TradingDate() const override { return trading_date; }
  [[nodiscard]] int ServerHour() const override { return server_hour; }
  [[nodiscard]] bool CheckMarketState() const override { return market_open; }
  bool SendRequest(const Packet& request) override {
    if (!connected) return false;
    sent.push_back(request.Text());
    return true;
  }
  [[nodiscard]] std::uint64_t Connection() const override { return connection; }

  std::int32_t trading_date = 0;
  int server_hour = 10;
  bool market_open = false;
  bool connected = true;
  std::uint64_t connection = 1;
  std::vector<std::u16string> sent;
};

}  // namespace velloran::testing_bars
