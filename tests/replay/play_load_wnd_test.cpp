// The download window over real HTTP: a small page on 127.0.0.1 answers the
// first block whole, with an error, cut short, without a length, too long or
// empty; the window's progress, analysing stage and failure line are read
// back from its pictures.
#include "replay/play_load_wnd.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "net/session_requests.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "platform/event_loop.h"
#include "replay/play_download.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using testing_host::RunUntil;

const std::string kReply =
    "<PKT><GBN>3001</GBN><SHCODE>005930</SHCODE><TYPE>HOGA</TYPE><ZIP>NO</ZIP>"
    "<DATA>1^080000^2^B^50100^7^50000^9^S|50100|10|0</DATA></PKT>";

// The data page, answering with whatever a test sets.
class DataPage {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
  struct Received {
    std::string body, content_type, agent;
  };

  DataPage() {
    server_.Post("/qz2_hoga_data.aspx", [this](const httplib::Request& req, httplib::Response& res) {
      Handler handler;
      {
        std::lock_guard lock(mutex_);
        received_.push_back(
            {req.body, req.get_header_value("Content-Type"), req.get_header_value("User-Agent")});
        handler = handler_;
      }
      handler(req, res);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~DataPage() {
    Release();
    server_.stop();
    thread_.join();
  }
  void Answer(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
  }
  [[nodiscard]] std::vector<Received> received() {
    std::lock_guard lock(mutex_);
    return received_;
  }
  [[nodiscard]] std::string Base() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
  }
  // A gated answer waits here until the test lets it go on.
  void Wait() {
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return open_; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    open_ = true;
    released_.notify_all();
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::condition_variable released_;
  bool open_ = false;
  Handler handler_;
  std::vector<Received> received_;
};

void Whole(httplib::Response& res, const std::string& body, int status = 200) {
  res.status = status;
  res.set_content(body, "text/plain; charset=utf-8");
}

class PlayLoadWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(400, 160));
    UiLoop().SetClock(&clock);
  }
  void TearDown() override { UiLoop().SetClock(nullptr); }

  std::unique_ptr<CPlayLoadWnd> Open(const std::string& base) {
    auto wnd = std::make_unique<CPlayLoadWnd>(base);
    EXPECT_TRUE(wnd->Create(&host, 4553, {20, 20, 320, 80}, u"", {WindowKind::kChild, false}));
    return wnd;
  }
  // Downloads the first block; true once done has run.
  bool Download(CPlayLoadWnd& wnd) {
    called = false;
    reply.reset();
    if (!wnd.Download(ReplayFirstBlockRequest(u"005930", u"1", u"20261209"),
                      [this](std::unique_ptr<Packet> r) {
                        called = true;
                        reply = std::move(r);
                      }))
      return false;
    return RunUntil([this] { return called; }, 20000);
  }
  void Picture(CPlayLoadWnd& wnd, const std::string& name) {
    testing_host::Settle();
    if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
      EXPECT_TRUE(wnd.SaveScreenshot(std::string(pictures) + "/" + name));
    }
  }
  // Dark pixels of the text box: the line painted there.
  static int TextPixels(const Bitmap& b, const Rect& client, Color c) {
    return testing_host::CountNear(b, CPlayLoadWnd::TextRect(client), c, 60);
  }

  Application& app_ = testing_host::App();
  // The right end of what is written in the text box, above the bar.
  static int InkEnd(const Bitmap& b, const Rect& client) {
    const Rect text = CPlayLoadWnd::TextRect(client);
    int end = 0;
    for (int y = text.top; y < CPlayLoadWnd::BarRect(client).top; ++y)
      for (int x = text.left; x < client.right - 2; ++x)
        if (b.PixelAt(x, y) != CPlayLoadWnd::kBack) end = std::max(end, x + 1);
    return end;
  }

  testing_host::ControlHost host;
  ManualClock clock;
  DataPage page;
  bool called = false;
  std::unique_ptr<Packet> reply;
};

