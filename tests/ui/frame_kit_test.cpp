// The frame's parts of the kit under the offscreen platform, worked with the
// mouse: the splitter bar, the main frame's splitter window and the title
// bar; and a picture of them with a list.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/bitmap_resources.h"
#include "platform/child_rect.h"
#include "platform/input_simulation.h"
#include "platform/list_ctrl.h"
#include "platform/window_messages.h"
#include "tests/platform/control_host.h"
#include "ui/foot_bar.h"
#include "ui/my_splitter.h"
#include "ui/my_splitter_wnd.h"
#include "ui/my_title_bar.h"

namespace velloran {
namespace {

using namespace testing_host;

// A frame that keeps the splitter messages and close requests it gets.
class FrameHost : public ControlHost {
 public:
  LResult WindowProc(WindowMessage& m) override {
    if (m.message == msg::kSplitterMoved) {
      moved.push_back(m.wparam);
      return 0;
    }
    if (m.message == sys::kClose) {
      ++closes;
      return 0;
    }
    return ControlHost::WindowProc(m);
  }
  std::vector<WParam> moved;
  int closes = 0;
};

class Panel : public Window {
 public:
  explicit Panel(Color c) { SetBackgroundColor(c); }
};

class FrameKitTest : public ::testing::Test {
 protected:
  void SetUp() override { UiLoop().SetClock(&clock_); }
  void TearDown() override {
    Settle();
    UiLoop().SetClock(nullptr);
  }
  void Drag(Point from, Point to) {
    SimulateMouse(host, sys::kLButtonDown, from);
    SimulateMouse(host, sys::kMouseMove, {(from.x + to.x) / 2, (from.y + to.y) / 2},
                  sys::kLButtonFlag);
    SimulateMouse(host, sys::kMouseMove, to, sys::kLButtonFlag);
    SimulateMouse(host, sys::kLButtonUp, to);
  }
  // Lets the 10 ms drag timer run for a while.
  void Wait(int ms) {
    UiLoop().Advance(clock_, std::chrono::milliseconds(ms));
    Settle();
  }
  Application& app_ = App();  // before the windows
  ManualClock clock_;
  FrameHost host;
};

TEST_F(FrameKitTest, SplitterDraggedPastItsLimitsStopsAtTheMarginAndTellsItsParentOnce) {
  ASSERT_TRUE(host.Open(600, 400));
  Panel left(Rgb(200, 220, 240));
  ASSERT_TRUE(left.Create(&host, 1, {0, 0, 200, 400}, u""));
  CMySplitter bar;
  ASSERT_TRUE(bar.Create(&host, SplitterOrientation::kVertical, &left, 30, Rgb(50, 50, 50)));
  EXPECT_EQ(ChildRect(bar), (Rect{200, 0, 203, 400}));
  EXPECT_EQ(bar.limits(), (Rect{0, 0, 600, 400}));
  EXPECT_EQ(bar.ratio(), -1.0);

  SimulateMouse(host, sys::kLButtonDown, {201, 100});
  SimulateMouse(host, sys::kMouseMove, {450, 120}, sys::kLButtonFlag);
  SimulateMouse(host, sys::kMouseMove, {900, 140}, sys::kLButtonFlag);
  EXPECT_EQ(ChildRect(bar), (Rect{570, 0, 573, 400}));  // far limit 600 less the margin
  Wait(40);  // the button is still down: nothing is said yet
  EXPECT_TRUE(host.moved.empty());
  SimulateMouse(host, sys::kLButtonUp, {900, 140});
  Wait(10);  // the drag timer sees the button up
  ASSERT_FALSE(host.moved.empty());
  Wait(60);
  ASSERT_EQ(host.moved.size(), 1u);
  EXPECT_EQ(host.moved[0], reinterpret_cast<WParam>(&bar));
  EXPECT_DOUBLE_EQ(bar.ratio(), 570.0 / 600.0);
  EXPECT_FALSE(bar.dragging());
  EXPECT_EQ(bar.FirstPaneRect(), (Rect{0, 0, 570, 400}));
  EXPECT_EQ(bar.SecondPaneRect(), (Rect{573, 0, 600, 400}));

  // Before the near limit it stops at the margin from it.
  Drag({571, 50}, {-200, 50});
  Wait(10);
  ASSERT_EQ(host.moved.size(), 2u);
  Wait(40);
  EXPECT_EQ(host.moved.size(), 2u);
  EXPECT_EQ(ChildRect(bar).left, 30);
  EXPECT_DOUBLE_EQ(bar.ratio(), 30.0 / 600.0);

  // A horizontal bar moves up and down only.
  Panel top(Rgb(240, 220, 200));
  ASSERT_TRUE(top.Create(&host, 2, {100, 0, 400, 100}, u""));
  CMySplitter rows;
  ASSERT_TRUE(rows.Create(&host, SplitterOrientation::kHorizontal, &top, 20, Rgb(128, 128, 128)));
  EXPECT_EQ(ChildRect(rows), (Rect{0, 100, 600, 103}));
  Drag({300, 101}, {350, 250});
  Wait(10);
  ASSERT_EQ(host.moved.size(), 3u);
  EXPECT_EQ(ChildRect(rows), (Rect{0, 249, 600, 252}));  // grabbed 1 pixel inside
  EXPECT_EQ(rows.FirstPaneRect(), (Rect{0, 0, 600, 249}));
}

TEST_F(FrameKitTest, SplitterWindowKeepsMinimumSizesAndItsLockStopsTheBars) {
  ASSERT_TRUE(host.Open(1000, 600));
  CMySplitterWnd outer;
  ASSERT_TRUE(outer.CreateStatic(&host, 1, 2, 59648, {0, 0, 1000, 600}));
  Panel left(Rgb(200, 220, 240)), right(Rgb(240, 240, 200));
  ASSERT_TRUE(left.Create(&outer, 1, {}, u""));
  ASSERT_TRUE(right.Create(&outer, 2, {}, u""));
  outer.SetPane(0, 0, &left);
  outer.SetPane(0, 1, &right);
  outer.SetColumnInfo(0, 580, 100);
  outer.RecalcLayout();
  EXPECT_EQ(ChildRect(left), (Rect{1, 1, 581, 599}));
  EXPECT_EQ(outer.BarRect(SplitterWindow::Bar::kColumn, 0), (Rect{581, 1, 585, 599}));
  EXPECT_EQ(ChildRect(right), (Rect{585, 1, 999, 599}));
  const Bitmap shot = outer.Render();
  EXPECT_EQ(shot.PixelAt(582, 300), CMySplitterWnd::kInner);
  EXPECT_EQ(shot.PixelAt(583, 300), CMySplitterWnd::kInner);
  EXPECT_EQ(shot.PixelAt(581, 300), Rgb(58, 58, 58));
  EXPECT_EQ(shot.PixelAt(584, 300), Rgb(58, 58, 58));

  // Grabbed 1 pixel inside and dropped at x 300: the bar starts at 299, and
  // the column keeps that share of the room as the window changes.
  Drag({582, 300}, {300, 310});
  EXPECT_DOUBLE_EQ(outer.ColumnInfo(0).share, 298.0 / 994);
  EXPECT_EQ(ChildRect(left), (Rect{1, 1, 299, 599}));
  EXPECT_EQ(ChildRect(right).left, 303);
  outer.Move({0, 0, 500, 600});
  EXPECT_EQ(outer.ColumnInfo(0).current, 148);
  outer.Move({0, 0, 1000, 600});
  EXPECT_EQ(ChildRect(left), (Rect{1, 1, 299, 599}));
  // Dragged below its minimum the column stops at it.
  Drag({300, 300}, {50, 300});
  EXPECT_EQ(outer.ColumnInfo(0).current, 100);
  EXPECT_EQ(ChildRect(right).left, 105);
  Drag({102, 300}, {400, 300});
  EXPECT_EQ(outer.ColumnInfo(0).current, 398);
  // The last column keeps its minimum too.
  outer.SetColumnInfo(0, 990, 100);
  outer.SetColumnInfo(1, 0, 50);
  outer.RecalcLayout();
  EXPECT_EQ(ChildRect(left), (Rect{1, 1, 945, 599}));
  EXPECT_EQ(outer.ColumnInfo(1).current, 50);
  // A room smaller than everything gives sizes of 0, never negative ones.
  outer.Move({0, 0, 3, 3});
  EXPECT_EQ(outer.ColumnInfo(0).current, 0);
  EXPECT_EQ(outer.ColumnInfo(1).current, 0);
  outer.Move({0, 0, 1000, 600});
  outer.SetColumnInfo(0, 580, 100);
  outer.SetColumnInfo(1, 0, 0);
  outer.RecalcLayout();

  // Locked: hit testing answers nowhere and the bar stays put.
  outer.SetLocked(true);
  EXPECT_EQ(outer.HitTest({582, 300}), HitCode::kNowhere);
  Drag({582, 300}, {300, 300});
  EXPECT_FALSE(outer.IsDragging());
  EXPECT_EQ(ChildRect(left), (Rect{1, 1, 581, 599}));
  outer.SetLocked(false);
  EXPECT_EQ(outer.HitTest({582, 300}), HitCode::kBorder);
  EXPECT_EQ(outer.HitTest({100, 300}), HitCode::kClient);

  // Rows work the same way: the left splitter of the frame, 762 ideal, 10 minimum.
  CMySplitterWnd rows;
  ASSERT_TRUE(rows.CreateStatic(&right, 2, 1, 3, {0, 0, 400, 900}));
  rows.SetRowInfo(0, 762, 10);
  rows.RecalcLayout();
  EXPECT_EQ(rows.PaneRect(0, 0), (Rect{1, 1, 399, 763}));
  EXPECT_EQ(rows.PaneRect(1, 0), (Rect{1, 767, 399, 899}));
}

TEST_F(FrameKitTest, TitleBarButtonsCloseToggleMaximiseAndAPressMovesTheFrame) {
  ASSERT_TRUE(host.Open(600, 300));
  CMyTitleBar title;
  ASSERT_TRUE(title.Create(&host, 100));
  EXPECT_EQ(ChildRect(title), (Rect{0, 0, 600, CMyTitleBar::kHeight}));
  // From the right edge leftwards, 3 pixels apart and from the top.
  EXPECT_EQ(ChildRect(title.close_button()), (Rect{581, 3, 597, 19}));
  EXPECT_EQ(ChildRect(title.maximize_button()), (Rect{562, 3, 578, 19}));
  EXPECT_EQ(ChildRect(title.minimize_button()), (Rect{543, 3, 559, 19}));
  const Bitmap shot = title.Render();
  const Bitmap& art = LoadBitmapResource(CMyTitleBar::kTitleBitmap);
  ASSERT_EQ(art.size(), (Size{82, 15}));
  int same = 0;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 82; ++x) same += shot.PixelAt(3 + x, 3 + y) == art.PixelAt(x, y);
  EXPECT_EQ(same, 82 * 15);
  EXPECT_EQ(shot.PixelAt(300, 10), CMyTitleBar::kBackground);

