// The top bar alone under the offscreen platform: its layout and start-up
// state, the switches without a socket, the quote summary and PLAY.

#include <gtest/gtest.h>

#include "app/book_quote.h"
#include "grid/quote_summary.h"
#include "grid/top_bar.h"
#include "platform/child_rect.h"
#include "platform/test_window.h"
#include "tests/stock/search_fixture.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::AddMaster;
using testing_host::Settle;

constexpr int kWidth = 1274;
constexpr int kX0 = kWidth - 527;  // the right-hand group

class TopBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bar.Create(&rig.host, 101, {0, 0, kWidth, 37}, u""));
    FrameRelations r;
    r.top_bar = bar.handle();
    r.hoga_view = hoga.handle();
    r.qz_view = qz.handle();
    bar.SetRelations(r);
  }
  void TearDown() override { bar.Destroy(); }
  void Click(Window& w) {
    const Point p = testing_host::CentreIn(rig.host, w);
    SimulateMouse(rig.host, sys::kLButtonDown, p);
    SimulateMouse(rig.host, sys::kLButtonUp, p);
    Settle();
  }
  void AddRecord(std::u16string_view code) {
    Packet hit(3004);
    hit.AddText(u"SHCODE", code);
    rig.session.store().Write()->records[std::u16string(code)] =
        std::make_unique<CQZData>(hit, rig.session.store());
  }

  testing::SearchRig rig{kWidth};
  CTopBar bar{rig.session};
  RecordingWindow hoga{UiLoop()};
  RecordingWindow qz{UiLoop()};
};

TEST_F(TopBarTest, LaidOutAsDrawnAndPressedAsTheSessionAfterItsStartTimer) {
  EXPECT_EQ(ChildRect(bar.play_button()), (Rect{3, 7, 73, 25}));
  EXPECT_EQ(ChildRect(bar.code_box()), (Rect{78, 9, 168, 27}));
  EXPECT_EQ(ChildRect(bar.name_box()), (Rect{171, 9, 261, 27}));
  EXPECT_EQ(ChildRect(bar.list_button(3004)), (Rect{kX0, 7, kX0 + 66, 29}));
  EXPECT_EQ(ChildRect(bar.list_button(3007)).left, kX0 + 3 * 68);
  EXPECT_EQ(ChildRect(bar.filter()).left, kX0 + 275);
  EXPECT_EQ(ChildRect(bar.check_box()).left, kX0 + 345);
  EXPECT_EQ(ChildRect(bar.tile_button()), (Rect{kX0 + 460, 7, kX0 + 490, 27}));
  EXPECT_EQ(ChildRect(bar.grid_button()).left, kX0 + 492);
  EXPECT_EQ(bar.filter().SelectedText(), u"코스닥");

  rig.Step(milliseconds(999));
  EXPECT_EQ(bar.list_button(3007).state(), 0);
  rig.Step(milliseconds(1));
  EXPECT_EQ(bar.list_button(3007).state(), 1);
  EXPECT_EQ(bar.tile_button().state(), 1);
  EXPECT_TRUE(bar.check_box().IsChecked());

  const Bitmap shot = bar.Render();
  ASSERT_TRUE(bar.SaveScreenshot(::testing::TempDir() + "top_bar.png"));
  EXPECT_EQ(shot.PixelAt(500, 0), Rgb(252, 252, 252));  // the gradient
  EXPECT_EQ(shot.PixelAt(500, 36), Rgb(222, 222, 222));
  EXPECT_EQ(shot.PixelAt(kWidth - 80, 8), CTopBar::kSeparatorDark);
  EXPECT_EQ(shot.PixelAt(kWidth - 79, 24), CTopBar::kSeparatorLight);
  EXPECT_NE(shot.PixelAt(kWidth - 80, 25), CTopBar::kSeparatorDark);
  EXPECT_EQ(shot.PixelAt(77, 20), CTopBar::kBoxFrame);
  EXPECT_EQ(shot.PixelAt(kX0 + 3 * 68 + 1, 8),
            LoadMappedBitmap(331, CBitButton::kFace).PixelAt(1, 1));  // pressed 현재역상

  bar.Move({0, 0, 1400, 37});
  EXPECT_EQ(ChildRect(bar.list_button(3004)).left, 1400 - 527);
}

