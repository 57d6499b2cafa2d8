// The download window over real HTTP: a page on 127.0.0.1 answers the first
// block whole, with an error, cut short, without a length, too long or
// empty; progress, analysing stage and failure line are read back from the
// window's pictures.
#include "replay/play_load_wnd.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>

#include "net/session_requests.h"
#include "platform/application.h"
#include "platform/event_loop.h"
#include "replay/play_download.h"
#include "tests/net/login_test_server.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using testing_host::RunUntil;

const std::string kReply =
    "<PKT><GBN>3001</GBN><TYPE>HOGA</TYPE><ZIP>NO</ZIP><DATA>1^080000^2^B^5^7^4^9^</DATA></PKT>";

// Holds a gated answer back until the test lets it go on.
struct Gate {
  std::mutex mutex;
  std::condition_variable cv;
  bool open = false;
  void Wait() {
    std::unique_lock lock(mutex);
    cv.wait(lock, [this] { return open; });
  }
  void Release() {
    std::lock_guard lock(mutex);
    open = true;
    cv.notify_all();
  }
};

class PlayLoadWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(400, 160));
    UiLoop().SetClock(&clock);
  }
  void TearDown() override {
    gate->Release();
    UiLoop().SetClock(nullptr);
  }
  std::unique_ptr<CPlayLoadWnd> Open(const std::string& base) {
    auto wnd = std::make_unique<CPlayLoadWnd>(base);
    EXPECT_TRUE(wnd->Create(&host, 4553, {20, 20, 320, 80}, u"", {WindowKind::kChild, false}));
    return wnd;
  }
  bool Start(CPlayLoadWnd& wnd) {
    called = false;
    return wnd.Download(ReplayFirstBlockRequest(u"005930", u"1", u"20261209"),
                        [this](std::unique_ptr<Packet> r) {
                          called = true;
                          reply = std::move(r);
                        });
  }
  bool Finish() { return RunUntil([this] { return called; }, 20000); }
  void Picture(CPlayLoadWnd& wnd, const std::string& name) {
    wnd.UpdateNow();
    if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
      EXPECT_TRUE(wnd.SaveScreenshot(std::string(pictures) + "/" + name));
    }
  }
  // The right end of what is written in the text box, above the bar; 0 when
  // nothing is.
  static int InkEnd(const Bitmap& b, const Rect& client) {
    const Rect text = CPlayLoadWnd::TextRect(client);
    int end = 0;
    for (int y = text.top; y < CPlayLoadWnd::BarRect(client).top; ++y)
      for (int x = text.left; x < client.right - 2; ++x)
        if (b.PixelAt(x, y) != CPlayLoadWnd::kBack) end = std::max(end, x + 1);
    return end;
  }

  Application& app_ = testing_host::App();
  testing_host::ControlHost host;
  ManualClock clock;
  testing::LoginTestServer page{"/qz2_hoga_data.aspx"};
  std::shared_ptr<Gate> gate = std::make_shared<Gate>();
  bool called = false;
  std::unique_ptr<Packet> reply;
};

TEST_F(PlayLoadWndTest, OnlyAWholeAnswerIsAReply) {
  const std::string too_long((16u << 20) + 1, 'x');
  const auto whole = [](std::string body, int status) {
    return [=](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      res.set_content(body, "text/plain");
    };
  };
  struct Row {
    const char* what;
    testing::LoginTestServer::Handler answer;
    std::u16string failure;  // empty: the reply comes
  };
  const Row rows[] = {
      {"whole", whole(kReply, 200), u""},
      {"server error", whole(kReply, 500), u"DATA 다운로드 실패: 서버 오류 500"},
      {"shorter than its length",
       [](auto&, auto& res) {
         res.set_content_provider(kReply.size(), "text/plain", [](auto, auto, auto& sink) {
           sink.write(kReply.data(), kReply.size() / 2);
           return false;  // the connection closes
         });
       },
       u"DATA 다운로드 실패: 응답이 잘렸습니다"},
      {"closed before its packet ends",
       [](auto&, auto& res) {
         res.set_content_provider("text/plain", [](auto, auto& sink) {
           sink.write(kReply.data(), kReply.size() - 3);
           sink.done();
           return true;
         });
       },
       u"DATA 다운로드 실패: 응답이 잘렸습니다"},
      {"past 16 MiB", whole(too_long, 200), u"DATA 다운로드 실패: 응답이 너무 큽니다"},
      {"no DATA", whole("<PKT><GBN>3001</GBN></PKT>", 200), u"DATA 다운로드 실패: 데이터 없음"},
  };
  auto wnd = Open(page.Base());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    page.Answer(row.answer);
    ASSERT_TRUE(Start(*wnd));
    ASSERT_TRUE(Finish());
    EXPECT_TRUE(wnd->IsVisible());
    EXPECT_EQ(wnd->failure(), row.failure);
    EXPECT_EQ(reply != nullptr, row.failure.empty());
    if (row.failure.empty()) {
      EXPECT_EQ(reply->Text(), Packet(std::u16string(kReply.begin(), kReply.end())).Text());
      EXPECT_EQ(wnd->total(), CPlayLoadWnd::kAnalysing);  // until the player hides it
      continue;
    }
    // The line stays two seconds on the loop's clock, then the window hides.
    UiLoop().Advance(clock, std::chrono::milliseconds(CPlayLoadWnd::kFailureShownMs - 1));
    EXPECT_TRUE(wnd->IsVisible());
    UiLoop().Advance(clock, std::chrono::milliseconds(1));
    EXPECT_FALSE(wnd->IsVisible());
  }
  const auto received = page.Received();
  ASSERT_EQ(received.size(), std::size(rows));
  EXPECT_EQ(received[0].body, "shcode=005930&market=1&ymd=20261209&htime=080000");
  EXPECT_EQ(received[0].agent, "QZ SESSION");
  EXPECT_EQ(received[0].content_type, "application/x-www-form-urlencoded");

  auto nowhere = Open("http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/");
  ASSERT_TRUE(Start(*nowhere));
  ASSERT_TRUE(Finish());
  EXPECT_EQ(nowhere->failure(), u"DATA 다운로드 실패: 서버에 연결할 수 없습니다");
  Picture(*nowhere, "replay_load_failure.png");
  const Rect client = nowhere->ClientRect();
  EXPECT_GT(testing_host::CountNear(nowhere->Render(), CPlayLoadWnd::TextRect(client),
                                    CPlayLoadWnd::kFailureText),
            30);
}

