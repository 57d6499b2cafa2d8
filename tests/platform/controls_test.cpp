// The standard controls under the offscreen platform, driven by simulated
// mouse and keys: what the user sees and what the parent is told.

#include <gtest/gtest.h>

#include "platform/button_control.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/list_box_control.h"
#include "platform/memo_control.h"
#include "platform/scroll_bar_control.h"
#include "platform/slider_control.h"
#include "platform/tool_tip_control.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using namespace testing_host;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.Open()); }
  void TearDown() override { Settle(); }
  void Type(Window& w, const std::u16string& text) {
    for (char16_t c : text) {
      const WParam key =
          (c >= u'a' && c <= u'z') ? WParam(c - u'a' + 'A') : WParam(c < 128 ? c : 0);
      SimulateKey(w, key, c);
    }
  }
  void ClickAt(Point p) {
    SimulateMouse(host, sys::kLButtonDown, p);
    SimulateMouse(host, sys::kLButtonUp, p);
  }
  Application& app_ = App();  // before the windows
  ControlHost host;
};

// An edit that keeps the Down key from the field, as the stock search does.
class SwallowingEdit : public EditControl {
 public:
  void OnKeyDown(WParam key) override {
    if (key == sys::kVkDown) {
      ++downs;
      SwallowKey();
    }
  }
  int downs = 0;
};

TEST_F(ControlsTest, EditTypesUpperCaseLatinAndKeepsOtherText) {
  EditControl edit;
  ASSERT_TRUE(edit.Create(&host, 131, {10, 10, 200, 34}, {.uppercase = true}));
  edit.SetFocus();
  Type(edit, u"ab1한c");
  EXPECT_EQ(edit.Text(), u"AB1한C");
  EXPECT_EQ(edit.Window::Text(), u"AB1한C");
  EXPECT_EQ(host.Commands(131, ctl::kEditChange), 5);
  edit.SetText(u"samsung 삼성");
  EXPECT_EQ(edit.Text(), u"SAMSUNG 삼성");
  EXPECT_EQ(edit.CaretPosition(), 0);  // a name longer than the box shows its start
  // Select-all, then typing replaces the selection.
  edit.SelectAll();
  EXPECT_EQ(edit.SelectionStart(), 0);
  EXPECT_EQ(edit.SelectionEnd(), 10);
  Type(edit, u"x");
  EXPECT_EQ(edit.Text(), u"X");
  edit.SetLimit(3);
  Type(edit, u"yzwv");
  EXPECT_EQ(edit.Text(), u"XYZ");
  edit.SetSel(1, 2);
  EXPECT_EQ(edit.CaretPosition(), 2);
}

TEST_F(ControlsTest, EditKeysReachTheFieldFirstAndDialogKeysTheParent) {
  SwallowingEdit edit;
  ASSERT_TRUE(edit.Create(&host, 132, {10, 10, 200, 34}));
  edit.SetFocus();
  ASSERT_TRUE(edit.HasFocus());
  Type(edit, u"abc");
  edit.SetCaretPosition(1);
  SimulateKey(edit, sys::kVkDown);
  EXPECT_EQ(edit.downs, 1);
  EXPECT_EQ(edit.CaretPosition(), 1);  // the field never saw it
  SimulateKey(edit, sys::kVkRight);
  EXPECT_EQ(edit.CaretPosition(), 2);
  SimulateKey(edit, sys::kVkReturn, u'\r');
  SimulateKey(edit, sys::kVkTab, u'\t');
  EXPECT_EQ(host.keys, (std::vector<WParam>{sys::kVkReturn, sys::kVkTab}));
  EXPECT_EQ(edit.Text(), u"abc");
  EXPECT_TRUE(edit.HasFocus());

  // A window with the focus that goes (hidden, or destroyed as a pane
  // rebuilds it) leaves the focus with the window around it, never in the
  // field next in the tab chain with its text selected.
  for (const bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "hidden");
    Window pane, inner;
    ASSERT_TRUE(pane.Create(&host, 7, {10, 50, 200, 100}, u""));
    ASSERT_TRUE(inner.Create(&pane, 8, {0, 0, 50, 50}, u""));
    inner.SetFocus();
    ASSERT_TRUE(inner.HasFocus());
    if (destroy)
      inner.Destroy();
    else
      inner.Show(false);
    EXPECT_FALSE(edit.HasFocus());
    EXPECT_TRUE(pane.HasFocus());
  }
}