TEST_F(TopBarTest, WithoutASocketTheBoxesAndTheSessionChangeAndTheWorkAreaHears) {
  AddMaster(rig.session, u"005930", u"삼성전자");
  AddMaster(rig.session, u"035720", u"카카오");
  SendMessage(bar.handle(), msg::kNotify, 1, 1);
  testing::Type(bar.code_box().edit(), u"005930");
  Click(bar.name_box().edit());  // selects what it shows
  testing::Type(bar.name_box().edit(), u"카");
  SimulateKey(bar.name_box().edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(bar.code_box().Text(), u"035720");
  EXPECT_EQ(bar.name_box().Text(), u"카카오");
  EXPECT_EQ(bar.previous_code(), u"");
  EXPECT_TRUE(rig.session.recent().empty());  // the session is not told

  // A list button switches the screen and drops its records, once.
  rig.Step(milliseconds(1000));
  AddRecord(u"000001");
  Click(bar.list_button(3004));
  EXPECT_EQ(rig.session.current_screen(), 3004);
  EXPECT_TRUE(rig.session.Read()->records.empty());
  EXPECT_EQ(bar.list_button(3004).state(), 1);
  EXPECT_EQ(bar.list_button(3007).state(), 0);
  AddRecord(u"000002");
  Click(bar.list_button(3004));
  EXPECT_EQ(rig.session.Read()->records.size(), 1u);
  // The check box flips and the filter moves; each switches the screen again.
  Click(bar.check_box());
  EXPECT_EQ(rig.session.screening_check(), 0);
  EXPECT_TRUE(rig.session.Read()->records.empty());
  AddRecord(u"000003");
  bar.filter().SetFocus();
  SimulateKey(bar.filter(), sys::kVkUp);
  EXPECT_EQ(rig.session.market_filter(), 1);
  EXPECT_TRUE(rig.session.Read()->records.empty());

  // GRID, GRID again, TILE: the mode follows and the work area rebuilds each time.
  Click(bar.grid_button());
  EXPECT_EQ(rig.session.display_mode(), 1);
  EXPECT_EQ(bar.grid_button().state(), 1);
  EXPECT_EQ(bar.tile_button().state(), 0);
  Click(bar.grid_button());
  Click(bar.tile_button());
  EXPECT_EQ(rig.session.display_mode(), 0);
  EXPECT_EQ(qz.received, (std::vector<RecordedMessage>(3, {msg::kNotify, 3014, 0})));
}

TEST_F(TopBarTest, TheSummaryPaintsTheRegisteredViewsQuoteAndPlayOpensItsReplay) {
  Click(bar.play_button());  // no view registered yet
  AddMaster(rig.session, u"005930", u"삼성전자", 1, 1000000);
  AddMaster(rig.session, u"000020", u"동화약품", 1);  // no previous day's volume
  PostMessage(bar.handle(), msg::kSelectStock, PackStockCode(u"005930"), 0);
  const auto post_quote = [&](const std::u16string& code) {
    auto quote = std::make_unique<BookQuote>();
    quote->code = code;
    ASSERT_TRUE(quote->quote.Parse(u"100000|2|1500|1.52|71500|0|70000|0|72000|0|69500|0|10|"
                                   u"1500000|0|0|0|0|0|0|0|71600|71500|0|0|0"));
    PostOwned(bar.handle(), msg::kHogaChanged, std::move(quote), true, 0);
    Settle();
  };
  post_quote(u"000020");  // a book not (or no longer) shown
  EXPECT_FALSE(bar.quote());
  post_quote(u"005930");
  ASSERT_TRUE(bar.SaveScreenshot(::testing::TempDir() + "top_bar_quote.png"));
  const QuoteSummary s = MakeQuoteSummary(bar.quote()->quote, 1000000);
  EXPECT_EQ(s.price + u" " + s.change + u" " + s.rate + u" " + s.volume + u" " + s.ratio,
            u"71,500 ▲1,500 +1.52% 1,500,000 150.00％");
  EXPECT_EQ(s.color, kRiseColor);
  CPKT flat = bar.quote()->quote;
  flat.SetInt(1, 3);
  flat.SetReal(3, 0.0);
  EXPECT_EQ(MakeQuoteSummary(flat, 0).rate, u"0.00%");
  EXPECT_EQ(MakeQuoteSummary(flat, 0).color, Rgb(0, 0, 0));

  // On screen: red price; the ratio is the grey text that goes when the
  // shown stock has no previous day's volume.
  const Rect area = bar.SummaryRect();
  const Bitmap with = bar.Render();
  // Another stock: the summary before it goes at once, not standing beside
  // the new name until the new book comes.
  PostMessage(bar.handle(), msg::kSelectStock, PackStockCode(u"000020"), 0);
  Settle();
  EXPECT_FALSE(bar.quote());
  const Bitmap blank = bar.Render();
  for (int y = 0; y < blank.height(); ++y)
    for (int x = area.left; x < area.right; ++x) ASSERT_NE(blank.PixelAt(x, y), kRiseColor);
  post_quote(u"000020");
  const Bitmap without = bar.Render();
  int red = 0, changed = 0, darkest = 255;
  for (int y = 0; y < with.height(); ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const Color c = with.PixelAt(x, y);
      red += c == kRiseColor;
      if (c == without.PixelAt(x, y)) continue;
      ++changed;
      EXPECT_TRUE(c.r == c.g && c.g == c.b) << x << "," << y;
      darkest = std::min<int>(darkest, c.r);
    }
  }
  EXPECT_GT(red, 50);
  EXPECT_GT(changed, 20);
  EXPECT_NEAR(darkest, kRatioColor.r, 12);

  EXPECT_TRUE(hoga.received.empty());
  Click(bar.play_button());
  EXPECT_EQ(hoga.received, (std::vector<RecordedMessage>{{msg::kOpenReplay, 0, 0}}));
}

}  // namespace
}  // namespace velloran
