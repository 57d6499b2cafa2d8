// The replay's transport panel and frame under the offscreen platform: the
// ratio bars of the day's totals and the hours they cover, FF and RF at
// their limits, the time line's clicks and the slider's seeks (the user's
// only, never the clock's), the date sent when the combo is empty, and where
// the frame opens.

#include "replay/play_ctrl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/session_data.h"
#include "net/text_util.h"
#include "platform/application.h"
#include "platform/input_simulation.h"
#include "platform/window_messages.h"
#include "replay/play_frame.h"
#include "replay/play_frame_geometry.h"
#include "replay/play_model.h"
#include "tests/app/session_fixture.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using testing_host::CentreIn;
using testing_host::CountColour;
using testing_host::RunUntil;
using testing_host::Settle;
using Bar = PlayCtrlGeometry::Bar;
using Kind = PlayCtrlGeometry::BarKind;

KOA Sample(std::int32_t time, std::int64_t asks, std::int64_t bids) {
  return {u"20240105" + FormatInt06(time), time, bids, asks};
}

TEST(PlayCtrlGeometryTest, BarsOfTheDaysTotals) {
  const PlayCtrlGeometry g({692, 136});  // the panel in the player at 1274 wide
  ASSERT_EQ(g.plot(), (Rect{160, 35, 679, 121}));
  const int mid = g.mid(), top = g.LineY(-3), bottom = g.LineY(3);
  const auto bar_x = [&](std::int32_t t) { return g.XOfTime(t); };
  struct Case {
    KOA sample;
    bool drawn;
    Rect rect;
    Kind kind;
  };
  const Case cases[] = {
      {Sample(82959, 300, 100), false, {}, Kind::kEven},  // before the hours drawn
      {Sample(83000, 200, 100), true, {bar_x(83000), mid - 2 * int(g.step()) - 1, 0, mid}, Kind::kAsks},
      {Sample(100000, 900, 0), true, {bar_x(100000), top, 0, mid}, Kind::kAsks},  // a 0 counts as 1, capped
      {Sample(120000, 100, 300), true, {bar_x(120000), mid, 0, bottom}, Kind::kBids},
      {Sample(140000, 500, 500), true, {bar_x(140000), mid - 1, 0, mid}, Kind::kEven},
      {Sample(155900, 100, 150), true, {bar_x(155900), mid, 0, 0}, Kind::kBids},
      {Sample(155901, 100, 150), false, {}, Kind::kEven},  // after them
  };
  std::vector<KOA> samples;
  for (const Case& c : cases) samples.push_back(c.sample);
  const std::vector<Bar> bars = g.Bars(samples);
  std::size_t n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample.time);
    if (!c.drawn) continue;
    ASSERT_LT(n, bars.size());
    const Bar& b = bars[n++];
    EXPECT_EQ(b.kind, c.kind);
    EXPECT_EQ(b.rect.left, c.rect.left);
    EXPECT_EQ(b.rect.right, b.rect.left + 1);  // a pixel a sample at this width
    if (c.rect.top != 0) {
      EXPECT_NEAR(b.rect.top, c.rect.top, 1);
    }
    if (c.rect.bottom != 0) {
      EXPECT_EQ(b.rect.bottom, c.rect.bottom);
    }
  }
  EXPECT_EQ(n, bars.size());
  EXPECT_EQ(g.XOfTime(80000), g.plot().left);
  EXPECT_EQ(g.XOfTime(160000), g.plot().right);
}

TEST(PlayFramePlacementTest, CentredOrTheWholeSmallDesktop) {
  const FrameMetrics m;
  struct Case {
    Rect desktop;
    Rect expected;
  };
  const Case cases[] = {
      {{0, 0, 1920, 1080}, {319, 119, 319 + 1282, 119 + 842}},
      {{1920, 0, 3840, 1080}, {2239, 119, 2239 + 1282, 119 + 842}},  // a second screen
      {{0, 0, 1282, 842}, {0, 0, 1282, 842}},                      // just fits
      {{0, 0, 1280, 1024}, {0, 0, 1280, 974}},                     // too narrow
      {{0, 0, 1600, 800}, {0, 0, 1600, 750}},                      // too low
  };
  for (const Case& c : cases) EXPECT_EQ(PlayFramePlacement(c.desktop, m), c.expected);
}

