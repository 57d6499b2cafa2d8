// The chart window under the offscreen platform, as a user sees and works
// it: rendered panes read pixel by pixel, the mouse and keys driving zoom,
// scrolling and the cross-hair, and the requests it sends.

#include "chart/chart_wnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <limits>

#include "chart/chart_text.h"
#include "platform/child_rect.h"
#include "platform/input_simulation.h"
#include "platform/window_events.h"
#include "tests/chart/bar_lines.h"
#include "tests/chart/recording_context.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using namespace testing_host;
using namespace testing_bars;
using namespace std::chrono;

constexpr int kWidth = 900;
constexpr int kHeight = 560;
constexpr Color kWhite = Rgb(255, 255, 255);

std::string PicturePath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// The share of a rectangle's pixels that have the colour.
double Share(const Bitmap& b, const Rect& r, Color c) {
  int same = 0, all = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      ++all;
      same += b.PixelAt(x, y) == c;
    }
  return all ? static_cast<double>(same) / all : 0;
}

bool AnyDark(const Bitmap& b, const Rect& r) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (b.PixelAt(x, y).r < 150 && b.PixelAt(x, y).g < 150) return true;
  return false;
}

class ChartWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(kWidth, kHeight));
    ASSERT_TRUE(chart.Create(&host, 1, {0, 0, kWidth, kHeight}));
    chart.SetContext(&context);
    chart.SetChartId(1);
    chart.SetCode(u"005930");
  }
  void TearDown() override { Settle(); }

  // The store index i as the k-th shown bar from the oldest.
  int Shown(int i) { return chart.data().End() - 1 - i; }
  // The middle of bar i's body in the candle pane.
  Point BodyCentre(int i) {
    CQZChartCandle& c = chart.candle();
    const TICK bar = chart.data().Bar(i);
    const int x = static_cast<int>(c.BarLeft(Shown(i)) + c.body_width() / 2);
    return {x, c.ValueToY((bar.open + bar.close) / 2.0)};
  }
  // Pane coordinates to host coordinates (the chart lies at the host's origin).
  Point FromCandle(Point p) {
    const Rect r = ChildRect(chart.candle());
    return {p.x + r.left, p.y + r.top};
  }

  Application& app_ = App();  // before the windows
  ControlHost host;
  RecordingContext context;
  CQZChartWnd chart;
};

// Eighty day bars to 2025-03-14 with a falling candle, a doji after it, a
// rising one and a doji after that at known places.
std::vector<BarLine> MarkedDays() {
  std::vector<BarLine> bars = DayWalk(80, sys_days{2025y / March / 14}, 20000);
  bars[9] = {bars[9].date, 0, 20500, 20600, 19900, 20000, 300000};  // falling
  bars[8] = {bars[8].date, 0, 20200, 20300, 20100, 20200, 200000};  // doji: blue
  bars[7] = {bars[7].date, 0, 19900, 20700, 19800, 20600, 500000};  // rising
  bars[6] = {bars[6].date, 0, 20500, 20600, 20400, 20500, 400000};  // doji: red
  return bars;
}

