// The owner-drawn control kit under the offscreen platform, as the user sees
// and works it.

#include <gtest/gtest.h>

#include "platform/bitmap_resources.h"
#include "platform/child_rect.h"
#include "platform/input_simulation.h"
#include "tests/platform/control_host.h"
#include "ui/bit_button.h"

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Gui.so.6\ncalled_from_lib:libQt6Core.so.6\n";
}

namespace velloran {
namespace {

using namespace testing_host;

class KitTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.Open(500, 400)); }
  void TearDown() override { Settle(); }
  void ClickAt(Point p) {
    SimulateMouse(host, sys::kLButtonDown, p);
    SimulateMouse(host, sys::kLButtonUp, p);
  }
  Application& app_ = App();  // before the windows
  ControlHost host;
};

bool SameImage(const Bitmap& shown, const Bitmap& expected, int top = 0) {
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      if (shown.PixelAt(x, y) != expected.PixelAt(x, y + top)) return false;
  return true;
}

TEST_F(KitTest, ToggleButtonSwapsBitmapsAndComesBackAfterTwoClicks) {
  CBitButton save;
  ASSERT_TRUE(save.Create(u"SKY", {}, {20, 20, 21, 21}, &host, 135));
  save.SetBehaviour(BitButtonBehaviour::kToggle);
  save.SetToggleBitmaps(319, 320);
  ASSERT_TRUE(save.LoadBitmap(319));
  EXPECT_EQ(ChildRect(save), (Rect{20, 20, 120, 40}));  // the bitmap's size
  const Bitmap off = LoadMappedBitmap(319, CBitButton::kFace);
  const Bitmap on = LoadMappedBitmap(320, CBitButton::kFace);
  ClickAt(CentreIn(host, save));
  EXPECT_EQ(save.state(), 1);
  EXPECT_TRUE(SameImage(save.Render(), on));
  ClickAt(CentreIn(host, save));
  EXPECT_EQ(save.state(), 0);
  EXPECT_TRUE(SameImage(save.Render(), off));
  EXPECT_EQ(host.Commands(135, ctl::kButtonClicked), 2);
  // The owner's toggle with the enable link: the pressed one cannot be clicked.
  save.SetEnableLink(true);
  save.SetToggle(1);
  EXPECT_FALSE(save.IsEnabled());
  EXPECT_TRUE(SameImage(save.Render(), on));
  ClickAt(CentreIn(host, save));
  EXPECT_EQ(host.Commands(135, ctl::kButtonClicked), 2);
  save.SetToggle(0);
  EXPECT_TRUE(save.IsEnabled());
}

TEST_F(KitTest, HoverHalfAndPushOffset) {
  CBitButton close, play;
  ASSERT_TRUE(close.Create(u"", {}, {100, 10, 101, 11}, &host, 143));
  close.SetHoverMode(true);
  close.SetHandCursor(true);
  ASSERT_TRUE(close.LoadBitmap(324));
  const Bitmap art = LoadMappedBitmap(324, CBitButton::kFace);
  EXPECT_EQ(ChildRect(close), (Rect{100, 10, 100 + art.width(), 10 + art.height() / 2}));
  EXPECT_TRUE(SameImage(close.Render(), art, 0));
  SimulateMouse(host, sys::kMouseMove, CentreIn(host, close));
  EXPECT_TRUE(SameImage(close.Render(), art, art.height() / 2));

  ASSERT_TRUE(play.Create(u"PLAY", {}, {3, 7, 4, 8}, &host, 2541));
  play.SetBehaviour(BitButtonBehaviour::kPushOffset);
  ASSERT_TRUE(play.LoadBitmap(336));
  const Rect rest = ChildRect(play);
  const Point p = CentreIn(host, play);
  SimulateMouse(host, sys::kLButtonDown, p);
  EXPECT_EQ(ChildRect(play), rest.Offset(1, 1));
  SimulateMouse(host, sys::kLButtonUp, p);
  EXPECT_EQ(ChildRect(play), rest);
  EXPECT_EQ(host.Commands(2541, ctl::kButtonClicked), 1);
}

}  // namespace
}  // namespace velloran