// The player's place: it hears the panel's 2026 and 2032.
class Owner : public testing_host::ControlHost {
 public:
  LResult WindowProc(WindowMessage& m) override {
    if (m.message == msg::kSelectStock || m.message == msg::kReplaySeek) {
      heard_messages.push_back({m.message, m.wparam});
      return 0;
    }
    return ControlHost::WindowProc(m);
  }
  [[nodiscard]] std::vector<WParam> Seeks() const {
    std::vector<WParam> out;
    for (const auto& [message, wparam] : heard_messages)
      if (message == msg::kReplaySeek) out.push_back(wparam);
    return out;
  }
  std::vector<std::pair<std::uint32_t, WParam>> heard_messages;
};

class PlayCtrlTest : public testing::SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    UiLoop().SetClock(&ui_clock_);
    session_->store().SetTradingDate(20240105);
    ASSERT_TRUE(owner_.Open(700, 140));
    ctrl_ = std::make_unique<CPlayCtrl>(*session_, model_);
    ASSERT_TRUE(ctrl().Create(&owner_, 4550, {0, 0, 692, 136}));
  }
  void TearDown() override {
    ctrl_.reset();
    owner_.Destroy();
    UiLoop().SetClock(nullptr);
  }
  void Click(Point p) {
    SimulateMouse(owner_, sys::kLButtonDown, p, sys::kLButtonFlag);
    SimulateMouse(owner_, sys::kLButtonUp, p, 0);
    Settle();
  }
  void Press(Window& button) { Click(CentreIn(owner_, button)); }
  // The model with a day loaded and the clock moved to 08:50 by a seek.
  void LoadDay() {
    (void)model_.Start(u"000100", u"1", u"20240105");
    PlayTimeLine line;
    line.samples = {Sample(90000, 300, 100), Sample(120000, 100, 300)};
    ASSERT_TRUE(model_.OnTimeLine(std::move(line)).accepted);
    PlayBlock block;
    for (std::int32_t t : {90000, 90100, 90200}) {
      HogaSnapshot snapshot;
      snapshot.time = t;
      block.snapshots.push_back(snapshot);
    }
    ASSERT_TRUE(model_.OnBlock(std::move(block), PlayBlockSource::kDownload).accepted);
    ASSERT_TRUE(model_.Seek(85000).accepted);
  }

  Application& app_ = testing_host::App();
  ManualClock ui_clock_{testing::TestStart()};
  Owner owner_;
  CPlayModel model_;
  CPlayCtrl& ctrl() { return *ctrl_; }
  std::unique_ptr<CPlayCtrl> ctrl_;
};

TEST_F(PlayCtrlTest, SpeedLimitsAndTheDateOfAnEmptyCombo) {
  EXPECT_EQ(ctrl().date_combo().GetCount(), 0);
  EXPECT_EQ(ctrl().Date(), u"20240105");  // the trading date
  for (int i = 0; i < 8; ++i) Press(ctrl().fast_forward_button());
  EXPECT_EQ(model_.speed(), 128);
  Press(ctrl().fast_forward_button());
  EXPECT_EQ(model_.speed(), 128);
  Bitmap shown = ctrl().Render();
  EXPECT_EQ(shown.PixelAt(47, 71), CPlayCtrl::kSpeedFill);
  EXPECT_GT(testing_host::CountNear(shown, CPlayCtrl::kSpeedRect, CPlayCtrl::kAccent, 30), 20);
  for (int i = 0; i < 7; ++i) Press(ctrl().rewind_button());
  EXPECT_EQ(model_.speed(), 1);
  Press(ctrl().rewind_button());
  EXPECT_EQ(model_.speed(), 1);
  EXPECT_TRUE(model_.playing());
  Press(ctrl().play_button());
  EXPECT_FALSE(model_.playing());
  EXPECT_EQ(ctrl().play_button().bitmap_id(), CPlayCtrl::kPlayBitmap);

  EXPECT_EQ(owner_.heard_messages.size(), 0u);

  // At 128x with a clock that waits for its next block: the speed it kept
  // stands beside the box.
  for (int i = 0; i < 7; ++i) model_.FastForward();
  model_.TogglePlay();
  (void)model_.Start(u"000100", u"1", u"20240105");
  ASSERT_TRUE(model_.OnTimeLine({}).accepted);
  const auto minute_block = [](std::int32_t from) {
    PlayBlock block;
    for (int s = 0; s < 60; ++s) block.snapshots.emplace_back().time = from + s;
    return block;
  };
  ASSERT_TRUE(model_.OnBlock(minute_block(80000), PlayBlockSource::kDownload).accepted);
  ASSERT_TRUE(model_.Seek(81000).accepted);
  ASSERT_TRUE(model_.OnBlock(minute_block(81000), PlayBlockSource::kSession).accepted);
  for (int tick = 0; tick < 200; ++tick) (void)model_.Tick(10);
  ctrl().RefreshSpeed();
  shown = ctrl().Render();
  EXPECT_GT(testing_host::CountNear(shown, CPlayCtrl::kReachedRect, CPlayCtrl::kAccent, 40), 10);
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(ctrl().SaveScreenshot(std::string(pictures) + "/replay_ctrl_waiting.png"));
  }
}