TEST_F(ChartWindowTest, DayChartDrawsCandlesAveragesGridAxesAndVolumes) {
  chart.SetType(u"D");
  chart.SetData(DataText(MarkedDays()), u"");
  EXPECT_EQ(chart.data().Count(), 80);
  EXPECT_EQ(chart.data().End(), 60);
  ASSERT_TRUE(chart.SaveScreenshot(PicturePath("chart_window_day.png")));
  const Bitmap candles = chart.candle().Render();
  CQZChartCandle& c = chart.candle();

  // Candles: falling blue, the doji after it blue, rising red, the doji
  // after that red; bodies as wide as the pitch less one.
  const auto body_colour = [&](int i) {
    const TICK bar = chart.data().Bar(i);
    const int left = static_cast<int>(c.BarLeft(Shown(i)));
    const int right = static_cast<int>(c.BarLeft(Shown(i)) + c.body_width());
    const int top = std::min(c.ValueToY(bar.open), c.ValueToY(bar.close));
    const int bottom = std::max(std::max(c.ValueToY(bar.open), c.ValueToY(bar.close)), top + 1);
    const Rect body{left, top, right, bottom};
    return Share(candles, body, CQZBaseChart::kFall) > 0.6   ? CQZBaseChart::kFall
           : Share(candles, body, CQZBaseChart::kRise) > 0.6 ? CQZBaseChart::kRise
                                                             : kWhite;
  };
  EXPECT_EQ(body_colour(9), CQZBaseChart::kFall);
  EXPECT_EQ(body_colour(8), CQZBaseChart::kFall);
  EXPECT_EQ(body_colour(7), CQZBaseChart::kRise);
  EXPECT_EQ(body_colour(6), CQZBaseChart::kRise);
  EXPECT_NEAR(c.body_width(), c.pitch() - 1, 1e-9);
  // The wick of the rising candle reaches its high.
  const int wick = static_cast<int>(c.BarLeft(Shown(7)) + c.pitch() / 2);
  EXPECT_EQ(candles.PixelAt(wick, c.ValueToY(20700) + 1), CQZBaseChart::kRise);

  // Month lines at the first bar of each month, with their labels below.
  int lines = 0;
  for (int i = 0; i + 1 < 60; ++i) {
    const TICK bar = chart.data().Bar(i);
    if (bar.date / 100 == chart.data().Bar(i + 1).date / 100) continue;
    const int x = static_cast<int>(c.BarLeft(Shown(i)) + c.pitch() / 2);
    EXPECT_EQ(candles.PixelAt(x, c.frame().top + 3), CQZBaseChart::kGridColor) << bar.date;
    EXPECT_TRUE(AnyDark(candles, {x - 15, c.time_axis().top, x + 15, c.time_axis().bottom}));
    ++lines;
  }
  EXPECT_EQ(lines, 3);  // December to January, to February, to March
  EXPECT_EQ(candles.PixelAt(c.frame().left + 40, c.frame().top + 3), kWhite);

  // Price axis: filled, a long tick, grid line and label every step, short
  // ticks between.
  EXPECT_EQ(candles.PixelAt(c.value_axis().right - 3, c.value_axis().top + 2),
            CQZBaseChart::kAxisColor);
  const std::int64_t step = chart.data().PriceStep();
  int labels = 0;
  for (std::int64_t v = chart.data().Bottom(); v < chart.data().Top(); v += step) {
    const int y = c.ValueToY(static_cast<double>(v));
    EXPECT_EQ(candles.PixelAt(c.value_axis().left + 4, y), CQZBaseChart::kTextColor) << v;
    // The lowest line lies on the frame.
    if (y < c.frame().bottom - 1) {
      EXPECT_EQ(candles.PixelAt(c.frame().left + 1, y), CQZBaseChart::kGridColor) << v;
    }
    labels += AnyDark(candles, {c.value_axis().left + 7, y - 5, c.value_axis().right, y + 5});
    const int minor = c.ValueToY(static_cast<double>(v + step / 5));
    EXPECT_EQ(candles.PixelAt(c.value_axis().left + 1, minor), CQZBaseChart::kTextColor);
    EXPECT_EQ(candles.PixelAt(c.value_axis().left + 4, minor), CQZBaseChart::kAxisColor);
  }
  EXPECT_GE(labels, 3);

  // The 5- and 20-bar lines are drawn, the others are off.
  const auto has_colour = [&](Color colour) { return Share(candles, c.plot(), colour) > 0; };
  EXPECT_TRUE(has_colour(CQZChartCandle::kAverageColors[0]));
  EXPECT_TRUE(has_colour(CQZChartCandle::kAverageColors[2]));
  EXPECT_FALSE(has_colour(CQZChartCandle::kAverageColors[1]));
  EXPECT_FALSE(has_colour(CQZChartCandle::kAverageColors[3]));
  // The 20-bar line, drawn last, passes through every shown bar's centre at
  // its average (the line's last point is left out, as a line's end is).
  for (int i = 1; i < 60; ++i) {
    const TICK bar = chart.data().Bar(i);
    ASSERT_GT(bar.ma20, 0);
    const int x = static_cast<int>(c.BarLeft(Shown(i)) + c.pitch() / 2);
    EXPECT_EQ(candles.PixelAt(x, c.ValueToY(bar.ma20)), CQZChartCandle::kAverageColors[2]) << i;
  }

  // Volume bars: red above the bar before, blue otherwise; the oldest shown
  // is compared with the reference bar.
  CQZChartVolume& vp = chart.volume();
  const Bitmap volumes = vp.Render();
  for (int i = 0; i < 60; ++i) {
    const TICK bar = chart.data().Bar(i);
    TICK before = chart.data().Bar(i + 1);
    if (i == 59) {
      ASSERT_TRUE(chart.data().ReferenceBar(before));
    }
    const int x = static_cast<int>(vp.BarLeft(Shown(i)));
    EXPECT_EQ(volumes.PixelAt(x, vp.plot().bottom - 1),
              bar.volume > before.volume ? CQZBaseChart::kRise : CQZBaseChart::kFall)
        << i;
  }
  // Volume axis: "K" labels with a grid line at every tenth mark.
  EXPECT_EQ(CQZChartVolume::VolumeLabel(500000, chart.data().VolumeStep()), u"500K");
  const int tenth = vp.ValueToY(static_cast<double>(chart.data().VolumeStep() / 5 * 10));
  EXPECT_EQ(volumes.PixelAt(vp.frame().left + 1, tenth), CQZBaseChart::kGridColor);

  // The top strip, its line and the checked day button.
  const Bitmap whole = host.Render();
  EXPECT_EQ(whole.PixelAt(400, 10), CQZChartWnd::kStripColor);
  EXPECT_EQ(whole.PixelAt(400, CQZChartWnd::kTopStrip - 1), CQZChartWnd::kStripLine);
  EXPECT_TRUE(chart.period_button(CQZChartWnd::kDayId).IsChecked());
  EXPECT_FALSE(chart.period_button(CQZChartWnd::kMinuteId).IsChecked());
  EXPECT_EQ(whole.PixelAt(3 + 26 * 2 + 3, 3 + 11), CRoundButton::kCheckedFace);
  EXPECT_EQ(whole.PixelAt(3 + 26 * 0 + 3, 3 + 11), CRoundButton::kFace);
}