TEST_F(ControlsTest, EditShowsParentColoursAndHidesPasswords) {
  host.colors = ControlColors{Rgb(255, 255, 255), Rgb(44, 44, 44)};
  EditControl plain, first, second;
  ASSERT_TRUE(plain.Create(&host, 1, {10, 10, 200, 34}));
  ASSERT_TRUE(first.Create(&host, 2, {10, 40, 200, 64}, {.password = true}));
  ASSERT_TRUE(second.Create(&host, 3, {10, 70, 200, 94}, {.password = true}));
  first.SetText(u"secret");
  second.SetText(u"sesame");
  EXPECT_EQ(first.Text(), u"secret");
  const Bitmap a = first.Render();
  const Bitmap b = second.Render();
  EXPECT_EQ(a.PixelAt(2, 2), Rgb(44, 44, 44));
  int differing = 0, light = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      differing += a.PixelAt(x, y) != b.PixelAt(x, y);
      light += a.PixelAt(x, y).r > 150;
    }
  EXPECT_EQ(differing, 0);  // only the masks are drawn
  EXPECT_GT(light, 10);     // in the text colour
  // Without an answer the field keeps the system's colours.
  host.colors.reset();
  plain.SetText(u"a");
  plain.RefreshColors();
  EXPECT_NE(plain.Render().PixelAt(2, 2), Rgb(44, 44, 44));
}

TEST_F(ControlsTest, ButtonsClickOnReleaseOverThemOnly) {
  ButtonControl push, check;
  ASSERT_TRUE(push.Create(&host, 133, {10, 10, 110, 40}, u"로그인"));
  ASSERT_TRUE(check.Create(&host, 2548, {10, 50, 150, 70}, u"매수강도적용",
                           {.kind = ButtonKind::kCheckBox}));
  const Point centre = CentreIn(host, push);
  ClickAt(centre);
  EXPECT_EQ(host.Commands(133, ctl::kButtonClicked), 1);
  // Pressed, then let go outside: no click.
  SimulateMouse(host, sys::kLButtonDown, centre);
  EXPECT_TRUE(push.IsPressed());
  SimulateMouse(host, sys::kMouseMove, {300, 200}, sys::kLButtonFlag);
  EXPECT_FALSE(push.IsPressed());
  SimulateMouse(host, sys::kLButtonUp, {300, 200});
  EXPECT_EQ(host.Commands(133, ctl::kButtonClicked), 1);
  // Space on the focused button clicks it.
  push.SetFocus();
  SimulateKey(push, sys::kVkSpace, u' ');
  EXPECT_EQ(host.Commands(133, ctl::kButtonClicked), 2);

  ClickAt(CentreIn(host, check));
  EXPECT_TRUE(check.IsChecked());
  ClickAt(CentreIn(host, check));
  EXPECT_FALSE(check.IsChecked());
  EXPECT_EQ(host.Commands(2548, ctl::kButtonClicked), 2);
  // A disabled button hears nothing.
  push.Enable(false);
  ClickAt(centre);
  EXPECT_EQ(host.Commands(133, ctl::kButtonClicked), 2);
}

