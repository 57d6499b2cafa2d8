#include "net/session_socket.h"

#include <gtest/gtest.h>

#include <mutex>

#include "app/foot_status.h"
#include "app/session_data.h"
#include "net/session_driver.h"
#include "platform/poll_event_loop.h"
#include "tests/net/loopback_listen.h"
#include "tests/net/loopback_server.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::LoopbackServer;

// The order-book view as the socket sees it: keeps what it is handed.
class ViewStandIn : public OrderBookLink {
 public:
  void PushPacket(std::unique_ptr<Packet> packet) override {
    std::lock_guard<std::mutex> hold(lock);
    packets.push_back(packet->Text());
  }
  std::u16string_view ShownStockCode() const override { return shown; }
  WindowHandle ReplayWindow() const override { return replay; }

  std::vector<std::u16string> Packets() {
    std::lock_guard<std::mutex> hold(lock);
    return packets;
  }

  std::mutex lock;
  std::vector<std::u16string> packets;
  std::u16string shown = u"005930";
  WindowHandle replay;
};

std::string Wire(std::u16string text) {
  return Packet(std::move(text)).ToWire();
}

std::string HelloWire(const std::u16string& id) {
  Packet p(1);
  p.AddText(u"ID", id);
  p.AddInt(u"VER", 2);
  return p.ToWire();
}

// The session's timings as the tests step through them.
constexpr SessionTimings kSteps = [] {
  SessionTimings t;
  t.start_delay = milliseconds(1000);
  t.connect_delay = milliseconds(100);
  t.watch_period = milliseconds(10000);
  t.retry_delay = milliseconds(1000);
  t.silence_limit = milliseconds(120000);
  return t;
}();

class SessionSocketTest : public ::testing::Test {
 protected:
  SessionSocketTest() { loop.SetClock(&clock); }

  // Moves the clock on and runs what became due (and what is ready now).
  void Step(milliseconds d) { loop.Advance(clock, d); }

  // GBN codes of the packets waiting for the dispatcher, in order.
  std::vector<std::u16string> Incoming() {
    std::vector<std::u16string> out;
    for (auto& p : session.TakeIncoming()) out.push_back(p->Text());
    return out;
  }

  // Connects a socket and waits for the hello to reach the server.
  void ConnectAndGreet(CQZSocket& socket, std::size_t index = 0) {
    socket.SetOrderBookView(&view);
    ASSERT_GE(socket.ConnectTo(u"127.0.0.1", server.port()), 0);
    ASSERT_TRUE(loop.RunUntil([&] { return socket.connected(); }, std::chrono::seconds(5)));
    ASSERT_TRUE(server.WaitReceived(index, HelloWire(u"kim").size()));
  }

  bool RunUntil(const std::function<bool()>& done) {
    return loop.RunUntil(done, std::chrono::seconds(5));
  }

  ManualClock clock;
  PollEventLoop loop;
  CSessionData session{SessionOptions{}};
  ViewStandIn view;
  LoopbackServer server;
};

TEST_F(SessionSocketTest, HelloIsTheFirstAndOnlyThingSentAfterConnect) {
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  EXPECT_EQ(server.Received(0), HelloWire(u"kim"));
  EXPECT_EQ(server.Received(0),
            "<PKT><GBN>1</GBN><ID>kim</ID><VER>2</VER></PKT>" + std::string(1, '\0'));
}

TEST_F(SessionSocketTest, TwoPacketsInOneChunkAreRoutedInOrder) {
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  server.Send(0,
              Wire(u"<PKT><GBN>3014</GBN><END>1</END></PKT>") + Wire(u"<PKT><GBN>999</GBN></PKT>"));
  std::vector<std::u16string> got;
  ASSERT_TRUE(RunUntil([&] {
    for (auto& t : Incoming()) got.push_back(t);
    return got.size() >= 2;
  }));
  EXPECT_EQ(got[0], u"<PKT><GBN>3014</GBN><END>1</END></PKT>");
  EXPECT_EQ(got[1], u"<PKT><GBN>999</GBN></PKT>");
}

TEST_F(SessionSocketTest, APacketInManySmallWritesArrivesWhole) {
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  const std::u16string text =
      u"<PKT><GBN>3007</GBN><HNAME>한빛전자</HNAME><SHCODE>000660</SHCODE></PKT>";
  server.Send(0, Wire(text), 3);
  std::vector<std::u16string> got;
  ASSERT_TRUE(RunUntil([&] {
    for (auto& t : Incoming()) got.push_back(t);
    return !got.empty();
  }));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], text);
}

// The routing cases are in packet_router_test.cpp.

