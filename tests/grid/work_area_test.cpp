// The work area in the main frame against the demo market on 127.0.0.1: the
// first login's request fills the tiles, live quotes repaint only the tiles
// whose price moved, the sort boxes, scrolling, a batch of the same screen
// that keeps both, a re-search that starts afresh, another screen switched
// to under the tiles, the time machine's minute pick and the reconnection's
// request.

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "grid/screen_text.h"
#include "grid/qz_view.h"
#include "grid/top_bar.h"
#include "net/message_codes.h"
#include "net/session_socket.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/input_simulation.h"
#include "platform/window_messages.h"
#include "server/demo_server.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing_host::App;
using testing_host::RunUntil;

const Rect kWork{0, 0, 1920, 1040};
const Rect kScreen{0, 0, 1920, 1080};

class WorkAreaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server::ServerOptions o;
    o.stocks = 400;
    o.speed = 0;  // the market moves only when a test says so
    market = std::make_unique<server::DemoServer>(o);
    std::string error;
    ASSERT_TRUE(market->Start(error)) << error;
    ASSERT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
    session = std::make_unique<CSessionData>(SessionOptions{dir, nullptr, &decoder});
    frame = std::make_unique<CMainFrame>(
        *session, SessionEndpoint{u"127.0.0.1", market->session_port(), u"demo"});
    ASSERT_TRUE(frame->CreateFrame(kWork, kScreen));
    frame->ShowNormal();
    ASSERT_TRUE(RunUntil([] { return IsForegroundWindowOurs(); }));
    Step(milliseconds(1100));  // the worker, then the connect
    ASSERT_TRUE(RunUntil([&] { return !Requests().empty(); }, 10000));
    ASSERT_TRUE(RunUntil([&] { return !view().search_time().empty(); }, 10000));
  }
  void TearDown() override {
    if (frame && frame->IsCreated()) frame->Destroy();
    frame.reset();
    session.reset();
    UiLoop().SetClock(nullptr);
    if (market) market->Stop();
    std::filesystem::remove_all(dir);
  }

  void Step(milliseconds d) {
    UiLoop().Advance(clock, d);
    testing_host::Settle();
  }
  CQZView& view() { return static_cast<CQZView&>(frame->qz_view()); }
  std::vector<std::u16string> Requests() { return market->ReceivedTexts(code::kScreenRequest); }
  // Until every request the client sent has reached the market, every packet
  // the market sent has been received and taken from the queue, and the
  // windows have handled what that posted; asked twice so that a request
  // posted by the last packet is waited for too.
  void Drain() {
    const auto quiet = [&] {
      const CQZSocket* s = frame->driver().socket();
      if (s == nullptr) return false;
      const server::ServerStats stats = market->Stats();
      std::uint64_t received = 0;
      for (const auto& [code, n] : stats.received) received += n;
      return s->packets_sent() == received && s->packets_received() == stats.packets_sent &&
             session->incoming_size() == 0;
    };
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(RunUntil(quiet, 10000));
      testing_host::Settle();
    }
  }
  // A result of the request just sent, shown.
  void AwaitResult(std::size_t requests) {
    ASSERT_TRUE(RunUntil([&] { return Requests().size() == requests; }, 5000));
    Drain();
    ASSERT_TRUE(RunUntil([&] { return view().tiles().codes().size() == Records().size(); }));
  }
  std::map<std::u16string, std::int32_t> Records() {
    std::map<std::u16string, std::int32_t> prices;
    const auto data = session->Read();
    for (const auto& [code, record] : data->records)
      prices[code] = record->quote() ? record->quote()->Price() : 0;
    return prices;
  }
  void Click(Window& target, Point p) {
    const Point at = frame->ScreenToClient(target.ClientToScreen(p));
    SimulateMouse(*frame, sys::kLButtonDown, at);
    SimulateMouse(*frame, sys::kLButtonUp, at);
    testing_host::Settle();
  }
  bool InView(const CSTKItem& tile) {
    const Rect wall = view().tiles().WindowRect();
    const Rect r = tile.WindowRect();
    return r.top < wall.bottom && r.bottom > wall.top;
  }

  Application& app_ = App();
  ManualClock clock;
  bool clock_set_ = (UiLoop().SetClock(&clock), true);
  std::filesystem::path dir = testing::FreshDirectory();
  std::unique_ptr<server::DemoServer> market;
  CDecoder decoder;
  std::unique_ptr<CSessionData> session;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(WorkAreaTest, TheFirstBatchFillsTheTilesAndQuotesRepaintOnlyMovedPrices) {
  // The first login asks for 현재역상 with the filters.
  const std::u16string first = Requests().front();
  EXPECT_NE(first.find(u"<P_SHCODES></P_SHCODES><IDX>3007</IDX><MARKET>2</MARKET><CHK>1</CHK>"),
            std::u16string::npos)
      << std::string(first.begin(), first.end());
  Drain();
  // The request at the login left the start-up data behind it in the queue.
  EXPECT_EQ(session->Read()->master.size(), 400u);
  EXPECT_FALSE(session->Read()->trading_dates.empty());
  const auto records = Records();
  ASSERT_GT(records.size(), 6u);
  CQZTile& wall = view().tiles();
  ASSERT_EQ(wall.codes().size(), records.size());
  // No sort: each record went to the front, so the codes run down.
  EXPECT_EQ(wall.codes().front(), records.rbegin()->first);
  EXPECT_EQ(wall.codes().back(), records.begin()->first);
  EXPECT_EQ(wall.shown().front()->code(), records.rbegin()->first);
  EXPECT_TRUE(view().time_control().IsVisible());
  const Rect w = wall.WindowRect();
  EXPECT_EQ(w.right, view().time_control().WindowRect().left);
  EXPECT_EQ(w.top, view().WindowRect().top + CQZView::kHeaderHeight);
  // Tiles of 160 x 185, 8 apart, rows 10 apart.
  const Rect a = wall.shown()[0]->WindowRect(), b = wall.shown()[1]->WindowRect();
  EXPECT_EQ(a.width(), 160);
  EXPECT_EQ(a.height(), 185);
  EXPECT_EQ(b.left - a.right, 8);
  ASSERT_TRUE(frame->SaveScreenshot(::testing::TempDir() + "work_area.png"));

  std::vector<std::pair<int, std::int32_t>> before;
  for (const CSTKItem* tile : wall.shown())
    before.emplace_back(tile->paint_count(), tile->painted_price());
  market->Advance(20);
  Drain();
  // Every tile in view comes to show its record's price...
  ASSERT_TRUE(RunUntil([&] {
    const auto now = Records();
    for (const CSTKItem* tile : wall.shown())
      if (InView(*tile) && tile->painted_price() != now.at(tile->code())) return false;
    return true;
  }));
  // ...and only those whose price moved were painted again.
  int moved = 0, still = 0;
  for (std::size_t i = 0; i < wall.shown().size(); ++i) {
    const CSTKItem& tile = *wall.shown()[i];
    if (!InView(tile)) continue;
    if (tile.painted_price() != before[i].second) {
      ++moved;
      EXPECT_GE(tile.paint_count(), before[i].first + 1);
    } else {
      ++still;
      EXPECT_EQ(tile.paint_count(), before[i].first) << "tile " << i;
    }
  }
  EXPECT_GT(moved, 0);
  EXPECT_GT(still, 0);
}