TEST_F(PlayCtrlTest, TimeLineClicksAndSliderSeekButTheClockNeverDoes) {
  LoadDay();
  ctrl().RedrawTimeLine();
  const PlayCtrlGeometry g = ctrl().geometry();
  const int mid_y = (g.box().top + g.box().bottom) / 2;
  Click({g.box().left, mid_y});
  Click({g.box().right, mid_y});
  Click({(g.box().left + g.box().right) / 2, mid_y});
  Click({g.box().left - 5, mid_y});  // outside the box: nothing
  ASSERT_TRUE(RunUntil([&] { return owner_.Seeks().size() >= 3; }));
  Settle();
  EXPECT_EQ(owner_.Seeks(), (std::vector<WParam>{80000, 160000, 120000}));

  // The clock's second moves the slider and the text, and seeks nothing.
  owner_.heard_messages.clear();
  UiLoop().Advance(ui_clock_, std::chrono::milliseconds(1000));
  Settle();
  EXPECT_EQ(ctrl().time_text(), u"08:50:00");
  EXPECT_EQ(ctrl().slider().GetPos(), 3000);
  EXPECT_TRUE(owner_.Seeks().empty());
  // A press on the slider's channel pages it once: one seek, where it ended.
  const Rect s = ctrl().slider().WindowRect();
  const Point right_end = owner_.ScreenToClient({s.right - 8, (s.top + s.bottom) / 2});
  Click(right_end);
  ASSERT_TRUE(RunUntil([&] { return !owner_.Seeks().empty(); }));
  Settle();
  ASSERT_EQ(owner_.Seeks().size(), 1u);
  EXPECT_EQ(owner_.Seeks()[0], static_cast<WParam>(SliderToHhmmss(ctrl().slider().GetPos())));
  EXPECT_EQ(ctrl().slider().GetPos(), 3000 + CPlayCtrl::kSliderPage);

  // The bars: red above the middle at 09:00, blue under it at 12:00; the
  // hover lines follow the mouse over the plot only.
  const Bitmap shown = ctrl().Render();
  EXPECT_EQ(shown.PixelAt(g.XOfTime(90000), g.mid() - 3), CPlayCtrl::kAsksBar);
  EXPECT_EQ(shown.PixelAt(g.XOfTime(120000), g.mid() + 3), CPlayCtrl::kBidsBar);
  EXPECT_EQ(shown.PixelAt(g.plot().left + 3, g.LineY(1)), CPlayCtrl::kGrid);
  EXPECT_EQ(shown.PixelAt(g.box().left + 2, g.box().top + 5), CPlayCtrl::kBoxFill);
  SimulateMouse(owner_, sys::kMouseMove, {300, 60}, 0);
  Settle();
  EXPECT_TRUE(ctrl().vertical_line().IsVisible());
  EXPECT_EQ(ctrl().vertical_line().WindowRect().left, ctrl().ClientToScreen({300, 0}).x);
  SimulateMouse(owner_, sys::kMouseMove, {20, 20}, 0);
  Settle();
  EXPECT_FALSE(ctrl().vertical_line().IsVisible());
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(ctrl().SaveScreenshot(std::string(pictures) + "/replay_ctrl.png"));
  }
}

}  // namespace
}  // namespace velloran
