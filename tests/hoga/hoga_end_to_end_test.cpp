// The order book in the main frame against the demo market on 127.0.0.1:
// the pick the top bar sends (3003) brings the snapshot, the memo and the
// ratio samples; the side charts ask for and show the stock; the market's
// book updates reach the canvas, which repaints only the rows that moved,
// until it shows the market's own book; the top bar and the ratio view get
// their copies.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/book_quote.h"
#include "app/main_frame.h"
#include "app/session_data.h"
#include "hoga/chart_view.h"
#include "hoga/hoga_view.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/test_window.h"
#include "server/demo_server.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing_host::App;
using testing_host::RunUntil;
using testing_host::Settle;

constexpr int kStocks = 600;

// The frame on a clock the test moves, against a market that moves only
// when the test says so.
struct Rig {
  Rig() {
    server::ServerOptions o;
    o.stocks = kStocks;
    o.speed = 0;
    market = std::make_unique<server::DemoServer>(o);
    std::string error;
    EXPECT_TRUE(market->Start(error)) << error;
    EXPECT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
    session = std::make_unique<CSessionData>(SessionOptions{dir, nullptr, &decoder});
    frame = std::make_unique<CMainFrame>(
        *session, SessionEndpoint{u"127.0.0.1", market->session_port(), u"demo"});
  }
  ~Rig() {
    if (frame->IsCreated()) frame->Destroy();
    frame.reset();
    session.reset();
    market->Stop();
    UiLoop().SetClock(nullptr);
    std::filesystem::remove_all(dir);
  }
  void Step(milliseconds d) {
    UiLoop().Advance(clock, d);
    Settle();
  }
  CHogaView& view() { return dynamic_cast<CHogaView&>(frame->hoga_view()); }
  CChartView& chart() { return dynamic_cast<CChartView&>(frame->chart_view()); }

  Application& app = App();
  ManualClock clock;
  bool clock_set = (UiLoop().SetClock(&clock), true);
  std::filesystem::path dir = testing::FreshDirectory();
  std::unique_ptr<server::DemoServer> market;
  CDecoder decoder;
  std::unique_ptr<CSessionData> session;
  std::unique_ptr<CMainFrame> frame;
};

// The market's own book of a stock now.
server::Book LiveBook(server::DemoServer& market, const std::u16string& code) {
  server::Book book;
  market.WithMarket([&](const server::Market& m) { book = m.LiveBook(m.Find(Utf16ToUtf8(code))); });
  return book;
}

bool Shows(const BookFrame& f, const server::Book& b) {
  for (int i = 0; i < 10; ++i) {
    if (b.ask_price[i] > 0 && (f.asks[i].price != b.ask_price[i] || f.asks[i].ask != b.ask_qty[i]))
      return false;
    if (b.bid_price[i] > 0 && (f.bids[i].price != b.bid_price[i] || f.bids[i].bid != b.bid_qty[i]))
      return false;
  }
  return true;
}