TEST_F(WorkAreaTest, SortBoxesScrollingAndBatchesOfTheSameScreen) {
  Drain();
  CQZView& v = view();
  CQZTile& wall = v.tiles();
  const auto rates_ascending = [&](bool ascending) {
    const auto data = session->Read();
    double last = ascending ? -1e9 : 1e9;
    for (const std::u16string& code : wall.codes()) {
      const double rate = data->FindRecord(code)->quote()->Rate();
      if (ascending ? rate < last : rate > last) {
        ADD_FAILURE() << Utf16ToUtf8(code) << " at " << rate << " after " << last;
        return false;
      }
      last = rate;
    }
    return true;
  };
  const Rect rate_box = CQZView::SortBox(kSortRate);
  const Point in_rate{(rate_box.left + rate_box.right) / 2, (rate_box.top + rate_box.bottom) / 2};
  Click(v, in_rate);
  EXPECT_EQ(v.sort_key(), kSortRate);
  EXPECT_TRUE(v.ascending());
  EXPECT_TRUE(rates_ascending(true));
  // The triangle of the active box, pointing down.
  const Bitmap header = v.Render();
  EXPECT_EQ(header.PixelAt(rate_box.right - 9, 18), CQZView::kTriangleFill);
  EXPECT_EQ(header.PixelAt(rate_box.right - 9, 23), CQZView::kHeaderColor);
  Click(v, in_rate);
  EXPECT_FALSE(v.ascending());
  EXPECT_TRUE(rates_ascending(false));
  Click(v, in_rate);  // the active box clicked twice: ascending again
  EXPECT_TRUE(v.ascending());

  // The wheel scrolls a line of 60 pixels; a page is the page.
  ASSERT_GT(wall.scroller().MaxY(), 60);
  wall.Send(sys::kMouseWheel, sys::MakeWParam(0, -120), 0);
  EXPECT_EQ(wall.scroller().y(), 60);
  EXPECT_EQ(wall.shown()[0]->WindowRect().top, wall.WindowRect().top + 5 - 60);
  wall.Send(sys::kVScroll, sys::MakeWParam(ctl::kBottom, 0), wall.scroll_bar().handle().id());
  EXPECT_EQ(wall.scroller().y(), wall.scroller().MaxY());
  wall.Send(sys::kVScroll, sys::MakeWParam(ctl::kPageUp, 0), wall.scroll_bar().handle().id());
  const int y = wall.scroller().y();
  EXPECT_EQ(y, wall.scroller().MaxY() - wall.ClientRect().height());

  // The market's next batch continues the result: sort, place and tiles stay.
  std::map<std::u16string, const CSTKItem*> tiles;
  for (const CSTKItem* tile : wall.shown()) tiles[tile->code()] = tile;
  const std::u16string shown_time = v.search_time();
  for (int minute = 0; minute < 15 && v.search_time() == shown_time; ++minute) {
    market->Advance(60);
    Drain();
  }
  ASSERT_NE(v.search_time(), shown_time) << "no batch in 15 minutes";
  EXPECT_EQ(v.sort_key(), kSortRate);
  EXPECT_EQ(wall.scroller().y(), y);
  EXPECT_TRUE(rates_ascending(true));
  for (const CSTKItem* tile : wall.shown()) {
    if (tiles.contains(tile->code())) {
      EXPECT_EQ(tiles[tile->code()], tile);
    }
  }

  // A re-search is a new result: unsorted, at the top.
  const std::size_t sent = Requests().size();
  Click(v.research_button(), {10, 10});
  AwaitResult(sent + 1);
  EXPECT_EQ(v.sort_key(), kSortNone);
  EXPECT_EQ(wall.scroller().y(), 0);
}

