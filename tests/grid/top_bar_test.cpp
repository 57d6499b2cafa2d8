// The top bar under the offscreen platform: its layout and start-up state,
// selections, the screen, filter and mode switches without a socket, the
// quote summary and PLAY, and the start-up stock that waits for the master.

#include <gtest/gtest.h>

#include "app/book_quote.h"
#include "decoder/qz_comm_dec.h"
#include "grid/quote_summary.h"
#include "grid/top_bar.h"
#include "net/decoder.h"
#include "net/message_codes.h"
#include "platform/child_rect.h"
#include "platform/test_window.h"
#include "tests/stock/search_fixture.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::AddMaster;
using testing::MasterPacket;
using testing::Type;
using testing_host::App;
using testing_host::Settle;

constexpr int kWidth = 1274;

class TopBarTest : public ::testing::Test {
 protected:
  TopBarTest() { EXPECT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk); }
  void SetUp() override {
    ASSERT_TRUE(host.Open(kWidth, 300));
    UiLoop().SetClock(&clock);
    ASSERT_TRUE(bar.Create(&host, 101, {0, 0, kWidth, 37}, u""));
    FrameRelations r;
    r.main_frame = host.handle();
    r.top_bar = bar.handle();
    r.hoga_view = hoga.handle();
    r.qz_view = qz.handle();
    bar.SetRelations(r);
    session.SetWindows({host.handle(), hoga.handle(), qz.handle(), bar.handle()});
    Settle();
  }
  void TearDown() override {
    bar.Destroy();
    Settle();
    UiLoop().SetClock(nullptr);
  }
  void Step(milliseconds d) {
    UiLoop().Advance(clock, d);
    Settle();
  }
  void Click(Window& w) {
    const Point p = testing_host::CentreIn(host, w);
    SimulateMouse(host, sys::kLButtonDown, p);
    SimulateMouse(host, sys::kLButtonUp, p);
    Settle();
  }
  void Dispatch(const std::u16string& text) {
    Packet p(text);
    session.Dispatch(p);
    Settle();
  }
  void AddRecord(std::u16string_view code) {
    Packet hit(3004);
    hit.AddText(u"SHCODE", code);
    auto data = session.store().Write();
    data->records[std::u16string(code)] = std::make_unique<CQZData>(hit, session.store());
  }
  std::vector<std::uint32_t> Received(const RecordingWindow& w) const {
    std::vector<std::uint32_t> out;
    for (const auto& m : w.received) out.push_back(m.message);
    return out;
  }

  Application& app = App();
  ManualClock clock;
  CDecoder decoder;
  CSessionData session{SessionOptions{{}, nullptr, &decoder}};
  testing::SearchHost host;
  CTopBar bar{session};
  RecordingWindow hoga{UiLoop()};
  RecordingWindow qz{UiLoop()};
};

