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
      {"--demo", "--screenshot", "/tmp/s.png", "--screenshot-after", "1.5", "--quit-after=4",
       "--text-size", "125", "--demo-speed", "50", "--demo-open"});
  ASSERT_EQ(c.outcome, CommandLine::Outcome::kRun) << c.error;
  EXPECT_TRUE(c.options.demo);
  EXPECT_EQ(c.options.screenshot, "/tmp/s.png");
  EXPECT_DOUBLE_EQ(c.options.screenshot_after_s, 1.5);
  EXPECT_DOUBLE_EQ(c.options.quit_after_s, 4);
  EXPECT_EQ(c.options.text_size, 125);
  EXPECT_DOUBLE_EQ(c.options.demo_speed, 50);
  EXPECT_TRUE(c.options.demo_open);
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
           {"--text-size", "120"},
           {"--text-size"},
           {"--demo=yes"},
           {"--data-dir="},
           {"--auto-login"},
           {"--demo-open"},
           {"--demo", "--demo-speed", "0"},
           {"--demo", "--demo-speed", "5000"},
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

  s.state = LinkState::kConnected;
  t = MakeFootTexts(s, 93105, 0, 12);
  EXPECT_EQ(t.link, u"수신 지연 12초");
  EXPECT_TRUE(t.stale);
  s.state = LinkState::kLost;  // a lost link says so, whatever the silence
  EXPECT_EQ(MakeFootTexts(s, 93105, 0, 12).link, u"연결 끊김 · 7초 후 재연결");
}

// One feed watched a second at a time on a stepped clock: stale after 10 s
// without a packet while connected in market hours, never outside them; a
// new connection counts its silence from its start.
TEST(FootStatusTest, AFeedSilentForTenSecondsInMarketHoursIsStale) {
  struct Step {
    int at_s;
    std::uint64_t packets;
    bool connected, open;
    bool stale;
    int since;
  };
  const Step steps[] = {
      {0, 0, false, true, false, -1},  // before anything came
      {1, 0, true, true, false, -1},   {5, 40, true, true, false, 0},
      {14, 40, true, true, false, 9},  {15, 40, true, true, true, 10},
      {27, 40, true, true, true, 22},  {28, 41, true, true, false, 0},
      {40, 41, true, false, false, 12},  // the market closed: silence is normal
      {41, 41, true, true, true, 13},    // open again, still silent
      {42, 41, false, true, false, 14},  // lost: the link says that instead
      {43, 41, true, true, false, 15},   // a new connection starts its count
      {52, 41, true, true, false, 24},   {53, 41, true, true, true, 25},
  };
  FeedWatch watch;
  const Clock::SteadyTime start{};
  for (const Step& step : steps) {
    watch.Observe(start + std::chrono::seconds(step.at_s), step.packets, step.connected, step.open);
    EXPECT_EQ(watch.stale(), step.stale) << step.at_s;
    EXPECT_EQ(watch.seconds_since_packet(), step.since) << step.at_s;
  }
}

// The foot bar's server clock between the server's minute events: it runs
// on by the steady clock and is set anew by every server time, even one that
// repeats the last.
TEST(FootStatusTest, TheServerClockTicksFromTheLastServerTime) {
  struct Step {
    int at_ms;
    std::uint64_t updates;
    std::int32_t hhmmss;
    std::int32_t shown;
  };
  const Step steps[] = {
      {0, 0, 0, 0},  // the server has not said
      {500, 1, 90012, 90012},      {1400, 1, 90012, 90012},  {1500, 1, 90012, 90013},
      {37500, 1, 90012, 90049},    {48500, 1, 90012, 90100},  // across the minute
      {50000, 2, 90100, 90100},    // the next minute event corrects it
      {53000, 3, 90100, 90100},    // the same time again sets it again
      {54000, 3, 90100, 90101},    {60000, 4, 235958, 235958},
      {62000, 4, 235958, 1},       // midnight: the first second after it
      {63000, 4, 235958, 1},       {70000, 5, 999999, 0},  // no time of day
  };
  ServerClock clock;
  const Clock::SteadyTime start{};
  for (const Step& step : steps) {
    EXPECT_EQ(clock.Tick(start + std::chrono::milliseconds(step.at_ms), step.updates, step.hhmmss),
              step.shown)
        << step.at_ms;
  }
}

}  // namespace
}  // namespace velloran
