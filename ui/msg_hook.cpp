#include "ui/msg_hook.h"

#include <algorithm>

#include "platform/control_codes.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

// Date-picker notifications (kNotify codes) of a calendar opening and closing.
constexpr int kDateDropDown = -754;
constexpr int kDateCloseUp = -753;

struct HookState {
  std::vector<CMsgHook*> registered;
  int hook_id = 0;
};

HookState& State() {
  static HookState state;
  return state;
}

// Scrolling, a right or middle press or the wheel: the user works elsewhere.
bool IsWorkElsewhere(std::uint32_t message) {
  return message == sys::kHScroll || message == sys::kVScroll ||
         message == sys::kRButtonDown || message == sys::kMButtonDown ||
         message == sys::kMouseWheel;
}

}  // namespace

CMsgHook::~CMsgHook() {
  Unregister();
}

void CMsgHook::Register(Window& window, WindowHandle target) {
  Unregister();
  windows_ = {window.handle()};
  target_ = std::move(target);
  drop_down_open_ = false;
  registered_ = true;
  HookState& s = State();
  s.registered.push_back(this);
  if (s.hook_id == 0) s.hook_id = AddMessageHook(&CMsgHook::OnMessage);
}

void CMsgHook::AddWindow(Window& other) {
  if (registered_) windows_.push_back(other.handle());
}

void CMsgHook::Unregister() {
  if (!registered_) return;
  registered_ = false;
  windows_.clear();
  HookState& s = State();
  std::erase(s.registered, this);
  if (s.registered.empty() && s.hook_id != 0) {
    RemoveMessageHook(s.hook_id);
    s.hook_id = 0;
  }
}

std::size_t CMsgHook::RegistrationCount() {
  return State().registered.size();
}

bool CMsgHook::Contains(const WindowHandle& target) const {
  const Window* w = Window::FromHandle(target);
  if (w == nullptr) return false;
  return std::any_of(windows_.begin(), windows_.end(), [w](const WindowHandle& h) {
    const Window* registered = Window::FromHandle(h);
    return registered != nullptr && w->IsInside(*registered);
  });
}

bool CMsgHook::Busy() const {
  return drop_down_open_ || (open_check_ && open_check_());
}

void CMsgHook::OnMessage(const WindowHandle& target, const WindowMessage& m) {
  // A copy: a reaction may end registrations.
  const std::vector<CMsgHook*> hooks = State().registered;
  auto alive = [](CMsgHook* h) {
    const auto& now = State().registered;
    return std::find(now.begin(), now.end(), h) != now.end();
  };
  switch (m.message) {
    case sys::kDestroy:
      for (CMsgHook* h : hooks)
        if (alive(h) && !h->windows_.empty() && h->windows_.front() == target) h->Unregister();
      return;
    case sys::kCommand:
    case sys::kNotify: {
      const int code = m.message == sys::kCommand
                           ? sys::HighWord(static_cast<std::intptr_t>(m.wparam))
                           : static_cast<int>(m.lparam);
      bool open = false;
      if (m.message == sys::kCommand && code == ctl::kComboDropDown) {
        open = true;
      } else if (m.message == sys::kNotify && code == kDateDropDown) {
        open = true;
      } else if (!(m.message == sys::kCommand && code == ctl::kComboCloseUp) &&
                 !(m.message == sys::kNotify && code == kDateCloseUp)) {
        return;
      }
      for (CMsgHook* h : hooks)
        if (alive(h) && h->Contains(target)) h->drop_down_open_ = open;
      return;
    }
    case sys::kKeyDown:
      if (m.wparam != sys::kVkEscape && m.wparam != sys::kVkReturn) return;
      for (CMsgHook* h : hooks) {
        if (alive(h) && h->Contains(target))
          SendMessage(h->target_, msg::kClosePopup, m.wparam == sys::kVkReturn ? 1 : 0, 0);
      }
      return;
    default:
      break;
  }
  if (!IsWorkElsewhere(m.message)) return;
  if (std::any_of(hooks.begin(), hooks.end(),
                  [&](CMsgHook* h) { return alive(h) && h->Contains(target); }))
    return;
  for (CMsgHook* h : hooks) {
    if (!alive(h) || h->Busy()) continue;
    if (!h->windows_.empty() && h->windows_.front().IsWindow())
      SendMessage(h->target_, msg::kClosePopup, 1, 0);
  }
}

}  // namespace velloran
