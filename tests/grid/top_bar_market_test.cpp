// The top bar in the main frame against the demo market on 127.0.0.1: what
// the market receives as the user picks stocks and switches screens, the
// filter and the check box; the stock on show asked for again after the
// market drops the session; a market gone silent marking every price pane;
// the start-up stock; a picture of the bar with the search list open.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/book_quote.h"
#include "app/main_frame.h"
#include "grid/top_bar.h"
#include "grid/qz_view.h"
#include "hoga/chart_view.h"
#include "hoga/hoga_view.h"
#include "hoga/koa_view.h"
#include "net/message_codes.h"
#include "net/session_socket.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "server/demo_server.h"
#include "server/wire_text.h"
#include "tests/app/session_fixture.h"
#include "tests/stock/search_fixture.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing_host::RunUntil;

// The demo market at 11:00 (its screens have caught stocks) and the main
// frame on a clock the test moves, logged in to it.
struct Rig {
  explicit Rig(server::FaultOptions faults = {}) {
    server::ServerOptions o;
    o.stocks = 300;
    o.speed = 0;
    o.start_time = 110000;
    o.faults = faults;
    market = std::make_unique<server::DemoServer>(o);
    std::string error;
    EXPECT_TRUE(market->Start(error)) << error;
    EXPECT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
    frame = std::make_unique<CMainFrame>(
        session, SessionEndpoint{u"127.0.0.1", market->session_port(), u"demo"});
  }
  ~Rig() {
    frame.reset();
    market->Stop();
    UiLoop().SetClock(nullptr);
    std::filesystem::remove_all(dir);
  }
  void Step(milliseconds d) {
    UiLoop().Advance(clock, d);
    testing_host::Settle();
  }
  bool Start() {
    if (!frame->CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080})) return false;
    frame->ShowNormal();
    Step(milliseconds(1100));
    return RunUntil([&] { return session.Read()->master.size() == 300; }, 30000);
  }
  CTopBar& bar() { return dynamic_cast<CTopBar&>(frame->top_bar()); }
  void Click(Window& w) {
    const Point p = testing_host::CentreIn(*frame, w);
    SimulateMouse(*frame, sys::kLButtonDown, p);
    SimulateMouse(*frame, sys::kLButtonUp, p);
    testing_host::Settle();
  }
  std::vector<Packet> Received(int code) {
    std::vector<Packet> out;
    for (auto& text : market->ReceivedTexts(code)) out.emplace_back(text);
    return out;
  }
  bool AwaitReceived(int code, std::size_t n) {
    return RunUntil([&] { return market->ReceivedTexts(code).size() == n; }, 5000);
  }
  // Code and name of the i-th stock of the name list.
  std::pair<std::u16string, std::u16string> Stock(std::size_t i) {
    const Packet* p = session.Read()->name_list.at(i);
    return {p->GetText(u"SHCODE", u""), p->GetText(u"HNAME", u"")};
  }

  Application& app = testing_host::App();
  ManualClock clock;
  bool clock_set = (UiLoop().SetClock(&clock), true);
  std::filesystem::path dir = testing::FreshDirectory();
  CDecoder decoder;
  CSessionData session{SessionOptions{dir, nullptr, &decoder}};
  std::unique_ptr<server::DemoServer> market;
  std::unique_ptr<CMainFrame> frame;
};