TEST_F(PlayLoadWndTest, OnlyAWholeAnswerIsAReply) {
  const std::string too_long((16u << 20) + 10, 'x');
  struct Row {
    const char* what;
    DataPage::Handler answer;
    std::u16string failure;  // empty: the reply comes
  };
  const Row rows[] = {
      {"whole", [](auto&, auto& res) { Whole(res, kReply); }, u""},
      {"chunked, no length",
       [](auto&, auto& res) {
         res.set_chunked_content_provider("text/plain", [](std::size_t, httplib::DataSink& sink) {
           sink.write(kReply.data(), 40);
           sink.write(kReply.data() + 40, kReply.size() - 40);
           sink.done();
           return true;
         });
       },
       u""},
      {"server error", [](auto&, auto& res) { Whole(res, kReply, 500); },
       u"DATA 다운로드 실패: 서버 오류 500"},
      {"shorter than its length",
       [](auto&, auto& res) {
         res.set_content_provider(kReply.size(), "text/plain",
                                  [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                    sink.write(kReply.data(), kReply.size() / 2);
                                    return false;  // the connection closes
                                  });
       },
       u"DATA 다운로드 실패: 응답이 잘렸습니다"},
      {"closed before its packet ends",
       [](auto&, auto& res) {
         res.set_content_provider("text/plain", [](std::size_t, httplib::DataSink& sink) {
           sink.write(kReply.data(), kReply.size() - 12);
           sink.done();
           return true;
         });
       },
       u"DATA 다운로드 실패: 응답이 잘렸습니다"},
      {"past 16 MiB", [&](auto&, auto& res) { Whole(res, too_long); },
       u"DATA 다운로드 실패: 응답이 너무 큽니다"},
      {"no DATA", [](auto&, auto& res) { Whole(res, "<PKT><GBN>3001</GBN><TYPE>HOGA</TYPE></PKT>"); },
       u"DATA 다운로드 실패: 데이터 없음"},
  };
  auto wnd = Open(page.Base());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    page.Answer(row.answer);
    ASSERT_TRUE(Download(*wnd));
    EXPECT_TRUE(wnd->IsVisible());
    EXPECT_EQ(wnd->failure(), row.failure);
    if (row.failure.empty()) {
      ASSERT_NE(reply, nullptr);
      EXPECT_EQ(reply->GetText(u"DATA", u""), u"1^080000^2^B^50100^7^50000^9^S|50100|10|0");
      EXPECT_EQ(wnd->total(), CPlayLoadWnd::kAnalysing);  // until the player hides it
      continue;
    }
    EXPECT_EQ(reply, nullptr);
    // The line stays two seconds on the loop's clock, then the window hides.
    UiLoop().Advance(clock, std::chrono::milliseconds(CPlayLoadWnd::kFailureShownMs - 1));
    EXPECT_TRUE(wnd->IsVisible());
    UiLoop().Advance(clock, std::chrono::milliseconds(1));
    EXPECT_FALSE(wnd->IsVisible());
    EXPECT_TRUE(wnd->failure().empty());
  }
  // The form the page was sent.
  const auto received = page.received();
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received[0].body, "shcode=005930&market=1&ymd=20261209&htime=080000");
  EXPECT_EQ(received[0].agent, "QZ SESSION");
  EXPECT_EQ(received[0].content_type, "application/x-www-form-urlencoded");

  // Nobody at the address.
  auto nowhere = Open("http://127.0.0.1:1/");
  ASSERT_TRUE(Download(*nowhere));
  EXPECT_EQ(nowhere->failure(), u"DATA 다운로드 실패: 서버에 연결할 수 없습니다");
  Picture(*nowhere, "replay_load_failure.png");
  const Rect client = nowhere->ClientRect();
  EXPECT_GT(TextPixels(nowhere->Render(), client, CPlayLoadWnd::kFailureText), 30);
}

