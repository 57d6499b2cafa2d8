#pragma once
// The session as the replay's charts see it: the replayed day is their
// trading date and the replay's clock their server hour, and the market
// trades; requests go out through the session store.

#include "chart/chart_context.h"

namespace velloran {

class CPlayModel;
class CSessionData;

class CPlayChartContext : public ChartContext {
 public:
  // Both outlive the context.
  CPlayChartContext(CSessionData& session, const CPlayModel& model)
      : session_(session), model_(model) {}

  [[nodiscard]] std::int32_t TradingDate() const override;
  [[nodiscard]] int ServerHour() const override;
  [[nodiscard]] bool CheckMarketState() const override { return true; }
  bool SendRequest(const Packet& request) override;
  [[nodiscard]] std::uint64_t Connection() const override;

 private:
  CSessionData& session_;
  const CPlayModel& model_;
};

}  // namespace velloran
