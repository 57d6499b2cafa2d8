#include "net/packet_router.h"

#include "net/message_codes.h"
#include "net/packet.h"
#include "net/packet_message.h"
#include "net/text_util.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

bool IsOrderBookUpdate(std::u16string_view res) {
  return SameIgnoringAsciiCase(res, u"HOGA") || SameIgnoringAsciiCase(res, u"JHO") ||
         SameIgnoringAsciiCase(res, u"UHO") || SameIgnoringAsciiCase(res, u"YK");
}

}  // namespace

void CPacketRouter::Route(std::unique_ptr<Packet> packet) {
  ++packets_routed_;
  // The code stands first in a packet and, in a real-time update, its kind
  // and stock right after it; the walk goes past the code only for a
  // real-time update. A missing element reads as empty (code 0).
  static constexpr Packet::TagSet kLeading{u"GBN", u"RES", u"STKCD"};
  Packet::LeadingReader lead(*packet, kLeading);
  const int c = lead.Read(0b001) != 0 ? ToIntGrouped(lead.value(0)) : 0;
  switch (c) {
    case code::kOrderBook:
      // A snapshot nobody asked for (of a stock the top bar no longer names,
      // or of none) would replace the book on show.
      if (packet->GetText(u"SHCODE", u"") != book_request_) return;
      if (view_ != nullptr) view_->PushPacket(std::move(packet));
      return;
    case code::kChart:
    case code::kStockText:
    case code::kChartUpdate:
      if (view_ != nullptr) view_->PushPacket(std::move(packet));
      return;
    case code::kReplayData:
    case code::kReplayUpdate: {
      const WindowHandle replay = view_ != nullptr ? view_->ReplayWindow() : WindowHandle();
      // A failed post frees the packet; so does having nowhere to go.
      if (replay.IsWindow()) PostPacket(replay, msg::kNotify, std::move(packet), false, c);
      return;
    }
    case code::kRealtime: {
      (void)lead.Read(0b110);
      const std::u16string_view res = lead.value(1), stock = lead.value(2);
      if (res == u"JIF") break;
      if (IsOrderBookUpdate(res)) {
        if (view_ != nullptr) view_->PushPacket(std::move(packet));
        return;
      }
      if (view_ != nullptr && stock == view_->ShownStockCode()) {
        view_->PushPacket(std::make_unique<Packet>(packet->Text()));
      }
      break;
    }
    default:
      break;
  }
  incoming_.PushIncoming(std::move(packet));
}

void CPacketRouter::Sent(const Packet& packet) {
  ++packets_sent_;
  if (packet.GetInt(u"GBN", 0) == code::kOrderBook) book_request_ = packet.GetText(u"SHCODE", u"");
}

}  // namespace velloran
