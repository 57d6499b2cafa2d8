// The login window as a user meets it, under the offscreen platform: its
// look, keys typed into its fields, clicks on its buttons, the answers of the
// demo server's login page and of a test server, and the login settings
// record across a restart of the settings files.

#include "net/login_dialog.h"

#include <unistd.h>

#include <filesystem>
#include <future>
#include <memory>

#include <gtest/gtest.h>

#include "tests/platform/control_host.h"

#include "app/session_data.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "platform/input_simulation.h"
#include "platform/window_events.h"
#include "server/demo_server.h"
#include "server/form.h"
#include "tests/net/login_test_server.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;

using testing_host::App;
using testing_host::Settle;

using testing_host::RunUntil;

class LoginDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("login_dialog_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    Restart();
    SetMessageBoxHandler([this](const std::u16string& text) { boxes_.push_back(text); });
    SetOpenUrlHandler([this](const std::u16string& url) {
      urls_.push_back(url);
      return true;
    });
  }
  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    SetOpenUrlHandler(nullptr);
    store_.reset();
    Settle();
    std::filesystem::remove_all(dir_);
  }

  // Saves the settings files as the program does at exit and loads them again.
  void Restart() {
    store_.reset();
    store_ = std::make_unique<CSessionData>(SessionOptions{dir_});
  }
  Packet& Settings() { return *store_->GetLoginSettings(); }

  std::unique_ptr<CLoginDlg> OpenAt(const std::string& base) {
    LoginOptions options;
    options.login_page = base + "login_koa.aspx";
    options.recovery_page = base + "member/lost.aspx";
    auto dlg = std::make_unique<CLoginDlg>(&Settings(), options);
    EXPECT_TRUE(dlg->Open());
    EXPECT_TRUE(RunUntil([&] { return IsForegroundWindowOurs(); }));
    Settle();
    return dlg;
  }

  // The field holding the focus, as the keyboard reaches it.
  static EditControl* Focused(CLoginDlg& dlg) {
    if (dlg.id_field().HasFocus()) return &dlg.id_field();
    if (dlg.password_field().HasFocus()) return &dlg.password_field();
    return nullptr;
  }
  static void Type(CLoginDlg& dlg, std::u16string_view text) {
    for (char16_t c : text) {
      EditControl* field = Focused(dlg);
      ASSERT_NE(field, nullptr);
      const WParam key = (c >= u'a' && c <= u'z') ? c - 32 : (c >= u'0' && c <= u'9') ? c : 0;
      SimulateKey(*field, key, c);
    }
  }
  // Enter, Escape or Tab to whatever holds the focus, a field or a button.
  static void Press(CLoginDlg& dlg, WParam key) {
    Window* target = Focused(dlg);
    for (Window* b :
         std::vector<Window*>{&dlg.login_button(), &dlg.recovery_button(), &dlg.save_id_toggle()})
      if (b->HasFocus()) target = b;
    ASSERT_NE(target, nullptr);
    SimulateKey(*target, key);
    Settle();
    ASSERT_TRUE(RunUntil([&] { return !dlg.logging_in(); }));  // the answer, if one was asked for
  }
  static void Click(CLoginDlg& dlg, Window& button) {
    const Rect r = button.WindowRect();
    const Point at = dlg.ScreenToClient({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    SimulateMouse(dlg, sys::kLButtonDown, at);
    SimulateMouse(dlg, sys::kLButtonUp, at);
    Settle();
    ASSERT_TRUE(RunUntil([&] { return !dlg.logging_in(); }));
  }

  Application& app_ = App();
  std::filesystem::path dir_;
  std::unique_ptr<CSessionData> store_;
  std::vector<std::u16string> boxes_;
  std::vector<std::u16string> urls_;
};

TEST_F(LoginDialogTest, LooksAsDrawnAndMovesByItsBackground) {
  auto dlg = OpenAt("http://127.0.0.1:9/");
  const Rect w = dlg->WindowRect();
  ASSERT_EQ(w.width(), 818);
  ASSERT_EQ(w.height(), 594);
  const Rect area = ScreenWorkArea();
  EXPECT_LE(std::abs((w.left + w.right) - (area.left + area.right)), 1);
  EXPECT_LE(std::abs((w.top + w.bottom) - (area.top + area.bottom)), 1);

  const Point o = dlg->BitmapOrigin();
  EXPECT_EQ(o, (Point{188, 90}));
  auto at = [&](Window& child) {
    const Rect r = child.WindowRect();
    return Rect{r.left - w.left - o.x, r.top - w.top - o.y, r.right - w.left - o.x,
                r.bottom - w.top - o.y};
  };
  EXPECT_EQ(at(dlg->id_field()), (Rect{90, 140, 422, 172}));
  EXPECT_EQ(at(dlg->password_field()).width(), 332);
  EXPECT_EQ(at(dlg->login_button()).width(), 332);
  EXPECT_EQ(at(dlg->login_button()).height(), 40);
  EXPECT_EQ(at(dlg->save_id_toggle()).height(), 20);
  EXPECT_EQ(at(dlg->recovery_button()).right, 422);
  for (Window* c : std::vector<Window*>{&dlg->password_field(), &dlg->save_id_toggle(),
                                        &dlg->recovery_button(), &dlg->login_button()})
    EXPECT_GE(at(*c).top, 172);  // below the ID field, inside the artwork
  EXPECT_LE(at(dlg->login_button()).bottom, 414);

  Type(*dlg, u"demo");
  Press(*dlg, sys::kVkTab);
  Type(*dlg, u"secret");
  Settle();
  const Bitmap shot = dlg->Render();
  EXPECT_EQ(shot.PixelAt(10, 300), CLoginDlg::kBackground);
  EXPECT_EQ(shot.PixelAt(o.x + 200, o.y + 128), Rgb(90, 90, 90));  // the artwork's rule
  EXPECT_EQ(shot.PixelAt(o.x + 90 + 330, o.y + 140 + 2), CLoginDlg::kFieldBackground);
  EXPECT_EQ(shot.PixelAt(o.x + 90 + 330, o.y + 184 + 2), CLoginDlg::kFieldBackground);
  int white_in_id = 0;
  for (int y = o.y + 140; y < o.y + 172; ++y)
    for (int x = o.x + 90; x < o.x + 200; ++x) white_in_id += shot.PixelAt(x, y).r > 200;
  EXPECT_GT(white_in_id, 20);  // "demo" in white
  EXPECT_EQ(dlg->password_field().Text(), u"secret");
  ASSERT_TRUE(dlg->SaveScreenshot(VELLORAN_TEST_OUTPUT "/login_dialog.png"));

  SimulateMouse(*dlg, sys::kLButtonDown, {20, 300});
  SimulateMouse(*dlg, sys::kMouseMove, {60, 330}, sys::kLButtonFlag);
  SimulateMouse(*dlg, sys::kLButtonUp, {60, 330});
  Settle();
  EXPECT_EQ(dlg->WindowRect(), w.Offset(40, 30));
  EXPECT_EQ(dlg->result(), CLoginDlg::kRunning);
}

TEST_F(LoginDialogTest, DemoLoginRemembersOrForgetsTheIdAcrossARestart) {
  server::ServerOptions options;
  options.stocks = 50;
  options.speed = 0;
  server::DemoServer demo(options);
  std::string error;
  ASSERT_TRUE(demo.Start(error)) << error;
  const std::string base = "http://127.0.0.1:" + std::to_string(demo.http_port()) + "/";

  auto first = OpenAt(base);
  EXPECT_TRUE(first->id_field().HasFocus());
  EXPECT_EQ(first->save_id_toggle().state(), 0);
  Type(*first, u"demo");
  Press(*first, sys::kVkTab);
  Type(*first, u"demo");
  Click(*first, first->save_id_toggle());
  EXPECT_EQ(first->save_id_toggle().state(), 1);
  Press(*first, sys::kVkReturn);
  ASSERT_EQ(first->result(), CLoginDlg::kOk);
  EXPECT_EQ(first->user_id(), u"demo");
  EXPECT_EQ(first->server_address(), u"127.0.0.1");
  EXPECT_EQ(first->server_port(), demo.session_port());
  EXPECT_TRUE(boxes_.empty());
  first.reset();

  Restart();
  EXPECT_EQ(Settings().GetText(u"ID", u"?"), u"demo");
  EXPECT_EQ(Settings().GetInt(u"CHK", -1), 1);
  auto second = OpenAt(base);
  EXPECT_EQ(second->id_field().Text(), u"demo");
  EXPECT_EQ(second->save_id_toggle().state(), 1);
  EXPECT_TRUE(second->password_field().HasFocus());
  Type(*second, u"demo");
  Click(*second, second->save_id_toggle());
  EXPECT_EQ(second->save_id_toggle().state(), 0);
  Click(*second, second->login_button());
  ASSERT_EQ(second->result(), CLoginDlg::kOk);
  second.reset();

  Restart();
  EXPECT_EQ(Settings().GetText(u"ID", u"?"), u"");
  EXPECT_EQ(Settings().GetInt(u"CHK", -1), 0);
  EXPECT_EQ(demo.Stats().login_pages, 2u);
}

TEST_F(LoginDialogTest, FailuresLeaveTheDialogOpenForAnotherTry) {
  testing::LoginTestServer service;
  auto dlg = OpenAt(service.Base());

  Press(*dlg, sys::kVkReturn);  // nothing typed
  EXPECT_TRUE(dlg->id_field().HasFocus());
  Type(*dlg, u"a&b");
  Click(*dlg, dlg->login_button());  // no password
  EXPECT_TRUE(dlg->password_field().HasFocus());
  Type(*dlg, u"50%=x");
  EXPECT_TRUE(service.Received().empty());
  EXPECT_TRUE(boxes_.empty());

  service.AnswerText("<PKT><GBN>0</GBN><RTN>ok</RTN><IP>10.0.0.1</IP><PORT>7001</PORT></PKT>");
  Press(*dlg, sys::kVkReturn);
  service.AnswerText("<PKT><GBN>0</GBN><IP>10.0.0.1</IP></PKT>");
  Press(*dlg, sys::kVkReturn);
  service.AnswerText("<PKT><RTN>OK</RTN><IP>10.0.0.1</IP><PORT>7001</PORT></PKT>", 500);
  Press(*dlg, sys::kVkReturn);
  // A port that would wrap to another one is no place to send the ID to.
  service.AnswerText("<PKT><RTN>OK</RTN><IP>10.0.0.1</IP><PORT>99999</PORT></PKT>");
  Press(*dlg, sys::kVkReturn);
  EXPECT_EQ(boxes_, (std::vector<std::u16string>{u"ok", kLoginNotAnAnswer,
                                                 kLoginServerError + std::u16string(u"500)"),
                                                 kLoginBadServer}));
  EXPECT_EQ(dlg->result(), CLoginDlg::kRunning);
  ASSERT_EQ(service.Received().size(), 4u);
  const auto form = server::ParseForm(service.Received()[0].body);
  EXPECT_EQ(server::FormValue(form, "id"), "a&b");
  EXPECT_EQ(server::FormValue(form, "pwd"), "50%=x");

  boxes_.clear();
  dlg->SetCredentials(u"a&b", std::u16string(1100, u'x'));
  Press(*dlg, sys::kVkReturn);
  EXPECT_EQ(boxes_, std::vector<std::u16string>{kLoginTooLong});
  EXPECT_EQ(service.Received().size(), 4u);

  dlg->SetCredentials(u"a&b", u"50%=x");
  service.AnswerText("<PKT><RTN>OK</RTN><IP>10.0.0.1</IP><PORT>7001</PORT></PKT>");
  Press(*dlg, sys::kVkReturn);
  ASSERT_EQ(dlg->result(), CLoginDlg::kOk);
  EXPECT_EQ(dlg->user_id(), u"a&b");
  EXPECT_EQ(dlg->server_port(), 7001);

  boxes_.clear();
  auto refused = OpenAt("http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/");
  refused->SetCredentials(u"demo", u"demo");
  Click(*refused, refused->login_button());
  EXPECT_EQ(boxes_, std::vector<std::u16string>{kLoginNoAnswer});
  EXPECT_EQ(refused->result(), CLoginDlg::kRunning);
}

TEST_F(LoginDialogTest, EscapeAndClosingCancelAndRecoveryOpensThePage) {
  auto dlg = OpenAt("http://accounts.test/");
  Click(*dlg, dlg->recovery_button());
  EXPECT_EQ(urls_, std::vector<std::u16string>{u"http://accounts.test/member/lost.aspx"});
  Press(*dlg, sys::kVkTab);  // from the button back to a field
  Type(*dlg, u"demo");
  Press(*dlg, sys::kVkEscape);
  EXPECT_EQ(dlg->result(), CLoginDlg::kCancel);
  EXPECT_FALSE(dlg->IsVisible());
  Packet untouched = Settings();
  EXPECT_EQ(untouched.GetText(u"ID", u"none"), u"none");

  CLoginDlg closed(&Settings(), LoginOptions{});
  App().loop().Post([&] { closed.Send(sys::kClose, 0, 0); });
  EXPECT_EQ(closed.DoModal(), CLoginDlg::kCancel);
  EXPECT_FALSE(closed.IsCreated());

  CLoginDlg modal(&Settings(), LoginOptions{});
  App().loop().Post([&] {
    Click(modal, modal.recovery_button());  // no recovery page in this deployment
    Press(modal, sys::kVkEscape);
  });
  EXPECT_EQ(modal.DoModal(), CLoginDlg::kCancel);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find(u"--account-url"), std::u16string::npos);  // says what is missing
}

