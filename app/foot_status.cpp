#include "app/foot_status.h"

#include <algorithm>

#include "net/text_util.h"

namespace velloran {

std::u16string LinkStateText(LinkState state) {
  switch (state) {
    case LinkState::kConnected:
      return u"연결됨";
    case LinkState::kLost:
      return u"연결 끊김";
    case LinkState::kWaiting:
    case LinkState::kConnecting:
      break;
  }
  return u"연결 중";
}

FootTexts MakeFootTexts(const LinkStatus& link, std::int32_t hhmmss,
                        std::uint64_t packets_per_second, int stale_seconds) {
  FootTexts t;
  t.link = link.state == LinkState::kLost && link.silent ? u"수신 없음" : LinkStateText(link.state);
  if (link.state == LinkState::kConnected && stale_seconds >= 0) {
    t.stale = true;
    t.link = u"수신 지연 " + Widen(std::to_string(stale_seconds)) + u"초";
  }
  if (link.state == LinkState::kLost && link.seconds_to_retry >= 0) {
    t.link += u" · " + Widen(std::to_string(link.seconds_to_retry)) + u"초 후 재연결";
  }
  if (hhmmss > 0 && hhmmss <= 235959) {
    const std::string digits = std::to_string(1000000 + hhmmss).substr(1);
    t.server_time = u"서버 " + Widen(digits.substr(0, 2) + ":" + digits.substr(2, 2) + ":" +
                                     digits.substr(4, 2));
  } else {
    t.server_time = u"서버 --:--:--";
  }
  t.rate = u"수신 " + Widen(std::to_string(packets_per_second)) + u"건/초";
  return t;
}

std::uint64_t PacketRate::Tick(std::uint64_t total) {
  const std::uint64_t rate = total >= last_total_ ? total - last_total_ : total;
  last_total_ = total;
  return rate;
}

void FeedWatch::Observe(Clock::SteadyTime now, std::uint64_t packets, bool connected,
                        bool market_open) {
  if (packets != packets_) {
    packets_ = packets;
    last_packet_ = quiet_from_ = now;
    have_packet_ = true;
  } else if (connected && !connected_) {
    quiet_from_ = now;
  }
  connected_ = connected;
  since_ = have_packet_ ? static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                                               now - last_packet_)
                                               .count())
                        : -1;
  stale_ = connected && market_open && now - quiet_from_ >= kStaleAfter;
}

std::int32_t ServerClock::Tick(Clock::SteadyTime now, std::uint64_t updates,
                               std::int32_t hhmmss) {
  constexpr int kDay = 24 * 3600;
  if (updates != updates_) {
    updates_ = updates;
    const int h = hhmmss / 10000, m = hhmmss / 100 % 100, s = hhmmss % 100;
    const bool valid = hhmmss > 0 && h < 24 && m < 60 && s < 60;
    base_seconds_ = valid ? h * 3600 + m * 60 + s : -1;
    base_at_ = now;
  }
  if (base_seconds_ < 0) return 0;
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - base_at_).count();
  const int t = static_cast<int>((base_seconds_ + std::max<std::int64_t>(elapsed, 0)) % kDay);
  // Midnight reads as 0, which says "unknown": the first second after it.
  return std::max(1, t / 3600 * 10000 + t / 60 % 60 * 100 + t % 60);
}

}  // namespace velloran
