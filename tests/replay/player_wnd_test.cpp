// The replay frame and its player on a day the test serves itself: the
// session's requests go to a listener on 127.0.0.1, the first block comes
// from a small data page, the rest as the session's replies would. Checked:
// the frame's size and its message to the book on close, the player's
// layout, the quote strip's texts and colours, and charts that never show
// what comes after the replay's clock.

#include "replay/player_wnd.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/session_data.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/session_socket.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/application.h"
#include "platform/bitmap_resources.h"
#include "platform/window_messages.h"
#include "replay/play_frame.h"
#include "replay/play_frame_geometry.h"
#include "replay/play_quote_strip.h"
#include "replay/play_time.h"
#include "tests/app/session_fixture.h"
#include "tests/net/loopback_listen.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing_host::CountNear;
using testing_host::RunUntil;
using testing_host::Settle;

constexpr char16_t kCode[] = u"000100";
constexpr std::int32_t kDay = 20240105;

std::u16string Trade(std::int32_t time, int price, int volume) {
  std::u16string zeros = u"0";
  for (int i = 1; i < CPKT::kFieldCount; ++i) zeros += u"|0";
  CPKT q;
  (void)q.Parse(zeros);
  q.SetInt(0, time);
  q.SetInt(1, 2);
  q.SetInt(2, price - 10000);
  q.SetReal(3, (price - 10000) / 100.0);
  q.SetInt(4, price);
  q.SetInt(6, 10000);
  q.SetInt(8, price);
  q.SetInt(10, 10000);
  q.SetInt(12, 10);
  q.SetInt(13, volume);
  std::u16string line = q.ToText();
  std::replace(line.begin(), line.end(), u'|', u'^');
  return line;
}

// A block of snapshots every 10 s and a trade a second after each, from
// `from` on; the price climbs by 10 won a snapshot.
std::u16string Block(std::int32_t from, int count, int ix, bool with_ix) {
  std::u16string data, trades;
  for (int i = 0; i < count; ++i) {
    const std::int32_t t = MsToHhmmss(HhmmssToMs(from) + i * 10000);
    const int price = 10000 + 10 * i;
    data += u"1^" + FormatInt06(t) + u"^2^B^" + FormatInt(price + 10) + u"^7^" + FormatInt(price) +
            u"^9^S|" + FormatInt(price + 10) + u"|100|0,S|" + FormatInt(price + 20) +
            u"|200|0,B|" + FormatInt(price) + u"|0|150,B|" + FormatInt(price - 10) + u"|0|120\r\n";
    trades += Trade(MsToHhmmss(HhmmssToMs(t) + 1000), price, 1000 * (i + 1)) + u"\r\n";
  }
  Packet p(code::kReplayData);
  p.AddText(u"SHCODE", kCode);
  p.AddText(u"YMD", FormatInt(kDay));
  p.AddText(u"TYPE", u"HOGA");
  p.AddText(u"ZIP", u"NO");
  if (with_ix) p.AddInt(u"IX", ix);
  p.AddText(u"DATA", data);
  p.AddText(u"CDATA", trades);
  return p.Text();
}

// Bars, encoded as the server sends them, of the day before, of the replayed day (its whole day, which the
// replay must not show before its time) and of the day after.
std::u16string ChartReply(int chart_id, bool minutes) {
  std::u16string data;
  if (minutes) {
    for (std::int32_t t : {153000, 120000, 90500, 90000})
      data += u"20240108|" + FormatInt06(t) + u"|12000|12100|11900|12050|500\n";
    for (std::int32_t t : {153000, 120000, 90500, 90000})
      data += FormatInt(kDay) + u"|" + FormatInt06(t) + u"|11000|11100|10900|11050|500\n";
    for (std::int32_t t : {153000, 90000})
      data += u"20240104|" + FormatInt06(t) + u"|9900|9950|9850|9900|500\n";
  } else {
    data = u"20240108|0|12000|12100|11900|12050|50000\n" + FormatInt(kDay) +
           u"|0|10000|11500|9800|11050|90000\n20240104|0|9800|10050|9700|9900|70000\n";
  }
  Packet p(code::kChart);
  p.AddInt(u"CHART_ID", chart_id);
  p.AddText(u"STKCD", kCode);
  p.AddText(u"TM", minutes ? u"m1" : u"D");
  p.AddText(u"DATA", GB_ENC(data.c_str()));
  p.AddText(u"CPKT", u"");
  return p.Text();
}