TEST_F(ControlsTest, ComboDropsItsListPicksAndTellsTheParent) {
  ComboBoxControl combo;
  ASSERT_TRUE(combo.Create(&host, 2549, {10, 10, 110, 30}, {.drop_height = 100}));
  for (const char16_t* item : {u"전체", u"코스피", u"코스닥"}) combo.AddString(item);
  EXPECT_TRUE(combo.SetItemData(1, 77));
  EXPECT_EQ(combo.GetItemData(1), 77);
  EXPECT_FALSE(combo.SetItemData(3, 1));
  EXPECT_TRUE(combo.SetCurSel(2));
  EXPECT_EQ(host.Commands(2549, ctl::kComboSelChange), 0);  // the program's choice
  EXPECT_EQ(combo.SelectedText(), u"코스닥");

  // A press on the face opens the list under it, as high as its rows.
  ClickAt(CentreIn(host, combo));
  ASSERT_TRUE(combo.GetDroppedState());
  EXPECT_EQ(host.Commands(2549, ctl::kComboDropDown), 1);
  ListBoxControl* list = combo.DropList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->WindowRect().top, combo.WindowRect().bottom);
  EXPECT_EQ(list->WindowRect().bottom - list->WindowRect().top, 3 * 16 + 2);
  EXPECT_EQ(list->GetCurSel(), 2);
  // Hovering highlights, the release picks.
  const Rect first = list->ItemRect(0);
  const Point on_first{first.left + 5, first.top + 5};
  SimulateMouse(*list, sys::kMouseMove, on_first);
  SimulateMouse(*list, sys::kLButtonDown, on_first);
  SimulateMouse(*list, sys::kLButtonUp, on_first);
  EXPECT_FALSE(combo.GetDroppedState());
  EXPECT_EQ(combo.GetCurSel(), 0);
  EXPECT_EQ(host.Commands(2549, ctl::kComboSelChange), 1);
  EXPECT_EQ(host.Commands(2549, ctl::kComboCloseUp), 1);

  // Keys on the closed face step through the items; not past the ends.
  combo.SetFocus();
  SimulateKey(combo, sys::kVkUp);
  SimulateKey(combo, sys::kVkDown);
  SimulateKey(combo, sys::kVkDown);
  SimulateKey(combo, sys::kVkDown);
  EXPECT_EQ(combo.GetCurSel(), 2);
  EXPECT_EQ(host.Commands(2549, ctl::kComboSelChange), 3);
  // Open, then a press elsewhere closes without a pick.
  ClickAt(CentreIn(host, combo));
  ASSERT_TRUE(combo.GetDroppedState());
  ClickAt({300, 250});
  EXPECT_FALSE(combo.GetDroppedState());
  EXPECT_EQ(host.Commands(2549, ctl::kComboSelChange), 3);
  EXPECT_EQ(host.Commands(2549, ctl::kComboCloseUp), 2);
  // Bad indexes.
  EXPECT_FALSE(combo.SetCurSel(5));
  EXPECT_EQ(combo.GetCurSel(), -1);
  EXPECT_EQ(combo.GetLBText(-1), u"");
  EXPECT_EQ(combo.DeleteString(9), -1);
}

TEST_F(ControlsTest, ListBoxSelectsByMouseAndKeysAndScrollsWhenFull) {
  ListBoxControl list;
  ASSERT_TRUE(list.Create(&host, 111, {10, 10, 150, 92}));  // 5 rows of 16 inside the border
  for (int i = 0; i < 12; ++i) list.AddString(u"09:0" + std::u16string(1, u'0' + i % 10));
  EXPECT_EQ(list.VisibleRows(), 5);
  const Rect row = list.ItemRect(2);
  ClickAt(host.ScreenToClient(list.ClientToScreen({row.left + 4, row.top + 4})));
  EXPECT_EQ(list.GetCurSel(), 2);
  EXPECT_EQ(host.Commands(111, ctl::kListSelChange), 1);
  list.SetFocus();
  list.SetCurSel(10);
  SimulateKey(list, sys::kVkDown);
  EXPECT_EQ(list.GetCurSel(), 11);
  EXPECT_EQ(list.GetTopIndex(), 7);  // the last row is in view
  SimulateKey(list, sys::kVkDown);   // already last: no change, no notification
  EXPECT_EQ(host.Commands(111, ctl::kListSelChange), 2);
  list.SetCurSel(0);
  EXPECT_EQ(list.GetTopIndex(), 0);
  EXPECT_EQ(host.Commands(111, ctl::kListSelChange), 2);
  EXPECT_EQ(list.InsertString(0, u"new"), 0);
  EXPECT_EQ(list.GetCurSel(), 1);  // the selected item moved down
  EXPECT_EQ(list.DeleteString(1), 12);
  EXPECT_EQ(list.GetCurSel(), -1);
}

