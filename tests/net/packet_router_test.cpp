#include "net/packet_router.h"

#include <gtest/gtest.h>

#include "net/packet.h"
#include "platform/poll_event_loop.h"
#include "platform/test_window.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

// The dispatcher's queue as the router sees it: keeps what it is handed.
class IncomingStandIn : public IncomingQueue {
 public:
  void PushIncoming(std::unique_ptr<Packet> packet) override { packets.push_back(packet->Text()); }
  void ClearIncoming() override { packets.clear(); }
  std::vector<std::u16string> packets;
};

// The order-book view as the router sees it: keeps what it is handed.
class ViewStandIn : public OrderBookLink {
 public:
  void PushPacket(std::unique_ptr<Packet> packet) override { packets.push_back(packet->Text()); }
  std::u16string_view ShownStockCode() const override { return shown; }
  WindowHandle ReplayWindow() const override { return replay; }

  std::vector<std::u16string> packets;
  std::u16string shown = u"005930";
  WindowHandle replay;
};

class PacketRouterTest : public ::testing::Test {
 protected:
  PacketRouterTest() { router.SetOrderBookView(&view); }

  void Route(const std::u16string& text) { router.Route(std::make_unique<Packet>(text)); }

  IncomingStandIn incoming;
  ViewStandIn view;
  CPacketRouter router{incoming};
};

// Moved here from the session socket's tests, which needed a connection.
TEST_F(PacketRouterTest, RoutingTable) {
  // Only the snapshot of the stock asked for last goes to the view.
  Packet ask(3003);
  ask.AddText(u"SHCODE", u"000660");
  router.Sent(ask);
  ask.SetText(u"SHCODE", u"005930");
  router.Sent(ask);
  router.Sent(Packet(3014));  // asks for no book: the stock stays
  const std::vector<std::u16string> sent = {
      u"<PKT><GBN>3003</GBN><SHCODE>005930</SHCODE></PKT>",               // view
      u"<PKT><GBN>3003</GBN><SHCODE>000660</SHCODE></PKT>",               // dropped: not asked for
      u"<PKT><GBN>3003</GBN></PKT>",                                      // dropped
      u"<PKT><GBN>3011</GBN></PKT>",                                      // view
      u"<PKT><GBN>3013</GBN></PKT>",                                      // view
      u"<PKT><GBN>3015</GBN></PKT>",                                      // view
      u"<PKT><GBN>2002</GBN><RES>JIF</RES><DATA>1|21</DATA></PKT>",       // incoming
      u"<PKT><GBN>2002</GBN><RES>hoga</RES><STKCD>000660</STKCD></PKT>",  // view
      u"<PKT><GBN>2002</GBN><RES>Yk</RES></PKT>",                         // view
      u"<PKT><GBN>2002</GBN><RES>jif</RES><STKCD>005930</STKCD></PKT>",   // both
      u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>005930</STKCD></PKT>",  // both
      u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>000660</STKCD></PKT>",  // incoming
      u"<PKT><GBN>3001</GBN></PKT>",                                      // dropped: no replay
      u"<PKT><GBN>4242</GBN></PKT>",                                      // incoming
      u"<PKT><GBN>1,002</GBN></PKT>",                                     // incoming
  };
  for (const auto& t : sent) Route(t);
  EXPECT_EQ(incoming.packets, (std::vector<std::u16string>{sent[6], sent[9], sent[10], sent[11],
                                                           sent[13], sent[14]}));
  EXPECT_EQ(view.packets, (std::vector<std::u16string>{sent[0], sent[3], sent[4], sent[5],
                                                       sent[7], sent[8], sent[9], sent[10]}));
  // Every packet counts, those dropped too.
  EXPECT_EQ(router.packets_routed(), sent.size());

  // Without a view its packets are dropped; the dispatcher's still arrive.
  router.SetOrderBookView(nullptr);
  incoming.packets.clear();
  for (const auto& t : sent) Route(t);
  EXPECT_EQ(incoming.packets, (std::vector<std::u16string>{sent[6], sent[9], sent[10], sent[11],
                                                           sent[13], sent[14]}));
  EXPECT_EQ(view.packets.size(), 8u);
}

// Moved here from the session socket's tests.
TEST_F(PacketRouterTest, ReplayPacketsArePostedToTheReplayWindowWhenThereIsOne) {
  PollEventLoop loop;
  RecordingWindow replay(loop);
  view.replay = replay.handle();
  Route(u"<PKT><GBN>3018</GBN></PKT>");
  Route(u"<PKT><GBN>3001</GBN><IX>4</IX></PKT>");
  loop.ProcessEvents(std::chrono::milliseconds(0));
  ASSERT_EQ(replay.received.size(), 2u);
  EXPECT_EQ(replay.received[0].message, msg::kNotify);
  EXPECT_EQ(replay.received[0].wparam, 3018u);
  EXPECT_EQ(replay.received[1].wparam, 3001u);
  ASSERT_EQ(replay.payloads.size(), 2u);
  ASSERT_NE(replay.Owned<Packet>(1), nullptr);
  EXPECT_EQ(replay.received[1].lparam, reinterpret_cast<LParam>(replay.Owned<Packet>(1)));
  EXPECT_EQ(replay.Owned<Packet>(1)->GetInt(u"IX", 0), 4);
  EXPECT_TRUE(incoming.packets.empty());
  EXPECT_TRUE(view.packets.empty());
}

}  // namespace
}  // namespace velloran