TEST(TopBarMarketTest, ACodeThenANamePrefixSubscribeInTurn) {
  Rig rig;
  ASSERT_TRUE(rig.Start());
  const auto [a, a_name] = rig.Stock(10);
  const auto [b, b_name] = rig.Stock(200);
  testing::Type(rig.bar().code_box().edit(), a);
  ASSERT_TRUE(rig.AwaitReceived(code::kOrderBook, 1));
  EXPECT_EQ(rig.Received(code::kOrderBook)[0].Text(),
            u"<PKT><GBN>3003</GBN><SHCODE>" + a + u"</SHCODE><P_SHOCODE></P_SHOCODE><MARKET>" +
                rig.session.Read()->FindMaster(a)->GetText(u"MARKET", u"") +
                u"</MARKET><SOC>1</SOC><KOA>1</KOA></PKT>");
  EXPECT_EQ(rig.bar().name_box().Text(), a_name);

  // B from the name box's list: its first syllable, Down to its row, Enter.
  CStkWnd& names = rig.bar().name_box();
  rig.Click(names.edit());
  testing::Type(names.edit(), b_name.substr(0, 1));
  const auto& rows = names.rows();
  const auto row = std::find_if(rows.begin(), rows.end(), [&](auto& r) { return r.code == b; });
  ASSERT_NE(row, rows.end());
  for (auto i = rows.begin(); i <= row; ++i) SimulateKey(names.edit(), sys::kVkDown);
  SimulateKey(names.edit(), sys::kVkReturn);
  ASSERT_TRUE(rig.AwaitReceived(code::kOrderBook, 2));
  EXPECT_EQ(rig.Received(code::kOrderBook)[1].GetText(u"SHCODE", u""), b);
  EXPECT_EQ(rig.Received(code::kOrderBook)[1].GetText(u"P_SHOCODE", u""), a);
  EXPECT_EQ(rig.bar().code_box().Text(), b);
  EXPECT_EQ(names.Text(), b_name);

  // "DN": the recent stocks newest first; a press elsewhere closes the list.
  rig.Click(*rig.bar().code_box().list_button());
  const auto& recent = rig.bar().code_box().rows();
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0].code + recent[1].code, b + a);
  rig.Click(rig.frame->qz_view());
  rig.Step(milliseconds(200));
  EXPECT_FALSE(rig.bar().code_box().list().IsShown());
}

TEST(TopBarMarketTest, ScreensFilterAndCheckBoxAskTheMarket) {
  Rig rig;
  ASSERT_TRUE(rig.Start());
  rig.Step(milliseconds(1000));
  CTopBar& bar = rig.bar();
  rig.Click(bar.list_button(code::kScreenSurging));
  // Until every packet the market sent is handled: the first screen's batch
  // end may have set the date before the new screen's hits come.
  ASSERT_TRUE(RunUntil([&] {
    const CQZSocket* s = rig.frame->driver().socket();
    return s != nullptr && s->packets_received() == rig.market->Stats().packets_sent &&
           rig.session.incoming_size() == 0 && !rig.session.Read()->records.empty();
  }));
  std::u16string held;
  for (const auto& [code, record] : rig.session.Read()->records) held += code + u"|";
  ASSERT_FALSE(held.empty());

  // 박스권 while 급등주 shows: one request listing every held code; again: nothing.
  rig.Click(bar.list_button(code::kScreenBoxRange));
  rig.Click(bar.list_button(code::kScreenBoxRange));
  // The check box flipped before its request; the filter up twice to 전체.
  rig.Click(bar.check_box());
  bar.filter().SetFocus();
  SimulateKey(bar.filter(), sys::kVkUp);
  SimulateKey(bar.filter(), sys::kVkUp);
  // The work area's own re-search at the first login comes first.
  ASSERT_TRUE(rig.AwaitReceived(code::kScreenRequest, 6));
  auto sent = rig.Received(code::kScreenRequest);
  EXPECT_EQ(sent[0].GetInt(u"IDX", 0), code::kScreenReverse);
  sent.erase(sent.begin());
  EXPECT_EQ(sent[1].Text(), u"<PKT><GBN>3014</GBN><P_SHCODES>" + held +
                                u"</P_SHCODES><IDX>3005</IDX><MARKET>2</MARKET><CHK>1</CHK></PKT>");
  EXPECT_EQ(sent[2].GetInt(u"CHK", -1), 0);
  EXPECT_EQ(sent[2].GetInt(u"IDX", 0), 3005);
  EXPECT_EQ(sent[4].GetInt(u"MARKET", -1), 0);
  EXPECT_EQ(rig.session.market_filter(), 0);
}