TEST_F(SessionSocketTest, PacketsLeftFromThePreviousConnectionAreNeverDispatched) {
  session.PushIncoming(std::make_unique<Packet>(std::u16string(u"<PKT><GBN>3014</GBN></PKT>")));
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  EXPECT_TRUE(Incoming().empty());
}

TEST_F(SessionSocketTest, ServerCloseEndsTheSession) {
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  server.CloseConnection(0);
  EXPECT_TRUE(RunUntil([&] { return !socket.connected(); }));
}

TEST_F(SessionSocketTest, RefusedConnectionIsReportedAsNotConnected) {
  int port = 0;
  {
    LoopbackServer gone;
    port = gone.port();
  }
  CQZSocket socket(session, u"kim");
  ASSERT_GE(socket.ConnectTo(u"127.0.0.1", port), 0);
  EXPECT_TRUE(RunUntil([&] { return !socket.connecting(); }));
  EXPECT_FALSE(socket.connected());
}

TEST_F(SessionSocketTest, GarbageBeforeAPacketStaysInItsTextAndRoutingGoesOn) {
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  server.Send(0, std::string("\x01\xff garbage") + Wire(u"<PKT><GBN>999</GBN></PKT>"));
  std::vector<std::u16string> got;
  ASSERT_TRUE(RunUntil([&] {
    for (auto& t : Incoming()) got.push_back(t);
    return !got.empty();
  }));
  EXPECT_EQ(Packet(got[0]).GetInt(u"GBN", 0), 999);
  EXPECT_TRUE(socket.connected());
}

TEST_F(SessionSocketTest, SendsTheNetworkCannotTakeAtOnceArriveWholeAndInOrder) {
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  server.PauseReading(true);
  std::string expected = server.Received(0);
  int sent = 0;
  // Far more than the socket buffers hold, so sends are taken in part.
  for (int i = 0; i < 400; ++i) {
    Packet p(3014);
    p.AddInt(u"IDX", i);
    p.AddText(u"P_SHCODES", std::u16string(4000, u'7'));
    ASSERT_GT(socket.Send(p), 0);
    expected += p.ToWire();
    ++sent;
  }
  EXPECT_GT(socket.pending_bytes(), 0u);
  server.PauseReading(false);
  ASSERT_TRUE(RunUntil([&] { return server.Received(0).size() >= expected.size(); }));
  EXPECT_EQ(server.Received(0), expected);
  EXPECT_EQ(socket.pending_bytes(), 0u);
  EXPECT_TRUE(socket.connected());
}

TEST_F(SessionSocketTest, AnUnresolvableNameEndsInOnConnectWithAnError) {
  struct Probe : CQZSocket {
    using CQZSocket::CQZSocket;
    void OnConnect(int error) override {
      result = error;
      CQZSocket::OnConnect(error);
    }
    int result = -12345;
  } socket(session, u"kim");
  ASSERT_GE(socket.ConnectTo(u"no-such-host.invalid", 1), 0);
  ASSERT_TRUE(RunUntil([&] { return socket.result != -12345; }));
  EXPECT_NE(socket.result, 0);
  EXPECT_FALSE(socket.connected());
}

TEST_F(SessionSocketTest, ALookupForASocketClosedMeanwhileIsDropped) {
  {
    CQZSocket socket(session, u"kim");
    ASSERT_GE(socket.ConnectTo(u"localhost", server.port()), 0);
  }
  // The lookup reports to a window that may be gone; nothing may break.
  loop.RunUntil([] { return false; }, milliseconds(300));
  CQZSocket next(session, u"kim");
  ConnectAndGreet(next);
}

TEST_F(SessionSocketTest, AHostNameConnectsAfterItsLookup) {
  CQZSocket socket(session, u"kim");
  socket.SetOrderBookView(&view);
  ASSERT_GE(socket.ConnectTo(u"localhost", server.port()), 0);
  ASSERT_TRUE(RunUntil([&] { return socket.connected(); }));
  EXPECT_TRUE(server.WaitReceived(0, HelloWire(u"kim").size()));
}