TEST(HogaEndToEndTest, APickedStockShowsItsLiveBookAndRepaintsOnlyWhatMoved) {
  Rig rig;
  ASSERT_TRUE(rig.frame->CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080}));
  rig.frame->ShowNormal();
  rig.Step(milliseconds(1100));  // the start step, then the connect
  ASSERT_TRUE(RunUntil([&] { return rig.session->Read()->master.size() == kStocks; }, 30000));
  CHogaView& view = rig.view();
  // Stand-ins where the top bar and the ratio view will be, to see their copies.
  RecordingWindow top(UiLoop()), koa(UiLoop());
  FrameRelations relations = rig.frame->Relations();
  relations.top_bar = top.handle();
  relations.koa_view = koa.handle();
  view.SetRelations(relations);

  // The pick: a stock the user keeps a memo for, asked for as the top bar does.
  std::u16string code, memo, market_text;
  {
    const auto data = rig.session->Read();
    ASSERT_FALSE(data->memos.empty());
    code = data->memos.begin()->first;
    memo = data->memos.begin()->second;
    market_text = data->FindMaster(code)->GetText(u"MARKET", u"");
  }
  rig.market->Advance(300);  // a few minutes of trading before the pick
  Packet pick(code::kOrderBook);
  pick.AddText(u"SHCODE", code);
  pick.AddText(u"P_SHOCODE", u"");
  pick.AddText(u"MARKET", market_text);
  pick.AddInt(u"SOC", 1);
  pick.AddInt(u"KOA", 1);
  ASSERT_TRUE(rig.session->Send(pick));
  ASSERT_TRUE(RunUntil(
      [&] {
        return view.book().code == code && view.memo().Text() == memo &&
               view.trades().ItemCount() > 1;
      },
      10000))
      << Utf16ToUtf8(view.book().code) << " memo [" << Utf16ToUtf8(view.memo().Text()) << "] want ["
      << Utf16ToUtf8(memo) << "] trades " << view.trades().ItemCount();
  EXPECT_EQ(view.feed().ShownStockCode(), code);
  EXPECT_TRUE(Shows(view.canvas().shown(), LiveBook(*rig.market, code)));
  // Levels 11-20 come from the day's level lines.
  EXPECT_GT(view.book().bids[10].price, 0);
  EXPECT_GT(view.book().asks[10].price, 0);
  EXPECT_TRUE(view.book().MasterShown());
  ASSERT_NE(view.own_record(), nullptr);
  EXPECT_EQ(view.own_record()->code(), code);

  // The side charts asked for the stock and show the replies passed on.
  ASSERT_TRUE(RunUntil(
      [&] {
        return rig.chart().left().data().Count() > 0 && rig.chart().right().data().Count() > 0;
      },
      10000));
  EXPECT_EQ(rig.chart().left().code(), code);
  const auto requests = rig.market->ReceivedTexts(code::kChart);
  ASSERT_GE(requests.size(), 2u);
  EXPECT_NE(requests.back().find(u"<STKCD>" + code + u"</STKCD>"), std::u16string::npos);
  // The top bar got the snapshot's quote as its own copy.
  ASSERT_TRUE(RunUntil([&] { return !top.payloads.empty(); }));
  const BookQuote* first = top.Owned<BookQuote>(0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->change, BookQuote::Change::kSnapshot);
  EXPECT_EQ(first->code, code);

  // The market moves: each second's updates reach the book; each frame
  // repaints the rows that moved.
  const long rows_before = view.canvas().rows_painted();
  const long frames_before = view.frames();
  long partial_frames = 0;
  for (int second = 0; second < 20; ++second) {
    const long rows = view.canvas().rows_painted();
    const long full = view.canvas().full_paints();
    rig.market->Advance(1);
    const server::Book live = LiveBook(*rig.market, code);
    ASSERT_TRUE(RunUntil([&] { return Shows(view.book(), live); }, 5000)) << "second " << second;
    rig.Step(CHogaView::kFramePeriod);
    EXPECT_TRUE(Shows(view.canvas().shown(), live));
    const long painted = view.canvas().rows_painted() - rows;
    if (view.canvas().full_paints() == full && painted > 0 && painted < 40) ++partial_frames;
  }
  EXPECT_GT(view.frames(), frames_before);
  EXPECT_GT(partial_frames, 0);
  EXPECT_LT(view.canvas().rows_painted() - rows_before, 40 * (view.frames() - frames_before));
  // The ratio view was told of the new stock, had the day's samples passed
  // on, then a copy of every book update.
  ASSERT_GE(koa.payloads.size(), 3u);
  ASSERT_NE(koa.Owned<BookQuote>(0), nullptr);
  EXPECT_EQ(koa.Owned<BookQuote>(0)->change, BookQuote::Change::kSnapshot);
  ASSERT_NE(koa.Owned<Packet>(1), nullptr);
  EXPECT_EQ(koa.Owned<Packet>(1)->GetInt(u"GBN", 0), code::kChartUpdate);
  ASSERT_NE(koa.Owned<BookQuote>(2), nullptr);
  EXPECT_EQ(koa.Owned<BookQuote>(2)->change, BookQuote::Change::kBook);
  EXPECT_EQ(koa.Owned<BookQuote>(2)->code, code);

  const std::filesystem::path shots = std::filesystem::temp_directory_path();
  EXPECT_TRUE(view.SaveScreenshot((shots / "order_book.png").string()));
  EXPECT_TRUE(rig.frame->SaveScreenshot((shots / "order_book_frame.png").string()));
}

}  // namespace
}  // namespace velloran
