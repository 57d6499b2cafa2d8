#include "replay/play_chart_context.h"

#include "app/session_data.h"
#include "net/text_util.h"
#include "replay/play_model.h"

namespace velloran {

std::int32_t CPlayChartContext::TradingDate() const {
  return ToInt(model_.ymd());
}

int CPlayChartContext::ServerHour() const {
  return static_cast<int>(model_.clock_ms() / 3600000);
}

bool CPlayChartContext::SendRequest(const Packet& request) {
  return session_.SendRequest(request);
}

std::uint64_t CPlayChartContext::Connection() const {
  return session_.Connection();
}

}  // namespace velloran
