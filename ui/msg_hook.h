#pragma once
// CMsgHook, a window's registration with the thread's message hook, which
// closes open pop-ups and in-place drop-downs when the user works elsewhere:
// Escape or Enter inside the registered windows, or scrolling, a right or
// middle press or the wheel outside all of them, sends the registration's
// target 1034 (wParam 1 for Enter and for work elsewhere, 0 for Escape). A
// registration whose own drop-down is open is left alone. The first
// registration installs the hook, the last one removes it; everything runs
// on the user-interface thread.

#include <functional>
#include <vector>

#include "platform/window.h"

namespace velloran {

class CMsgHook {
 public:
  CMsgHook() = default;
  ~CMsgHook();
  CMsgHook(const CMsgHook&) = delete;
  CMsgHook& operator=(const CMsgHook&) = delete;

  // Registers window (what lies inside it counts as inside) with the target
  // that gets 1034. The registration ends when window is destroyed.
  void Register(Window& window, WindowHandle target);
  // Another window that counts as inside (a pop-up the registered window owns).
  void AddWindow(Window& other);
  void Unregister();
  [[nodiscard]] bool registered() const { return registered_; }

  // Set by the drop-down notifications of combo boxes and date pickers inside
  // the registered windows.
  [[nodiscard]] bool drop_down_open() const { return drop_down_open_; }
  // A drop-down of the registration open right now (its combo box's list,
  // its date picker's calendar); the registration is then left alone too.
  void SetOpenCheck(std::function<bool()> check) { open_check_ = std::move(check); }

  // Registrations alive now (tests).
  [[nodiscard]] static std::size_t RegistrationCount();

 private:
  static void OnMessage(const WindowHandle& target, const WindowMessage& m);
  [[nodiscard]] bool Contains(const WindowHandle& target) const;
  [[nodiscard]] bool Busy() const;

  std::vector<WindowHandle> windows_;  // the first is the registered window
  WindowHandle target_;
  std::function<bool()> open_check_;
  bool drop_down_open_ = false;
  bool registered_ = false;
};

}  // namespace velloran