TEST_F(ChartWindowTest, EmptyStoreDrawsTheFrameAndFilledAxesOnly) {
  for (CQZBaseChart* pane :
       {static_cast<CQZBaseChart*>(&chart.candle()), static_cast<CQZBaseChart*>(&chart.volume())}) {
    const Bitmap b = pane->Render();
    const Rect frame = pane->frame();
    EXPECT_EQ(Share(b, pane->value_axis(), CQZBaseChart::kAxisColor), 1.0);
    EXPECT_EQ(Share(b, frame.Deflated(1, 1), kWhite), 1.0);
    EXPECT_EQ(
        Share(b, {frame.left, frame.top, frame.right, frame.top + 1}, CQZBaseChart::kFrameColor),
        1.0);
    if (pane->time_axis().height() > 1) {
      EXPECT_EQ(Share(b, pane->time_axis(), CQZBaseChart::kAxisColor), 1.0);
    }
  }
  EXPECT_EQ(chart.slider().GetRangeMax(), 10);
  // A reply without bars: still a range the right way up.
  chart.SetData(u"", u"");
  EXPECT_EQ(chart.slider().GetRangeMin(), 1);
  EXPECT_EQ(chart.slider().GetRangeMax(), 1);
  EXPECT_EQ(Share(chart.candle().Render(), chart.candle().frame().Deflated(1, 1), kWhite), 1.0);
}

TEST_F(ChartWindowTest, SmallStepsStillDrawTheirAxesAndEnd) {
  // Volume tops of 7 and 20 have steps of 2 and 4: a fifth of them is 0.
  for (const std::int64_t top : {7, 20}) {
    std::vector<BarLine> bars = DayWalk(30, sys_days{2025y / March / 14}, 5000);
    for (std::size_t i = 0; i < bars.size(); ++i) bars[i].volume = 1 + i % top;
    chart.SetData(DataText(bars), u"");
    ASSERT_EQ(chart.data().VolumeTop(), top);
    CQZChartVolume& vp = chart.volume();
    const Bitmap b = vp.Render();
    EXPECT_EQ(b.PixelAt(vp.value_axis().left + 1, vp.ValueToY(2)), CQZBaseChart::kTextColor);
    EXPECT_EQ(b.PixelAt(vp.value_axis().left + 1, vp.ValueToY(1)), CQZBaseChart::kAxisColor);
    if (top == 20) {
      EXPECT_EQ(b.PixelAt(vp.value_axis().left + 4, vp.ValueToY(10)), CQZBaseChart::kTextColor);
      EXPECT_EQ(b.PixelAt(vp.frame().left + 1, vp.ValueToY(10)), CQZBaseChart::kGridColor);
    }
  }
  // Bars put into a new store without a rescale leave steps of 0.
  CChartData store(u"000660");
  store.InsertNewest({20250314, 0, 100, 120, 90, 110, 110, 5});
  store.InsertNewest({20250317, 0, 110, 130, 100, 120, 110, 9});
  ASSERT_EQ(store.PriceStep(), 0);
  ASSERT_EQ(store.VolumeStep(), 0);
  CQZChartCandle candle;
  CQZChartVolume volume;
  candle.SetData(&store);
  volume.SetData(&store);
  ASSERT_TRUE(candle.Create(&host, 7, {0, 0, 300, 200}));
  ASSERT_TRUE(volume.Create(&host, 8, {0, 200, 300, 300}));
  store.SetView(0, 0);  // nothing shown, the steps stay
  EXPECT_FALSE(candle.Render().IsNull());
  EXPECT_FALSE(volume.Render().IsNull());
}

