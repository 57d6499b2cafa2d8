// The start-up rules that need no window: the command line, where the frame
// opens on screens of every size, its region and edge hit testing, and the
// foot bar's texts.

#include <gtest/gtest.h>

#include <map>

#include "app/command_line.h"
#include "app/foot_status.h"
#include "app/frame_geometry.h"

namespace velloran {
namespace {

CommandLine Parse(std::vector<std::string> args, std::map<std::string, std::string> env = {}) {
  return ParseCommandLine(args, [&env](const char* name) -> const char* {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  });
}

TEST(CommandLineTest, DeploymentValuesFromArgumentsAndEnvironment) {
  auto c = Parse({"--login-url", "http://127.0.0.1:8080/koa", "--data-url=https://data.example/",
                  "--data-dir", "/tmp/v"},
                 {{"VELLORAN_LOGIN_URL", "http://ignored/"},
                  {"VELLORAN_ACCOUNT_URL", "https://acct.example/web"}});
  ASSERT_EQ(c.outcome, CommandLine::Outcome::kRun) << c.error;
  EXPECT_EQ(c.options.LoginPage(), "http://127.0.0.1:8080/koa/login_koa.aspx");
  EXPECT_EQ(c.options.DataPage(), "https://data.example/qz2_hoga_data.aspx");
  EXPECT_EQ(c.options.AccountPage(), "https://acct.example/web/member/lost.aspx");
  EXPECT_EQ(AppOptions{}.AccountPage(), "");  // no address, no page to open
  EXPECT_EQ(c.options.data_dir, "/tmp/v");
  EXPECT_FALSE(c.options.demo);

  c = Parse(
      {"--demo", "--screenshot", "/tmp/s.png", "--screenshot-after", "1.5", "--quit-after=4"});
  ASSERT_EQ(c.outcome, CommandLine::Outcome::kRun) << c.error;
  EXPECT_TRUE(c.options.demo);
  EXPECT_EQ(c.options.screenshot, "/tmp/s.png");
  EXPECT_DOUBLE_EQ(c.options.screenshot_after_s, 1.5);
  EXPECT_DOUBLE_EQ(c.options.quit_after_s, 4);
  EXPECT_EQ(Parse({"--help"}).outcome, CommandLine::Outcome::kHelp);
}

TEST(CommandLineTest, BadInputGivesOneLine) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--bogus"},
           {"--login-url"},
           {"--login-url", "ftp://x/"},
           {"--login-url", "http://"},
           {"--login-url", "http:///path"},
           {"--login-url", "http://a b/"},
           {"--data-url", "https://x/?q=1"},
           {"--screenshot-after", "2"},
           {"--screenshot", "a.png", "--screenshot-after", "-1"},
           {"--screenshot", "a.png", "--screenshot-after", "nan"},
           {"--quit-after", "1e9"},
           {"--quit-after", "3s"},
           {"--demo=yes"},
           {"--data-dir="},
           {"--auto-login"},
       }) {
    const auto c = Parse(args);
    EXPECT_EQ(c.outcome, CommandLine::Outcome::kError) << args[0];
    EXPECT_FALSE(c.error.empty());
    EXPECT_EQ(c.error.find('\n'), std::string::npos) << c.error;
  }
  EXPECT_EQ(Parse({}, {{"VELLORAN_DATA_URL", "data.example"}}).outcome,
            CommandLine::Outcome::kError);
}

TEST(FrameGeometryTest, PlacementOnLargeSmallAndNarrowScreens) {
  const FrameMetrics m;  // 4-pixel frame: 1282 x 952
  // A large screen with a task bar: centred in the work area.
  EXPECT_EQ(FramePlacement({0, 0, 1920, 1040}, {0, 0, 1920, 1080}, m),
            (Rect{319, 44, 319 + 1282, 44 + 952}));
  // A panel at the top moves the area's origin.
  EXPECT_EQ(FramePlacement({0, 32, 1920, 1080}, {0, 0, 1920, 1080}, m).top, 32 + 48);
  // Narrower and lower than the frame: x = 0 with the width, y = 0 with the height less 50.
  EXPECT_EQ(FramePlacement({0, 0, 1024, 768}, {0, 0, 1024, 800}, m), (Rect{0, 0, 1024, 768 - 50}));
  // A work area under 600 pixels in either direction: the whole desktop is used.
  EXPECT_EQ(FramePlacement({0, 0, 1920, 500}, {0, 0, 1920, 1080}, m),
            (Rect{319, 64, 319 + 1282, 64 + 952}));
  EXPECT_EQ(FramePlacement({0, 0, 590, 1040}, {0, 0, 800, 600}, m), (Rect{0, 0, 800, 550}));
}

TEST(FrameGeometryTest, RegionAndEdgeHitTesting) {
  const FrameMetrics m;
  EXPECT_EQ(FrameRegion({1282, 952}, m), (Rect{1, 1, 1281, 951}));
  const Size w{100, 80};  // edge strips are 3 pixels wide
  EXPECT_EQ(FrameHitTest(w, {50, 40}, m), HitCode::kClient);
  EXPECT_EQ(FrameHitTest(w, {3, 3}, m), HitCode::kClient);
  EXPECT_EQ(FrameHitTest(w, {50, 0}, m), HitCode::kTop);
  EXPECT_EQ(FrameHitTest(w, {50, 79}, m), HitCode::kBottom);
  EXPECT_EQ(FrameHitTest(w, {2, 40}, m), HitCode::kLeft);
  EXPECT_EQ(FrameHitTest(w, {97, 40}, m), HitCode::kRight);
  EXPECT_EQ(FrameHitTest(w, {1, 1}, m), HitCode::kTopLeft);
  EXPECT_EQ(FrameHitTest(w, {99, 0}, m), HitCode::kTopRight);
  EXPECT_EQ(FrameHitTest(w, {0, 78}, m), HitCode::kBottomLeft);
  EXPECT_EQ(FrameHitTest(w, {98, 77}, m), HitCode::kBottomRight);
  EXPECT_EQ(FrameHitTest(w, {100, 40}, m), HitCode::kNowhere);
}

TEST(FootStatusTest, TextsForEveryState) {
  LinkStatus s;
  s.state = LinkState::kConnected;
  auto t = MakeFootTexts(s, 93105, 120);
  EXPECT_EQ(t.link, u"연결됨");
  EXPECT_EQ(t.server_time, u"서버 09:31:05");
  EXPECT_EQ(t.rate, u"수신 120건/초");
  s.state = LinkState::kLost;
  s.seconds_to_retry = 7;
  EXPECT_EQ(MakeFootTexts(s, 0, 0).link, u"연결 끊김 · 7초 후 재연결");
  EXPECT_EQ(MakeFootTexts(s, 0, 0).server_time, u"서버 --:--:--");
  s.state = LinkState::kConnecting;
  EXPECT_EQ(MakeFootTexts(s, 999999, 0).link, u"연결 중");
  EXPECT_EQ(MakeFootTexts(s, 999999, 0).server_time, u"서버 --:--:--");

  PacketRate rate;
  EXPECT_EQ(rate.Tick(100), 100u);
  EXPECT_EQ(rate.Tick(250), 150u);
  EXPECT_EQ(rate.Tick(250), 0u);
}

}  // namespace
}  // namespace velloran
