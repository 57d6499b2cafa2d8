// A price alarm the demo market makes reach, end to end: the notice in the
// main window, its sound, the day's list behind the foot bar, and what
// acknowledging does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/alarm_center.h"
#include "grid/qz_view.h"
#include "app/settings_files.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "platform/input_simulation.h"
#include "platform/sound.h"
#include "platform/test_window.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"
#include "tests/app/frame_rig.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::DemoMarket;
using testing::FrameRig;
using testing_host::RunUntil;

class AlarmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSoundHandler([this](const SoundPlaying& playing) {
      ++sounds;
      last_sound = playing;
    });
    ASSERT_TRUE(rig.frame.CreateFrame(testing::kLargeWork, testing::kLargeScreen));
    rig.frame.ShowNormal();
    rig.Step(milliseconds(1100));  // the session starts
    // The top bar stands in for the one a pick goes to.
    rig.frame.alarms().SetTopBar(top_bar.handle());
  }
  void TearDown() override { SetSoundHandler(nullptr); }
  std::vector<std::u16string> Picked() {
    std::vector<std::u16string> codes;
    for (const RecordedMessage& m : top_bar.received) {
      if (m.message == msg::kSelectStock) codes.push_back(UnpackStockCode(static_cast<LParam>(m.wparam)));
    }
    return codes;
  }
  void ClickFootBarAlarms() {
    CFrameFootBar& bar = rig.frame.foot_bar();
    const Rect r = bar.AlarmRect();
    const Point at = rig.frame.ScreenToClient(bar.ClientToScreen({r.left + 5, r.top + 5}));
    SimulateMouse(rig.frame, sys::kLButtonDown, at);
    SimulateMouse(rig.frame, sys::kLButtonUp, at);
    testing_host::Settle();
  }

  // Alarms for the stock of a reached one, at prices from `price` on.
  void PostAlarms(const std::u16string& code, int price, int count) {
    for (int i = 0; i < count; ++i) {
      auto alarm = std::make_unique<Packet>(0);
      alarm->AddInt(u"IDX", 3010);
      alarm->AddText(u"SHCODE", code);
      alarm->AddInt(u"PRC", price + i);
      ASSERT_TRUE(PostPacket(rig.frame.handle(), msg::kAlarmReached, std::move(alarm), true, 0));
    }
  }

  // Writes the part of the frame's picture around rect (frame client
  // coordinates) for the README, when VELLORAN_PICTURES names a directory.
  void Picture(const Bitmap& shot, const Rect& rect, const std::string& name) {
    const char* pictures = std::getenv("VELLORAN_PICTURES");
    if (pictures == nullptr) return;
    Bitmap part(rect.width(), rect.height());
    DrawContext dc(part);
    dc.DrawBitmap(shot, -rect.left, -rect.top);
    EXPECT_TRUE(part.SavePng(std::string(pictures) + "/" + name));
  }
  Rect InFrame(const Window& w) {
    const Rect r = w.WindowRect();
    const Point at = rig.frame.ScreenToClient({r.left, r.top});
    return r.Offset(at.x - r.left, at.y - r.top);
  }

  DemoMarket market{{}, 300, /*alarm_now=*/true};
  FrameRig rig{market.endpoint()};
  int sounds = 0;
  SoundPlaying last_sound;
  RecordingWindow top_bar{UiLoop()};
};

