#pragma once
// Packets carried by posted window messages: the message owns the packet and
// its pointer stands in the parameter the message's table names.

#include <memory>

#include "net/packet.h"
#include "platform/message_window.h"

namespace velloran {

// False, with the packet freed, when the window is gone.
inline bool PostPacket(const WindowHandle& target, std::uint32_t message,
                       std::unique_ptr<Packet> packet, bool as_wparam, std::intptr_t other) {
  return PostOwned(target, message, std::move(packet), as_wparam, other);
}

// The packet a message owns, taken from it; null when it owns none.
[[nodiscard]] inline std::unique_ptr<Packet> TakePacket(WindowMessage& m) {
  return m.Take<Packet>();
}

}  // namespace velloran
