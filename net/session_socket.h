#pragma once
// CQZSocket, the client's one connection to the data server: it greets the
// server after every connect, sends the system's requests and cuts the
// received stream into packets, which its router (net/packet_router.h) hands
// to the dispatcher's incoming queue, the order-book view's queue or the
// replay window.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "net/async_socket.h"
#include "net/packet_router.h"
#include "net/receive_buffer.h"

namespace velloran {

class CQZSocket : public CAsyncSocketEx {
 public:
  static constexpr int kChunkBytes = 4096;
  static constexpr int kSocketBufferBytes = 16384;
  static constexpr std::size_t kMaxPendingBytes = 16u << 20;
  // A connection the network lost without a word is found by the system
  // within about a minute and a half.
  static constexpr int kKeepAliveIdleS = 60;
  static constexpr int kKeepAliveIntervalS = 10;
  static constexpr int kKeepAliveProbes = 3;

  CQZSocket(IncomingQueue& incoming, std::u16string user_id);
  ~CQZSocket() override;

  void SetOrderBookView(OrderBookLink* view) { router_.SetOrderBookView(view); }
  // Called on the socket's thread when the session ends without being given
  // up (a failed connect, a close, a receive or send error): once per
  // connect. The handler must not destroy the socket.
  void SetOnLost(std::function<void()> on_lost) { on_lost_ = std::move(on_lost); }

  // (Re)creates the socket and starts connecting; -1 when it cannot be
  // created, else the base connect's result. The outcome comes with OnConnect.
  int ConnectTo(const std::u16string& host, int port);
  // Gives the connection up: closed, and neither connected nor connecting.
  void Drop();

  // Sends one packet as UTF-8 and its NUL. Returns the bytes (text bytes + 1)
  // or -1 on an error, which ends the session. What the network does not take
  // at once, and what is sent while the connect is under way, is kept and
  // sent in order when it can be (after the hello). A 3003 names the one
  // stock whose snapshot is passed to the view from then on.
  using CAsyncSocketEx::Send;
  int Send(const Packet& packet);

  [[nodiscard]] bool connected() const { return connected_; }
  // Between ConnectTo and the outcome of the connect.
  [[nodiscard]] bool connecting() const { return connecting_; }
  // Packets cut from the stream since the socket was made.
  [[nodiscard]] std::uint64_t packets_received() const { return router_.packets_routed(); }
  // Packets given to Send since the socket was made.
  [[nodiscard]] std::uint64_t packets_sent() const { return router_.packets_sent(); }
  [[nodiscard]] std::size_t pending_bytes() const { return pending_.size() - pending_sent_; }
  // Bytes received since the socket was made.
  [[nodiscard]] std::uint64_t bytes_received() const { return bytes_received_; }

  void OnClose(int error) override;
  void OnConnect(int error) override;
  void OnReceive(int error) override;
  void OnSend(int error) override;

 private:
  // Sends what is pending; false on an error.
  bool Flush();
  // The session ended: not connected, and whoever watches is told.
  void Lose();

  CPacketRouter router_;
  const std::u16string user_id_;
  bool connected_ = false;
  bool connecting_ = false;
  char chunk_[kChunkBytes];
  std::unique_ptr<CMyQueue> queue_;
  std::string pending_;  // bytes accepted by Send but not yet by the network
  std::size_t pending_sent_ = 0;
  std::uint64_t bytes_received_ = 0;
  std::function<void()> on_lost_;
  bool lost_told_ = false;
};

}  // namespace velloran