// The exchange runs off the user-interface thread: while a login page that
// never answers holds it, the window still moves, paints and takes keys,
// and Escape abandons the exchange and ends the dialog.
TEST_F(LoginDialogTest, ALoginPageThatNeverAnswersLeavesTheDialogLiveAndEscapeEndsIt) {
  testing::LoginTestServer service;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  service.Answer([released](const httplib::Request&, httplib::Response&) {
    released.wait_for(std::chrono::seconds(60));
  });
  auto dlg = OpenAt(service.Base());
  dlg->SetCredentials(u"demo", u"demo");
  const Point o = dlg->BitmapOrigin();
  // Light pixels below the login button, where the dialog says that it waits.
  auto light_below_button = [&] {
    const Bitmap shot = dlg->Render();
    int light = 0;
    for (int y = o.y + 310; y < o.y + 328; ++y)
      for (int x = o.x + 90; x < o.x + 422; ++x) light += shot.PixelAt(x, y).r > 150;
    return light;
  };
  const int idle = light_below_button();
  SimulateKey(dlg->id_field(), sys::kVkReturn);
  ASSERT_TRUE(RunUntil([&] { return service.Received().size() == 1; }));
  EXPECT_TRUE(dlg->logging_in());
  const Rect w = dlg->WindowRect();
  SimulateMouse(*dlg, sys::kLButtonDown, {20, 300});
  SimulateMouse(*dlg, sys::kMouseMove, {50, 320}, sys::kLButtonFlag);
  SimulateMouse(*dlg, sys::kLButtonUp, {50, 320});
  Settle();
  EXPECT_EQ(dlg->WindowRect(), w.Offset(30, 20));
  EXPECT_GT(light_below_button(), idle + 20);
  SimulateKey(dlg->password_field(), sys::kVkReturn);  // one exchange at a time
  Settle();
  SimulateKey(dlg->password_field(), sys::kVkEscape);
  Settle();
  EXPECT_EQ(dlg->result(), CLoginDlg::kCancel);
  EXPECT_FALSE(dlg->logging_in());
  EXPECT_FALSE(dlg->IsVisible());
  EXPECT_TRUE(boxes_.empty());
  EXPECT_EQ(service.Received().size(), 1u);
  release.set_value();
}

}  // namespace
}  // namespace velloran