TEST_F(ChartWindowTest, DragZoomsAndShortDragsDoNothing) {
  chart.SetData(DataText(DayWalk(100, sys_days{2025y / March / 14}, 30000)), u"");
  (void)chart.candle().Render();
  CQZChartCandle& c = chart.candle();
  const int y = c.plot().top + 40;
  const auto drag = [&](int x0, int x1) {
    SimulateMouse(host, sys::kLButtonDown, FromCandle({x0, y}));
    SimulateMouse(host, sys::kMouseMove, FromCandle({(x0 + x1) / 2, y}), sys::kLButtonFlag);
    SimulateMouse(host, sys::kLButtonUp, FromCandle({x1, y}));
  };

  // Left of the oldest shown bar is that bar, not the hidden one before it.
  EXPECT_EQ(c.BarAtX(c.plot().left - 50), 59);
  EXPECT_EQ(c.BarAtX(c.plot().right + 50), 0);

  // Under 3 pixels: nothing.
  drag(300, 302);
  EXPECT_EQ(chart.data().End(), 60);
  EXPECT_EQ(chart.data().Start(), 0);
  EXPECT_FALSE(chart.band().IsVisible());

  // The band follows the mouse while the button is held.
  SimulateMouse(host, sys::kLButtonDown, FromCandle({300, y}));
  SimulateMouse(host, sys::kMouseMove, FromCandle({360, y}), sys::kLButtonFlag);
  EXPECT_TRUE(chart.dragging());
  EXPECT_TRUE(chart.band().IsVisible());
  const Rect band = ChildRect(chart.band());
  EXPECT_EQ(band.left, 300);
  EXPECT_EQ(band.right, 360);
  EXPECT_EQ(band.top, CQZChartWnd::kTopStrip);
  EXPECT_EQ(band.bottom, ChildRect(chart.volume()).bottom);
  SimulateMouse(host, sys::kLButtonUp, FromCandle({300, y}));
  EXPECT_FALSE(chart.band().IsVisible());
  EXPECT_EQ(chart.data().End(), 60);

  // Start and end on one bar: the whole history.
  ASSERT_GT(c.pitch(), 5);
  const int left = static_cast<int>(c.BarLeft(Shown(20))) + 1;
  drag(left, left + 3);
  EXPECT_EQ(chart.data().End(), 100);
  EXPECT_EQ(chart.data().Start(), 0);
  EXPECT_EQ(chart.slider().GetPos(), 100);

  // From bar 40 to bar 10 (towards newer bars): bars 10 .. 39.
  (void)c.Render();
  drag(static_cast<int>(c.BarLeft(Shown(40)) + 2), static_cast<int>(c.BarLeft(Shown(10)) + 2));
  EXPECT_EQ(chart.data().End(), 40);
  EXPECT_EQ(chart.data().Start(), 10);
  EXPECT_EQ(chart.slider().GetPos(), 30);
  // And back towards older bars from 15 to 20: zooms out by as much.
  (void)c.Render();
  drag(static_cast<int>(c.BarLeft(Shown(15)) + 2), static_cast<int>(c.BarLeft(Shown(20)) + 2));
  EXPECT_EQ(chart.data().Start(), 15);
  EXPECT_EQ(chart.data().End(), 20 + 40 - 15);
}

TEST_F(ChartWindowTest, ScrollingMovesTheViewAndTheSliderToNoBarShowsOne) {
  EXPECT_EQ(chart.slider().GetRangeMax(), 10);  // before any data
  chart.SetData(DataText(DayWalk(100, sys_days{2025y / March / 14}, 30000)), u"");
  EXPECT_EQ(chart.slider().GetRangeMin(), 1);
  EXPECT_EQ(chart.slider().GetRangeMax(), 100);
  EXPECT_EQ(chart.slider().GetPos(), 60);
  ScrollBarControl& bar = chart.scroll_bar();
  EXPECT_EQ(bar.page(), 4);  // 40 hidden bars
  EXPECT_EQ(bar.pos(), bar.max() - bar.page() + 1);

  // One line to the left: one bar older, as many shown.
  chart.Send(sys::kHScroll, sys::MakeWParam(ctl::kLineUp, 0),
             static_cast<LParam>(bar.handle().id()));
  ASSERT_TRUE(RunUntil([&] { return chart.data().Start() == 1; }));
  EXPECT_EQ(chart.data().End(), 61);
  // To the far left: the oldest bars, still 60 of them.
  chart.Send(sys::kHScroll, sys::MakeWParam(ctl::kTop, 0), static_cast<LParam>(bar.handle().id()));
  ASSERT_TRUE(RunUntil([&] { return chart.data().Start() == 40; }));
  EXPECT_EQ(chart.data().End(), 100);
  // A reply with no more bars than that start (another type or stock) shows
  // its newest bars, as many as were shown, not an empty chart.
  chart.SetData(DataText(DayWalk(30, sys_days{2025y / March / 14}, 30000)), u"");
  EXPECT_EQ(chart.data().Start(), 0);
  EXPECT_EQ(chart.data().End(), 30);
  EXPECT_EQ(chart.slider().GetPos(), 30);
  chart.SetData(DataText(DayWalk(100, sys_days{2025y / March / 14}, 30000)), u"");
  EXPECT_EQ(chart.data().End(), 60);
  chart.Send(sys::kHScroll, sys::MakeWParam(ctl::kTop, 0), static_cast<LParam>(bar.handle().id()));
  ASSERT_TRUE(RunUntil([&] { return chart.data().Start() == 40; }));

  // The slider's Home key asks for 1 bar ending before the start: one bar.
  chart.slider().Send(sys::kKeyDown, sys::kVkHome, 0);
  EXPECT_EQ(chart.data().End(), 1);
  EXPECT_EQ(chart.data().Start(), 0);
  (void)chart.candle().Render();
  EXPECT_DOUBLE_EQ(chart.candle().pitch(), chart.candle().plot().width());
  chart.slider().Send(sys::kKeyDown, sys::kVkEnd, 0);
  EXPECT_EQ(chart.data().End(), 100);
}

