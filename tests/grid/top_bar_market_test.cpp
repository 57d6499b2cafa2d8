// The top bar in the main frame against the demo market on 127.0.0.1: what
// the market receives when the user picks stocks, switches screens, the
// filter and the check box; the stock on show asked for again after the
// market drops the session; the start-up stock; and a picture of the bar
// with the search list open.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/book_quote.h"
#include "app/main_frame.h"
#include "app/session_data.h"
#include "grid/top_bar.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "platform/input_simulation.h"
#include "server/demo_server.h"
#include "server/wire_text.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"
#include "tests/stock/search_fixture.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing_host::RunUntil;

const Rect kWork{0, 0, 1920, 1040};
const Rect kScreen{0, 0, 1920, 1080};

class Market {
 public:
  explicit Market(server::FaultOptions faults = {}) {
    server::ServerOptions o;
    o.stocks = 300;
    o.speed = 0;
    o.start_time = 110000;  // the day under way: the screens have caught stocks
    o.faults = faults;
    server_ = std::make_unique<server::DemoServer>(o);
    std::string error;
    EXPECT_TRUE(server_->Start(error)) << error;
  }
  ~Market() { server_->Stop(); }
  server::DemoServer* operator->() { return server_.get(); }
  [[nodiscard]] SessionEndpoint endpoint() const {
    return {u"127.0.0.1", server_->session_port(), u"demo"};
  }
  [[nodiscard]] std::vector<Packet> Received(int code) {
    std::vector<Packet> out;
    for (auto& text : server_->ReceivedTexts(code)) out.emplace_back(text);
    return out;
  }

 private:
  std::unique_ptr<server::DemoServer> server_;
};

// The main frame on a clock the test moves; it logs in to the market.
struct Rig {
  explicit Rig(Market& market) : session(SessionOptions{dir, nullptr, &decoder}),
                                 frame(session, market.endpoint()) {
    EXPECT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
  }
  ~Rig() {
    if (frame.IsCreated()) frame.Destroy();
    UiLoop().SetClock(nullptr);
    std::filesystem::remove_all(dir);
  }
  void Step(milliseconds d) {
    UiLoop().Advance(clock, d);
    testing_host::Settle();
  }
  // Shows the frame and steps to the session's start; true once the master is in.
  bool Start() {
    if (!frame.CreateFrame(kWork, kScreen)) return false;
    frame.ShowNormal();
    Step(milliseconds(1100));
    return RunUntil([&] { return session.Read()->master.size() == 300; }, 30000);
  }
  CTopBar& bar() { return dynamic_cast<CTopBar&>(frame.top_bar()); }
  void Click(Window& w) {
    const Point p = testing_host::CentreIn(frame, w);
    SimulateMouse(frame, sys::kLButtonDown, p);
    SimulateMouse(frame, sys::kLButtonUp, p);
    testing_host::Settle();
  }
  // A stock of the master by its place in the name list.
  std::pair<std::u16string, std::u16string> Stock(std::size_t i) {
    const auto data = session.Read();
    const Packet* p = data->name_list.at(i);
    return {p->GetText(u"SHCODE", u""), p->GetText(u"HNAME", u"")};
  }

  Application& app = testing_host::App();
  ManualClock clock;
  bool clock_set = (UiLoop().SetClock(&clock), true);
  std::filesystem::path dir = testing::FreshDirectory();
  CDecoder decoder;
  CSessionData session;
  CMainFrame frame;
};

