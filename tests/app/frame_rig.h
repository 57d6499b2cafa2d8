#pragma once
// The main frame on a clock the test moves on, against the demo market on
// 127.0.0.1 whose market moves only when the test says so.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/main_frame.h"
#include "app/session_data.h"
#include "net/decoder.h"
#include "net/message_codes.h"
#include "server/demo_server.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran::testing {

inline const Rect kLargeWork{0, 0, 1920, 1040};
inline const Rect kLargeScreen{0, 0, 1920, 1080};

inline std::size_t MasterCount(const CSessionData& session) {
  return session.Read()->master.size();
}

class DemoMarket {
 public:
  explicit DemoMarket(server::FaultOptions faults = {}, int stocks = 2600,
                      bool alarm_now = false) {
    server::ServerOptions o;
    o.stocks = stocks;
    o.speed = 0;  // the market moves only when a test says so
    o.faults = faults;
    o.alarm_now = alarm_now;
    server_ = std::make_unique<server::DemoServer>(o);
    std::string error;
    started_ = server_->Start(error);
    EXPECT_TRUE(started_) << error;
  }
  ~DemoMarket() { server_->Stop(); }
  server::DemoServer& operator*() { return *server_; }
  server::DemoServer* operator->() { return server_.get(); }
  [[nodiscard]] std::uint64_t hellos() { return server_->Stats().received[code::kHello]; }
  [[nodiscard]] SessionEndpoint endpoint() const {
    return {u"127.0.0.1", server_->session_port(), u"demo"};
  }

 private:
  std::unique_ptr<server::DemoServer> server_;
  bool started_ = false;
};

// A frame on a clock the test moves on: its timers fire only when the test
// steps the clock past them.
struct FrameRig {
  explicit FrameRig(const SessionEndpoint& endpoint, SessionTimings timings = {})
      : session(SessionOptions{dir, nullptr, &decoder}), frame(session, endpoint, timings) {
    EXPECT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
  }
  ~FrameRig() {
    if (frame.IsCreated()) frame.Destroy();
    UiLoop().SetClock(nullptr);
    std::filesystem::remove_all(dir);
  }
  // Moves the clock on and handles what became due and what is ready.
  void Step(std::chrono::milliseconds d) {
    UiLoop().Advance(clock, d);
    testing_host::Settle();
  }
  Application& app = testing_host::App();  // before any window
  ManualClock clock;
  bool clock_set = (UiLoop().SetClock(&clock), true);
  std::filesystem::path dir = testing::FreshDirectory();
  CDecoder decoder;
  CSessionData session;
  CMainFrame frame;
};

}  // namespace velloran::testing
