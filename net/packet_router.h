#pragma once
// CPacketRouter: where each packet the session socket cuts from the stream
// goes, by its code and, for a real-time update, its kind and stock: the
// dispatcher's incoming queue, the order-book view's queue or the replay
// window. It neither reads nor writes the network and draws nothing; the
// socket hands it every packet it cuts and every 3003 it sends.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/message_window.h"

namespace velloran {

class Packet;

// Where the session socket hands every packet it does not route to the
// order-book view or the replay window: the dispatcher's incoming queue.
class IncomingQueue {
 public:
  virtual ~IncomingQueue() = default;
  // Ownership passes. Called on the socket's thread.
  virtual void PushIncoming(std::unique_ptr<Packet> packet) = 0;
  // A new connection: frees every packet still waiting.
  virtual void ClearIncoming() = 0;
};

// The order-book view as the session socket sees it.
class OrderBookLink {
 public:
  virtual ~OrderBookLink() = default;
  // The view's own queue; ownership passes. Any thread may push, but a
  // snapshot only on the user-interface thread: it changes the stock below.
  virtual void PushPacket(std::unique_ptr<Packet> packet) = 0;
  // The stock the view shows, or will once the snapshot pushed last is
  // applied (empty when none): its trades pushed from now on are applied
  // after that snapshot. Asked on the user-interface thread, which is where
  // the view changes it, and valid until it does.
  [[nodiscard]] virtual std::u16string_view ShownStockCode() const = 0;
  // The replay window opened from the view; a null handle when none.
  [[nodiscard]] virtual WindowHandle ReplayWindow() const = 0;
};

class CPacketRouter {
 public:
  explicit CPacketRouter(IncomingQueue& incoming) : incoming_(incoming) {}

  void SetOrderBookView(OrderBookLink* view) { view_ = view; }
  [[nodiscard]] IncomingQueue& incoming() const { return incoming_; }

  // Hands one received packet on, or frees it when it has nowhere to go.
  void Route(std::unique_ptr<Packet> packet);
  // A request on its way out: a 3003 names the one stock whose snapshot is
  // passed to the view from then on.
  void Sent(const Packet& packet);

  // Packets routed since the router was made, those freed included.
  [[nodiscard]] std::uint64_t packets_routed() const { return packets_routed_; }
  // Requests handed out since the router was made.
  [[nodiscard]] std::uint64_t packets_sent() const { return packets_sent_; }

 private:
  IncomingQueue& incoming_;
  OrderBookLink* view_ = nullptr;
  std::u16string book_request_;  // the stock of the last 3003 sent: the only snapshot taken
  std::uint64_t packets_routed_ = 0;
  std::uint64_t packets_sent_ = 0;
};

}  // namespace velloran
