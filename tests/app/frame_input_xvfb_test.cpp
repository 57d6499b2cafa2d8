// The main frame in a real X display without a window manager (Xvfb), worked
// by real pointer input (xdotool): only the title bar moves the frame, a press
// and drag in a pane or on a splitter bar leaves it where it is, and the title
// buttons maximise, restore and close it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net/packet_message.h"
#include "platform/window_messages.h"
#include "tests/app/frame_rig.h"

namespace velloran {
namespace {

using testing::FrameRig;
using testing::kLargeScreen;
using testing::kLargeWork;
using testing_host::RunUntil;

// Real pointer events through the X server, as a user makes them.
void Pointer(const std::string& actions) {
  ASSERT_EQ(std::system(("xdotool " + actions).c_str()), 0) << actions;
}
std::string At(Point p) {
  return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y);
}
Point Centre(const Rect& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// What the frame's windows were last told of the mouse.
struct Heard {
  std::uint32_t message = 0;
  WindowHandle target;
  int count = 0;
};

TEST(FrameInputXvfb, OnlyTheTitleBarMovesTheFrameAndItsButtonsWork) {
  FrameRig rig({u"127.0.0.1", 1, u"demo"});
  ASSERT_FALSE(HasWindowManager()) << "this test wants a display without a window manager";
  CMainFrame& frame = rig.frame;
  ASSERT_TRUE(frame.CreateFrame(kLargeWork, kLargeScreen));
  frame.ShowNormal();
  Heard heard;
  const int hook = AddMessageHook([&](const WindowHandle& target, const WindowMessage& m) {
    if (m.message == sys::kLButtonDown || m.message == sys::kLButtonUp ||
        m.message == sys::kMouseMove) {
      heard = {m.message, target, heard.count + 1};
    }
  });
  const auto heard_after = [&](int count, std::uint32_t message) {
    return RunUntil([&] { return heard.count > count && heard.message == message; }, 5000);
  };
  // The frame is on the screen once it hears the pointer.
  int seen = heard.count;
  Pointer(At(Centre(frame.hoga_view().WindowRect())));
  ASSERT_TRUE(heard_after(seen, sys::kMouseMove));

  // The title bar moves it, and lets the mouse go when the button goes up.
  const Rect home = frame.WindowRect();
  const Point grab{home.left + 400, frame.title_bar().WindowRect().top + 10};
  Pointer(At(grab) + " mousedown 1");
  ASSERT_TRUE(RunUntil([&] { return frame.title_bar().HasCapture(); }, 5000));
  Pointer(At({grab.x + 40, grab.y + 30}));
  ASSERT_TRUE(RunUntil([&] { return frame.WindowRect().left == home.left + 40; }, 5000));
  Pointer("mouseup 1");
  ASSERT_TRUE(RunUntil([&] { return !frame.title_bar().HasCapture(); }, 5000));
  const Rect moved = home.Offset(40, 30);
  EXPECT_EQ(frame.WindowRect(), moved);

  // Presses and drags anywhere else go to what lies under the mouse.
  const Rect bar = frame.outer_splitter().BarRect(SplitterWindow::Bar::kColumn, 0);
  const Point on_bar = frame.outer_splitter().ClientToScreen({bar.left + 1, bar.top + 300});
  struct Case {
    const char* what;
    Window* pane;
    Point press;
  };
  const std::vector<Case> cases = {
      {"order book", &frame.hoga_view(), Centre(frame.hoga_view().WindowRect())},
      {"tiles", &frame.qz_view(), Centre(frame.qz_view().WindowRect())},
      {"ratio view", &frame.koa_view(), Centre(frame.koa_view().WindowRect())},
      {"charts", &frame.chart_view(), Centre(frame.chart_view().WindowRect())},
      {"splitter bar", &frame.outer_splitter(), on_bar},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    seen = heard.count;
    Pointer(At(c.press) + " mousedown 1");
    ASSERT_TRUE(heard_after(seen, sys::kLButtonDown));
    const Window* pressed = Window::FromHandle(heard.target);
    ASSERT_NE(pressed, nullptr);
    EXPECT_TRUE(pressed->IsInside(*c.pane));
    seen = heard.count;
    Pointer(At({c.press.x - 60, c.press.y - 40}));
    ASSERT_TRUE(heard_after(seen, sys::kMouseMove));
    seen = heard.count;
    Pointer("mouseup 1");
    ASSERT_TRUE(heard_after(seen, sys::kLButtonUp));
    EXPECT_EQ(frame.WindowRect(), moved);
  }

  // Maximise takes the screen's work area, restore gives the place back,
  // close ends the frame; none of them moves it by the way.
  // The pointer goes there first: the X server may not have the new place yet.
  const auto click = [&](Window& button) {
    const Point p = Centre(button.WindowRect());
    ASSERT_TRUE(RunUntil(
        [&] {
          const int before = heard.count;
          Pointer(At({p.x, p.y + (before % 2)}));
          return heard_after(before, sys::kMouseMove) && heard.target == button.handle();
        },
        5000));
    Pointer("click 1");
  };
  const Rect screen = ScreenWorkArea();
  click(frame.title_bar().maximize_button());
  ASSERT_TRUE(RunUntil([&] { return frame.WindowRect() == screen; }, 5000));
  EXPECT_TRUE(frame.IsMaximized());
  click(frame.title_bar().maximize_button());
  ASSERT_TRUE(RunUntil([&] { return frame.WindowRect() == moved; }, 5000));
  EXPECT_FALSE(frame.IsMaximized());
  click(frame.title_bar().close_button());
  EXPECT_TRUE(RunUntil([&] { return !frame.IsCreated(); }, 5000));
  RemoveMessageHook(hook);
}

// The day's alarm list takes the keys when the foot bar opens it: Enter
// acknowledges the selected (newest) row with no click on the list first.
TEST(FrameInputXvfb, TheAlarmListTakesEnterAsSoonAsItOpens) {
  FrameRig rig({u"127.0.0.1", 1, u"demo"});
  CMainFrame& frame = rig.frame;
  ASSERT_TRUE(frame.CreateFrame(kLargeWork, kLargeScreen));
  frame.ShowNormal();
  CAlarmCenter& alarms = frame.alarms();
  auto alarm = std::make_unique<Packet>(0);
  alarm->AddInt(u"IDX", 3010);
  alarm->AddText(u"SHCODE", u"005930");
  alarm->AddInt(u"PRC", 1000);
  ASSERT_TRUE(PostPacket(frame.handle(), msg::kAlarmReached, std::move(alarm), true, 0));
  ASSERT_TRUE(RunUntil([&] { return alarms.book().waiting() == 1; }, 5000));
  CFrameFootBar& bar = frame.foot_bar();
  const Rect mark = bar.AlarmRect();
  const Point on_mark = bar.ClientToScreen({mark.left + 10, mark.top + 5});
  // The frame is on the screen once the foot bar hears the pointer.
  bool heard = false;
  const int hook = AddMessageHook([&](const WindowHandle& target, const WindowMessage& m) {
    heard = heard || (m.message == sys::kMouseMove && target == bar.handle());
  });
  ASSERT_TRUE(RunUntil(
      [&] {
        Pointer(At({on_mark.x, on_mark.y + (heard ? 0 : 1)}));
        return RunUntil([&] { return heard; }, 200);
      },
      5000));
  RemoveMessageHook(hook);
  Pointer("click 1");
  ASSERT_TRUE(
      RunUntil([&] { return alarms.list() != nullptr && alarms.list()->IsVisible(); }, 5000));
  ASSERT_TRUE(RunUntil([&] { return alarms.list()->HasFocus(); }, 5000));
  Pointer("key Return");
  EXPECT_TRUE(RunUntil([&] { return alarms.book().waiting() == 0; }, 5000));
}

}  // namespace
}  // namespace velloran