TEST_F(WorkAreaTest, AnotherScreenUnderTheTilesThenNewsTilesAndTheReconnectionRequest) {
  Drain();
  CQZTile& wall = view().tiles();
  ASSERT_FALSE(wall.shown().empty());
  // The top bar's way: the records go at once, the tiles still name them.
  const std::u16string dropped = session->SwitchScreen(code::kScreenNews);
  EXPECT_FALSE(dropped.empty());
  const Bitmap blank = wall.shown()[0]->Render();
  EXPECT_EQ(blank.PixelAt(0, 50), CSTKItem::kBackground);
  Packet request(code::kScreenRequest);
  request.AddText(u"P_SHCODES", dropped);
  request.AddInt(u"IDX", code::kScreenNews);
  request.AddInt(u"MARKET", 2);
  request.AddInt(u"CHK", 1);
  ASSERT_TRUE(session->Send(request));
  AwaitResult(2);
  ASSERT_FALSE(wall.shown().empty());
  EXPECT_FALSE(view().time_control().IsVisible());
  // 재료주: a source band, taller tiles, in order of registration.
  EXPECT_EQ(wall.shown()[0]->WindowRect().height(), 205);
  EXPECT_TRUE(wall.shown()[0]->source_mode());
  {
    const auto data = session->Read();
    std::u16string last;
    for (const CSTKItem* tile : wall.shown()) {
      const std::u16string& reg = data->FindRecord(tile->code())->registration_date();
      EXPECT_LE(last, reg);
      last = reg;
    }
  }
  ASSERT_TRUE(frame->SaveScreenshot(::testing::TempDir() + "work_area_news.png"));

  // A reconnection's login answer asks for the screen shown, not 3007.
  PostMessage(view().handle(), msg::kNotify, code::kHello, 0);
  ASSERT_TRUE(RunUntil([&] { return Requests().size() == 3; }));
  EXPECT_NE(Requests().back().find(u"<IDX>3006</IDX>"), std::u16string::npos);
}