TEST_F(PlayLoadWndTest, ProgressWithoutALengthCountsAgainstAThousandBlocks) {
  // 300 blocks, then the page holds the rest back until the test lets it go.
  page.Answer([this](auto&, auto& res) {
    res.set_chunked_content_provider("text/plain", [this](std::size_t, httplib::DataSink& sink) {
      const std::string head = kReply.substr(0, kReply.size() - 6);
      std::string filler(300 * kDownloadBlockBytes - head.size(), ' ');
      sink.write(head.data(), head.size());
      sink.write(filler.data(), filler.size());
      page.Wait();
      sink.write("</PKT>", 6);
      sink.done();
      return true;
    });
  });
  // The answer's filler sits inside DATA: it is read as one long line.
  auto wnd = Open(page.Base());
  called = false;
  ASSERT_TRUE(wnd->Download(ReplayFirstBlockRequest(u"005930", u"1", u"20261209"),
                            [this](std::unique_ptr<Packet> r) {
                              called = true;
                              reply = std::move(r);
                            }));
  ASSERT_TRUE(RunUntil([&] { return wnd->done() == 299; }, 20000)) << wnd->done();
  EXPECT_EQ(wnd->total(), 1000);
  EXPECT_FALSE(wnd->Download(ReplayFirstBlockRequest(u"005930", u"1", u"20261209"), {}));
  Picture(*wnd, "replay_load_progress.png");

  const Rect client = wnd->ClientRect();
  const Rect bar = CPlayLoadWnd::BarRect(client);
  const int filled = bar.left + 299 * bar.width() / 1000;
  Bitmap b = wnd->Render();
  const int mid = (bar.top + bar.bottom) / 2;
  EXPECT_EQ(b.PixelAt(0, 0), CPlayLoadWnd::kFrame);
  EXPECT_EQ(b.PixelAt(2, 2), CPlayLoadWnd::kBack);
  EXPECT_EQ(b.PixelAt(bar.left, mid), CPlayLoadWnd::kBar);
  EXPECT_EQ(b.PixelAt(filled - 1, mid), CPlayLoadWnd::kBar);
  EXPECT_EQ(b.PixelAt(filled, mid), CPlayLoadWnd::kBack);
  EXPECT_EQ(b.PixelAt(bar.left, bar.top - 1), CPlayLoadWnd::kBack);
  // The dots blink: an even block count shows them, an odd one does not.
  EXPECT_GT(TextPixels(b, client, CPlayLoadWnd::kText), 30);
  const int plain = InkEnd(b, client);
  wnd->ShowProgress(1000, 300);
  wnd->UpdateNow();
  Picture(*wnd, "replay_load_progress_dots.png");
  EXPECT_GT(InkEnd(wnd->Render(), client), plain + 30);

  page.Release();
  ASSERT_TRUE(RunUntil([this] { return called; }, 20000));
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(wnd->total(), CPlayLoadWnd::kAnalysing);
  Picture(*wnd, "replay_load_analysing.png");
  b = wnd->Render();
  EXPECT_EQ(b.PixelAt(bar.right - 1, mid), CPlayLoadWnd::kBar);
  EXPECT_GT(TextPixels(b, client, CPlayLoadWnd::kText), 30);
  // Done and idle: the background alone.
  wnd->ShowProgress(1000, 1000);
  wnd->UpdateNow();
  EXPECT_EQ(wnd->Render().PixelAt(bar.left, mid), CPlayLoadWnd::kBack);
}

TEST(PlayDownloadTest, BlocksOfTheAnswerAndTheForm) {
  struct Row {
    std::int64_t length, bytes;
    DownloadProgress progress;
  };
  const Row rows[] = {
      {-1, 0, {1000, 0}},        // no length: a thousand blocks
      {0, 5000, {1000, 4}},      // a length of 0 is none
      {10230, 1, {10, 0}},       // the first block: none before it
      {10230, 1023, {10, 0}},
      {10230, 1024, {10, 1}},
      {10231, 10231, {11, 10}},  // a last part block counts whole
  };
  for (const Row& row : rows) {
    EXPECT_EQ(BlockProgress(row.length, row.bytes), row.progress) << row.length << " " << row.bytes;
  }
  // Values the request lacks are sent empty; nothing else joins the form.
  Packet partial(3001);
  partial.AddText(u"SHCODE", u"005930");
  partial.AddText(u"HTIME", u"080000");
  partial.AddText(u"TYPE", u"HOGA");
  const HttpPostRequest post = ReplayDownloadRequest("http://data.example/", partial);
  EXPECT_EQ(post.url, "http://data.example/qz2_hoga_data.aspx");
  EXPECT_EQ(post.body, "shcode=005930&market=&ymd=&htime=080000");
}

}  // namespace
}  // namespace velloran