TEST_F(AlarmTest, AReachedAlarmShowsSoundsAndWaitsUntilAcknowledged) {
  CAlarmCenter& alarms = rig.frame.alarms();
  ASSERT_TRUE(RunUntil([&] { return alarms.book().waiting() == 1; }, 10000));
  const ReachedAlarm reached = alarms.book().entries().front();
  EXPECT_EQ(sounds, 1);
  EXPECT_TRUE(alarms.notice().IsVisible());
  EXPECT_NE(reached.name, reached.code);  // the name from the stock master
  EXPECT_EQ(reached.price_now, reached.alarm_price);
  EXPECT_GE(reached.time, 90000);
  EXPECT_EQ(rig.frame.foot_bar().AlarmText(), u"알람 1건 확인 대기");
  testing_host::Settle();
  ASSERT_TRUE(rig.frame.SaveScreenshot(::testing::TempDir() + "alarm_frame.png"));
  ASSERT_TRUE(alarms.notice().SaveScreenshot(::testing::TempDir() + "alarm_notice.png"));
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(alarms.notice().SaveScreenshot(std::string(pictures) + "/alarm_notice.png"));
  }
  // The notice stands in the right half, above the foot bar.
  const Rect notice = alarms.notice().WindowRect();
  const Rect foot = rig.frame.foot_bar().WindowRect();
  EXPECT_LE(notice.bottom, foot.top);
  EXPECT_GT(notice.left, rig.frame.WindowRect().left + rig.frame.WindowRect().width() / 2);

  // The foot bar opens the day's list; Enter acknowledges the waiting row.
  ClickFootBarAlarms();
  ASSERT_NE(alarms.list(), nullptr);
  EXPECT_TRUE(alarms.list()->IsVisible());
  EXPECT_EQ(alarms.list()->selected(), 0);
  ASSERT_TRUE(alarms.list()->SaveScreenshot(::testing::TempDir() + "alarm_list.png"));
  // The list carries its column titles.
  const Rect titles = alarms.list()->TitlesRect();
  EXPECT_GT(testing_host::CountNear(alarms.list()->Render(), titles, Rgb(50, 50, 50)), 40);
  EXPECT_EQ(alarms.list()->RowRect(0).top, titles.bottom);
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(alarms.list()->SaveScreenshot(std::string(pictures) + "/alarm_list.png"));
  }
  SimulateKey(*alarms.list(), sys::kVkReturn);
  testing_host::Settle();
  EXPECT_EQ(alarms.book().waiting(), 0u);
  EXPECT_FALSE(alarms.notice().IsVisible());
  EXPECT_EQ(rig.frame.foot_bar().AlarmText(), u"알람 1건");
  EXPECT_TRUE(Picked().empty());
  ClickFootBarAlarms();  // closes it again
  EXPECT_FALSE(alarms.list()->IsVisible());

  // An alarm price of 0 is one left unset, which a quote cut short to a
  // price of 0 "reaches": nothing is shown or sounded.
  auto unset = std::make_unique<Packet>(0);
  unset->AddInt(u"IDX", 3010);
  unset->AddText(u"SHCODE", reached.code);
  unset->AddInt(u"PRC", 0);
  ASSERT_TRUE(PostPacket(rig.frame.handle(), msg::kAlarmReached, std::move(unset), true, 0));
  testing_host::Settle();
  EXPECT_EQ(alarms.book().entries().size(), 1u);
  EXPECT_EQ(sounds, 1);
  EXPECT_FALSE(alarms.notice().IsVisible());

  // Muted, the next alarm is shown but not sounded; a click on its notice
  // acknowledges it and picks its stock. The setting is kept in qza.cfg.
  alarms.SetMuted(true);
  auto again = std::make_unique<Packet>(0);
  again->AddInt(u"IDX", 3010);
  again->AddText(u"SHCODE", reached.code);
  again->AddInt(u"PRC", reached.alarm_price + 5);
  ASSERT_TRUE(PostPacket(rig.frame.handle(), msg::kAlarmReached, std::move(again), true, 0));
  ASSERT_TRUE(RunUntil([&] { return alarms.book().waiting() == 1; }));
  EXPECT_EQ(sounds, 1);
  const Point centre = testing_host::CentreIn(rig.frame, alarms.notice());
  SimulateMouse(rig.frame, sys::kLButtonDown, centre);
  SimulateMouse(rig.frame, sys::kLButtonUp, centre);
  testing_host::Settle();
  EXPECT_EQ(alarms.book().waiting(), 0u);
  EXPECT_EQ(alarms.book().entries().size(), 2u);
  EXPECT_EQ(Picked(), std::vector<std::u16string>{reached.code});

  // A busy day: more alarms than the list's rows. The keys walk down to the
  // oldest, and the list follows the selection.
  for (int i = 0; i < 14; ++i) {
    auto more = std::make_unique<Packet>(0);
    more->AddInt(u"IDX", 3010);
    more->AddText(u"SHCODE", reached.code);
    more->AddInt(u"PRC", reached.alarm_price + i);
    ASSERT_TRUE(PostPacket(rig.frame.handle(), msg::kAlarmReached, std::move(more), true, 0));
  }
  ASSERT_TRUE(RunUntil([&] { return alarms.book().entries().size() == 16; }));
  ClickFootBarAlarms();
  EXPECT_EQ(alarms.list()->selected(), 15);  // the newest waiting
  EXPECT_FALSE(alarms.list()->RowRect(15).IsEmpty());
  EXPECT_TRUE(alarms.list()->RowRect(0).IsEmpty());
  for (int i = 0; i < 20; ++i) SimulateKey(*alarms.list(), sys::kVkDown);
  testing_host::Settle();
  EXPECT_EQ(alarms.list()->selected(), 0);
  EXPECT_FALSE(alarms.list()->RowRect(0).IsEmpty());
  EXPECT_TRUE(alarms.list()->RowRect(15).IsEmpty());
  rig.frame.Destroy();
  rig.session.SaveSettings();
  std::vector<std::u16string> lines;
  ASSERT_EQ(ReadTextFile(rig.dir / "qza.cfg", lines), ReadOutcome::kRead);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      u"<PKT><GBN>0</GBN><CFG>2</CFG><MUTE>1</MUTE></PKT>"),
            lines.end());
}