TEST_F(TopBarTest, LaidOutAsDrawnAndShowsTheSessionStateAfterItsStartTimer) {
  EXPECT_EQ(ChildRect(bar.play_button()), (Rect{3, 7, 73, 25}));
  EXPECT_EQ(ChildRect(bar.code_box()), (Rect{78, 9, 168, 27}));
  EXPECT_EQ(ChildRect(bar.name_box()), (Rect{171, 9, 261, 27}));
  const int x0 = kWidth - 527;
  EXPECT_EQ(ChildRect(bar.list_button(3004)), (Rect{x0, 7, x0 + 66, 29}));
  EXPECT_EQ(ChildRect(bar.list_button(3007)).left, x0 + 3 * 68);
  EXPECT_EQ(ChildRect(bar.filter()).left, x0 + 275);
  EXPECT_EQ(ChildRect(bar.filter()).top, 8);
  EXPECT_EQ(ChildRect(bar.check_box()).left, x0 + 345);
  EXPECT_EQ(ChildRect(bar.tile_button()), (Rect{x0 + 460, 7, x0 + 490, 27}));
  EXPECT_EQ(ChildRect(bar.grid_button()), (Rect{x0 + 492, 7, x0 + 522, 27}));
  EXPECT_EQ(bar.filter().GetCurSel(), 2);
  EXPECT_EQ(bar.filter().SelectedText(), u"코스닥");
  EXPECT_EQ(bar.check_box().Text(), u"매수강도적용");
  EXPECT_EQ(bar.SummaryRect(), (Rect{263, 0, x0 - 1, 37}));

  // Nothing pressed until the 1 s timer; then the session's list and mode.
  Step(milliseconds(999));
  EXPECT_EQ(bar.list_button(3007).state(), 0);
  EXPECT_FALSE(bar.check_box().IsChecked());
  Step(milliseconds(1));
  EXPECT_EQ(bar.list_button(3007).state(), 1);
  EXPECT_EQ(bar.list_button(3004).state(), 0);
  EXPECT_EQ(bar.tile_button().state(), 1);
  EXPECT_EQ(bar.grid_button().state(), 0);
  EXPECT_TRUE(bar.check_box().IsChecked());

  const Bitmap shot = bar.Render();
  ASSERT_TRUE(bar.SaveScreenshot(::testing::TempDir() + "top_bar.png"));
  // The gradient, the two-colour separator 80 pixels from the right, the box frames.
  EXPECT_EQ(shot.PixelAt(500, 0), Rgb(252, 252, 252));
  EXPECT_EQ(shot.PixelAt(500, 36), Rgb(222, 222, 222));
  EXPECT_EQ(shot.PixelAt(kWidth - 80, 8), CTopBar::kSeparatorDark);
  EXPECT_EQ(shot.PixelAt(kWidth - 79, 24), CTopBar::kSeparatorLight);
  EXPECT_NE(shot.PixelAt(kWidth - 80, 25), CTopBar::kSeparatorDark);
  EXPECT_EQ(shot.PixelAt(77, 20), CTopBar::kBoxFrame);
  EXPECT_EQ(shot.PixelAt(261, 27), CTopBar::kBoxFrame);
  // The pressed 현재역상 is drawn from its pressed bitmap.
  const Bitmap pressed = LoadMappedBitmap(331, CBitButton::kFace);
  EXPECT_EQ(shot.PixelAt(x0 + 3 * 68 + 1, 8), pressed.PixelAt(1, 1));

  // The right-hand group follows the width.
  bar.Move({0, 0, 1400, 37});
  Settle();
  EXPECT_EQ(ChildRect(bar.list_button(3004)).left, 1400 - 527);
  EXPECT_EQ(ChildRect(bar.grid_button()).right, 1400 - 5);
}

