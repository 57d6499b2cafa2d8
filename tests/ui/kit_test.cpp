// The owner-drawn control kit under the offscreen platform, as the user sees
// and works it.

#include <gtest/gtest.h>

#include "platform/bitmap_resources.h"
#include "platform/child_rect.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/list_box_control.h"
#include "platform/memo_control.h"
#include "tests/platform/control_host.h"
#include "ui/bit_button.h"
#include "ui/color_edit.h"
#include "ui/ma_button.h"
#include "ui/memory_dc.h"
#include "ui/my_line.h"
#include "ui/my_zone.h"
#include "ui/qz_combo.h"
#include "ui/qz_combo_box.h"
#include "platform/scroll_bar_control.h"
#include "platform/slider_control.h"
#include "ui/round_button.h"
#include "ui/tip_wnd.h"

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

// Pixels clearly darker than the background: drawn text.
int CountDark(const Bitmap& b, const Rect& r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += b.PixelAt(x, y).r < 150;
  return n;
}

TEST_F(KitTest, AverageToggleDrawsItsTickWithATwoPixelPen) {
  constexpr Color kPurple = Rgb(206, 32, 183);
  CMAButton ma5;
  ASSERT_TRUE(ma5.Create(&host, 106, {300, 5, 313, 18}, u"5일선", kPurple));
  Bitmap shot = ma5.Render();
  EXPECT_EQ(shot.PixelAt(0, 0), CMAButton::kBorder);
  EXPECT_EQ(shot.PixelAt(12, 12), CMAButton::kBorder);
  EXPECT_EQ(CountColour(shot, {1, 1, 12, 12}, kPurple), 11 * 11);
  ClickAt(CentreIn(host, ma5));
  ASSERT_TRUE(ma5.IsChecked());
  EXPECT_EQ(host.Commands(106, ctl::kButtonClicked), 1);
  shot = ma5.Render();
  constexpr Color kWhite = Rgb(255, 255, 255);
  // From (2, 5) down to (6, 9), and from (6, 7) up to (11, 2).
  for (const Point p : {Point{2, 5}, Point{3, 6}, Point{4, 7}, Point{5, 8}, Point{6, 7},
                        Point{7, 6}, Point{8, 5}, Point{9, 4}, Point{10, 3}})
    EXPECT_EQ(shot.PixelAt(p.x, p.y), kWhite) << p.x << "," << p.y;
  // A 2-pixel pen: about twice the pixels of the two diagonals, nothing far off.
  const int white = CountColour(shot, {1, 1, 12, 12}, kWhite);
  EXPECT_GE(white, 16);
  EXPECT_LE(white, 30);
  for (const Point p : {Point{2, 2}, Point{10, 10}, Point{6, 2}, Point{2, 10}})
    EXPECT_EQ(shot.PixelAt(p.x, p.y), kPurple) << p.x << "," << p.y;
}

TEST_F(KitTest, RoundButtonColoursReadFromItsPixels) {
  CRoundButton day, minute;
  ASSERT_TRUE(day.Create(&host, 103, {3, 3, 28, 25}, u"일"));
  ASSERT_TRUE(minute.Create(&host, 104, {31, 3, 56, 25}, u"분", RoundButtonStyle::kUnderlined));
  Bitmap shot = day.Render();
  EXPECT_EQ(shot.PixelAt(12, 2), CRoundButton::kFace);
  EXPECT_EQ(shot.PixelAt(0, 11), CRoundButton::kFace);  // the border, unchecked
  EXPECT_GT(CountDark(shot, {4, 4, 21, 18}), 5);        // the caption
  day.SetCheck(true);
  shot = day.Render();
  EXPECT_EQ(shot.PixelAt(12, 2), CRoundButton::kCheckedFace);
  EXPECT_EQ(shot.PixelAt(0, 11), CRoundButton::kCheckedBorder);
  EXPECT_EQ(shot.PixelAt(12, 21), CRoundButton::kCheckedBorder);
  EXPECT_NE(shot.PixelAt(0, 0), CRoundButton::kCheckedBorder);  // rounded corner
  minute.SetCheck(true);
  shot = minute.Render();
  EXPECT_EQ(shot.PixelAt(12, 20), CRoundButton::kCheckedBorder);  // the bottom line
  EXPECT_EQ(shot.PixelAt(12, 19), CRoundButton::kCheckedFace);
  // A click tells the chart; the chart decides what is checked.
  ClickAt(CentreIn(host, minute));
  EXPECT_EQ(host.Commands(104, ctl::kButtonClicked), 1);
  EXPECT_TRUE(minute.IsChecked());
}