TEST(TopBarMarketTest, TheStockOnShowIsAskedForAgainAfterTheMarketDropsTheSession) {
  server::FaultOptions faults;
  faults.drop_every_s = 2;
  Rig rig(faults);
  ASSERT_TRUE(rig.Start());
  const std::u16string shown = rig.Stock(5).first;
  PostMessage(rig.bar().handle(), msg::kSelectStock, PackStockCode(shown), 0);
  ASSERT_TRUE(rig.AwaitReceived(code::kOrderBook, 1));
  // While the session is lost, the bar and the book say that their prices
  // stopped; the marks go with the next connection.
  auto& book = dynamic_cast<CHogaView&>(rig.frame->hoga_view());
  const Rect book_label{CHogaCanvas::kQuantityLine,
                        CHogaCanvas::kTotalsTop + CHogaCanvas::kRowHeight, CHogaCanvas::kPriceLine,
                        CHogaCanvas::kHeight};
  // Reddish pixels: small texts are smoothed.
  const auto reddish = [](const Bitmap& b, const Rect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const Color c = b.PixelAt(x, y);
        n += c.r > 150 && c.g < 110 && c.b < 110;
      }
    return n;
  };
  auto& work = dynamic_cast<CQZView&>(rig.frame->qz_view());
  const auto red_marks = [&] {
    return std::tuple{reddish(rig.bar().Render(), rig.bar().StaleTagRect()),
                      reddish(book.canvas().bitmap(), book_label),
                      reddish(work.Render(), work.StaleTagRect())};
  };
  bool live_at_loss = true;
  std::tuple<int, int, int> marks_at_loss;
  rig.frame->SetLinkObserver([&](const LinkStatus& link) {
    if (link.state != LinkState::kLost || !live_at_loss) return;
    live_at_loss = rig.bar().live();
    marks_at_loss = red_marks();
  });
  ASSERT_TRUE(RunUntil([&] { return !rig.frame->driver().socket()->connected(); }, 5000));
  rig.Step(milliseconds(10000));  // the frame's watch sees the loss
  EXPECT_FALSE(live_at_loss);
  EXPECT_GT(std::get<0>(marks_at_loss), 10);  // the top bar
  EXPECT_GT(std::get<1>(marks_at_loss), 10);  // the book
  EXPECT_GT(std::get<2>(marks_at_loss), 10);  // the work area
  rig.Step(milliseconds(1000));  // and a new socket logs in
  ASSERT_TRUE(rig.AwaitReceived(code::kOrderBook, 2));
  rig.Step(milliseconds(1000));  // the frame's next look at the link
  EXPECT_TRUE(rig.bar().live());
  EXPECT_EQ(red_marks(), (std::tuple{0, 0, 0}));
  const Packet again = rig.Received(code::kOrderBook)[1];
  EXPECT_EQ(again.GetText(u"SHCODE", u""), shown);
  EXPECT_EQ(again.GetText(u"P_SHOCODE", u"-"), u"");
  EXPECT_EQ(rig.market->Stats().received[code::kHello], 2u);
}

// The share of a window's pixels, outside its veil's label, that show the
// picture before under the veil: the last values stay readable.
double VeiledShare(const Bitmap& before, const Bitmap& after, const Rect& label) {
  const auto blend = [](int under) {
    return (under * (255 - Window::kVeilAlpha) + 128 * Window::kVeilAlpha) / 255;
  };
  const auto near = [&](int under, int over) { return std::abs(blend(under) - over) <= 3; };
  int veiled = 0, all = 0;
  for (int y = 0; y < after.height(); y += 3)
    for (int x = 0; x < after.width(); x += 3) {
      if (label.Contains({x, y})) continue;
      const Color b = before.PixelAt(x, y), a = after.PixelAt(x, y);
      ++all;
      veiled += near(b.r, a.r) && near(b.g, a.g) && near(b.b, a.b);
    }
  return all == 0 ? 0 : static_cast<double>(veiled) / all;
}