TEST_F(TopBarTest, WithoutASocketTheBoxesAndTheSessionChangeAndNothingIsSent) {
  AddMaster(session, u"005930", u"삼성전자", 1, 1000000);
  AddMaster(session, u"035720", u"카카오", 1);
  SendMessage(bar.handle(), msg::kNotify, 1, 1);
  // A pick in the code box: both boxes show the stock; the session is not told.
  Type(bar.code_box().edit(), u"005930");
  Settle();
  EXPECT_EQ(bar.code_box().Text(), u"005930");
  EXPECT_EQ(bar.name_box().Text(), u"삼성전자");
  EXPECT_EQ(bar.shown_code(), u"005930");
  EXPECT_EQ(bar.previous_code(), u"");
  EXPECT_TRUE(session.recent().empty());
  // The name box searches too; a click selects its text first.
  Click(bar.name_box().edit());
  Type(bar.name_box().edit(), u"카");
  SimulateKey(bar.name_box().edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(bar.code_box().Text(), u"035720");
  EXPECT_EQ(bar.name_box().Text(), u"카카오");
  // An unknown code selects nothing.
  PostMessage(bar.handle(), msg::kSelectStock, PackStockCode(u"999999"), 0);
  Settle();
  EXPECT_EQ(bar.shown_code(), u"035720");

  // A list button switches the session's screen and drops its records; the
  // same button again does nothing.
  Step(milliseconds(1000));
  AddRecord(u"000001");
  AddRecord(u"000002");
  Click(bar.list_button(3004));
  EXPECT_EQ(session.current_screen(), 3004);
  EXPECT_TRUE(session.Read()->records.empty());
  EXPECT_EQ(bar.list_button(3004).state(), 1);
  EXPECT_EQ(bar.list_button(3007).state(), 0);
  AddRecord(u"000003");
  Click(bar.list_button(3004));
  EXPECT_EQ(session.Read()->records.size(), 1u);

  // The check box flips, then the screen is switched again with the flag stored.
  Click(bar.check_box());
  EXPECT_FALSE(bar.check_box().IsChecked());
  EXPECT_EQ(session.screening_check(), 0);
  EXPECT_TRUE(session.Read()->records.empty());
  EXPECT_EQ(session.current_screen(), 3004);
  // The filter by the keyboard: one up is 코스피.
  AddRecord(u"000004");
  bar.filter().SetFocus();
  SimulateKey(bar.filter(), sys::kVkUp);
  Settle();
  EXPECT_EQ(bar.filter().GetCurSel(), 1);
  EXPECT_EQ(session.market_filter(), 1);
  EXPECT_TRUE(session.Read()->records.empty());
}

TEST_F(TopBarTest, TileAndGridSwitchTheModeAndTellTheWorkArea) {
  Step(milliseconds(1000));
  Click(bar.grid_button());
  EXPECT_EQ(session.display_mode(), 1);
  EXPECT_EQ(bar.grid_button().state(), 1);
  EXPECT_EQ(bar.tile_button().state(), 0);
  ASSERT_EQ(qz.received.size(), 1u);
  EXPECT_EQ(qz.received[0], (RecordedMessage{msg::kNotify, 3014, 0}));
  // The active mode's button leaves the mode and still asks for a rebuild.
  Click(bar.grid_button());
  EXPECT_EQ(session.display_mode(), 1);
  Click(bar.tile_button());
  EXPECT_EQ(session.display_mode(), 0);
  EXPECT_EQ(bar.tile_button().state(), 1);
  EXPECT_EQ(bar.grid_button().state(), 0);
  EXPECT_EQ(qz.received.size(), 3u);
}

TEST_F(TopBarTest, TheQuoteSummaryPaintsTheRegisteredViewsQuoteAndPlayOpensItsReplay) {
  // No view registered: PLAY does nothing and no summary is painted.
  Click(bar.play_button());
  EXPECT_TRUE(Received(hoga).empty());
  AddMaster(session, u"005930", u"삼성전자", 1, 1000000);
  SendMessage(bar.handle(), msg::kNotify, 1, 1);
  PostMessage(bar.handle(), msg::kSelectStock, PackStockCode(u"005930"), 0);
  Settle();
  const Rect summary = bar.SummaryRect();
  auto count = [&](const Bitmap& shot, Color c) {
    int n = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = summary.left; x < summary.right; ++x) n += shot.PixelAt(x, y) == c;
    return n;
  };
  EXPECT_EQ(count(bar.Render(), kRiseColor), 0);

  auto quote = std::make_unique<BookQuote>();
  quote->code = u"005930";
  ASSERT_TRUE(quote->quote.Parse(u"100000|2|1500|1.52|71500|0|70000|0|72000|0|69500|0|10|"
                                 u"1500000|0|0|0|0|0|0|0|71600|71500|0|0|0"));
  PostOwned(bar.handle(), msg::kHogaChanged, std::move(quote), true, 0);
  Settle();
  ASSERT_TRUE(bar.quote().has_value());
  const Bitmap shot = bar.Render();
  ASSERT_TRUE(bar.SaveScreenshot(::testing::TempDir() + "top_bar_quote.png"));
  EXPECT_GT(count(shot, kRiseColor), 50);
  // The grey ratio goes when the shown stock has no previous day's volume:
  // what changes in the summary is grey text only.
  AddMaster(session, u"000020", u"동화약품", 1);
  PostMessage(bar.handle(), msg::kSelectStock, PackStockCode(u"000020"), 0);
  Settle();
  const Bitmap without = bar.Render();
  int changed = 0, darkest = 255;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = summary.left; x < summary.right; ++x) {
      const Color c = shot.PixelAt(x, y);
      if (c == without.PixelAt(x, y)) continue;
      ++changed;
      EXPECT_TRUE(c.r == c.g && c.g == c.b) << x << "," << y;
      darkest = std::min<int>(darkest, c.r);
    }
  }
  EXPECT_GT(changed, 20);
  EXPECT_NEAR(darkest, kRatioColor.r, 12);

  const QuoteSummary s = MakeQuoteSummary(bar.quote()->quote, 1000000);
  EXPECT_EQ(s.price, u"71,500");
  EXPECT_EQ(s.change, u"▲1,500");
  EXPECT_EQ(s.rate, u"+1.52%");
  EXPECT_EQ(s.volume, u"1,500,000");
  EXPECT_EQ(s.ratio, u"150.00％");
  EXPECT_EQ(s.color, kRiseColor);
  CPKT flat = bar.quote()->quote;
  flat.SetInt(1, 3);
  flat.SetReal(3, 0.0);
  EXPECT_EQ(MakeQuoteSummary(flat, 0).rate, u"0.00%");
  EXPECT_EQ(MakeQuoteSummary(flat, 0).ratio, u"");
  EXPECT_EQ(MakeQuoteSummary(flat, 0).color, Rgb(0, 0, 0));
  flat.SetInt(1, 5);
  flat.SetReal(3, -2.5);
  EXPECT_EQ(MakeQuoteSummary(flat, 0).rate, u"-2.50%");
  EXPECT_EQ(MakeQuoteSummary(flat, 0).change, u"▼1,500");
  EXPECT_EQ(MakeQuoteSummary(flat, 0).color, kFallColor);

  Click(bar.play_button());
  EXPECT_EQ(Received(hoga), (std::vector<std::uint32_t>{msg::kOpenReplay}));
}