class PlayerWndTest : public testing::SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    UiLoop().SetClock(&ui_clock_);
    Packet master(0);
    master.AddText(u"SHCODE", kCode);
    master.AddText(u"HNAME", u"코스피주");
    master.AddInt(u"MARKET", 1);
    master.AddInt(u"KPRC", 10000);
    master.AddInt(u"JNILVOL", 40000);
    {
      auto data = session_->store().Write();
      data->master[kCode] = std::make_unique<Packet>(master);
      data->trading_dates = {FormatInt(kDay), u"20240104"};
    }
    session_->store().SetTradingDate(kDay);
    // The session: a real socket to a listener that takes what is sent.
    int port = 0;
    listener_ = testing::ListenLoopback(4, port);
    ASSERT_GE(listener_, 0);
    socket_ = std::make_unique<CQZSocket>(*session_, u"demo");
    socket_->ConnectTo(u"127.0.0.1", port);
    ASSERT_TRUE(RunUntil([&] { return socket_->connected(); }));
    session_->SetSocket(socket_.get());
    // The data page of the first block.
    page_.Post("/qz2_hoga_data.aspx", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Utf16ToUtf8(Block(80000, 3, 0, false)), "text/plain");
    });
    page_port_ = page_.bind_to_any_port("127.0.0.1");
    page_thread_ = std::thread([this] { page_.listen_after_bind(); });
    while (!page_.is_running()) std::this_thread::sleep_for(milliseconds(1));
  }
  void TearDown() override {
    frame_.reset();
    session_->SetSocket(nullptr);
    socket_.reset();
    ::close(listener_);
    page_.stop();
    page_thread_.join();
    UiLoop().SetClock(nullptr);
  }
  void Post(int code, std::u16string text) {
    ASSERT_TRUE(PostPacket(frame_->handle(), msg::kNotify, std::make_unique<Packet>(std::move(text)),
                           false, code));
    Settle();
  }
  void Step(milliseconds d) {
    UiLoop().Advance(ui_clock_, d);
    Settle();
  }

  Application& app_ = testing_host::App();
  ManualClock ui_clock_{testing::TestStart()};
  int listener_ = -1;
  std::unique_ptr<CQZSocket> socket_;
  httplib::Server page_;
  int page_port_ = 0;
  std::thread page_thread_;
  std::unique_ptr<CPlayFrame> frame_;
};