TEST_F(KitTest, ComboFaceShowsTheSelectedItemCutWithAnEllipsis) {
  CQZComboBox wide, narrow;
  ASSERT_TRUE(wide.Create(&host, 2549, {10, 10, 110, 30}));
  ASSERT_TRUE(narrow.Create(&host, 105, {10, 40, 60, 60}));
  for (const char16_t* item : {u"전체", u"코스피", u"코스닥"}) wide.AddString(item);
  narrow.AddString(u"1분");
  narrow.AddString(u"10분봉 일이삼사오");
  wide.SetFrameColor(Rgb(58, 58, 58));
  Bitmap face = wide.Render();
  EXPECT_EQ(CountDark(face, {4, 1, 80, 19}), 0);  // nothing selected, no text
  EXPECT_EQ(face.PixelAt(0, 0), Rgb(58, 58, 58));
  EXPECT_EQ(face.PixelAt(99, 19), Rgb(58, 58, 58));
  wide.SetCurSel(2);
  face = wide.Render();
  EXPECT_GT(CountDark(face, {4, 1, 80, 19}), 10);
  const Bitmap& arrow = LoadBitmapResource(CQZComboBox::kArrowBitmap);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 18; ++x) ASSERT_EQ(face.PixelAt(80 + x, 2 + y), arrow.PixelAt(x, y));

  // The narrow face: the text stops before the arrow with an ellipsis.
  narrow.SetCurSel(1);
  face = narrow.Render();
  auto reference = [&](unsigned extra) {
    Bitmap b(50, 20);
    DrawContext dc(b);
    dc.SetFont(narrow.font());
    dc.SetTextColor(Rgb(50, 50, 50));
    dc.SetTransparentBackground(true);
    dc.DrawText(narrow.SelectedText(), {4, 0, 30, 20},
                text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix | extra);
    return b;
  };
  const Bitmap with = reference(text_flag::kEndEllipsis);
  const Bitmap without = reference(0);
  int same = 0, differs = 0;
  for (int y = 1; y < 19; ++y)
    for (int x = 4; x < 30; ++x) {
      same += face.PixelAt(x, y) == with.PixelAt(x, y);
      differs += face.PixelAt(x, y) != without.PixelAt(x, y);
    }
  EXPECT_EQ(same, 26 * 18);
  EXPECT_GT(differs, 0);
  EXPECT_EQ(CountDark(face, {30, 1, 32, 19}), 0);
}

TEST_F(KitTest, LabelHidesWhenEmptyAndShowsItsLinesAgain) {
  CTipWnd label;
  ASSERT_TRUE(label.Create(&host, 113, {10, 10, 110, 40}, u"", {.visible = false}));
  label.SetBkColor(Rgb(255, 223, 114));
  label.SetText(u"2024/01/05");
  EXPECT_TRUE(label.IsVisible());
  label.SetText(u"");
  EXPECT_FALSE(label.IsVisible());
  label.SetText(u"시가 71,000\n고가 72,500 and a long tail that cannot fit");
  EXPECT_TRUE(label.IsVisible());
  const Bitmap shot = label.Render();
  EXPECT_EQ(shot.PixelAt(0, 0), Rgb(0, 0, 0));  // the frame
  EXPECT_EQ(shot.PixelAt(99, 29), Rgb(0, 0, 0));
  EXPECT_EQ(shot.PixelAt(50, 28), Rgb(255, 223, 114));
  EXPECT_GT(CountDark(shot, {1, 1, 99, 14}), 10);   // first line
  EXPECT_GT(CountDark(shot, {1, 15, 99, 29}), 10);  // second line
  EXPECT_EQ(label.Text(), label.Window::Text());
}

