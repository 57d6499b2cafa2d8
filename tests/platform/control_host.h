#pragma once
// A top-level window under the offscreen platform that holds controls in
// tests and keeps what they tell it: commands, notifications and scroll
// messages; it answers the colour request when given colours.

#include <functional>
#include <optional>
#include <vector>

#include "platform/application.h"
#include "platform/control_codes.h"
#include "platform/window.h"
#include "platform/window_events.h"
#include "tests/platform/offscreen_app.h"

namespace velloran::testing_host {

inline bool RunUntil(const std::function<bool()>& done, int ms = 3000) {
  return App().loop().RunUntil(done, std::chrono::milliseconds(ms));
}

inline void Settle() {
  App().loop().ProcessEvents(std::chrono::milliseconds(0));
}

struct Heard {
  std::uint32_t message;
  int id;    // control id (commands, notifications) or scroll code
  int code;  // command code, or scroll position
  LParam lparam;
};

class ControlHost : public Window {
 public:
  ControlHost() { SetBackgroundColor(Rgb(200, 200, 200)); }
  bool Open(int width = 400, int height = 300) {
    App();
    if (!Create(nullptr, 0, {50, 50, 50 + width, 50 + height}, u"host",
                {WindowKind::kTopLevel, true, true}))
      return false;
    // Focus goes to controls only once the window is active.
    return RunUntil([] { return IsForegroundWindowOurs(); });
  }

  LResult WindowProc(WindowMessage& m) override {
    switch (m.message) {
      case sys::kCommand:
        heard.push_back({m.message, sys::LowWord(static_cast<std::intptr_t>(m.wparam)),
                         sys::HighWord(static_cast<std::intptr_t>(m.wparam)), m.lparam});
        return 1;
      case sys::kHScroll:
      case sys::kVScroll:
        heard.push_back({m.message, sys::LowWord(static_cast<std::intptr_t>(m.wparam)),
                         sys::HighWord(static_cast<std::intptr_t>(m.wparam)), m.lparam});
        return 0;
      case sys::kKeyDown:
        keys.push_back(m.wparam);
        return 0;
      case ctl::kControlColor:
        if (!colors) return 0;
        *reinterpret_cast<ControlColors*>(m.wparam) = *colors;
        return 1;
      default:
        return Window::WindowProc(m);
    }
  }

  // The commands of one control with one code.
  [[nodiscard]] int Count(std::uint32_t message, int id, int code) const {
    int n = 0;
    for (const Heard& h : heard) n += h.message == message && h.id == id && h.code == code;
    return n;
  }
  [[nodiscard]] int Commands(int id, int code) const { return Count(sys::kCommand, id, code); }

  std::vector<Heard> heard;
  std::vector<WParam> keys;
  std::optional<ControlColors> colors;
};

// The centre of a child in its top-level window's coordinates.
inline Point CentreIn(const Window& top, const Window& child) {
  const Rect r = child.WindowRect();
  return top.ScreenToClient({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

// Pixels of a colour within a rectangle of a rendered picture.
inline int CountColour(const Bitmap& b, const Rect& r, Color c) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += b.PixelAt(x, y) == c;
  return n;
}

// Pixels within `tolerance` of a colour in every channel: text, whose edges
// are blended with what lies under it.
inline int CountNear(const Bitmap& b, const Rect& r, Color c, int tolerance = 40) {
  const auto near = [&](int a, int e) { return a >= e - tolerance && a <= e + tolerance; };
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const Color p = b.PixelAt(x, y);
      n += near(p.r, c.r) && near(p.g, c.g) && near(p.b, c.b);
    }
  return n;
}

}  // namespace velloran::testing_host