// A request that cannot go out (the socket's sending side is shut) drops
// nothing: the list and the screen stay, and the header says so.
TEST_F(WorkAreaTest, AFailedRequestKeepsTheListAndSaysSoInTheHeader) {
  Drain();
  const auto before = Records();
  const int screen = session->current_screen();
  ASSERT_FALSE(before.empty());
  ASSERT_EQ(::shutdown(frame->driver().socket()->handle(), SHUT_WR), 0);
  view().Research();
  testing_host::Settle();
  EXPECT_TRUE(view().request_failed());
  EXPECT_EQ(session->current_screen(), screen);
  EXPECT_EQ(Records().size(), before.size());
  EXPECT_EQ(view().tiles().codes().size(), before.size());
}

TEST_F(WorkAreaTest, TheTimeMachinePicksAPastMinute) {
  Drain();
  CQZTime& time = view().time_control();
  const std::u16string today = FormatInt(session->TradingDate());
  ASSERT_GT(time.dates().GetCount(), 2)
      << session->Read()->trading_dates.size() << " " << today.size();
  EXPECT_EQ(time.dates().SelectedText(), today);
  EXPECT_EQ(time.times().GetCount(), 0);  // before 09:01 today has no minute

  // A past day by the combo (the wheel steps it): 15:31 first, then 15:19
  // down to 09:01.
  time.dates().Send(sys::kMouseWheel, sys::MakeWParam(0, -120), 0);
  testing_host::Settle();
  const std::u16string past = time.dates().GetLBText(1);
  ASSERT_EQ(time.selected_date(), past);
  ListBoxControl& minutes = time.times();
  ASSERT_EQ(minutes.GetCount(), 380);
  EXPECT_EQ(minutes.GetText(0), u"15:31");
  EXPECT_EQ(minutes.GetText(1), u"15:19");
  EXPECT_EQ(minutes.GetText(379), u"09:01");

  const std::size_t sent = Requests().size();
  const Rect row = minutes.ItemRect(1);
  Click(minutes, {row.left + 5, row.top + 3});
  AwaitResult(sent + 1);
  const std::u16string htime = past + u"151900";
  EXPECT_NE(Requests().back().find(u"<IDX>3016</IDX><MARKET>2</MARKET><CHK>1</CHK><HTIME>" + htime +
                                   u"</HTIME>"),
            std::u16string::npos);
  EXPECT_EQ(session->current_screen(), code::kScreenPastReverse);
  EXPECT_EQ(session->Read()->time_machine_time, htime);
  EXPECT_EQ(view().search_time(), past.substr(4, 2) + u"/" + past.substr(6, 2) + u" 15:19");
  EXPECT_EQ(minutes.GetCurSel(), 1);  // the past screen keeps its list
  // The header says plainly that the past is on show, in its own colour.
  EXPECT_TRUE(view().past());
  EXPECT_EQ(view().PastText(), u"과거 15:19 · 재검색으로 실시간");
  EXPECT_GT(testing_host::CountColour(view().Render(), view().PastTagRect(), CQZView::kPastColor),
            20);
  const std::size_t past_records = Records().size();
  ASSERT_GT(past_records, 0u);

  // Another market filter asks for the same moment, under the new filter.
  CTopBar& bar = dynamic_cast<CTopBar&>(frame->top_bar());
  bar.filter().SetFocus();
  SimulateKey(bar.filter(), sys::kVkUp);
  SimulateKey(bar.filter(), sys::kVkUp);  // 전체: at least what 코스닥 had
  AwaitResult(sent + 3);
  EXPECT_NE(Requests().back().find(u"<IDX>3016</IDX><MARKET>0</MARKET><CHK>1</CHK><HTIME>" +
                                   htime + u"</HTIME>"),
            std::u16string::npos);
  EXPECT_GE(Records().size(), past_records);
  EXPECT_EQ(view().search_time(), past.substr(4, 2) + u"/" + past.substr(6, 2) + u" 15:19");

  // Back to today by a re-search; later minutes of today appear.
  market->Advance(5 * 60);
  Drain();
  Click(view().research_button(), {10, 10});
  AwaitResult(sent + 4);
  EXPECT_EQ(session->current_screen(), code::kScreenReverse);
  EXPECT_FALSE(view().past());
  EXPECT_EQ(testing_host::CountColour(view().Render(), view().PastTagRect(), CQZView::kPastColor),
            0);
  EXPECT_EQ(time.selected_date(), past);  // the stored date stays selected
  EXPECT_EQ(minutes.GetCount(), 380);

  // Today's minutes run from the server's minute down to 09:01.
  time.dates().Send(sys::kMouseWheel, sys::MakeWParam(0, 120), 0);
  testing_host::Settle();
  EXPECT_EQ(time.selected_date(), today);
  ASSERT_EQ(minutes.GetCount(), 5);
  EXPECT_EQ(minutes.GetText(0), u"09:05");
  EXPECT_EQ(minutes.GetText(4), u"09:01");
}