  // A press on the bar itself moves the frame with the mouse.
  const Rect before = host.WindowRect();
  SimulateMouse(host, sys::kLButtonDown, {200, 10});
  SimulateMouse(host, sys::kMouseMove, {230, 25}, sys::kLButtonFlag);
  SimulateMouse(host, sys::kLButtonUp, {230, 25});
  EXPECT_EQ(host.WindowRect().left, before.left + 30);
  EXPECT_EQ(host.WindowRect().top, before.top + 15);

  const auto click = [&](Window& button) {
    const Point p = CentreIn(host, button);
    SimulateMouse(host, sys::kLButtonDown, p);
    SimulateMouse(host, sys::kLButtonUp, p);
  };
  click(title.maximize_button());
  EXPECT_EQ(title.maximize_button().state(), 1);
  EXPECT_EQ(title.maximize_button().bitmap_id(), CMyTitleBar::kRestoreBitmap);
  EXPECT_TRUE(host.IsMaximized());
  click(title.maximize_button());
  EXPECT_EQ(title.maximize_button().bitmap_id(), CMyTitleBar::kMaximizeBitmap);
  EXPECT_FALSE(host.IsMaximized());

  click(title.close_button());
  EXPECT_EQ(host.closes, 0);  // posted, not sent
  ASSERT_TRUE(RunUntil([&] { return host.closes == 1; }));
}

TEST_F(FrameKitTest, GalleryOfTheFrameParts) {
  ASSERT_TRUE(host.Open(900, 560));
  CMyTitleBar title;
  ASSERT_TRUE(title.Create(&host, 100));
  CMySplitterWnd outer, right;
  ASSERT_TRUE(outer.CreateStatic(&host, 1, 2, 59648, {0, CMyTitleBar::kHeight, 900, 540}));
  ListStyle style;
  style.grid_lines = true;
  style.show_selection_always = true;
  style.header_drag_drop = true;
  ListCtrl list(style);
  ASSERT_TRUE(list.Create(&outer, 1, {}, u""));
  const char16_t* titles[] = {u"종목코드", u"종목명", u"현재가", u"등락률", u"거래량"};
  const ColumnAlign aligns[] = {ColumnAlign::kLeft, ColumnAlign::kLeft, ColumnAlign::kRight,
                                ColumnAlign::kRight, ColumnAlign::kRight};
  const int widths[] = {60, 100, 80, 70, 90};
  for (int c = 0; c < 5; ++c) list.InsertColumn(c, {titles[c], widths[c], aligns[c]});
  const char16_t* names[] = {u"삼성전자", u"SK하이닉스", u"카카오", u"NAVER", u"현대차"};
  for (int i = 0; i < 40; ++i) {
    list.InsertItem(
        i, std::u16string(u"00") + char16_t(u'0' + i / 10) + char16_t(u'0' + i % 10) + u"30");
    list.SetItemText(i, 1, names[i % 5]);
    list.SetItemText(i, 2, u"71,200");
    list.SetItemText(i, 3, i % 3 ? u"+1.25" : u"-0.40");
    list.SetItemText(i, 4, u"12,345,678");
  }
  list.SelectItem(2);
  ASSERT_TRUE(right.CreateStatic(&outer, 2, 1, 2));
  Panel upper(Rgb(235, 238, 245)), lower(Rgb(58, 58, 58));
  ASSERT_TRUE(upper.Create(&right, 1, {}, u""));
  ASSERT_TRUE(lower.Create(&right, 2, {}, u""));
  right.SetPane(0, 0, &upper);
  right.SetPane(1, 0, &lower);
  right.SetRowInfo(0, 240, 10);
  outer.SetPane(0, 0, &list);
  outer.SetPane(0, 1, &right);
  outer.SetColumnInfo(0, 420, 100);
  outer.RecalcLayout();
  right.RecalcLayout();
  // Two charts split by a bar in the lower pane.
  Panel day(Rgb(250, 250, 250)), minute(Rgb(245, 245, 250));
  ASSERT_TRUE(day.Create(&lower, 1, {0, 0, 230, lower.ClientRect().height()}, u""));
  CMySplitter bar;
  ASSERT_TRUE(bar.Create(&lower, SplitterOrientation::kVertical, &day, 30, Rgb(50, 50, 50)));
  ASSERT_TRUE(minute.Create(&lower, 2, bar.SecondPaneRect(), u""));
  CFootBar foot;
  ASSERT_TRUE(foot.Create(&host, 102, {0, 540, 900, 560}, u""));

  const std::string path = ::testing::TempDir() + "frame_kit_gallery.png";
  ASSERT_TRUE(host.SaveScreenshot(path));
  std::printf("gallery: %s\n", path.c_str());
  const Bitmap shot = host.Render();
  EXPECT_EQ(shot.PixelAt(300, 5), CMyTitleBar::kBackground);
  EXPECT_EQ(shot.PixelAt(10, 548), CFootBar::kBackground);
  // The selected third row of the list, below its header.
  const Rect row = list.ItemRect(2);
  const Point in_host = host.ScreenToClient(list.ClientToScreen({row.right - 3, row.top + 2}));
  EXPECT_EQ(shot.PixelAt(in_host.x, in_host.y), list.colors().selected_background);
}

}  // namespace
}  // namespace velloran