// A connect that stays under way: the listener's backlog is full, so the
// system drops the connect's first attempts until the test accepts.
TEST_F(SessionSocketTest, RequestsSentWhileConnectingFollowTheHelloOnceConnected) {
  int port = 0;
  const int listener = testing::ListenLoopback(0, port);
  ASSERT_GE(listener, 0);
  const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);

  CSessionDriver driver(loop, session, {u"127.0.0.1", port, u"kim"}, kSteps);
  driver.Start();
  Step(kSteps.start_delay);
  Step(kSteps.connect_delay);
  ASSERT_NE(driver.socket(), nullptr);
  CQZSocket& socket = *driver.socket();
  ASSERT_TRUE(socket.connecting());
  // The foot bar says what is happening: a connect under way, not a loss.
  EXPECT_EQ(driver.Status().state, LinkState::kConnecting);
  EXPECT_EQ(MakeFootTexts(driver.Status(), 0, 0).link, u"연결 중");
  Packet request(3014);
  request.AddInt(u"IDX", 3005);
  EXPECT_EQ(socket.Send(request), static_cast<int>(request.ToWire().size()));

  ::close(::accept(listener, nullptr, nullptr));  // room for the retried connect
  const int peer = ::accept(listener, nullptr, nullptr);
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(RunUntil([&] { return socket.connected() && socket.pending_bytes() == 0; }));
  const std::string expected = HelloWire(u"kim") + request.ToWire();
  std::string got;
  while (got.size() < expected.size()) {
    char buffer[512];
    const long n = ::recv(peer, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, expected);
  ::close(peer);
  ::close(filler);
  ::close(listener);
}

// --- the session driver, on a clock the tests move on ---------------------

TEST_F(SessionSocketTest, DriverStartsConnectsAndReconnectsAtItsTimes) {
  CSessionDriver driver(loop, session, {u"127.0.0.1", server.port(), u"kim"}, kSteps);
  driver.Start();
  Step(kSteps.start_delay - milliseconds(1));
  EXPECT_EQ(driver.socket(), nullptr);
  Step(milliseconds(1));  // the worker starts; the connect follows
  Step(kSteps.connect_delay - milliseconds(1));
  EXPECT_EQ(driver.connect_count(), 0);
  Step(milliseconds(1));
  ASSERT_EQ(driver.connect_count(), 1);
  ASSERT_TRUE(RunUntil([&] { return driver.socket()->connected(); }));
  EXPECT_EQ(session.socket(), driver.socket());
  ASSERT_TRUE(server.WaitReceived(0, HelloWire(u"kim").size()));

  // A close is acted on when it is reported, not at the next watch: the new
  // connect comes a retry delay later, and the foot bar counts down to it. A
  // connection lost before it held a watch period doubles the wait for the
  // next; one that held starts again from the retry delay.
  struct Loss {
    milliseconds held;  // how long the connection stayed before the server closed it
    milliseconds wait;  // from the close to the next connect
  };
  const Loss losses[] = {{milliseconds(0), milliseconds(1000)},
                         {milliseconds(0), milliseconds(2000)},
                         {milliseconds(0), milliseconds(4000)},
                         {kSteps.watch_period, milliseconds(1000)}};
  std::size_t index = 0;
  for (const Loss& loss : losses) {
    Step(loss.held);
    server.CloseConnection(index);
    ASSERT_TRUE(RunUntil([&] { return !driver.socket()->connected(); }));
    EXPECT_EQ(driver.Status().state, LinkState::kLost);
    EXPECT_EQ(driver.Status().seconds_to_retry, loss.wait.count() / 1000);
    Step(loss.wait - milliseconds(1));
    EXPECT_EQ(driver.connect_count(), static_cast<int>(index) + 1);
    Step(milliseconds(1));
    ASSERT_EQ(driver.connect_count(), static_cast<int>(index) + 2);
    ++index;
    ASSERT_TRUE(RunUntil([&] { return driver.socket()->connected(); }));
    ASSERT_TRUE(RunUntil([&] { return server.Received(index) == HelloWire(u"kim"); }));
    EXPECT_EQ(session.socket(), driver.socket());
  }
}

TEST_F(SessionSocketTest, DriverReplacesASessionOnWhichNothingArrives) {
  CSessionDriver driver(loop, session, {u"127.0.0.1", server.port(), u"kim"}, kSteps);
  driver.Start();
  Step(kSteps.start_delay);
  Step(kSteps.connect_delay);
  ASSERT_TRUE(RunUntil([&] { return driver.socket()->connected(); }));
  ASSERT_TRUE(server.WaitReceived(0, HelloWire(u"kim").size()));
  // A session that keeps receiving stays, however long.
  for (int i = 0; i < 30; ++i) {
    const std::uint64_t before = driver.socket()->bytes_received();
    server.Send(0, Wire(u"<PKT><GBN>999</GBN></PKT>"));
    ASSERT_TRUE(RunUntil([&] { return driver.socket()->bytes_received() > before; }));
    Step(kSteps.watch_period);
  }
  EXPECT_EQ(driver.connect_count(), 1);
  // Open but silent: given up at the first watch past the limit, and the
  // foot bar says why until the new connection greets the server.
  for (auto quiet = milliseconds(0); quiet < kSteps.silence_limit; quiet += kSteps.watch_period) {
    EXPECT_EQ(driver.Status().state, LinkState::kConnected);
    Step(kSteps.watch_period);
  }
  const LinkStatus given_up = driver.Status();
  EXPECT_EQ(given_up.state, LinkState::kLost);
  EXPECT_TRUE(given_up.silent);
  EXPECT_EQ(MakeFootTexts(given_up, 0, 0).link, u"수신 없음 · 1초 후 재연결");
  Step(kSteps.retry_delay);
  ASSERT_EQ(driver.connect_count(), 2);
  ASSERT_TRUE(RunUntil([&] { return server.Received(1) == HelloWire(u"kim"); }));
}

