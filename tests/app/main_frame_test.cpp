// The main frame and the application object under the offscreen platform,
// against the demo server on 127.0.0.1: the session it opens and keeps, the
// refused login, the missing decoder library, the layout and the pop-up rule.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/alarm_center.h"
#include "app/koa_app.h"
#include "app/main_frame.h"
#include "app/placeholder_view.h"
#include "app/session_data.h"
#include "grid/qz_view.h"
#include "net/login_dialog.h"
#include "net/message_codes.h"
#include "platform/input_simulation.h"
#include "platform/window_messages.h"
#include "server/demo_server.h"
#include "tests/app/frame_rig.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::DemoMarket;
using testing::FrameRig;
using testing::kLargeScreen;
using testing::kLargeWork;
using testing::MasterCount;
using testing_host::App;
using testing_host::RunUntil;

// Fast timings for the tests that run on the system's clock.
constexpr SessionTimings kFast{milliseconds(30), milliseconds(20), milliseconds(200),
                               milliseconds(50)};

TEST(MainFrameTest, OpensTheSessionAtItsTimesAndFillsTheStore) {
  DemoMarket market;
  FrameRig rig(market.endpoint());
  ASSERT_TRUE(rig.frame.CreateFrame(kLargeWork, kLargeScreen));
  rig.frame.ShowNormal();
  // Made hidden before the frame was shown, the alarm notice stays hidden.
  EXPECT_FALSE(rig.frame.alarms().notice().IsVisible());
  // 1 s to the worker, 100 ms more to the connect.
  rig.Step(milliseconds(1099));
  EXPECT_EQ(rig.frame.driver().connect_count(), 0);
  rig.Step(milliseconds(1));
  EXPECT_EQ(rig.frame.driver().connect_count(), 1);
  ASSERT_TRUE(RunUntil([&] { return market.hellos() == 1; }, 5000));
  ASSERT_TRUE(RunUntil([&] { return MasterCount(rig.session) == 2600; }, 30000));
  EXPECT_EQ(rig.session.logged_in(), 1);
  rig.frame.RefreshStatus();
  EXPECT_EQ(rig.frame.foot_bar().texts().link, u"연결됨");
}

TEST(MainFrameTest, ReplacesADroppedSessionWithANewHello) {
  server::FaultOptions faults;
  faults.drop_every_s = 1;
  DemoMarket market(faults, 50);
  FrameRig rig(market.endpoint());
  ASSERT_TRUE(rig.frame.CreateFrame(kLargeWork, kLargeScreen));
  rig.Step(milliseconds(1100));
  ASSERT_TRUE(RunUntil([&] { return market.hellos() == 1; }));
  // The server drops the session; a second later a new socket greets anew.
  ASSERT_TRUE(RunUntil([&] { return !rig.frame.driver().socket()->connected(); }, 5000));
  rig.frame.RefreshStatus();
  EXPECT_EQ(rig.frame.foot_bar().texts().link, u"연결 끊김 · 1초 후 재연결");
  rig.Step(milliseconds(1000));
  ASSERT_TRUE(RunUntil([&] { return market.hellos() == 2; }));
  EXPECT_EQ(rig.frame.driver().connect_count(), 2);
}