// The notices cover no control: not the charts' pane (scroll bars, zoom
// sliders, axes), nor the tile wall's scroll bar, the time machine or the
// header. Several stack, the newest on top, three at most; after eight
// seconds they fold into the foot bar's mark and wait in the day's list.
TEST_F(AlarmTest, NoticesStackClearOfEveryControlAndFoldIntoTheFootBar) {
  CAlarmCenter& alarms = rig.frame.alarms();
  ASSERT_TRUE(RunUntil([&] { return alarms.book().waiting() == 1; }, 10000));
  const ReachedAlarm first = alarms.book().entries().front();
  rig.Step(milliseconds(2000));
  PostAlarms(first.code, first.alarm_price + 1, 3);
  ASSERT_TRUE(RunUntil([&] { return alarms.book().entries().size() == 4; }));
  testing_host::Settle();
  const std::vector<CAlarmNotice*> shown = alarms.ShownNotices();
  ASSERT_EQ(shown.size(), 3u);  // the first alarm's notice folded early
  const auto& entries = alarms.book().entries();
  for (std::size_t k = 0; k < shown.size(); ++k) {
    EXPECT_EQ(shown[k]->alarm().serial, entries[entries.size() - 1 - k].serial);
    if (k > 0) {
      EXPECT_LT(shown[k - 1]->WindowRect().bottom, shown[k]->WindowRect().top);
    }
  }
  auto& view = dynamic_cast<CQZView&>(rig.frame.qz_view());
  std::vector<Rect> controls{rig.frame.chart_view().WindowRect(),
                             view.time_control().WindowRect(),
                             view.research_button().WindowRect()};
  ASSERT_TRUE(view.time_control().IsVisible());
  if (view.tiles().scroll_bar().IsVisible()) controls.push_back(view.tiles().scroll_bar().WindowRect());
  for (const CAlarmNotice* notice : shown) {
    const Rect n = notice->WindowRect();
    EXPECT_TRUE(view.tiles().WindowRect().Contains({n.left, n.top}));
    for (const Rect& c : controls) EXPECT_TRUE(n.Intersect(c).IsEmpty()) << c.left << "," << c.top;
  }
  const Rect top = InFrame(*shown.front());
  const Rect bottom = InFrame(*shown.back());
  Picture(rig.frame.Render(), {top.left - 40, top.top - 30, bottom.right + 130, bottom.bottom + 60},
          "alarm_stack.png");

  // Eight seconds after they came they fold; they wait in the list.
  rig.Step(CAlarmCenter::kFoldAfter - milliseconds(1));
  EXPECT_EQ(alarms.ShownNotices().size(), 3u);
  rig.Step(milliseconds(1));
  EXPECT_TRUE(alarms.ShownNotices().empty());
  EXPECT_EQ(alarms.book().waiting(), 4u);
  EXPECT_EQ(rig.frame.foot_bar().AlarmText(), u"알람 4건 확인 대기");
}

// A burst of alarms is not a player process each: one sound at a time, one
// a second at most, and whatever came meanwhile sounds once.
TEST_F(AlarmTest, ABurstOfAlarmsSoundsOnceASecondAndNeverTwoAtOnce) {
  CAlarmCenter& alarms = rig.frame.alarms();
  ASSERT_TRUE(RunUntil([&] { return alarms.book().waiting() == 1; }, 10000));
  ASSERT_EQ(sounds, 1);
  const ReachedAlarm reached = alarms.book().entries().front();
  // The first sound plays on past its second: the burst waits for its end.
  last_sound->store(true);
  PostAlarms(reached.code, reached.alarm_price, 200);
  ASSERT_TRUE(RunUntil([&] { return alarms.book().entries().size() == 201; }));
  EXPECT_EQ(sounds, 1);
  rig.Step(AlertSound::kMinGap);
  EXPECT_EQ(sounds, 1);
  last_sound->store(false);
  rig.Step(AlertSound::kRecheck);
  EXPECT_EQ(sounds, 2);
  // Alarms within the second after a sound: one more when it is up, no more.
  PostAlarms(reached.code, reached.alarm_price, 30);
  testing_host::Settle();
  rig.Step(AlertSound::kMinGap - milliseconds(1));
  EXPECT_EQ(sounds, 2);
  rig.Step(milliseconds(1));
  EXPECT_EQ(sounds, 3);
  rig.Step(AlertSound::kMinGap * 5);
  EXPECT_EQ(sounds, 3);
  EXPECT_EQ(alarms.book().entries().size(), 231u);
}

}  // namespace
}  // namespace velloran