// The merge itself is the series' (tests/chart/chart_series_test.cpp); the
// window keeps its zoom and scroll bar in line with the bars a trade adds.
TEST_F(ChartWindowTest, LiveMinuteBarsReachTheSliderAndTheScrollBar) {
  context.trading_date = 20250314;
  context.market_open = true;
  chart.SetType(u"m3");
  std::vector<BarLine> bars;
  for (int i = 0; i < 20; ++i) {
    const int minutes = 9 * 60 + 30 - 3 * i;
    bars.push_back(
        {20250314, minutes / 60 * 10000 + minutes % 60 * 100, 1000, 1010, 990, 1000 + i, 50});
  }
  chart.SetData(DataText(bars), QuoteText(93040, 2, 10, 1000, 1000, 1100, 990, 7, 9000));
  chart.slider().Send(sys::kKeyDown, sys::kVkHome, 0);  // the fewest bars
  ASSERT_EQ(chart.data().End() - chart.data().Start(), 1);
  CPKT q;
  ASSERT_TRUE(q.Parse(QuoteText(93700, 2, 10, 1050, 1000, 1100, 990, 7, 9000)));
  chart.UpdateQuote(q);
  EXPECT_TRUE(chart.ApplyTick(true));
  ASSERT_EQ(chart.data().Count(), 22);
  EXPECT_EQ(chart.slider().GetRangeMax(), 22);
  EXPECT_EQ(chart.slider().GetPos(), 1);
  // The newest bar stays at the right end, the thumb with it.
  ScrollBarControl& bar = chart.scroll_bar();
  EXPECT_EQ(chart.data().Start(), 0);
  EXPECT_EQ(bar.pos(), bar.max() - bar.page() + 1);
  EXPECT_EQ(bar.max(), 21 + 21 / 10);  // 21 bars hidden, and their page
}

TEST_F(ChartWindowTest, MinuteChartMarksHoursAndTheNewDayAndCrowdedLabelsGiveWay) {
  // Two sessions of one-minute bars, 09:00 to 15:30.
  std::vector<BarLine> bars;
  for (const std::int32_t date : {20250314, 20250313}) {
    for (int m = 15 * 60 + 30; m >= 9 * 60; --m)
      bars.push_back({date, m / 60 * 10000 + m % 60 * 100, 5000, 5020, 4980, 5000 + m % 7, 10});
  }
  chart.SetType(u"m1");
  chart.SetData(DataText(bars), u"");
  ASSERT_EQ(chart.data().End(), 400);
  const Bitmap b = chart.candle().Render();
  ASSERT_TRUE(chart.SaveScreenshot(PicturePath("chart_window_minutes.png")));
  CQZChartCandle& c = chart.candle();
  const auto centre = [&](int i) { return static_cast<int>(c.BarLeft(Shown(i)) + c.pitch() / 2); };
  const auto label_at = [&](int x) {
    return AnyDark(b, {x - 15, c.time_axis().top, x + 15, c.time_axis().bottom});
  };
  // The session's first bar (index 390) starts a new day: line and MM/DD.
  EXPECT_EQ(chart.data().Bar(390).time, 90000);
  EXPECT_EQ(b.PixelAt(centre(390), c.frame().top + 3), CQZBaseChart::kGridColor);
  EXPECT_TRUE(label_at(centre(390)));
  // Each new hour: 10:00 is index 330.
  EXPECT_EQ(b.PixelAt(centre(330), c.frame().top + 3), CQZBaseChart::kGridColor);
  EXPECT_TRUE(label_at(centre(330)));
  EXPECT_EQ(b.PixelAt(centre(329), c.frame().top + 3), kWhite);

  // Five years of days: month lines 14 pixels apart, so a label gives way
  // to the one before it and only every third month is named.
  chart.SetType(u"D");
  chart.SetData(DataText(DayWalk(1300, sys_days{2025y / March / 14}, 40000)), u"");
  chart.slider().Send(sys::kKeyDown, sys::kVkEnd, 0);
  ASSERT_EQ(chart.data().End(), 1300);
  const Bitmap years = chart.candle().Render();
  ASSERT_TRUE(chart.SaveScreenshot(PicturePath("chart_window_years.png")));
  int lines = 0, named = 0;
  for (int i = 0; i + 1 < 1300; ++i) {
    if (chart.data().Bar(i).date / 100 == chart.data().Bar(i + 1).date / 100) continue;
    const int x = static_cast<int>(c.BarLeft(Shown(i)) + c.pitch() / 2);
    ++lines;
    // A label's own middle column has ink only where it was drawn.
    named += AnyDark(years, {x - 1, c.time_axis().top, x + 2, c.time_axis().bottom});
  }
  EXPECT_GT(lines, 55);
  EXPECT_LT(named, lines / 2);
  EXPECT_GE(named, lines / 4);
}

// DayTicksUpdateTheNewestBarAndStartOneOnlyOnALaterDate: in
// tests/chart/chart_series_test.cpp.