TEST(MainFrameTest, AFailedConnectShowsTheCountdownAndRetries) {
  DemoMarket market({}, 50);
  SessionEndpoint nowhere = market.endpoint();
  nowhere.port = 1;  // nothing listens there
  FrameRig rig(nowhere);
  ASSERT_TRUE(rig.frame.CreateFrame(kLargeWork, kLargeScreen));
  rig.Step(milliseconds(1100));
  ASSERT_TRUE(RunUntil([&] { return !rig.frame.driver().socket()->connecting(); }));
  // The foot bar counts down to the retry, which waits longer each time.
  rig.frame.RefreshStatus();
  EXPECT_EQ(rig.frame.foot_bar().texts().link, u"연결 끊김 · 1초 후 재연결");
  rig.Step(milliseconds(1000));
  EXPECT_EQ(rig.frame.driver().connect_count(), 2);
  ASSERT_TRUE(RunUntil([&] { return !rig.frame.driver().socket()->connecting(); }));
  rig.frame.RefreshStatus();
  EXPECT_EQ(rig.frame.foot_bar().texts().link, u"연결 끊김 · 2초 후 재연결");
  rig.Step(milliseconds(1000));
  rig.frame.RefreshStatus();
  EXPECT_EQ(rig.frame.foot_bar().texts().link, u"연결 끊김 · 1초 후 재연결");
  rig.Step(milliseconds(1000));
  EXPECT_EQ(rig.frame.driver().connect_count(), 3);
}

TEST(MainFrameTest, ARefusedLoginShowsItsMessageAndCloses) {
  server::FaultOptions faults;
  faults.refuse_login = true;
  DemoMarket market(faults, 50);
  FrameRig rig(market.endpoint());
  std::u16string shown;
  SetMessageBoxHandler([&shown](const std::u16string& text) { shown = text; });
  ASSERT_TRUE(rig.frame.CreateFrame(kLargeWork, kLargeScreen));
  rig.Step(milliseconds(1100));
  ASSERT_TRUE(RunUntil([&] { return !rig.frame.IsCreated(); }, 5000));
  EXPECT_EQ(shown, u"로그인 실패\n회사로 문의해 주세요");
  SetMessageBoxHandler(nullptr);
}

TEST(MainFrameTest, LayoutFrameRingAndPanes) {
  FrameRig rig({u"127.0.0.1", 1, u"demo"});
  ASSERT_TRUE(rig.frame.CreateFrame(kLargeWork, kLargeScreen));
  rig.frame.ShowNormal();
  testing_host::Settle();
  const Rect w = rig.frame.WindowRect();
  EXPECT_EQ(w, (Rect{319, 44, 319 + 1282, 44 + 952}));

  const Bitmap shot = rig.frame.Render();
  ASSERT_TRUE(rig.frame.SaveScreenshot(::testing::TempDir() + "main_frame.png"));
  EXPECT_EQ(shot.PixelAt(2, 400), CMainFrame::kFrameColor);
  EXPECT_EQ(shot.PixelAt(1279, 400), CMainFrame::kFrameColor);
  // Title bar over the top bar; the four panes in the splitters' places.
  EXPECT_EQ(rig.frame.title_bar().WindowRect().top, w.top + 4);
  EXPECT_EQ(rig.frame.top_bar().WindowRect().top, w.top + 4 + CMyTitleBar::kHeight);
  const Rect hoga = rig.frame.hoga_view().WindowRect();
  const Rect koa = rig.frame.koa_view().WindowRect();
  const Rect qz = rig.frame.qz_view().WindowRect();
  const Rect chart = rig.frame.chart_view().WindowRect();
  EXPECT_LT(hoga.right, qz.left);
  EXPECT_LT(hoga.bottom, koa.top);
  EXPECT_LT(qz.bottom, chart.top);
  EXPECT_NEAR(hoga.width(), 580, 8);
  EXPECT_NEAR(hoga.height(), 762, 8);
  EXPECT_NEAR(qz.height(), 490, 8);
  EXPECT_EQ(rig.frame.foot_bar().WindowRect().bottom, w.bottom - 4);
  const Point in_qz = rig.frame.ScreenToClient({qz.left + 5, qz.top + 5});
  EXPECT_EQ(shot.PixelAt(in_qz.x, in_qz.y), CQZView::kHeaderColor);

  // Shrunk, each splitter keeps its share and every pane its minimum (the
  // ratio view stays on the screen with its grid); grown back, every pane
  // stands where it stood.
  const auto rects = [&] {
    return std::vector<Rect>{rig.frame.hoga_view().WindowRect(),
                             rig.frame.koa_view().WindowRect(), rig.frame.qz_view().WindowRect(),
                             rig.frame.chart_view().WindowRect()};
  };
  const std::vector<Rect> at_start = rects();
  struct Shrunk {
    Size size;
    double left_share;  // of the book's column, when the minimums allow it
  };
  for (const Shrunk& c : {Shrunk{{1000, 700}, 580.0 / 1268}, Shrunk{{700, 420}, -1},
                          Shrunk{{1920, 1040}, 580.0 / 1268}}) {
    SCOPED_TRACE(c.size.width);
    rig.frame.Move({w.left, w.top, w.left + c.size.width, w.top + c.size.height});
    testing_host::Settle();
    const std::vector<Rect> now = rects();
    EXPECT_GE(now[0].width(), 100);
    EXPECT_GE(now[2].width(), 300);
    EXPECT_GE(now[1].height(), 80);
    EXPECT_GE(now[3].height(), 120);
    if (c.left_share > 0) {
      EXPECT_NEAR(now[0].width(), c.left_share * (c.size.width - 8 - 6) - 2, 1);
    }
    const Bitmap small_shot = rig.frame.Render();
    const Point in_koa =
        rig.frame.ScreenToClient({now[1].left + now[1].width() / 2, now[1].bottom - 1});
    EXPECT_NE(small_shot.PixelAt(in_koa.x, in_koa.y), CMainFrame::kFrameColor);
    if (c.size.width == 1000) {
      ASSERT_TRUE(rig.frame.SaveScreenshot(::testing::TempDir() + "main_frame_1000x700.png"));
    }
  }
  rig.frame.Move(w);
  testing_host::Settle();
  EXPECT_EQ(rects(), at_start);

  // A small screen: the frame starts at the corner with the screen's width.
  FrameRig small({u"127.0.0.1", 1, u"demo"});
  ASSERT_TRUE(small.frame.CreateFrame({0, 0, 1024, 700}, {0, 0, 1024, 768}));
  EXPECT_EQ(small.frame.WindowRect(), (Rect{0, 0, 1024, 650}));
}