TEST_F(PlayerWndTest, FrameLayoutQuoteStripAndChartsUpToTheClock) {
  RecordingWindow book(UiLoop());
  frame_ = std::make_unique<CPlayFrame>(
      *session_, decoder_, "http://127.0.0.1:" + std::to_string(page_port_) + "/");
  const Rect desktop{0, 0, 1920, 1080};
  ASSERT_TRUE(frame_->Open(book.handle(), u"코스피주 (000100)", desktop));
  EXPECT_EQ(frame_->WindowRect(), PlayFramePlacement(desktop));
  CPlayerWnd& player = frame_->player();
  EXPECT_EQ(player.ClientRect(), (Rect{0, 0, 1274, 834 - CMyTitleBar::kHeight}));
  const auto in_player = [&](Window& w) {
    const Rect r = w.WindowRect();
    const Point a = player.ScreenToClient({r.left, r.top});
    return Rect{a.x, a.y, a.x + r.width(), a.y + r.height()};
  };
  EXPECT_EQ(in_player(player.book()), (Rect{0, 30, 580, 812}));
  EXPECT_EQ(in_player(player.ctrl()), (Rect{582, 812 - 136, 1274, 812}));
  EXPECT_EQ(in_player(player.day_chart()), (Rect{582, 0, 1274, 338}));
  EXPECT_EQ(in_player(player.minute_chart()).top, 338 + CMySplitter::kThickness);
  EXPECT_FALSE(player.load_wnd().IsVisible());

  // The stock: the boxes show it, the time line and both charts are asked for.
  SendMessage(frame_->handle(), msg::kSelectStock, static_cast<WParam>(PackStockCode(kCode)), 0);
  EXPECT_EQ(player.code_box().Text(), kCode);
  EXPECT_EQ(player.name_box().Text(), u"코스피주");
  EXPECT_EQ(player.model().outstanding().kind, PlayRequestKind::kTimeLine);
  Post(code::kChart, ChartReply(CPlayerWnd::kDayChart, false));
  Post(code::kChart, ChartReply(CPlayerWnd::kMinuteChart, true));
  // Nothing of the replayed day or after it before the clock reaches it.
  ASSERT_EQ(player.day_chart().data().Count(), 1);
  EXPECT_EQ(player.day_chart().data().Bar(0).date, 20240104);
  ASSERT_EQ(player.minute_chart().data().Count(), 2);
  EXPECT_EQ(player.minute_chart().data().Bar(0).date, 20240104);

  // The time line, then the first block by the data page, which ends
  // before 08:50: the player seeks to 08:10, past what it holds, so the
  // seek block comes over the session and the clock starts at its first
  // snapshot.
  Packet line(code::kReplayData);
  line.AddText(u"SHCODE", kCode);
  line.AddText(u"YMD", FormatInt(kDay));
  line.AddText(u"TYPE", u"TOT");
  line.AddText(u"ZIP", u"NO");
  line.AddText(u"SOC", u"오늘의 메모");
  line.AddText(u"DATA", u"20240105090000^300^100\r\n20240105100000^100^300\r\n");
  Post(code::kReplayData, line.Text());
  EXPECT_EQ(player.book().memo().Text(), u"오늘의 메모");
  ASSERT_TRUE(RunUntil([&] { return player.model().outstanding().kind == PlayRequestKind::kSeekBlock; },
                       5000));
  EXPECT_FALSE(player.load_wnd().IsVisible());
  EXPECT_TRUE(player.IsEnabled());
  EXPECT_EQ(player.model().outstanding().htime, 81000);
  Post(code::kReplayData, Block(90000, 40, 0, true));
  EXPECT_EQ(player.model().clock_ms(), HhmmssToMs(90000));

  // Thirty seconds of the day and a tick: what lies before the clock is
  // released.
  Step(milliseconds(30010));
  EXPECT_EQ(player.model().clock_ms(), HhmmssToMs(90030) + 10);
  EXPECT_EQ(player.book().book().frame().book_time, u"090030");
  // Trades of 09:00:01, :11, :21; the charts hold the replayed day up to the
  // last, and nothing after it.
  const TICK day = player.day_chart().data().Bar(0);
  EXPECT_EQ(day.date, kDay);
  EXPECT_EQ(day.close, 10020);
  EXPECT_EQ(day.high, 10020);
  const TICK minute = player.minute_chart().data().Bar(0);
  EXPECT_EQ(minute.date, kDay);
  EXPECT_EQ(minute.time, 90000);
  EXPECT_EQ(minute.close, 10020);
  EXPECT_EQ(minute.volume, 30);

  // The strip: 10,020 in red at (200, 6), the rest after it, the volume's
  // 3,000 against 40,000 the day before in grey.
  ASSERT_TRUE(player.model().current_quote().has_value());
  EXPECT_EQ(player.model().current_quote()->Price(), 10020);
  Step(milliseconds(20));
  const Bitmap shown = player.Render();
  EXPECT_GT(CountNear(shown, {200, 6, 260, 26}, kQuoteRise, 40), 30);
  EXPECT_GT(CountNear(shown, {260, 9, 490, 22}, kQuoteRatio, 20), 10);
  EXPECT_EQ(shown.PixelAt(195, 1), LoadBitmapResource(CPlayerWnd::kStripBitmap).PixelAt(0, 1));
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(frame_->SaveScreenshot(std::string(pictures) + "/replay_player.png"));
  }

  // Closing tells the book.
  frame_->Destroy();
  ASSERT_FALSE(book.received.empty());
  EXPECT_EQ(book.received.back().message, msg::kReplayClosed);
}

}  // namespace
}  // namespace velloran