TEST_F(KitTest, LineZoneAndMemoryContext) {
  CMyLine line;
  ASSERT_TRUE(line.Create(&host, 0, true, 1, Rgb(203, 23, 67), 200, 10));
  EXPECT_FALSE(line.IsVisible());
  line.MoveTo({120, 55});
  EXPECT_TRUE(line.IsVisible());
  EXPECT_EQ(ChildRect(line), (Rect{120, 10, 121, 210}));
  EXPECT_EQ(line.Render().PixelAt(0, 100), Rgb(203, 23, 67));
  line.Hide();
  EXPECT_FALSE(line.IsVisible());

  // The band over the white window and a grey panel: cyan at alpha 110.
  ButtonControl panel;
  ASSERT_TRUE(panel.Create(&host, 0, {200, 200, 300, 260}, u"", {ButtonKind::kOwnerDrawn}));
  host.SetBackgroundColor(Rgb(255, 255, 255));
  CMyZone zone;
  ASSERT_TRUE(zone.Create(&host, 116, true));
  zone.ShowOver({150, 150, 250, 250});
  const Bitmap band = zone.Render();
  const Color over = band.PixelAt(10, 10);
  EXPECT_NEAR(over.r, 255 * 145 / 255, 2);
  EXPECT_EQ(over.g, 255);
  const Color over_panel = band.PixelAt(60, 60);
  EXPECT_NEAR(over_panel.r, 240 * 145 / 255, 2);
  EXPECT_NEAR(over_panel.g, 240 + 15 * 110 / 255, 2);
  EXPECT_EQ(band.PixelAt(0, 0), Rgb(0, 0, 0));

  Bitmap target(60, 60, Rgb(255, 0, 0));
  {
    DrawContext dc(target);
    {
      CMemoryDC copy(dc, {10, 10, 30, 30}, true);
      copy.FillRect({15, 15, 20, 20}, Rgb(0, 0, 255));  // the target's coordinates
    }
    { CMemoryDC fresh(dc, {40, 40, 50, 50}, false, Rgb(0, 255, 0)); }
  }
  EXPECT_EQ(target.PixelAt(16, 16), Rgb(0, 0, 255));
  EXPECT_EQ(target.PixelAt(12, 12), Rgb(255, 0, 0));
  EXPECT_EQ(target.PixelAt(45, 45), Rgb(0, 255, 0));
  EXPECT_EQ(target.PixelAt(35, 35), Rgb(255, 0, 0));
}