class ClosablePopup : public Window {
 public:
  int closes = 0;
  LResult WindowProc(WindowMessage& m) override {
    if (m.message == msg::kClosePopup) ++closes;
    return Window::WindowProc(m);
  }
};

TEST(MainFrameTest, APressElsewhereClosesTheRegisteredPopup) {
  FrameRig rig({u"127.0.0.1", 1, u"demo"});
  ASSERT_TRUE(rig.frame.CreateFrame(kLargeWork, kLargeScreen));
  rig.frame.ShowNormal();
  ClosablePopup popup;
  ASSERT_TRUE(popup.Create(&rig.frame, 0, {400, 300, 500, 400}, u"", {WindowKind::kPopup}));
  PostMessage(rig.frame.handle(), msg::kRegisterPopup, popup.handle().id(), 0);
  testing_host::Settle();
  ASSERT_EQ(rig.frame.popup(), popup.handle());

  SimulateMouse(popup, sys::kLButtonDown, {10, 10});
  SimulateMouse(popup, sys::kLButtonUp, {10, 10});
  testing_host::Settle();
  EXPECT_EQ(popup.closes, 0);
  const Point in_pane = rig.frame.ScreenToClient(rig.frame.qz_view().ClientToScreen({20, 20}));
  SimulateMouse(rig.frame, sys::kRButtonDown, in_pane);
  SimulateMouse(rig.frame, sys::kRButtonUp, in_pane);
  ASSERT_TRUE(RunUntil([&] { return popup.closes == 1; }));

  // Unregistered: presses post nothing.
  PostMessage(rig.frame.handle(), msg::kRegisterPopup, 0, 0);
  testing_host::Settle();
  SimulateMouse(rig.frame, sys::kLButtonDown, in_pane);
  SimulateMouse(rig.frame, sys::kLButtonUp, in_pane);
  testing_host::Settle();
  EXPECT_EQ(popup.closes, 1);
  popup.Destroy();
}

