// The standard controls under the offscreen platform, driven by simulated
// mouse and keys: what the user sees and what the parent is told.

#include <gtest/gtest.h>

#include "platform/button_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "tests/platform/control_host.h"

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Gui.so.6\ncalled_from_lib:libQt6Core.so.6\n";
}

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

}  // namespace
}  // namespace velloran
