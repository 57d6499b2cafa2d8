// The replay against the demo market on 127.0.0.1: PLAY on the top bar opens
// the frame on the book's stock; another trading day is picked; the time
// line comes over the session, the first block over HTTP, the next blocks
// one after another over the session; the clock steps through the day at
// 128x on a clock the test moves, the book keeping to it and painting at
// most once a display frame; the charts hold nothing after the clock; the
// player's layout and quote strip; a click on the time line seeks, and so
// do the frame's keys; closing the frame tells the book.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "grid/top_bar.h"
#include "hoga/hoga_view.h"
#include "net/message_codes.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/input_simulation.h"
#include "platform/window_messages.h"
#include "replay/play_frame.h"
#include "replay/play_frame_geometry.h"
#include "replay/play_quote_strip.h"
#include "replay/play_time.h"
#include "server/demo_server.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing_host::App;
using testing_host::CentreIn;
using testing_host::CountNear;
using testing_host::RunUntil;
using testing_host::Settle;

constexpr int kStocks = 400;

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
    frame->SetReplayDataUrl("http://127.0.0.1:" + std::to_string(market->http_port()) + "/");
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

  Application& app = App();
  ManualClock clock;
  bool clock_set = (UiLoop().SetClock(&clock), true);
  std::filesystem::path dir = testing::FreshDirectory();
  std::unique_ptr<server::DemoServer> market;
  CDecoder decoder;
  std::unique_ptr<CSessionData> session;
  std::unique_ptr<CMainFrame> frame;
};

// The book shows the last snapshot due by the clock, and nothing later.
::testing::AssertionResult KeepsToTheClock(CPlayerWnd& player) {
  const CPlayModel& m = player.model();
  const CPlayTape& tape = m.tape();
  const std::size_t next = m.next_snapshot();
  if (next < tape.snapshot_count() && tape.snapshot_ms(next) < m.clock_ms())
    return ::testing::AssertionFailure() << "snapshot " << next << " is due and held back";
  if (next == 0) return ::testing::AssertionSuccess();
  const HogaSnapshot& shown = tape.snapshot(next - 1);
  if (player.book().book().frame().book_time != FormatInt06(shown.time))
    return ::testing::AssertionFailure()
           << "the book shows " << Utf16ToUtf8(player.book().book().frame().book_time)
           << ", the clock is at " << MsToHhmmss(m.clock_ms()) << " after " << shown.time;
  if (HhmmssToMs(shown.time) > m.clock_ms())
    return ::testing::AssertionFailure() << "the book is ahead of the clock";
  return ::testing::AssertionSuccess();
}

