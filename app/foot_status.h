#pragma once
// The texts of the main frame's foot bar: whether the session is live, the
// server's clock, and how many packets arrive each second, so that a trader
// sees at a glance whether the screen shows live data.

#include <cstdint>
#include <string>

#include "net/session_driver.h"

namespace velloran {

struct FootTexts {
  // "연결됨", "연결 중", "연결 끊김 · 3초 후 재연결", or "수신 없음 · ..." when
  // the connection was given up for silence.
  std::u16string link;
  std::u16string server_time;  // "서버 09:31:05", "서버 --:--:--" before the server said
  std::u16string rate;         // "수신 120건/초"
};

// hhmmss: the server's time of day, 0 when unknown. packets_per_second is
// the count of the last whole second.
[[nodiscard]] FootTexts MakeFootTexts(const LinkStatus& link, std::int32_t hhmmss,
                                      std::uint64_t packets_per_second);

// Turns the running packet total into a per-second figure: call once a
// second with the total so far.
class PacketRate {
 public:
  std::uint64_t Tick(std::uint64_t total);

 private:
  std::uint64_t last_total_ = 0;
};

// The link state as one short line for the terminal ("연결됨" and the rest).
[[nodiscard]] std::u16string LinkStateText(LinkState state);

}  // namespace velloran
