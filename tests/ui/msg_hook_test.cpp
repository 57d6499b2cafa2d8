// The thread's message hook as registered windows meet it: Escape and Enter
// inside, work elsewhere, drop-downs that keep a registration open, and the
// registration ending with its window.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/window_messages.h"
#include "tests/platform/control_host.h"
#include "ui/msg_hook.h"
#include "ui/qz_combo_box.h"

namespace velloran {
namespace {

using namespace testing_host;

class CloseTarget : public Window {
 public:
  LResult WindowProc(WindowMessage& m) override {
    if (m.message == msg::kClosePopup) closes.push_back(m.wparam);
    return Window::WindowProc(m);
  }
  std::vector<WParam> closes;
};

TEST(MsgHookTest, ClosesOnKeysInsideAndWorkElsewhereUnlessADropDownIsOpen) {
  App();
  ControlHost host;
  ASSERT_TRUE(host.Open(400, 300));
  Window panel;
  ASSERT_TRUE(panel.Create(&host, 10, {10, 10, 200, 100}, u""));
  EditControl edit;
  ASSERT_TRUE(edit.Create(&panel, 11, {5, 5, 100, 25}));
  CQZComboBox combo;
  ASSERT_TRUE(combo.Create(&panel, 12, {5, 40, 100, 60}));
  combo.AddString(u"전체");
  Window outside;
  ASSERT_TRUE(outside.Create(&host, 20, {210, 10, 390, 290}, u""));
  CloseTarget target;
  ASSERT_TRUE(target.Create(&host, 30, {0, 0, 1, 1}, u"", {WindowKind::kChild, false}));

  const std::size_t before = CMsgHook::RegistrationCount();
  auto hook = std::make_unique<CMsgHook>();
  hook->Register(panel, target.handle());
  EXPECT_EQ(CMsgHook::RegistrationCount(), before + 1);

  // The field and its parent both see a dialog key: each says the same.
  SimulateKey(edit, sys::kVkEscape);
  ASSERT_FALSE(target.closes.empty());
  EXPECT_EQ(std::count(target.closes.begin(), target.closes.end(), 0u), target.closes.size());
  target.closes.clear();
  SimulateKey(edit, sys::kVkReturn);
  ASSERT_FALSE(target.closes.empty());
  EXPECT_EQ(std::count(target.closes.begin(), target.closes.end(), 1u), target.closes.size());
  target.closes.clear();

  // Inside, the wheel and a right press are the window's own business.
  panel.Send(sys::kMouseWheel, sys::MakeWParam(0, -120), 0);
  SimulateMouse(host, sys::kRButtonDown, {50, 90});
  EXPECT_TRUE(target.closes.empty());
  // Elsewhere they close: the wheel, scrolling, a right or middle press.
  outside.Send(sys::kMouseWheel, sys::MakeWParam(0, -120), 0);
  outside.Send(sys::kVScroll, ctl::kLineDown, 0);
  SimulateMouse(host, sys::kRButtonDown, {300, 100});
  SimulateMouse(host, sys::kRButtonUp, {300, 100});
  SimulateMouse(host, sys::kMButtonDown, {300, 100});
  SimulateMouse(host, sys::kMButtonUp, {300, 100});
  EXPECT_EQ(target.closes, (std::vector<WParam>{1, 1, 1, 1}));
  target.closes.clear();

  // An open drop-down inside keeps the registration open.
  combo.ShowDropDown(true);
  EXPECT_TRUE(hook->drop_down_open());
  outside.Send(sys::kMouseWheel, 0, 0);
  EXPECT_TRUE(target.closes.empty());
  combo.ShowDropDown(false);
  EXPECT_FALSE(hook->drop_down_open());
  bool calendar_open = true;
  hook->SetOpenCheck([&] { return calendar_open; });
  outside.Send(sys::kMouseWheel, 0, 0);
  EXPECT_TRUE(target.closes.empty());
  calendar_open = false;
  outside.Send(sys::kMouseWheel, 0, 0);
  EXPECT_EQ(target.closes, (std::vector<WParam>{1}));

  // The registration goes with its window; the hook with the last one.
  panel.Destroy();
  EXPECT_FALSE(hook->registered());
  EXPECT_EQ(CMsgHook::RegistrationCount(), before);
  hook.reset();
  target.closes.clear();
  outside.Send(sys::kMouseWheel, 0, 0);
  EXPECT_TRUE(target.closes.empty());
  Settle();
}

}  // namespace
}  // namespace velloran