// The market trades at 11:00 but its clock stands still: after 10 s without
// a packet the foot bar says 수신 지연 and every pane that shows prices is
// marked, its last values under a veil that says since when; the next
// packets take the marks away. The packet rate counts every packet the
// market sent, the book's stream among them, and the server's clock runs on.
TEST(TopBarMarketTest, AMarketGoneSilentInTradingHoursMarksEveryPricePane) {
  Rig rig;
  ASSERT_TRUE(rig.Start());
  const std::u16string shown = rig.Stock(5).first;
  PostMessage(rig.bar().handle(), msg::kSelectStock, PackStockCode(shown), 0);
  ASSERT_TRUE(rig.AwaitReceived(code::kOrderBook, 1));
  const auto all_in = [&] {
    return RunUntil([&] {
      return rig.frame->driver().Status().packets_received == rig.market->Stats().packets_sent;
    });
  };
  ASSERT_TRUE(all_in());
  rig.Step(milliseconds(2000));  // the charts' requests and their replies
  ASSERT_TRUE(all_in());
  // The rate's second starts with a second in which nothing came, so that
  // the foot bar's count at its start holds every packet sent before: a
  // second that began with every packet sent so far already received (a
  // reply the market sends in real time may come at any moment of the
  // stepped second, after the foot bar's tick) and in which none was sent.
  std::uint64_t sent = 0;
  for (int second = 0; second < 10; ++second) {
    ASSERT_TRUE(all_in());
    sent = rig.frame->driver().Status().packets_received;
    rig.Step(milliseconds(1000));
    if (rig.market->Stats().packets_sent == sent) break;
  }
  ASSERT_EQ(sent, rig.market->Stats().packets_sent) << "the market never fell quiet";
  rig.market->Advance(2);  // trades and book changes of the shown stock
  ASSERT_TRUE(all_in());
  const std::uint64_t moved = rig.market->Stats().packets_sent - sent;
  ASSERT_GT(moved, 0u);
  rig.Step(milliseconds(1000));
  // The second holds the market's move and at most what a timer of the
  // stepped second asked for and was answered before the foot bar's tick.
  CFrameFootBar& foot = rig.frame->foot_bar();
  const std::u16string rate = foot.texts().rate;
  ASSERT_TRUE(rate.starts_with(u"수신 ") && rate.ends_with(u"건/초")) << Utf16ToUtf8(rate);
  const auto in_second = static_cast<std::uint64_t>(ToIntGrouped(rate.substr(3, rate.size() - 6)));
  EXPECT_GE(in_second, moved);
  EXPECT_LE(in_second, rig.market->Stats().packets_sent - sent);
  EXPECT_EQ(foot.texts().link, u"연결됨");
  // The server said its time at the login; the foot bar's clock runs on.
  const auto seconds = [](const std::u16string& text) {  // "서버 11:00:02"
    const std::string t = Utf16ToUtf8(text.substr(3));
    return std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 +
           std::stoi(t.substr(6, 2));
  };
  const int clock_before = seconds(foot.texts().server_time);
  rig.Step(milliseconds(3000));
  EXPECT_EQ(seconds(foot.texts().server_time), clock_before + 3);

  auto& work = dynamic_cast<CQZView&>(rig.frame->qz_view());
  struct Pane {
    const char* name;
    Window* window;
    Bitmap before;
  };
  std::vector<Pane> panes = {{"book", &rig.frame->hoga_view(), {}},
                             {"ratio view", &rig.frame->koa_view(), {}},
                             {"tiles", &work.tiles(), {}},
                             {"charts", &rig.frame->chart_view(), {}}};
  for (Pane& p : panes) p.before = p.window->Render();
  rig.Step(milliseconds(9000));  // twelve seconds since the last packet
  EXPECT_EQ(foot.texts().link, u"수신 지연 12초");
  EXPECT_EQ(rig.frame->feed_mark().VeilLabel(), u"수신 지연 · 12초 전");
  for (const Pane& p : panes) {
    const Bitmap after = p.window->Render();
    const Rect label = p.window->VeilLabelRect();
    EXPECT_GT(label.width(), 60) << p.name;
    EXPECT_GT(testing_host::CountColour(after, label, Window::kVeilLabelBack), label.width() * 4)
        << p.name;
    EXPECT_GT(testing_host::CountColour(after, label, Window::kVeilLabelText), 15) << p.name;
    EXPECT_GT(VeiledShare(p.before, after, label), 0.85) << p.name;
  }
  EXPECT_NE(work.grid().VeilingWindow(), nullptr);  // the rows, in grid mode
  // The bar and the work area's header name the cause beside their values.
  EXPECT_FALSE(rig.bar().live());
  EXPECT_FALSE(work.live());
  auto& book = dynamic_cast<CHogaView&>(rig.frame->hoga_view());
  EXPECT_EQ(book.canvas().stale_cause(), u"수신 지연");

  rig.market->Advance(60);  // the market moves again
  ASSERT_TRUE(all_in());
  rig.Step(milliseconds(1000));
  EXPECT_EQ(foot.texts().link, u"연결됨");
  EXPECT_TRUE(rig.frame->feed_mark().live);
  EXPECT_TRUE(rig.bar().live());
  EXPECT_TRUE(work.live());
  EXPECT_EQ(book.canvas().stale_cause(), u"");
  for (const Pane& p : panes) {
    EXPECT_EQ(p.window->VeilingWindow(), nullptr) << p.name;
    EXPECT_EQ(testing_host::CountColour(p.window->Render(), p.window->ClientRect(),
                                        Window::kVeilLabelBack),
              0)
        << p.name;
  }
}

