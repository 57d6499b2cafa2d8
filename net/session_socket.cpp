#include "net/session_socket.h"

#include "net/message_codes.h"
#include "net/packet.h"
#include "platform/socket_api.h"

namespace velloran {

CQZSocket::CQZSocket(IncomingQueue& incoming, std::u16string user_id)
    : router_(incoming), user_id_(std::move(user_id)), queue_(std::make_unique<CMyQueue>()) {}

CQZSocket::~CQZSocket() = default;

int CQZSocket::ConnectTo(const std::u16string& host, int port) {
  Close();
  connected_ = false;
  pending_.clear();
  pending_sent_ = 0;
  connecting_ = false;
  lost_told_ = false;
  if (!Create()) return -1;
  // A refused size or keepalive is no reason to give up the session.
  (void)sock::SetBufferSizes(handle(), kSocketBufferBytes, kSocketBufferBytes);
  (void)sock::SetKeepAlive(handle(), kKeepAliveIdleS, kKeepAliveIntervalS, kKeepAliveProbes);
  const bool now = Connect(host, port);
  // A connect under way (a dotted address that would block, or a name being
  // looked up) is reported by OnConnect.
  connecting_ = now || LastError() == sock::kWouldBlock;
  return now ? 1 : 0;
}

void CQZSocket::Drop() {
  Close();
  connected_ = false;
  connecting_ = false;
}

void CQZSocket::Lose() {
  connected_ = false;
  if (lost_told_ || !on_lost_) return;
  lost_told_ = true;
  on_lost_();
}

void CQZSocket::OnConnect(int error) {
  connecting_ = false;
  if (error != 0) {
    Lose();
    return;
  }
  // Nothing from the previous session may be dispatched after this one starts.
  router_.incoming().ClearIncoming();
  connected_ = true;
  Packet hello(code::kHello);
  hello.AddText(u"ID", user_id_);
  hello.AddInt(u"VER", 2);
  router_.Sent(hello);
  // Requests sent while the connect was under way wait behind the hello: the
  // server serves nothing before it.
  pending_.insert(0, hello.ToWire());
  if (!Flush()) Lose();
}

void CQZSocket::OnReceive(int error) {
  if (error == -1) {
    Lose();
    return;
  }
  const long n = Receive(chunk_, kChunkBytes);
  if (n <= 0) return;
  bytes_received_ += static_cast<std::uint64_t>(n);
  try {
    queue_->Append(chunk_, static_cast<int>(n));
    while (auto packet = queue_->GetPacket()) router_.Route(std::move(packet));
  } catch (...) {
    queue_->Clear();
  }
}

int CQZSocket::Send(const Packet& packet) {
  router_.Sent(packet);
  const std::string wire = packet.ToWire();
  if (pending_sent_ < pending_.size() || connecting_) {
    // Earlier bytes still wait: these go behind them. A server that takes
    // nothing for this long is as good as lost.
    if (pending_.size() - pending_sent_ + wire.size() > kMaxPendingBytes) {
      Lose();
      return -1;
    }
    pending_.append(wire);
    return static_cast<int>(wire.size());
  }
  pending_.clear();
  pending_sent_ = 0;
  const long n = CAsyncSocketEx::Send(wire.data(), static_cast<int>(wire.size()));
  if (n < 0 && LastError() != sock::kWouldBlock) {
    Lose();
    return -1;
  }
  const std::size_t taken = n < 0 ? 0 : static_cast<std::size_t>(n);
  if (taken < wire.size()) {
    pending_.assign(wire, taken);
    RequestSendNotification();
  }
  return static_cast<int>(wire.size());
}

bool CQZSocket::Flush() {
  while (pending_sent_ < pending_.size()) {
    const long n = CAsyncSocketEx::Send(pending_.data() + pending_sent_,
                                        static_cast<int>(pending_.size() - pending_sent_));
    if (n < 0) {
      if (LastError() != sock::kWouldBlock) return false;
      RequestSendNotification();
      return true;
    }
    pending_sent_ += static_cast<std::size_t>(n);
  }
  pending_.clear();
  pending_sent_ = 0;
  return true;
}

void CQZSocket::OnSend(int error) {
  if (error != 0 || !Flush()) Lose();
}

void CQZSocket::OnClose(int /*error*/) {
  connecting_ = false;
  Lose();
}

}  // namespace velloran