TEST(TopBarMarketTest, PicksBecomeSubscriptionsInTheMarketsOrder) {
  Market market;
  Rig rig(market);
  ASSERT_TRUE(rig.Start());
  ASSERT_TRUE(RunUntil([&] { return rig.bar().code_box().has_sources(); }));
  const auto [a_code, a_name] = rig.Stock(10);
  const auto [b_code, b_name] = rig.Stock(200);

  // A by its code.
  testing::Type(rig.bar().code_box().edit(), a_code);
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kOrderBook).size() == 1; }));
  EXPECT_EQ(market.Received(code::kOrderBook)[0].Text(),
            u"<PKT><GBN>3003</GBN><SHCODE>" + a_code + u"</SHCODE><P_SHOCODE></P_SHOCODE>"
            u"<MARKET>" + rig.session.Read()->FindMaster(a_code)->GetText(u"MARKET", u"") +
            u"</MARKET><SOC>1</SOC><KOA>1</KOA></PKT>");
  EXPECT_EQ(rig.bar().name_box().Text(), a_name);
  EXPECT_EQ(rig.session.recent().back()->GetText(u"SHCODE", u""), a_code);

  // B by its name's first syllable in the name box, the first row by Enter
  // when it is the first of its prefix, else chosen with Down.
  CStkWnd& names = rig.bar().name_box();
  rig.Click(names.edit());  // selects what it shows
  testing::Type(names.edit(), b_name.substr(0, 1));
  ASSERT_TRUE(names.list().IsShown());
  const auto& rows = names.rows();
  const auto at = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.code == b_code; });
  ASSERT_NE(at, rows.end());
  for (auto i = rows.begin(); i <= at; ++i) SimulateKey(names.edit(), sys::kVkDown);
  SimulateKey(names.edit(), sys::kVkReturn);
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kOrderBook).size() == 2; }));
  const Packet second = market.Received(code::kOrderBook)[1];
  EXPECT_EQ(second.GetText(u"SHCODE", u""), b_code);
  EXPECT_EQ(second.GetText(u"P_SHOCODE", u"-"), a_code);
  EXPECT_EQ(rig.bar().code_box().Text(), b_code);
  EXPECT_EQ(names.Text(), b_name);  // the bar shows the name there, whichever box picked
  // The recent list, newest first behind "DN".
  rig.Click(*rig.bar().code_box().list_button());
  ASSERT_TRUE(rig.bar().code_box().list().IsShown());
  ASSERT_GE(rig.bar().code_box().rows().size(), 2u);
  EXPECT_EQ(rig.bar().code_box().rows()[0].code, b_code);
  EXPECT_EQ(rig.bar().code_box().rows()[1].code, a_code);
  // A press elsewhere in the frame closes it.
  rig.Click(rig.frame.qz_view());
  rig.Step(milliseconds(200));
  EXPECT_FALSE(rig.bar().code_box().list().IsShown());
}

TEST(TopBarMarketTest, ScreensFilterAndCheckBoxAskTheMarket) {
  Market market;
  Rig rig(market);
  ASSERT_TRUE(rig.Start());
  rig.Step(milliseconds(1000));  // the bar's start-up state
  CTopBar& bar = rig.bar();
  rig.Click(bar.list_button(code::kScreenSurging));
  ASSERT_TRUE(RunUntil([&] { return !rig.session.Read()->current_date_text.empty(); }, 10000));
  ASSERT_TRUE(RunUntil([&] { return rig.session.incoming_size() == 0; }));
  std::u16string held;
  for (const auto& [code, record] : rig.session.Read()->records) held += code + u"|";
  ASSERT_FALSE(held.empty());

  // 박스권 while 급등주 shows: one request listing every held code.
  rig.Click(bar.list_button(code::kScreenBoxRange));
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kScreenRequest).size() == 2; }));
  const Packet box = market.Received(code::kScreenRequest)[1];
  EXPECT_EQ(box.Text(), u"<PKT><GBN>3014</GBN><P_SHCODES>" + held +
                            u"</P_SHCODES><IDX>3005</IDX><MARKET>2</MARKET><CHK>1</CHK></PKT>");
  // 박스권 again: nothing.
  rig.Click(bar.list_button(code::kScreenBoxRange));
  ASSERT_TRUE(RunUntil([&] { return rig.session.incoming_size() == 0; }));
  rig.Step(milliseconds(10));

  // The check box, flipped before its request, and the filter.
  rig.Click(bar.check_box());
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kScreenRequest).size() == 3; }));
  const Packet check = market.Received(code::kScreenRequest)[2];
  EXPECT_EQ(check.GetInt(u"IDX", 0), 3005);
  EXPECT_EQ(check.GetInt(u"CHK", -1), 0);
  bar.filter().SetFocus();
  SimulateKey(bar.filter(), sys::kVkUp);
  SimulateKey(bar.filter(), sys::kVkUp);
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kScreenRequest).size() == 5; }));
  const Packet all = market.Received(code::kScreenRequest)[4];
  EXPECT_EQ(all.GetInt(u"MARKET", -1), 0);
  EXPECT_EQ(all.GetInt(u"IDX", 0), 3005);
  EXPECT_EQ(rig.session.market_filter(), 0);
  EXPECT_EQ(rig.session.screening_check(), 0);
}

