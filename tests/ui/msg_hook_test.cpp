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
  App();  // before any window
  ControlHost host;
  ASSERT_TRUE(host.Open(400, 300));
  Window panel, outside;
  EditControl edit;
  CQZComboBox combo;
  CloseTarget target;
  ASSERT_TRUE(panel.Create(&host, 10, {10, 10, 200, 100}, u"") &&
              edit.Create(&panel, 11, {5, 5, 100, 25}) &&
              combo.Create(&panel, 12, {5, 40, 100, 60}) &&
              outside.Create(&host, 20, {210, 10, 390, 290}, u"") &&
              target.Create(&host, 30, {0, 0, 1, 1}, u"", {WindowKind::kChild, false}));
  combo.AddString(u"전체");
  const std::size_t before = CMsgHook::RegistrationCount();
  auto hook = std::make_unique<CMsgHook>();
  hook->Register(panel, target.handle());

  // A dialog key reaches the field and its parent: both say the same.
  auto only = [&](WParam w) {
    const bool same = !target.closes.empty() &&
                      std::all_of(target.closes.begin(), target.closes.end(),
                                  [w](WParam c) { return c == w; });
    target.closes.clear();
    return same;
  };
  SimulateKey(edit, sys::kVkEscape);
  EXPECT_TRUE(only(0));
  SimulateKey(edit, sys::kVkReturn);
  EXPECT_TRUE(only(1));

  // The wheel or a right press inside is the window's own; elsewhere (and
  // scrolling or a middle press) they close.
  panel.Send(sys::kMouseWheel, 0, 0);
  SimulateMouse(host, sys::kRButtonDown, {50, 90});
  EXPECT_TRUE(target.closes.empty());
  outside.Send(sys::kMouseWheel, 0, 0);
  outside.Send(sys::kVScroll, ctl::kLineDown, 0);
  SimulateMouse(host, sys::kRButtonDown, {300, 100});
  SimulateMouse(host, sys::kMButtonDown, {300, 100});
  EXPECT_EQ(target.closes, (std::vector<WParam>{1, 1, 1, 1}));
  target.closes.clear();

  // An open drop-down inside, or the registration's own check, holds it open.
  combo.ShowDropDown(true);
  EXPECT_TRUE(hook->drop_down_open());
  outside.Send(sys::kMouseWheel, 0, 0);
  combo.ShowDropDown(false);
  bool calendar_open = true;
  hook->SetOpenCheck([&] { return calendar_open; });
  outside.Send(sys::kMouseWheel, 0, 0);
  EXPECT_TRUE(target.closes.empty());
  calendar_open = false;
  outside.Send(sys::kMouseWheel, 0, 0);
  EXPECT_EQ(target.closes.size(), 1u);

  // The registration goes with its window.
  panel.Destroy();
  EXPECT_FALSE(hook->registered());
  EXPECT_EQ(CMsgHook::RegistrationCount(), before);
  Settle();
}

}  // namespace
}  // namespace velloran