// Every control of the kit and the standard ones, each in its two states,
// for a person to look at: kit_gallery.png in the working directory.
TEST_F(KitTest, Gallery) {
  host.SetBackgroundColor(Rgb(58, 58, 58));
  host.Move({50, 50, 550, 450});
  std::vector<std::unique_ptr<Window>> keep;
  auto make = [&keep](auto* w) {
    keep.emplace_back(w);
    return w;
  };
  int y = 8;
  // Bitmap buttons: normal, pressed toggle, hover image.
  for (const int id : {332, 333}) {
    auto* b = make(new CBitButton);
    ASSERT_TRUE(b->Create(u"", {}, {8 + (id - 332) * 70, y, 9, y + 1}, &host, id));
    b->LoadBitmap(id);
  }
  auto* close = make(new CBitButton);
  ASSERT_TRUE(close->Create(u"", {}, {150, y, 151, y + 1}, &host, 143));
  close->SetHoverMode(true);
  close->LoadBitmap(324);
  auto* close_hot = make(new CBitButton);
  ASSERT_TRUE(close_hot->Create(u"", {}, {170, y, 171, y + 1}, &host, 144));
  close_hot->SetHoverMode(true);
  close_hot->LoadBitmap(324);
  SimulateMouse(host, sys::kMouseMove, CentreIn(host, *close_hot));
  // Round buttons and average toggles.
  int x = 200;
  for (const bool checked : {false, true})
    for (const auto style : {RoundButtonStyle::kPlain, RoundButtonStyle::kUnderlined}) {
      auto* r = make(new CRoundButton);
      ASSERT_TRUE(r->Create(&host, 101, {x, y, x + 25, y + 22}, checked ? u"일" : u"월", style));
      r->SetCheck(checked);
      x += 28;
    }
  for (const bool checked : {false, true}) {
    auto* m = make(new CMAButton);
    ASSERT_TRUE(m->Create(&host, 106, {x + 4, y + 4, x + 17, y + 17}, u"", Rgb(245, 176, 0)));
    m->SetCheck(checked);
    x += 18;
  }
  y += 36;
  // Edits: coloured and password; plain push buttons and check boxes.
  auto* id_edit = make(new CColorEdit);
  ASSERT_TRUE(id_edit->Create(&host, 131, {8, y, 180, y + 32}));
  id_edit->SetFont(Font::Points(u"굴림", 20));
  id_edit->SetBkColor(Rgb(44, 44, 44));
  id_edit->SetTextColor(Rgb(255, 255, 255));
  id_edit->SetText(u"velloran");
  auto* password = make(new CColorEdit);
  ASSERT_TRUE(password->Create(&host, 132, {190, y, 360, y + 32}, {.password = true}));
  password->SetFont(Font::Points(u"굴림", 20));
  password->SetBkColor(Rgb(44, 44, 44));
  password->SetTextColor(Rgb(255, 255, 255));
  password->SetText(u"secret");
  auto* upper = make(new EditControl);
  ASSERT_TRUE(upper->Create(&host, 8911, {370, y, 490, y + 20}, {.uppercase = true}));
  upper->SetText(u"samsung 삼성");
  y += 40;
  auto* push = make(new ButtonControl);
  ASSERT_TRUE(push->Create(&host, 128, {8, y, 80, y + 24}, u"재검색"));
  auto* pushed = make(new ButtonControl);
  ASSERT_TRUE(pushed->Create(&host, 129, {88, y, 160, y + 24}, u"비활성"));
  pushed->Enable(false);
  for (const bool checked : {false, true}) {
    auto* c = make(new ButtonControl);
    ASSERT_TRUE(c->Create(&host, 2548,
                          {170 + (checked ? 110 : 0), y + 2, 275 + (checked ? 110 : 0), y + 22},
                          u"매수강도적용", {.kind = ButtonKind::kCheckBox, .transparent = true}));
    c->SetTextColor(Rgb(255, 255, 255));
    c->SetCheck(checked);
  }
  y += 32;
  // Combo faces: kit face empty and selected, narrow with ellipsis, plain combo.
  auto* market = make(new CQZComboBox);
  ASSERT_TRUE(market->Create(&host, 2549, {8, y, 108, y + 20}));
  for (const char16_t* item : {u"전체", u"코스피", u"코스닥"}) market->AddString(item);
  auto* market_on = make(new CQZComboBox);
  ASSERT_TRUE(market_on->Create(&host, 2550, {116, y, 216, y + 20}));
  for (const char16_t* item : {u"전체", u"코스피", u"코스닥"}) market_on->AddString(item);
  market_on->SetCurSel(2);
  auto* period = make(new CQZComboBox);
  ASSERT_TRUE(period->Create(&host, 105, {224, y, 274, y + 20}));
  period->AddString(u"10분봉 일이삼사오");
  period->SetCurSel(0);
  auto* dates = make(new CQZCombo);
  ASSERT_TRUE(dates->Create(&host, 6560, {282, y, 400, y + 20}));
  for (const char16_t* d : {u"20240105", u"20240104", u"20240103"}) dates->AddString(d);
  dates->SetCurSel(0);
  y += 28;
  // List box, memo, labels.
  auto* list = make(new ListBoxControl);
  ASSERT_TRUE(list->Create(&host, 111, {8, y, 128, y + 82}));
  for (int i = 0; i < 9; ++i) list->AddString(u"15:3" + std::u16string(1, u'0' + i) + u":00");
  list->SetCurSel(1);
  auto* memo = make(new MemoControl);
  ASSERT_TRUE(memo->Create(&host, 100, {136, y, 296, y + 82}));
  memo->SetColors(Rgb(50, 50, 50), Rgb(255, 248, 222));
  memo->SetText(u"메모: 2차전지 관련주\n거래량 급증\n목표가 72,500\n손절 68,000\n줄 5\n줄 6");
  auto* tip = make(new CTipWnd);
  ASSERT_TRUE(tip->Create(&host, 115, {304, y, 490, y + 40}, u"", {.visible = false}));
  tip->SetBkColor(Rgb(240, 240, 240));
  tip->SetInset(4);
  tip->SetText(u"일자 2024/01/05\n종가 71,000 (+1.25%) and more text than fits");
  auto* hidden_tip = make(new CTipWnd);
  ASSERT_TRUE(hidden_tip->Create(&host, 114, {304, y + 46, 400, y + 62}, u"", {.visible = false}));
  hidden_tip->SetBkColor(Rgb(255, 223, 114));
  hidden_tip->SetText(u"71,250");
  // A push button held down.
  SimulateMouse(host, sys::kLButtonDown, CentreIn(host, *push));
  y += 90;
  // Scroll bars and sliders: at the start and further on.
  auto* bar = make(new ScrollBarControl);
  ASSERT_TRUE(bar->Create(&host, 111, {8, y, 240, y + 20}, false));
  bar->SetScrollInfo(0, 110, 10, 0);
  auto* bar_on = make(new ScrollBarControl);
  ASSERT_TRUE(bar_on->Create(&host, 112, {250, y, 490, y + 20}, false));
  bar_on->SetScrollInfo(0, 110, 30, 60);
  y += 28;
  auto* zoom = make(new SliderControl);
  ASSERT_TRUE(zoom->Create(&host, 112, {8, y, 240, y + 24}, {.tool_tips = true}));
  zoom->SetRange(0, 100);
  zoom->SetTicFreq(10);
  auto* day = make(new SliderControl);
  day->SetBackgroundColor(Rgb(83, 83, 83));
  ASSERT_TRUE(day->Create(&host, 6564, {250, y, 490, y + 24}, {.tool_tips = true}));
  day->SetRange(0, 28800);
  day->SetTicFreq(3600);
  day->SetPos(10800);
  y += 32;
  // The band and the cross-hair over a patch.
  auto* zone = make(new CMyZone);
  ASSERT_TRUE(zone->Create(&host, 116, true));
  zone->ShowOver({8, y, 120, y + 30});
  auto* vline = make(new CMyLine);
  ASSERT_TRUE(vline->Create(&host, 0, true, 1, Rgb(203, 23, 67), 30, y));
  vline->MoveTo({200, 0});
  auto* hline = make(new CMyLine);
  ASSERT_TRUE(hline->Create(&host, 0, false, 1, Rgb(203, 23, 67), 100, 150));
  hline->MoveTo({0, y + 15});
  {
    // The labels' and lines' delayed repaints, on a clock moved on for them.
    ManualClock clock;
    UiLoop().SetClock(&clock);
    UiLoop().Advance(clock, std::chrono::milliseconds(50));
    UiLoop().SetClock(nullptr);
  }

  const Bitmap shot = host.Render();
  EXPECT_TRUE(push->IsPressed());
  SimulateMouse(host, sys::kLButtonUp, {0, 0});
  EXPECT_EQ(id_edit->Render().PixelAt(2, 2), Rgb(44, 44, 44));  // its own colours
  EXPECT_TRUE(host.SaveScreenshot("kit_gallery.png"));
  EXPECT_EQ(shot.width(), 500);
}

}  // namespace
}  // namespace velloran