TEST_F(SessionSocketTest, DriverKeepsTryingWhileTheServerIsAway) {
  int port = 0;
  {
    LoopbackServer gone;
    port = gone.port();
  }
  CSessionDriver driver(loop, session, {u"127.0.0.1", port, u"kim"}, kSteps);
  driver.Start();
  Step(kSteps.start_delay);
  // Each refused connect doubles the wait for the next, up to its bound.
  const milliseconds waits[] = {kSteps.connect_delay, milliseconds(1000), milliseconds(2000),
                                milliseconds(4000),   milliseconds(8000), milliseconds(16000),
                                milliseconds(30000),  milliseconds(30000)};
  int attempt = 0;
  for (const milliseconds wait : waits) {
    Step(wait - milliseconds(1));
    EXPECT_EQ(driver.connect_count(), attempt);
    Step(milliseconds(1));
    ASSERT_EQ(driver.connect_count(), ++attempt);
    ASSERT_TRUE(RunUntil([&] { return driver.Status().state == LinkState::kLost; }));
  }
}

// --- the notification window's table -------------------------------------

TEST_F(SessionSocketTest, The503rdSocketGrowsTheTable) {
  std::vector<std::unique_ptr<CAsyncSocketEx>> sockets;
  for (int i = 0; i < 502; ++i) {
    sockets.push_back(std::make_unique<CAsyncSocketEx>());
    ASSERT_TRUE(sockets.back()->Create()) << i;
  }
  const CAsyncSocketExHelperWindow* window = sockets[0]->helper_window();
  EXPECT_EQ(window->size(), 512);
  sockets.push_back(std::make_unique<CAsyncSocketEx>());
  ASSERT_TRUE(sockets.back()->Create());
  EXPECT_EQ(window->size(), 1024);
  EXPECT_EQ(window->count(), 503);
}

TEST_F(SessionSocketTest, CreateTwiceIsRefusedAndNoLoopMeansNotInitialised) {
  CAsyncSocketEx s;
  ASSERT_TRUE(s.Create());
  EXPECT_FALSE(s.Create());
  std::thread([] {
    CAsyncSocketEx other;  // a thread without an event loop
    EXPECT_FALSE(other.Create());
  }).join();
}

// About 48 MB, so the receive buffer wraps around several times and the
// reader keeps meeting a full socket buffer. Only a stall fails it: however
// slow the machine, the packets must keep coming, complete and in order.
TEST_F(SessionSocketTest, ALongStreamArrivesCompleteAndInOrder) {
  CQZSocket socket(session, u"kim");
  ConnectAndGreet(socket);
  std::string bytes;
  const int count = 60000;
  for (int i = 0; i < count; ++i) {
    Packet p(2002);
    p.AddText(u"RES", u"CPRC");
    p.AddInt(u"SEQ", i);
    p.AddText(u"DATA", std::u16string(100 + i % 300, u'가'));
    bytes += p.ToWire();
  }
  std::thread sender([&] { server.Send(0, bytes); });
  int next = 0;
  bool in_order = true;
  while (next < count) {
    const int before = next;
    loop.RunUntil(
        [&] {
          for (auto& p : session.TakeIncoming()) {
            in_order = in_order && p->GetInt(u"SEQ", -1) == next &&
                       p->GetText(u"DATA", u"").size() == 100u + next % 300;
            ++next;
          }
          return next > before;
        },
        std::chrono::seconds(20));
    if (next == before) break;
  }
  EXPECT_EQ(next, count) << "nothing arrived for 20 s after packet " << next;
  EXPECT_TRUE(socket.connected());
  server.CloseConnection(0);  // lets a stalled sender go
  sender.join();
  EXPECT_TRUE(in_order);
  EXPECT_TRUE(view.Packets().empty());
}

}  // namespace
}  // namespace velloran
