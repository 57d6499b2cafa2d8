// The session socket's receive path fed through a real loopback connection:
// each input is written by the server end, received in chunks, cut into
// packets and routed. A second input byte stream goes through the same
// connection, as a long session would.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "app/session_data.h"
#include "fuzz/fuzz_seeds.h"
#include "net/session_socket.h"
#include "platform/poll_event_loop.h"
#include "tests/net/loopback_listen.h"

namespace {

using namespace velloran;

class CountingSocket : public CQZSocket {
 public:
  using CQZSocket::CQZSocket;
  long Receive(void* buffer, int size) override {
    const long n = CQZSocket::Receive(buffer, size);
    if (n > 0) received += static_cast<std::size_t>(n);
    return n;
  }
  std::size_t received = 0;
};

class View : public OrderBookLink {
 public:
  void PushPacket(std::unique_ptr<Packet> packet) override { (void)packet->GetInt(u"GBN", 0); }
  std::u16string_view ShownStockCode() const override { return u"005930"; }
  WindowHandle ReplayWindow() const override { return {}; }
};

struct Session {
  PollEventLoop loop;
  CSessionData data{SessionOptions{}};
  View view;
  std::unique_ptr<CountingSocket> socket;
  int server_fd = -1;

  Session() {
    int port = 0;
    const int listen_fd = testing::ListenLoopback(1, port);
    socket = std::make_unique<CountingSocket>(data, u"fuzz");
    socket->SetOrderBookView(&view);
    (void)socket->ConnectTo(u"127.0.0.1", port);
    server_fd = ::accept(listen_fd, nullptr, nullptr);
    ::close(listen_fd);
    loop.RunUntil([&] { return socket->connected(); }, std::chrono::seconds(5));
    char hello[256];
    (void)::recv(server_fd, hello, sizeof hello, 0);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Session* session = new Session;
  if (!session->socket->connected()) __builtin_trap();
  const std::size_t goal = session->socket->received + size;
  std::size_t at = 0;
  while (at < size) {
    const long n = ::send(session->server_fd, data + at, size - at, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) at += static_cast<std::size_t>(n);
    if (n <= 0 && errno != EAGAIN) __builtin_trap();
    // Let the client take what is on the wire before writing more.
    session->loop.ProcessEvents(std::chrono::milliseconds(1));
  }
  if (!session->loop.RunUntil([&] { return session->socket->received >= goal; },
                              std::chrono::seconds(5))) {
    __builtin_trap();  // bytes sent but never received: the socket stalled
  }
  for (auto& p : session->data.TakeIncoming()) (void)p->GetInt(u"GBN", 0);
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  const std::string hit =
      Packet(std::u16string(
                 u"<PKT><GBN>3007</GBN><SHCODE>005930</SHCODE><HNAME>한빛전자</HNAME></PKT>"))
          .ToWire();
  const std::string hoga =
      Packet(std::u16string(u"<PKT><GBN>2002</GBN><RES>hoga</RES></PKT>")).ToWire();
  const std::string cprc =
      Packet(std::u16string(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>005930</STKCD></PKT>"))
          .ToWire();
  return {hit + hoga, cprc + std::string(3, '\0') + hit, hit.substr(0, 20),
          Packet(std::u16string(u"<PKT><GBN>3001</GBN></PKT>")).ToWire()};
}