TEST_F(ChartWindowTest, PeriodButtonsAndComboSendRequestsWithCountOnlyForDayAndOneMinute) {
  chart.SetType(u"m1");
  const auto click = [&](int id) {
    SimulateMouse(host, sys::kLButtonDown, CentreIn(host, chart.period_button(id)));
    SimulateMouse(host, sys::kLButtonUp, CentreIn(host, chart.period_button(id)));
  };
  click(CQZChartWnd::kDayId);
  click(CQZChartWnd::kWeekId);
  click(CQZChartWnd::kMonthId);
  chart.period_combo().SetCurSel(2);
  click(CQZChartWnd::kMinuteId);
  chart.period_combo().SetCurSel(0);
  click(CQZChartWnd::kMinuteId);
  const std::u16string head = u"<PKT><GBN>3011</GBN><STKCD>005930</STKCD>";
  EXPECT_EQ(context.sent, (std::vector<std::u16string>{
                              head + u"<TM>D</TM><CHART_ID>1</CHART_ID><CNT>1200</CNT></PKT>",
                              head + u"<TM>J</TM><CHART_ID>1</CHART_ID></PKT>",
                              head + u"<TM>M</TM><CHART_ID>1</CHART_ID></PKT>",
                              head + u"<TM>m5</TM><CHART_ID>1</CHART_ID></PKT>",
                              head + u"<TM>m1</TM><CHART_ID>1</CHART_ID><CNT>1200</CNT></PKT>",
                          }));
  EXPECT_TRUE(chart.period_button(CQZChartWnd::kMinuteId).IsChecked());
  EXPECT_FALSE(chart.period_button(CQZChartWnd::kDayId).IsChecked());
  EXPECT_EQ(chart.visible_end(), 400);  // the commands leave the visible end alone

  // Switching from today's day bars to minutes: a trade before the reply is
  // not cut into flat minute bars of the day's bars.
  context.trading_date = 20250314;
  context.market_open = true;
  click(CQZChartWnd::kDayId);
  chart.SetData(DataText(DayWalk(30, sys_days{2025y / March / 14}, 10000)), u"");
  click(CQZChartWnd::kMinuteId);
  CPKT q;
  ASSERT_TRUE(q.Parse(QuoteText(100000, 2, 100, 10100, 10000, 10200, 9900, 5, 5000)));
  chart.UpdateQuote(q);
  EXPECT_TRUE(chart.ApplyTick(true));
  EXPECT_EQ(chart.data().Count(), 0);
  // Without a connection nothing waits for a reply.
  context.connected = false;
  EXPECT_FALSE(chart.Request());
}

TEST_F(ChartWindowTest, CrossHairLabelsAndTheTipFollowTheMouse) {
  context.trading_date = 20250314;
  chart.SetType(u"D");
  chart.SetData(DataText(MarkedDays()), u"");
  (void)chart.candle().Render();

  // Over the rising candle's body: lines through the cursor, the price at
  // the axis, the date below.
  const Point p = BodyCentre(7);
  const Point at = FromCandle(p);
  SimulateMouse(host, sys::kMouseMove, at);
  EXPECT_TRUE(chart.vertical_line().IsVisible());
  EXPECT_EQ(ChildRect(chart.vertical_line()).left, at.x);
  EXPECT_EQ(ChildRect(chart.horizontal_line()).top, at.y);
  EXPECT_EQ(chart.value_label().Text(), CQZBaseChart::Grouped(chart.candle().ValueAtCursor(p)));
  EXPECT_EQ(ChildRect(chart.value_label()).left, chart.candle().value_axis().left);
  EXPECT_EQ(chart.time_label().Text(), chart_text::DateText(chart.data().Bar(7).date));
  EXPECT_EQ(ChildRect(chart.time_label()).left, at.x - 30);
  EXPECT_EQ(ChildRect(chart.time_label()).top, ChildRect(chart.candle()).bottom - 18);

  // At rest, the tip of that bar, 150 x 90, right of and below the cursor.
  ASSERT_TRUE(RunUntil([&] { return chart.data_tip().IsVisible(); }));
  const TICK bar = chart.data().Bar(7);
  const std::u16string rate = FormatReal2(chart_text::RateAgainst(bar.close, bar.base)) + u"%)";
  const std::u16string tip = chart.data_tip().Text();
  EXPECT_EQ(tip.rfind(u"날짜 : " + chart_text::DateText(bar.date) + u"\n시가 : ", 0), 0u)
      << tip.size();
  EXPECT_NE(tip.find(u"종가 : " + FormatNumber(bar.close) + u" (" + rate), std::u16string::npos);
  EXPECT_NE(tip.find(u"거래량 : " + FormatNumber(bar.volume) + u"\n"), std::u16string::npos);
  const Rect tip_rect = chart.data_tip().WindowRect();
  const Point screen = host.ClientToScreen(at);
  EXPECT_EQ(tip_rect.left, screen.x + 5);
  EXPECT_EQ(tip_rect.top, screen.y + 5);
  EXPECT_EQ(tip_rect.width(), 150);
  EXPECT_GE(tip_rect.height(), 90);
  // Every line shows: the last one's text lies inside the tip.
  const Bitmap tip_picture = chart.data_tip().Render();
  EXPECT_TRUE(AnyDark(tip_picture, {10, tip_rect.height() - 24, 60, tip_rect.height() - 10}));
  ASSERT_TRUE(chart.SaveScreenshot(PicturePath("chart_window_cross.png")));
  ASSERT_TRUE(chart.data_tip().SaveScreenshot(PicturePath("chart_window_tip.png")));

  // Near the right edge the tip goes to the left; a price with no base
  // shows a rate of 0.
  CPKT q;
  ASSERT_TRUE(q.Parse(QuoteText(100000, 2, 30000, 30000, 29000, 30500, 28000, 1, 1000)));
  chart.UpdateQuote(q);
  chart.ApplyTick(true);
  (void)chart.candle().Render();
  const Point newest = FromCandle(BodyCentre(0));
  SimulateMouse(host, sys::kMouseMove, newest);
  ASSERT_TRUE(RunUntil([&] { return chart.data_tip().IsVisible(); }));
  EXPECT_EQ(chart.data_tip().WindowRect().left, host.ClientToScreen(newest).x - 155);
  EXPECT_NE(chart.data_tip().Text().find(u"종가 : 30,000 (0.00%)"), std::u16string::npos);

  // Over the volume pane only the value label stays, with a volume.
  const Rect volume = ChildRect(chart.volume());
  SimulateMouse(host, sys::kMouseMove, {newest.x, volume.top + volume.height() / 2});
  EXPECT_FALSE(chart.vertical_line().IsVisible());
  EXPECT_FALSE(chart.time_label().IsVisible());
  EXPECT_TRUE(chart.value_label().IsVisible());
  EXPECT_FALSE(chart.data_tip().IsVisible());

  // Over the top strip: everything goes.
  SimulateMouse(host, sys::kMouseMove, {400, 10});
  EXPECT_FALSE(chart.value_label().IsVisible());
  EXPECT_FALSE(chart.horizontal_line().IsVisible());
  EXPECT_FALSE(chart.data_tip().IsVisible());
}

