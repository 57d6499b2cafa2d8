#pragma once
// The texts of the main frame's foot bar: whether the session is live, the
// server's clock, and how many packets arrive each second, so that a trader
// sees at a glance whether the screen shows live data; and the watch that
// tells a feed gone silent in market hours.

#include <chrono>
#include <cstdint>
#include <string>

#include "net/session_driver.h"
#include "platform/clock.h"

namespace velloran {

struct FootTexts {
  // "연결됨", "연결 중", "연결 끊김 · 3초 후 재연결", or "수신 없음 · ..." when
  // the connection was given up for silence.
  std::u16string link;
  std::u16string server_time;  // "서버 09:31:05", "서버 --:--:--" before the server said
  std::u16string rate;         // "수신 120건/초"
  // Connected, but nothing came for a while in market hours: the link says
  // "수신 지연 12초" and its mark is not the live one.
  bool stale = false;
};

// hhmmss: the server's time of day, 0 when unknown. packets_per_second is
// the count of the last whole second; stale_seconds the seconds since the
// last packet of a stale feed, -1 when the feed is not stale.
[[nodiscard]] FootTexts MakeFootTexts(const LinkStatus& link, std::int32_t hhmmss,
                                      std::uint64_t packets_per_second, int stale_seconds = -1);

// Tells a feed that stopped while the market trades: connected, and nothing
// received for kStaleAfter. Outside market hours silence is normal.
class FeedWatch {
 public:
  static constexpr std::chrono::seconds kStaleAfter{10};

  // Call about once a second with the total of packets received over every
  // socket so far. A new connection counts its silence from its start.
  void Observe(Clock::SteadyTime now, std::uint64_t packets, bool connected, bool market_open);
  [[nodiscard]] bool stale() const { return stale_; }
  // Whole seconds since a packet was last seen; -1 before any came.
  [[nodiscard]] int seconds_since_packet() const { return since_; }

 private:
  std::uint64_t packets_ = 0;
  bool connected_ = false;
  Clock::SteadyTime last_packet_{};
  Clock::SteadyTime quiet_from_{};  // the last packet or the connection's start
  bool have_packet_ = false;
  int since_ = -1;
  bool stale_ = false;
};

// The server's clock between its time packets (one a minute): the last
// server time moved on by the local steady clock, set anew at each one.
class ServerClock {
 public:
  // updates counts the server times received so far: each new count sets
  // the clock to hhmmss. Returns the time of day now as hhmmss, 0 while the
  // server has not said (or said no time of day).
  std::int32_t Tick(Clock::SteadyTime now, std::uint64_t updates, std::int32_t hhmmss);

 private:
  std::uint64_t updates_ = 0;
  int base_seconds_ = -1;  // of the day, at base_at_
  Clock::SteadyTime base_at_{};
};

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
