#include "app/foot_status.h"

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
                        std::uint64_t packets_per_second) {
  FootTexts t;
  t.link = link.state == LinkState::kLost && link.silent ? u"수신 없음" : LinkStateText(link.state);
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

}  // namespace velloran