TEST_F(ChartWindowTest, ANewStockOrPeriodShowsTheNewestBarsAndAZoomRereadsTheCrossHair) {
  chart.SetType(u"D");
  ScrollBarControl& bar = chart.scroll_bar();
  const auto scroll_back = [&] {
    chart.SetData(DataText(DayWalk(100, sys_days{2025y / March / 14}, 30000)), u"");
    chart.Send(sys::kHScroll, sys::MakeWParam(ctl::kTop, 0),
               static_cast<LParam>(bar.handle().id()));
    ASSERT_TRUE(RunUntil([&] { return chart.data().Start() == 40; }));
  };
  // Scrolled back, then a reply: of the same stock and period the view stays
  // back; of another stock or period it ends at the newest bar.
  struct Case {
    const char* what;
    std::function<void()> change;
    int start;
  };
  const Case cases[] = {
      {"same", [] {}, 40},
      {"stock", [&] { chart.SetCode(u"000660"); }, 0},
      {"period",
       [&] {
         SimulateMouse(host, sys::kLButtonDown, CentreIn(host, chart.period_button(CQZChartWnd::kWeekId)));
         SimulateMouse(host, sys::kLButtonUp, CentreIn(host, chart.period_button(CQZChartWnd::kWeekId)));
       },
       0},
  };
  for (const Case& c : cases) {
    chart.SetCode(u"005930");
    chart.SetType(u"D");
    scroll_back();
    c.change();
    chart.SetData(DataText(DayWalk(100, sys_days{2025y / March / 14}, 30000)), u"");
    EXPECT_EQ(chart.data().Start(), c.start) << c.what;
    EXPECT_EQ(chart.data().End() - chart.data().Start(), 60) << c.what;
    if (c.start != 0) continue;
    // The newest bar stands at the right end, the thumb with it.
    EXPECT_EQ(bar.pos(), bar.max() - bar.page() + 1) << c.what;
    CQZChartCandle& cd = chart.candle();
    const Bitmap b = cd.Render();
    const TICK newest = chart.data().Bar(0);
    const int wick = static_cast<int>(cd.BarLeft(Shown(0)) + cd.pitch() / 2);
    const int y = cd.ValueToY((newest.high + newest.low) / 2.0);
    EXPECT_NE(b.PixelAt(wick, y), kWhite) << c.what;
  }
  ASSERT_TRUE(chart.SaveScreenshot(PicturePath("chart_window_new_period.png")));

  // A drag zoom under a resting mouse: the value label reads the new scale
  // at once.
  chart.SetType(u"D");
  chart.SetData(DataText(MarkedDays()), u"");
  CQZChartCandle& c = chart.candle();
  (void)c.Render();
  const int y = c.plot().top + 30;
  const Point from = FromCandle({static_cast<int>(c.BarLeft(Shown(50)) + 2), y});
  const Point to = FromCandle({static_cast<int>(c.BarLeft(Shown(5)) + 2), y});
  SimulateMouse(host, sys::kMouseMove, from);
  const std::u16string before = chart.value_label().Text();
  SimulateMouse(host, sys::kLButtonDown, from);
  SimulateMouse(host, sys::kMouseMove, to, sys::kLButtonFlag);
  SimulateMouse(host, sys::kLButtonUp, to);
  ASSERT_EQ(chart.data().End(), 50);
  (void)c.Render();
  const Point in_pane{to.x - ChildRect(c).left, to.y - ChildRect(c).top};
  EXPECT_EQ(chart.value_label().Text(), CQZBaseChart::Grouped(c.ValueAtCursor(in_pane)));
  EXPECT_NE(chart.value_label().Text(), before);
  EXPECT_EQ(ChildRect(chart.vertical_line()).left, to.x);
  EXPECT_EQ(chart.time_label().Text(),
            chart_text::DateText(chart.data().Bar(c.BarUnderMouse(in_pane)).date));
}

