// The workspace and the keys in a real X display with a window manager
// (Xvfb and openbox), worked by real key presses (xdotool): a session driven
// from the login to a picked stock and a switched screen without the mouse;
// then the workspace changed, the program closed and started again, and the
// workspace found as it was left.

#include <gtest/gtest.h>

#include <thread>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/frame_keys.h"
#include "app/key_list_wnd.h"
#include "app/koa_app.h"
#include "app/main_frame.h"
#include "app/session_data.h"
#include "app/workspace_file.h"
#include "grid/qz_view.h"
#include "grid/top_bar.h"
#include "hoga/chart_view.h"
#include "hoga/hoga_view.h"
#include "net/login_dialog.h"
#include "net/stock_code.h"
#include "platform/window_messages.h"
#include "platform/application.h"
#include "platform/control_codes.h"
#include "platform/window_events.h"
#include "replay/play_frame.h"
#include "tests/app/frame_rig.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::DemoMarket;
using testing::MasterCount;
using testing_host::App;
using testing_host::RunUntil;

constexpr SessionTimings kFast{milliseconds(30), milliseconds(20), milliseconds(200),
                               milliseconds(50)};

// Real key presses through the X server to the window with the input focus.
void Keys(const std::string& actions) {
  ASSERT_EQ(std::system(("xdotool " + actions).c_str()), 0) << actions;
}

CTopBar& Bar(CMainFrame& f) {
  return dynamic_cast<CTopBar&>(f.top_bar());
}
CQZView& Work(CMainFrame& f) {
  return dynamic_cast<CQZView&>(f.qz_view());
}
CChartView& Charts(CMainFrame& f) {
  return dynamic_cast<CChartView&>(f.chart_view());
}

// Types the demo login once the dialog's ID box holds the focus (tries
// times at most, a pass of the loop each).
void TypeLoginWhenFocused(CLoginDlg& dialog, int tries) {
  if (!dialog.id_field().HasFocus() && tries > 0) {
    UiLoop().Post([&dialog, tries] {
      std::this_thread::sleep_for(milliseconds(10));
      TypeLoginWhenFocused(dialog, tries - 1);
    });
    return;
  }
  // Queued at the X server; the dialog reads them once the loop runs.
  Keys("type --delay 30 demo");
  Keys("key Tab");
  Keys("type --delay 30 demo");
  Keys("key Return");
}

// Runs the program's start against the market; with by_keys the login
// dialog is filled and sent by key presses.
bool Start(CKOAApp& app, DemoMarket& market, bool by_keys) {
  app.SetDecoderDirectory(VELLORAN_DECODER_DIR);
  app.SetSessionTimings(kFast);
  if (by_keys) {
    app.SetLoginDialogObserver([](CLoginDlg& dialog) {
      UiLoop().Post([&dialog] {
        dialog.Activate();
        dialog.id_field().SetFocus();
        // The window manager grants the focus in its own time: a key sent
        // before it would go nowhere. Wait for it on the loop, then type.
        TypeLoginWhenFocused(dialog, 500);
      });
    });
  } else {
    app.SetLoginStep([&market](CKOAApp&) {
      return CKOAApp::LoginResult{true, u"demo", u"127.0.0.1", market->session_port()};
    });
  }
  if (!app.InitInstance()) return false;
  // The end is the test's, not the program's.
  app.main_frame()->SetQuitOnDestroy(false);
  return true;
}

void Close(CKOAApp& app) {
  CMainFrame* frame = app.main_frame();
  app.RequestClose();  // as the close button or a signal does
  ASSERT_TRUE(RunUntil([&] { return !frame->IsCreated(); }, 5000));
  app.ExitInstance();
}