TEST(TopBarMarketTest, TheStockOnShowIsAskedForAgainAfterTheMarketDropsTheSession) {
  server::FaultOptions faults;
  faults.drop_every_s = 2;
  Market market(faults);
  Rig rig(market);
  ASSERT_TRUE(rig.Start());
  const auto [code, name] = rig.Stock(5);
  PostMessage(rig.bar().handle(), msg::kSelectStock, PackStockCode(code), 0);
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kOrderBook).size() == 1; }));
  ASSERT_TRUE(RunUntil([&] { return !rig.frame.driver().socket()->connected(); }, 5000));
  // The frame's watch replaces the socket; the new session's login answer
  // brings the subscription back with no previous code.
  rig.Step(milliseconds(10000));
  rig.Step(milliseconds(1000));
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kOrderBook).size() == 2; }, 5000));
  const Packet again = market.Received(code::kOrderBook)[1];
  EXPECT_EQ(again.GetText(u"SHCODE", u""), code);
  EXPECT_EQ(again.GetText(u"P_SHOCODE", u"-"), u"");
  EXPECT_EQ(market->Stats().received[code::kHello], 2u);
}

TEST(TopBarMarketTest, TheNewestRecentStockIsSelectedAtStartUp) {
  Market market;
  std::u16string code;
  market->WithMarket([&](const server::Market& m) { code = Widen(m.stocks().at(7).code); });
  Rig rig(market);
  rig.session.AddRecent(*testing::MasterPacket(code, u"옛 이름"));
  ASSERT_TRUE(rig.Start());
  // The login answer came before the master; the stock is subscribed once it is in.
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kOrderBook).size() == 1; }));
  EXPECT_EQ(market.Received(code::kOrderBook)[0].GetText(u"SHCODE", u""), code);
  EXPECT_EQ(rig.bar().code_box().Text(), code);
  EXPECT_EQ(rig.bar().name_box().Text(),
            rig.session.Read()->FindMaster(code)->GetText(u"HNAME", u""));
}

TEST(TopBarMarketTest, PictureOfTheBarWithTheSearchListOpen) {
  Market market;
  Rig rig(market);
  ASSERT_TRUE(rig.Start());
  rig.Step(milliseconds(1000));
  CStkWnd& box = rig.bar().code_box();
  // A stock on show, with the quote the order-book view would hand over.
  const auto [shown, shown_name] = rig.Stock(120);
  testing::Type(box.edit(), shown);
  ASSERT_TRUE(RunUntil([&] { return market.Received(code::kOrderBook).size() == 1; }));
  auto quote = std::make_unique<BookQuote>();
  quote->code = shown;
  market->WithMarket([&](const server::Market& m) {
    for (const auto& s : m.stocks())
      if (Widen(s.code) == shown) quote->quote.Parse(server::QuoteText(s.quote));
  });
  PostOwned(rig.bar().handle(), msg::kHogaChanged, std::move(quote), true, 0);
  // Then a name's first syllable typed over the code.
  const auto [code, name] = rig.Stock(30);
  rig.Click(box.edit());
  testing::Type(box.edit(), name.substr(0, 1));
  ASSERT_TRUE(box.list().IsShown());
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkDown);
  testing_host::Settle();

  // The frame's top with the pop-up drawn where it stands.
  const Bitmap frame = rig.frame.Render();
  const Rect bar = rig.bar().WindowRect();
  const Rect list = box.list().WindowRect();
  const Point origin = rig.frame.ScreenToClient({bar.left, bar.top});
  Bitmap picture(bar.width(), list.bottom - bar.top + 8);
  {
    DrawContext dc(picture);
    dc.StretchBitmap(frame, {origin.x, origin.y, origin.x + picture.width(),
                             origin.y + picture.height()},
                     {0, 0, picture.width(), picture.height()});
    dc.DrawBitmap(box.list().Render(), list.left - bar.left, list.top - bar.top);
    dc.Finish();
  }
  const std::string path = ::testing::TempDir() + "top_bar_search.png";
  ASSERT_TRUE(picture.SavePng(path));
  // The list's selected row in white on blue, under the code box.
  const Rect row = box.list().list().ItemRect(1);
  const Point in_picture{list.left - bar.left + 1 + row.left + 150,
                         list.top - bar.top + 1 + row.top + 2};
  EXPECT_EQ(picture.PixelAt(in_picture.x, in_picture.y), Rgb(51, 153, 255));
}

}  // namespace
}  // namespace velloran
