#pragma once
// A session store wired to four stand-in windows, a manual clock, the real
// decoder library and a fresh data directory.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/session_data.h"
#include "decoder/qz_comm_dec.h"
#include "net/decoder.h"
#include "platform/test_window.h"

namespace velloran::testing {

inline std::filesystem::path FreshDirectory() {
  std::random_device random;
  auto dir = std::filesystem::temp_directory_path() /
             ("velloran-app-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(dir);
  return dir;
}

// 2024-01-05 10:00 local time.
inline Clock::TimePoint TestStart() {
  std::tm t{};
  t.tm_year = 124;
  t.tm_mon = 0;
  t.tm_mday = 5;
  t.tm_hour = 10;
  return Clock::TimePoint(std::chrono::seconds(FromLocalTime(t)));
}

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : dir_(FreshDirectory()), clock_(TestStart()) {
    EXPECT_EQ(decoder_.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
  }
  ~SessionTest() override {
    session_.reset();
    std::filesystem::remove_all(dir_);
  }
  void SetUp() override { Open(); }

  void Open() {
    session_ = std::make_unique<CSessionData>(SessionOptions{dir_, &clock_, &decoder_});
    session_->SetWindows({main_frame_.handle(), hoga_.handle(), qz_.handle(), top_.handle()});
  }
  void Reopen() {
    session_.reset();
    Open();
  }

  void Dispatch(std::u16string text) {
    Packet p(std::move(text));
    session_->Dispatch(p);
  }
  // What a window was posted since the last call.
  std::vector<RecordedMessage> Posted(RecordingWindow& w) {
    queue_.DispatchPending();
    auto out = std::move(w.received);
    w.received.clear();
    return out;
  }
  static std::u16string Encode(const std::u16string& plain) { return GB_ENC(plain.c_str()); }

  std::filesystem::path dir_;
  ManualClock clock_;
  CDecoder decoder_;
  ManualMessageQueue queue_;
  RecordingWindow main_frame_{queue_};
  RecordingWindow hoga_{queue_};
  RecordingWindow qz_{queue_};
  RecordingWindow top_{queue_};
  std::unique_ptr<CSessionData> session_;
};

}  // namespace velloran::testing