TEST(WorkspaceXvfb, KeysDriveASessionAndTheWorkspaceComesBackAsLeft) {
  ASSERT_TRUE(RunUntil([] { return HasWindowManager(); }, 10000)) << "no window manager";
  DemoMarket market({}, 300);
  App();
  const auto dir = testing::FreshDirectory();
  AppOptions options;
  options.data_dir = dir.string();
  options.login_url = "http://127.0.0.1:" + std::to_string(market->http_port()) + "/";

  Rect left_at;
  Rect replay_left_at;
  double outer_share = 0;
  double right_share = 0;
  {
    CKOAApp app(options);
    ASSERT_TRUE(Start(app, market, true));
    CMainFrame& frame = *app.main_frame();
    CSessionData& session = *app.session();
    ASSERT_TRUE(RunUntil([&] { return MasterCount(session) == 300; }, 30000));
    ASSERT_TRUE(RunUntil([&] { return frame.IsInActiveWindow(); }, 5000));
    ASSERT_TRUE(RunUntil([&] { return !Work(frame).tiles().codes().empty() &&
                                      !Work(frame).tiles().codes()[0].empty(); }, 10000));

    // F3: 박스권, and the focus in the work area; F7: the grid.
    Keys("key F3");
    ASSERT_TRUE(RunUntil([&] { return session.current_screen() == 3005; }, 5000));
    Keys("key F7");
    ASSERT_TRUE(RunUntil([&] { return session.display_mode() == 1 && Work(frame).grid().HasFocus(); },
                         5000));
    ASSERT_TRUE(RunUntil([&] { return Work(frame).grid().ItemCount() > 1; }, 10000));
    // Down picks the next row's stock in the grid.
    Keys("key Down Down");
    ASSERT_TRUE(RunUntil([&] { return !Bar(frame).shown_code().empty(); }, 5000));
    const std::u16string from_grid = Bar(frame).shown_code();

    // Digits typed in a pane go to the code box; six of them pick the stock.
    std::u16string code;
    {
      const auto store = session.Read();
      for (const auto& [c, p] : store->master)
        if (c != from_grid) code = c;
    }
    ASSERT_EQ(code.size(), 6u);
    Keys("type --delay 30 " + std::string(code.begin(), code.end()));
    ASSERT_TRUE(RunUntil([&] { return Bar(frame).shown_code() == code; }, 5000));
    EXPECT_TRUE(Bar(frame).code_box().edit().HasFocus());
    // Tab in the box is the box's; Esc too. F5 works from the box.
    Keys("key F5");
    ASSERT_TRUE(RunUntil([&] { return session.current_screen() == 3007; }, 5000));
    EXPECT_FALSE(Bar(frame).code_box().edit().HasFocus());

    // F1 shows the key list; Esc closes it.
    Keys("key F1");
    ASSERT_TRUE(RunUntil([&] {
      return frame.keys()->key_list() != nullptr && frame.keys()->key_list()->IsVisible();
    }, 5000));
    if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
      RunUntil([] { return false; }, 300);  // painted
      EXPECT_TRUE(frame.keys()->key_list()->SaveScreenshot(std::string(pictures) + "/key_list.png"));
    }
    RunUntil([&] { return frame.keys()->key_list()->HasFocus(); }, 2000);
    Keys("key Escape");
    ASSERT_TRUE(RunUntil([&] { return !frame.keys()->key_list()->IsVisible(); }, 5000));

    // F9 opens the replay of the stock on show; its place and speed are kept.
    Keys("key F9");
    auto& hoga = dynamic_cast<CHogaView&>(frame.hoga_view());
    ASSERT_TRUE(RunUntil([&] { return hoga.replay() != nullptr && hoga.replay()->IsVisible(); },
                         5000));
    auto& play = dynamic_cast<CPlayFrame&>(*hoga.replay());
    play.Move({220, 160, 220 + 1100, 160 + 760});
    ASSERT_TRUE(RunUntil([&] { return play.NormalRect().width() == 1100; }, 5000));
    play.player().ctrl().FastForward();
    play.player().ctrl().FastForward();
    const Rect replay_at = play.NormalRect();
    frame.Activate();

    // The rest of the workspace as a user leaves it: place and size,
    // splitters, filter, check box, chart periods.
    frame.Move({140, 90, 140 + 1180, 90 + 860});
    ASSERT_TRUE(RunUntil([&] { return frame.NormalRect().width() == 1180; }, 5000));
    frame.outer_splitter().SetColumnShare(0, 0.4);
    frame.right_splitter().SetRowShare(0, 0.55);
    Bar(frame).filter().SetCurSel(1);
    Bar(frame).Send(sys::kCommand, sys::MakeWParam(CTopBar::kFilterId, ctl::kComboSelChange), 0);
    Bar(frame).Send(sys::kCommand, sys::MakeWParam(CTopBar::kCheckId, ctl::kButtonClicked), 0);
    CChartView& charts = Charts(frame);
    charts.left().Send(sys::kCommand, sys::MakeWParam(CQZChartWnd::kWeekId, ctl::kButtonClicked), 0);
    charts.right().period_combo().SetCurSel(3);
    charts.right().Send(sys::kCommand,
                        sys::MakeWParam(CQZChartWnd::kPeriodComboId, ctl::kComboSelChange), 0);
    charts.right().average_button(CQZChartWnd::kFirstAverageId + 3).SetCheck(true);
    charts.right().Send(sys::kCommand,
                        sys::MakeWParam(CQZChartWnd::kFirstAverageId + 3, ctl::kButtonClicked), 0);
    RunUntil([] { return false; }, 200);
    left_at = frame.NormalRect();
    replay_left_at = replay_at;
    outer_share = frame.outer_splitter().ColumnInfo(0).share;
    right_share = frame.right_splitter().RowInfo(0).share;
    Close(app);
  }
  ASSERT_TRUE(std::filesystem::exists(dir / kWorkspaceFileName));
  std::string saved;
  {
    std::ifstream in(dir / kWorkspaceFileName);
    saved.assign(std::istreambuf_iterator<char>(in), {});
  }
  SCOPED_TRACE("workspace.cfg:\n" + saved);

  {
    CKOAApp app(options);
    ASSERT_TRUE(Start(app, market, false));
    CMainFrame& frame = *app.main_frame();
    CSessionData& session = *app.session();
    ASSERT_TRUE(RunUntil([&] { return frame.IsVisible(); }, 5000));
    RunUntil([] { return false; }, 300);  // the window manager placed it
    const Rect now = frame.NormalRect();
    EXPECT_NEAR(now.left, left_at.left, 4);
    EXPECT_NEAR(now.top, left_at.top, 4);
    EXPECT_NEAR(now.width(), left_at.width(), 4);
    EXPECT_NEAR(now.height(), left_at.height(), 4);
    EXPECT_NEAR(frame.outer_splitter().ColumnInfo(0).share, outer_share, 0.002);
    EXPECT_NEAR(frame.right_splitter().RowInfo(0).share, right_share, 0.002);
    EXPECT_EQ(session.display_mode(), 1);
    EXPECT_EQ(session.current_screen(), 3007);
    EXPECT_EQ(session.market_filter(), 1);
    EXPECT_EQ(session.screening_check(), 0);
    EXPECT_EQ(Bar(frame).filter().GetCurSel(), 1);
    ASSERT_TRUE(RunUntil([&] { return !Bar(frame).check_box().IsChecked(); }, 3000));
    ASSERT_TRUE(RunUntil([&] { return Work(frame).grid().IsVisible(); }, 10000));
    EXPECT_EQ(Charts(frame).left().type(), u"J");
    EXPECT_EQ(Charts(frame).right().type(), u"m10");
    EXPECT_TRUE(Charts(frame).right().data().AverageOn(60));
    EXPECT_TRUE(Charts(frame).right().average_button(CQZChartWnd::kFirstAverageId + 3).IsChecked());

    // Over a chart the wheel zooms, Shift+wheel scrolls, End shows the newest.
    CQZChartWnd& day = Charts(frame).left();
    ASSERT_TRUE(RunUntil([&] { return day.data().Count() > 100; }, 10000));
    const Rect candle = day.candle().WindowRect();
    const int shown = day.visible_end() - day.visible_start();
    Keys("mousemove " + std::to_string(candle.left + candle.width() / 2) + " " +
         std::to_string(candle.top + candle.height() / 2) + " click 4");
    ASSERT_TRUE(RunUntil([&] { return day.visible_end() - day.visible_start() < shown; }, 5000));
    const int zoomed = day.visible_end() - day.visible_start();
    const int zoomed_start = day.visible_start();
    Keys("keydown shift click 4 keyup shift");
    ASSERT_TRUE(RunUntil([&] { return day.visible_start() > zoomed_start; }, 5000));
    EXPECT_EQ(day.visible_start(), zoomed_start + zoomed / 10);
    Keys("click 1 key End");  // the click gives the chart the focus
    ASSERT_TRUE(RunUntil([&] { return day.visible_start() == 0; }, 5000));
    EXPECT_EQ(day.visible_end(), zoomed);
    if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
      EXPECT_TRUE(day.SaveScreenshot(std::string(pictures) + "/chart_zoomed.png"));
    }

    // The replay opens where it was left, at its speed.
    ASSERT_TRUE(RunUntil([&] { return frame.IsInActiveWindow(); }, 5000));
    ASSERT_TRUE(RunUntil([&] { return MasterCount(session) == 300; }, 30000));
    const std::u16string first = session.Read()->master.begin()->first;
    Bar(frame).Send(msg::kSelectStock, static_cast<WParam>(PackStockCode(first)), 0);
    auto& hoga = dynamic_cast<CHogaView&>(frame.hoga_view());
    // PLAY waits for the order book's quote of the stock.
    ASSERT_TRUE(RunUntil([&] { return Bar(frame).quote().has_value(); }, 10000));
    Keys("key F9");
    ASSERT_TRUE(RunUntil([&] { return hoga.replay() != nullptr && hoga.replay()->IsVisible(); },
                         5000));
    auto& play = dynamic_cast<CPlayFrame&>(*hoga.replay());
    RunUntil([] { return false; }, 300);
    EXPECT_NEAR(play.NormalRect().left, replay_left_at.left, 4);
    EXPECT_NEAR(play.NormalRect().top, replay_left_at.top, 4);
    EXPECT_NEAR(play.NormalRect().width(), replay_left_at.width(), 4);
    EXPECT_EQ(play.player().model().speed(), 4);
    Close(app);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velloran