TEST_F(ChartWindowTest, TimeLabelsGiveWayAtADaysTurnAndNameWeeksAndMonths) {
  const auto has_ink = [](const Bitmap& b, int x, const Rect& axis, int half) {
    return AnyDark(b, {x - half, axis.top, x + half + 1, axis.bottom});
  };
  // A minute chart narrow enough that 15:00 of one day lies under the next
  // day's MM/DD: the hour goes, the date stays.
  std::vector<BarLine> minutes;
  for (const std::int32_t date : {20251209, 20251208}) {
    for (int m = 15 * 60 + 30; m >= 9 * 60; --m)
      minutes.push_back({date, m / 60 * 10000 + m % 60 * 100, 5000, 5020, 4980, 5000 + m % 7, 10});
  }
  chart.Move({0, 0, 400, kHeight});
  chart.SetType(u"m1");
  chart.SetData(DataText(minutes), u"");
  chart.slider().Send(sys::kKeyDown, sys::kVkEnd, 0);  // both days
  CQZChartCandle& c = chart.candle();
  Bitmap b = c.Render();
  ASSERT_TRUE(chart.SaveScreenshot(PicturePath("chart_window_day_turn.png")));
  const auto centre = [&](int i) { return static_cast<int>(c.BarLeft(Shown(i)) + c.pitch() / 2); };
  ASSERT_EQ(chart.data().Bar(390).time, 90000);
  ASSERT_EQ(chart.data().Bar(421).time, 150000);
  ASSERT_LT(centre(390) - centre(421), CQZBaseChart::kLabelWidth);
  EXPECT_TRUE(has_ink(b, centre(390), c.time_axis(), 1));    // 12/09
  // "15" would have ink left of the date's own text.
  EXPECT_FALSE(AnyDark(b, {centre(421) - 5, c.time_axis().top, centre(421) - 1,
                           c.time_axis().bottom}));
  EXPECT_TRUE(has_ink(b, centre(270), c.time_axis(), 2));  // 11 of the new day
  chart.Move({0, 0, kWidth, kHeight});

  // Week and month charts: each named change of month or year carries ink
  // under its bar, where no label was before.
  struct Case {
    const char16_t* type;
    int step_days;
    int count;
  };
  for (const Case& k : {Case{u"J", 7, 60}, Case{u"M", 30, 60}}) {
    std::vector<BarLine> bars = DayWalk(k.count, sys_days{2026y / December / 7}, 20000);
    sys_days day{2026y / December / 7};
    for (BarLine& line : bars) {
      const year_month_day ymd{day};
      line.date = static_cast<int>(ymd.year()) * 10000 + static_cast<unsigned>(ymd.month()) * 100 +
                  static_cast<unsigned>(ymd.day());
      day -= days{k.step_days};
    }
    chart.SetType(k.type);
    chart.SetData(DataText(bars), u"");
    b = c.Render();
    ASSERT_TRUE(chart.SaveScreenshot(PicturePath(k.type == std::u16string(u"J")
                                                     ? "chart_window_weeks.png"
                                                     : "chart_window_months.png")));
    int years = 0, named_years = 0, months = 0, named_months = 0;
    for (int i = 0; i + 1 < chart.data().End(); ++i) {
      const TICK bar = chart.data().Bar(i);
      const TICK older = chart.data().Bar(i + 1);
      if (bar.date / 100 == older.date / 100) continue;
      const bool year = bar.date / 10000 != older.date / 10000;
      const bool named = has_ink(b, centre(i), c.time_axis(), 1);
      if (year) {
        ++years;
        named_years += named;
      } else if (k.type == std::u16string(u"J") || bar.date / 100 % 100 % 3 == 1) {
        ++months;
        named_months += named;
      }
    }
    EXPECT_GE(years, 1) << k.count;
    EXPECT_EQ(named_years, years);  // every year
    EXPECT_GE(named_months, months / 2);
    EXPECT_GE(named_months, 3);
  }
}

// RepliesAreTakenOnlyForTheNewestRequestOfTheShownStock: in
// tests/chart/chart_series_test.cpp.

}  // namespace
}  // namespace velloran