TEST_F(ControlsTest, ScrollBarTellsTheParentAndFollowsOnlyADraggedThumb) {
  ScrollBarControl bar;
  ASSERT_TRUE(bar.Create(&host, 111, {0, 100, 300, 120}, false));
  bar.SetScrollInfo(0, 110, 10, 500);
  EXPECT_EQ(bar.pos(), 101);  // max - page + 1
  bar.SetPos(50);
  const Rect right = bar.ArrowRect(false);
  const Point arrow = host.ScreenToClient(bar.ClientToScreen({right.left + 5, 10}));
  ClickAt(arrow);
  EXPECT_EQ(host.Count(sys::kHScroll, ctl::kLineDown, 0), 1);
  EXPECT_EQ(host.Count(sys::kHScroll, ctl::kEndScroll, 0), 1);
  EXPECT_EQ(bar.pos(), 50);  // the parent moves it
  // Dragging the thumb to the far end.
  const Rect thumb = bar.ThumbRect();
  const Point grab = host.ScreenToClient(bar.ClientToScreen({(thumb.left + thumb.right) / 2, 10}));
  SimulateMouse(host, sys::kLButtonDown, grab);
  SimulateMouse(host, sys::kMouseMove, {grab.x + 400, grab.y}, sys::kLButtonFlag);
  EXPECT_EQ(bar.TrackPos(), 101);
  SimulateMouse(host, sys::kLButtonUp, {grab.x + 400, grab.y});
  ASSERT_GE(host.heard.size(), 3u);
  const Heard& track = host.heard[host.heard.size() - 3];
  EXPECT_EQ(track.id, ctl::kThumbTrack);
  EXPECT_EQ(track.code, 101);
  EXPECT_EQ(host.heard[host.heard.size() - 2].id, ctl::kThumbPosition);
  EXPECT_EQ(host.heard[host.heard.size() - 2].code, 101);
  EXPECT_EQ(host.heard.back().id, ctl::kEndScroll);
  EXPECT_EQ(static_cast<std::uint64_t>(track.lparam), bar.handle().id());
}