// A screen that caught nothing says so, with its filters, in tiles and grid alike.
TEST_F(WorkAreaTest, AnEmptyResultSaysTheScreenCaughtNothing) {
  Drain();
  session->set_market_filter(2);
  session->set_screening_check(0);
  struct Case {
    int mode;
    int screen;
    const char16_t* text;
  };
  for (const Case& c : {Case{0, code::kScreenBoxRange, u"박스권 · 코스닥: 포착된 종목이 없습니다"},
                        Case{1, code::kScreenSurging, u"급등주 · 코스닥: 포착된 종목이 없습니다"}}) {
    session->set_display_mode(c.mode);
    (void)session->SwitchScreen(c.screen);  // no record
    view().Send(msg::kNotify, code::kScreenRequest, 0);
    testing_host::Settle();
    Window& pane = c.mode == 0 ? static_cast<Window&>(view().tiles()) : view().grid();
    ASSERT_TRUE(pane.IsVisible());
    EXPECT_EQ(c.mode == 0 ? view().tiles().empty_text() : view().grid().empty_text(), c.text);
    const Rect rows = c.mode == 0 ? pane.ClientRect() : view().grid().RowsArea();
    EXPECT_GT(testing_host::CountNear(pane.Render(), rows, kEmptyResultColor), 40) << c.mode;
    if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
      EXPECT_TRUE(view().SaveScreenshot(std::string(pictures) + "/empty_" +
                                        std::to_string(c.mode) + ".png"));
    }
  }
}

}  // namespace
}  // namespace velloran