TEST(ReplayEndToEndTest, PlaysAnEarlierDayAt128xAndSeeksFromTheTimeLine) {
  Rig rig;
  ASSERT_TRUE(rig.frame->CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080}));
  rig.frame->ShowNormal();
  rig.Step(milliseconds(1100));
  ASSERT_TRUE(RunUntil(
      [&] {
        const auto data = rig.session->Read();
        return data->master.size() == kStocks && data->trading_dates.size() > 1;
      },
      30000));
  std::u16string code;
  {
    const auto data = rig.session->Read();
    ASSERT_FALSE(data->memos.empty());
    code = data->memos.begin()->first;
  }
  // The stock picked as a click on a grid row picks it: the top bar asks
  // for its book.
  auto& top = dynamic_cast<CTopBar&>(rig.frame->top_bar());
  ASSERT_TRUE(PostMessage(top.handle(), msg::kSelectStock,
                          static_cast<WParam>(PackStockCode(code)), 0));
  ASSERT_TRUE(RunUntil([&] { return rig.view().book().code == code; }, 10000));

  // PLAY on the top bar: the frame opens on the book's stock, today.
  ASSERT_TRUE(RunUntil(
      [&] {
        rig.Step(milliseconds(16));  // the book's frames, which tell the top bar
        return top.quote().has_value();
      },
      10000));
  const Point play = CentreIn(*rig.frame, top.play_button());
  SimulateMouse(*rig.frame, sys::kLButtonDown, play, sys::kLButtonFlag);
  SimulateMouse(*rig.frame, sys::kLButtonUp, play, 0);
  ASSERT_TRUE(RunUntil([&] { return rig.view().replay() != nullptr; }));
  auto& replay = dynamic_cast<CPlayFrame&>(*rig.view().replay());
  CPlayerWnd& player = replay.player();
  EXPECT_EQ(player.code_box().Text(), code);
  EXPECT_EQ(player.model().ymd(), rig.session->Read()->trading_dates[0]);

  // The day before, picked in the date box: its time line, its master data
  // (3018), the first block over HTTP and the seek after it (to 08:50, or
  // 08:10 when the block ends before 08:50).
  SimulateKey(player.ctrl().date_combo(), sys::kVkDown);
  const std::u16string day = rig.session->Read()->trading_dates[1];
  ASSERT_TRUE(RunUntil([&] { return player.model().ymd() == day; }));
  ASSERT_TRUE(RunUntil(
      [&] {
        return player.model().loaded() && player.model().clock_ms() >= HhmmssToMs(80000) &&
               player.model().outstanding().empty();
      },
      20000))
      << "loaded " << player.model().loaded() << " clock " << player.model().clock_ms()
      << " outstanding " << static_cast<int>(player.model().outstanding().kind) << " snapshots "
      << player.model().tape().snapshot_count() << " download "
      << Utf16ToUtf8(player.load_wnd().failure()) << " lines "
      << player.model().time_line().size();
  EXPECT_FALSE(player.model().time_line().empty());
  EXPECT_FALSE(player.load_wnd().IsVisible());
  EXPECT_EQ(player.book().book().frame().trading_date, day);
  EXPECT_GT(player.stock_info().GetInt(u"KPRC", 0), 0);
  EXPECT_GE(player.model().tape().snapshot_count(), 2000u);

  // 128x, then the day from 08:50 to past 10:00 in ticks of the loop.
  for (int i = 0; i < 7; ++i) {
    const Point ff = CentreIn(replay, player.ctrl().fast_forward_button());
    SimulateMouse(replay, sys::kLButtonDown, ff, sys::kLButtonFlag);
    SimulateMouse(replay, sys::kLButtonUp, ff, 0);
  }
  Settle();
  ASSERT_EQ(player.model().speed(), 128);
  const long frames_before = player.book().frames();
  const long strips_before = player.strip_paints();
  long stepped_ms = 0;
  while (player.model().clock_ms() < HhmmssToMs(101000)) {
    rig.Step(milliseconds(10));
    stepped_ms += 10;
    ASSERT_TRUE(KeepsToTheClock(player));
    // The next block is on its way: the day waits for it.
    if (!player.model().outstanding().empty()) {
      ASSERT_TRUE(RunUntil([&] { return player.model().outstanding().empty(); }, 10000));
    }
    ASSERT_LT(stepped_ms, 60000);
  }
  EXPECT_LE(player.book().frames() - frames_before, stepped_ms / 17 + 1);
  EXPECT_GT(player.book().frames() - frames_before, stepped_ms / 100);
  EXPECT_LE(player.strip_paints() - strips_before, stepped_ms / 17 + 2);
  int next_blocks = 0;
  for (const std::u16string& sent : rig.market->ReceivedTexts(code::kReplayData))
    next_blocks += sent.find(u"<IX>1</IX>") != std::u16string::npos;
  EXPECT_GE(next_blocks, 1);
  // The charts hold nothing after the clock.
  ASSERT_GT(player.minute_chart().data().Count(), 0);
  const TICK newest = player.minute_chart().data().Bar(0);
  EXPECT_EQ(FormatInt(newest.date), day);
  EXPECT_LE(HhmmssToMs(newest.time), player.model().clock_ms());
  EXPECT_EQ(FormatInt(player.day_chart().data().Bar(0).date), day);
  // The day's bars are the replayed trades', whatever the server's bars of
  // that day say: they agree with the book.
  ASSERT_TRUE(player.model().current_quote());
  EXPECT_EQ(newest.close, player.model().current_quote()->Price());
  EXPECT_EQ(player.day_chart().data().Bar(0).close, player.model().current_quote()->Price());

  // At its size on a desktop that holds it (the offscreen screen is small):
  // the book at the left under the strip, the transport under the charts.
  replay.Move(PlayFramePlacement({0, 0, 1920, 1080}));
  rig.Step(milliseconds(20));
  const Rect c = player.ClientRect();
  EXPECT_EQ(c, (Rect{0, 0, 1274, 834 - CMyTitleBar::kHeight}));
  const auto in_player = [&](Window& w) {
    const Rect r = w.WindowRect();
    const Point a = player.ScreenToClient({r.left, r.top});
    return Rect{a.x, a.y, a.x + r.width(), a.y + r.height()};
  };
  EXPECT_EQ(in_player(player.book()), (Rect{0, 30, 580, c.bottom}));
  EXPECT_EQ(in_player(player.ctrl()), (Rect{582, c.bottom - 136, 1274, c.bottom}));
  EXPECT_EQ(in_player(player.day_chart()), (Rect{582, 0, 1274, (c.bottom - 136) / 2}));
  // The strip: the price in its sign's colour at (200, 6), the volume's
  // share of the day before's in grey after it.
  const Bitmap shown = player.Render();
  const CPKT& quote = *player.model().current_quote();
  EXPECT_GT(CountNear(shown, {200, 6, 260, 26}, QuoteSignColour(quote.Sign()), 40), 30);
  if (player.stock_info().GetInt(u"JNILVOL", 0) > 0) {
    EXPECT_GT(CountNear(shown, {300, 9, 490, 22}, kQuoteRatio, 20), 10);
  }
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(replay.SaveScreenshot(std::string(pictures) + "/replay_player.png"));
  }

  // A click on the time line at 13:00: the clock goes there and the book
  // shows the day's moment, by the data held or by a seek block.
  rig.Step(milliseconds(1000));  // seeks are allowed again
  const PlayCtrlGeometry g = player.ctrl().geometry();
  int x = g.box().left;
  while (g.TimeOfX(x) < 130000) ++x;
  const std::int32_t target = g.TimeOfX(x);
  const Point at = replay.ScreenToClient(
      player.ctrl().ClientToScreen({x, (g.box().top + g.box().bottom) / 2}));
  SimulateMouse(replay, sys::kLButtonDown, at, sys::kLButtonFlag);
  SimulateMouse(replay, sys::kLButtonUp, at, 0);
  Settle();
  EXPECT_EQ(player.model().clock_ms(), HhmmssToMs(target));
  ASSERT_TRUE(RunUntil(
      [&] { return player.model().loaded() && player.model().outstanding().empty(); }, 10000));
  rig.Step(milliseconds(10));
  EXPECT_TRUE(KeepsToTheClock(player));
  EXPECT_GE(player.model().clock_ms(), HhmmssToMs(target));
  EXPECT_LT(player.model().clock_ms(), HhmmssToMs(target) + 2000);

  // The frame's keys: Space pauses, -> seeks a minute on, - slows down.
  rig.Step(milliseconds(1000));  // seeks are allowed again
  SimulateKey(player.book(), sys::kVkSpace);
  EXPECT_FALSE(player.model().playing());
  const std::int64_t paused_at = player.model().clock_ms();
  SimulateKey(player.book(), sys::kVkRight);
  EXPECT_EQ(player.model().clock_ms(), paused_at / 1000 * 1000 + 60000);
  SimulateKey(player.book(), sys::kVkSubtract);
  EXPECT_EQ(player.model().speed(), 64);
  // Paused, the clock stands; playing again goes on from there, not from
  // where the pause's time would have taken it.
  ASSERT_TRUE(RunUntil(
      [&] { return player.model().loaded() && player.model().outstanding().empty(); }, 10000));
  const std::int64_t stood = player.model().clock_ms();
  rig.Step(milliseconds(3000));
  EXPECT_EQ(player.model().clock_ms(), stood);
  SimulateKey(player.book(), sys::kVkSpace);
  rig.Step(milliseconds(10));
  EXPECT_LE(player.model().clock_ms() - stood, 64 * 20);

  // Closing the frame: the book forgets it, and frees it once it is gone.
  replay.Send(sys::kClose, 0, 0);
  EXPECT_TRUE(rig.view().feed().ReplayWindow().IsNull());
  Settle();
  EXPECT_EQ(rig.view().replay(), nullptr);
}

}  // namespace
}  // namespace velloran