TEST(TopBarMarketTest, TheNewestRecentStockIsSelectedOnceTheMasterIsIn) {
  Rig rig;
  std::u16string code;
  rig.market->WithMarket([&](const server::Market& m) { code = Widen(m.stocks().at(7).code); });
  rig.session.AddRecent(*testing::MasterPacket(code, u"옛 이름"));
  // The login answer comes before the master.
  ASSERT_TRUE(rig.Start());
  ASSERT_TRUE(rig.AwaitReceived(code::kOrderBook, 1));
  EXPECT_EQ(rig.Received(code::kOrderBook)[0].GetText(u"SHCODE", u""), code);
  EXPECT_EQ(rig.bar().code_box().Text(), code);
  EXPECT_EQ(rig.bar().name_box().Text(),
            rig.session.Read()->FindMaster(code)->GetText(u"HNAME", u""));
}

TEST(TopBarMarketTest, PictureOfTheBarWithTheSearchListOpen) {
  Rig rig;
  ASSERT_TRUE(rig.Start());
  rig.Step(milliseconds(1000));
  CStkWnd& box = rig.bar().code_box();
  // A stock on show, with the quote the order-book view would hand over.
  const std::u16string shown = rig.Stock(120).first;
  testing::Type(box.edit(), shown);
  auto quote = std::make_unique<BookQuote>();
  rig.market->WithMarket([&](const server::Market& m) {
    for (const auto& s : m.stocks())
      if (Widen(s.code) == shown) quote->quote.Parse(server::QuoteText(s.quote));
  });
  PostOwned(rig.bar().handle(), msg::kHogaChanged, std::move(quote), true, 0);
  rig.Click(box.edit());
  testing::Type(box.edit(), rig.Stock(30).second.substr(0, 1));
  ASSERT_TRUE(box.list().IsShown());
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkDown);
  testing_host::Settle();

  // The frame's top with the pop-up drawn where it stands.
  const Bitmap frame = rig.frame->Render();
  const Rect bar = rig.bar().WindowRect();
  const Rect list = box.list().WindowRect();
  const Point origin = rig.frame->ScreenToClient({bar.left, bar.top});
  Bitmap picture(bar.width(), list.bottom - bar.top + 8);
  DrawContext dc(picture);
  dc.StretchBitmap(frame, {origin.x, origin.y, origin.x + picture.width(), origin.y + picture.height()},
                   {0, 0, picture.width(), picture.height()});
  dc.DrawBitmap(box.list().Render(), list.left - bar.left, list.top - bar.top);
  dc.Finish();
  ASSERT_TRUE(picture.SavePng(::testing::TempDir() + "top_bar_search.png"));
  const Rect row = box.list().list().ItemRect(1);  // selected: white on blue
  EXPECT_EQ(picture.PixelAt(list.left - bar.left + 1 + row.left + 150,
                            list.top - bar.top + 1 + row.top + 2),
            Rgb(51, 153, 255));
}

}  // namespace
}  // namespace velloran
