// The main frame on the system's clock against a real velloran-server
// process that the test stops (SIGSTOP) and lets go on (SIGCONT): the
// connection stays open while nothing arrives, and the client must say so.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "grid/top_bar.h"
#include "net/decoder.h"
#include "net/stock_code.h"
#include "platform/window_messages.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using testing_host::RunUntil;

// velloran-server in trading hours, at the market's own pace; ended with
// SIGCONT and SIGTERM whatever the test did to it.
class ServerProcess {
 public:
  ServerProcess() {
    out_ = popen(VELLORAN_SERVER_PROGRAM " --stocks 300 --start 100000 & echo pid=$!", "r");
    if (out_ == nullptr) return;
    char line[256] = {};
    std::cmatch match;
    for (int k = 0; k < 2 && std::fgets(line, sizeof line, out_) != nullptr; ++k) {
      if (std::strncmp(line, "pid=", 4) == 0) {
        pid_ = std::atoi(line + 4);
      } else if (std::regex_match(line, match, std::regex("listening session=(\\d+) http=\\d+\n"))) {
        port_ = std::stoi(match[1]);
      }
    }
  }
  ~ServerProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGCONT);
      kill(pid_, SIGTERM);
    }
    if (out_ != nullptr) pclose(out_);
  }
  [[nodiscard]] int pid() const { return pid_; }
  [[nodiscard]] int port() const { return port_; }

 private:
  FILE* out_ = nullptr;
  int pid_ = 0;
  int port_ = 0;
};

TEST(StaleFeedTest, AStoppedServerMarksTheFeedStaleUntilItsPacketsComeAgain) {
  ServerProcess server;
  ASSERT_GT(server.pid(), 0);
  ASSERT_GT(server.port(), 0);
  testing_host::App();
  const auto dir = testing::FreshDirectory();
  CDecoder decoder;
  ASSERT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
  CSessionData session{SessionOptions{dir, nullptr, &decoder}};
  auto frame = std::make_unique<CMainFrame>(
      session, SessionEndpoint{u"127.0.0.1", server.port(), u"demo"});
  ASSERT_TRUE(frame->CreateFrame({0, 0, 1920, 1040}, {0, 0, 1920, 1080}));
  frame->ShowNormal();
  ASSERT_TRUE(RunUntil([&] { return session.Read()->master.size() == 300; }, 20000));
  const std::u16string shown = session.Read()->name_list.at(5)->GetText(u"SHCODE", u"");
  PostMessage(frame->top_bar().handle(), msg::kSelectStock, PackStockCode(shown), 0);
  // The book streams: the foot bar counts it, and the feed is live.
  ASSERT_TRUE(RunUntil([&] {
    const std::u16string& rate = frame->foot_bar().texts().rate;
    return rate != u"수신 0건/초" && !rate.empty() && frame->foot_bar().texts().link == u"연결됨";
  }, 5000));
  EXPECT_TRUE(frame->feed_mark().live);

  // Stopped: the connection stays open, nothing comes. The marks come within
  // 12 s of the last packet, which came before the stop.
  ASSERT_EQ(kill(server.pid(), SIGSTOP), 0);
  ASSERT_TRUE(RunUntil([&] { return !frame->feed_mark().live; }, 12000));
  EXPECT_EQ(frame->feed_mark().cause, u"수신 지연");
  EXPECT_TRUE(frame->foot_bar().texts().stale);
  EXPECT_EQ(frame->foot_bar().texts().link.rfind(u"수신 지연 ", 0), 0u);
  EXPECT_TRUE(frame->driver().socket()->connected());
  EXPECT_FALSE(dynamic_cast<CTopBar&>(frame->top_bar()).live());
  EXPECT_NE(frame->hoga_view().VeilingWindow(), nullptr);
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    ASSERT_TRUE(RunUntil([&] { return frame->feed_mark().age == u"12초 전"; }, 3000));
    EXPECT_TRUE(frame->SaveScreenshot(std::string(pictures) + "/stale_feed.png"));
  }

  // Going on: the marks go within 2 s of the first packet after.
  const std::uint64_t before = frame->driver().Status().packets_received;
  ASSERT_EQ(kill(server.pid(), SIGCONT), 0);
  ASSERT_TRUE(
      RunUntil([&] { return frame->driver().Status().packets_received > before; }, 5000));
  ASSERT_TRUE(RunUntil([&] { return frame->feed_mark().live; }, 2000));
  EXPECT_EQ(frame->foot_bar().texts().link, u"연결됨");
  EXPECT_FALSE(frame->foot_bar().texts().stale);
  EXPECT_EQ(frame->hoga_view().VeilingWindow(), nullptr);
  frame.reset();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velloran