TEST_F(TopBarTest, TheStartUpStockIsSelectedOnceTheMasterIsIn) {
  session.AddRecent(*MasterPacket(u"000660", u"SK하이닉스"));
  session.AddRecent(*MasterPacket(u"005930", u"삼성전자"));
  // The login answer comes before the master: nothing to select yet.
  Dispatch(u"<PKT><GBN>1</GBN><RTN>OK</RTN></PKT>");
  EXPECT_EQ(bar.code_box().Text(), u"");
  EXPECT_TRUE(bar.code_box().has_sources());
  const std::u16string lines =
      u"<PKT><GBN>3002</GBN><SHCODE>005930</SHCODE><HNAME>삼성전자</HNAME><MARKET>1</MARKET>"
      u"<JNILVOL>1000</JNILVOL></PKT>\n"
      u"<PKT><GBN>3002</GBN><SHCODE>000660</SHCODE><HNAME>SK하이닉스</HNAME></PKT>\n";
  Dispatch(u"<PKT><GBN>3002</GBN><DATA>" + std::u16string(GB_ENC(lines.c_str())) +
           u"</DATA></PKT>");
  ASSERT_TRUE(testing_host::RunUntil([&] { return !bar.code_box().Text().empty(); }));
  EXPECT_EQ(bar.code_box().Text(), u"005930");
  EXPECT_EQ(bar.name_box().Text(), u"삼성전자");
}

}  // namespace
}  // namespace velloran