TEST_F(PlayLoadWndTest, ProgressWithoutALengthCountsAgainstAThousandBlocks) {
  // 300 blocks in chunks, then the rest once the test lets it go.
  page.Answer([gate = gate](auto&, auto& res) {
    res.set_chunked_content_provider("text/plain", [gate](auto, auto& sink) {
      const std::string head = kReply.substr(0, kReply.size() - 6);
      sink.write(head.data(), head.size());
      sink.os << std::string(300 * kDownloadBlockBytes - head.size(), ' ');
      gate->Wait();
      sink.os << "</PKT>";
      sink.done();
      return true;
    });
  });
  auto wnd = Open(page.Base());
  ASSERT_TRUE(Start(*wnd));
  ASSERT_TRUE(RunUntil([&] { return wnd->done() == 299; }, 20000)) << wnd->done();
  EXPECT_EQ(wnd->total(), 1000);
  EXPECT_FALSE(Start(*wnd));  // one at a time
  Picture(*wnd, "replay_load_progress.png");

  const Rect client = wnd->ClientRect();
  const Rect bar = CPlayLoadWnd::BarRect(client);
  const int filled = bar.left + 299 * bar.width() / 1000;
  const int mid = (bar.top + bar.bottom) / 2;
  Bitmap b = wnd->Render();
  EXPECT_EQ(b.PixelAt(0, 0), CPlayLoadWnd::kFrame);
  EXPECT_EQ(b.PixelAt(2, 2), CPlayLoadWnd::kBack);
  EXPECT_EQ(b.PixelAt(bar.left, mid), CPlayLoadWnd::kBar);
  EXPECT_EQ(b.PixelAt(filled - 1, bar.bottom - 1), CPlayLoadWnd::kBar);
  EXPECT_EQ(b.PixelAt(filled, mid), CPlayLoadWnd::kBack);
  EXPECT_EQ(b.PixelAt(bar.left, bar.top - 1), CPlayLoadWnd::kBack);
  // The dots blink: shown at an even block count, not at an odd one.
  const int plain = InkEnd(b, client);
  wnd->ShowProgress(1000, 300);
  Picture(*wnd, "replay_load_progress_dots.png");
  EXPECT_GT(plain, CPlayLoadWnd::TextRect(client).left + 40);
  EXPECT_GT(InkEnd(wnd->Render(), client), plain + 30);

  // Abandoned, the download leaves the window idle for the next one, which
  // brings the answer.
  wnd->Cancel();
  EXPECT_FALSE(wnd->IsVisible());
  EXPECT_FALSE(wnd->downloading());
  ASSERT_TRUE(Start(*wnd));
  gate->Release();
  ASSERT_TRUE(Finish());
  ASSERT_NE(reply, nullptr);
  Picture(*wnd, "replay_load_analysing.png");
  b = wnd->Render();
  EXPECT_EQ(b.PixelAt(bar.right - 1, mid), CPlayLoadWnd::kBar);
  EXPECT_GT(InkEnd(b, client), CPlayLoadWnd::TextRect(client).left + 40);
  // Done: the background alone.
  wnd->ShowProgress(1000, 1000);
  wnd->UpdateNow();
  EXPECT_EQ(InkEnd(wnd->Render(), client), 0);
  EXPECT_EQ(wnd->Render().PixelAt(bar.left, mid), CPlayLoadWnd::kBack);
}

TEST(PlayDownloadTest, BlocksOfTheAnswer) {
  struct Row {
    std::int64_t length, bytes;
    DownloadProgress progress;
  };
  const Row rows[] = {
      {-1, 0, {1000, 0}},    {0, 5000, {1000, 4}},     // no length: a thousand blocks
      {10230, 1, {10, 0}},   {10230, 1023, {10, 0}},   // none read before the first
      {10230, 1024, {10, 1}}, {10231, 10231, {11, 10}},  // a part block counts whole
  };
  for (const Row& row : rows) {
    EXPECT_EQ(BlockProgress(row.length, row.bytes), row.progress) << row.length << " " << row.bytes;
  }
}

}  // namespace
}  // namespace velloran