// Letters and digits as the keyboard types them.
void Type(Window& field, std::u16string_view text) {
  for (const char16_t c : text) {
    const WParam key = (c >= u'a' && c <= u'z') ? c - 32 : c;
    SimulateKey(field, key, c);
  }
}

TEST(KoaAppTest, StartsThroughTheLoginDialogAndOpensTheSession) {
  DemoMarket market({}, 300);
  App();
  const auto dir = testing::FreshDirectory();
  AppOptions options;
  options.data_dir = dir.string();
  options.login_url = "http://127.0.0.1:" + std::to_string(market->http_port()) + "/";
  CKOAApp app(options);
  app.SetDecoderDirectory(VELLORAN_DECODER_DIR);
  app.SetSessionTimings(kFast);
  app.SetLoginDialogObserver([](CLoginDlg& dialog) {
    UiLoop().Post([&dialog] {
      dialog.id_field().SetFocus();
      Type(dialog.id_field(), u"demo");
      dialog.password_field().SetFocus();
      Type(dialog.password_field(), u"demo");
      SimulateKey(dialog.password_field(), sys::kVkReturn);
    });
  });
  ASSERT_TRUE(app.InitInstance());
  EXPECT_EQ(app.user_id(), u"demo");
  EXPECT_EQ(app.server_address(), u"127.0.0.1");
  EXPECT_EQ(app.server_port(), market->session_port());
  ASSERT_NE(app.main_frame(), nullptr);
  EXPECT_EQ(app.main_frame()->Text(), u"Velloran");
  ASSERT_TRUE(RunUntil([&] { return MasterCount(*app.session()) == 300; }, 30000));
  EXPECT_EQ(market.hellos(), 1u);
  app.ExitInstance();
  std::filesystem::remove_all(dir);
}

TEST(KoaAppTest, AMissingDecoderIsReportedAfterTheMainWindowAppeared) {
  DemoMarket market({}, 50);
  App();
  const auto dir = testing::FreshDirectory();
  AppOptions options;
  options.data_dir = dir.string();
  CKOAApp app(options);
  EXPECT_TRUE(app.user_id().empty());
  EXPECT_TRUE(app.server_address().empty());
  app.SetLoginStep([&market](CKOAApp&) {
    return CKOAApp::LoginResult{true, u"demo", u"127.0.0.1", market->session_port()};
  });
  app.SetDecoderDirectory((dir / "nowhere").string());
  bool frame_visible_at_message = false;
  std::u16string shown;
  SetMessageBoxHandler([&](const std::u16string& text) {
    shown = text;
    frame_visible_at_message = app.main_frame() != nullptr && app.main_frame()->IsVisible();
  });
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(shown, CDecoder::FailureMessage(DecoderLoad::kLibraryMissing));
  EXPECT_TRUE(frame_visible_at_message);
  EXPECT_EQ(app.user_id(), u"demo");
  app.ExitInstance();
  EXPECT_EQ(app.main_frame(), nullptr);
  EXPECT_FALSE(app.decoder().loaded());
  SetMessageBoxHandler(nullptr);
  std::filesystem::remove_all(dir);
}

TEST(KoaAppTest, ACancelledLoginLeavesNoWindowAndNoLibrary) {
  App();
  const auto dir = testing::FreshDirectory();
  AppOptions options;
  options.data_dir = dir.string();
  CKOAApp app(options);
  app.SetLoginStep([](CKOAApp&) { return CKOAApp::LoginResult{}; });
  app.SetDecoderDirectory(VELLORAN_DECODER_DIR);
  EXPECT_FALSE(app.InitInstance());
  EXPECT_EQ(app.main_frame(), nullptr);
  EXPECT_FALSE(app.decoder().loaded());
  EXPECT_NE(app.session(), nullptr);  // made before the login, for its settings
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velloran