TEST_F(ControlsTest, SliderMovesItselfAndShowsItsPositionWhileDragged) {
  SliderControl slider;
  ASSERT_TRUE(slider.Create(&host, 6564, {10, 10, 310, 30}, {.tool_tips = true}));
  slider.SetRange(0, 28800);
  slider.SetPageSize(300);
  slider.SetTicFreq(3600);
  EXPECT_EQ(slider.GetPos(), 0);
  // A press on the channel right of the thumb: one page.
  const Point channel = host.ScreenToClient(slider.ClientToScreen({200, 10}));
  ClickAt(channel);
  EXPECT_EQ(slider.GetPos(), 300);
  EXPECT_EQ(host.Count(sys::kHScroll, ctl::kPageDown, 300), 1);
  EXPECT_EQ(host.Count(sys::kHScroll, ctl::kEndScroll, 300), 1);
  slider.SetFocus();
  SimulateKey(slider, sys::kVkRight);
  EXPECT_EQ(slider.GetPos(), 301);
  EXPECT_EQ(host.Count(sys::kHScroll, ctl::kLineDown, 301), 1);
  SimulateKey(slider, sys::kVkLeft);
  EXPECT_EQ(slider.GetPos(), 300);
  EXPECT_EQ(host.Count(sys::kHScroll, ctl::kEndScroll, 300), 2);
  slider.SetPos(0);
  // Dragging the thumb past the end stops at the maximum, the tip showing it.
  const Rect thumb = slider.ThumbRect();
  const Point grab = host.ScreenToClient(slider.ClientToScreen({thumb.left + 5, 10}));
  SimulateMouse(host, sys::kLButtonDown, grab);
  ASSERT_NE(slider.tool_tip(), nullptr);
  SimulateMouse(host, sys::kMouseMove, {grab.x + 150 - 8, grab.y}, sys::kLButtonFlag);
  EXPECT_NEAR(slider.GetPos(), 14400, 100);
  EXPECT_TRUE(slider.tool_tip()->IsVisible());
  SimulateMouse(host, sys::kMouseMove, {grab.x + 900, grab.y}, sys::kLButtonFlag);
  EXPECT_EQ(slider.GetPos(), 28800);
  EXPECT_EQ(slider.tool_tip()->tip_text(), u"28800");
  SimulateMouse(host, sys::kLButtonUp, {grab.x + 900, grab.y});
  EXPECT_FALSE(slider.tool_tip()->IsVisible());
  EXPECT_EQ(host.Count(sys::kHScroll, ctl::kThumbPosition, 28800), 1);
  slider.SetRange(1, 10);
  EXPECT_EQ(slider.GetPos(), 10);
}

TEST_F(ControlsTest, ToolTipAppearsAfterTheDelayAndGoesWithItsText) {
  ButtonControl tool;
  ASSERT_TRUE(tool.Create(&host, 1, {10, 10, 200, 100}, u""));
  ToolTipControl tip;
  ASSERT_TRUE(tip.Create(&tool, 100));
  const Point over = CentreIn(host, tool);
  SimulateMouse(host, sys::kMouseMove, over);
  Settle();
  EXPECT_FALSE(tip.IsVisible());  // no text yet
  tip.SetTipText(u"1.25％");
  SimulateMouse(host, sys::kMouseMove, {over.x + 1, over.y});
  EXPECT_FALSE(tip.IsVisible());
  ASSERT_TRUE(RunUntil([&] { return tip.IsVisible(); }));
  EXPECT_GE(tip.WindowRect().top, tool.ClientToScreen({0, 0}).y + 20);
  tip.SetTipText(u"");
  EXPECT_FALSE(tip.IsVisible());
  tip.SetTipText(u"-0.50％");
  SimulateMouse(host, sys::kMouseMove, {over.x + 2, over.y});
  ASSERT_TRUE(RunUntil([&] { return tip.IsVisible(); }));
  SimulateMouse(host, sys::kLButtonDown, over);
  EXPECT_FALSE(tip.IsVisible());
  SimulateMouse(host, sys::kLButtonUp, over);
}

TEST_F(ControlsTest, MemoShowsLinesReadOnly) {
  MemoControl memo;
  ASSERT_TRUE(memo.Create(&host, 100, {10, 10, 250, 60}));
  memo.SetColors(Rgb(0, 0, 0), Rgb(255, 248, 222));
  std::u16string text;
  for (int i = 0; i < 30; ++i) text += u"메모 줄\n";
  memo.SetText(text);
  EXPECT_EQ(memo.Text(), text);
  EXPECT_EQ(memo.LineCount(), 31);
  memo.SetFocus();
  SimulateKey(memo, 'A', u'a');
  EXPECT_EQ(memo.Text(), text);
  memo.ScrollToLine(10);
  EXPECT_EQ(memo.FirstVisibleLine(), 10);
  EXPECT_EQ(memo.Render().PixelAt(3, 3), Rgb(255, 248, 222));
}

}  // namespace
}  // namespace velloran
