#pragma once
// A tool tip: a small pop-up with one line of text that appears near the
// mouse once it has rested on the tool window for the delay, and goes when
// the mouse leaves, a button is pressed or the text is emptied. It watches the
// tool window's messages through a message hook, so no relaying is needed.

#include <string>

#include "platform/window.h"

namespace velloran {

class ToolTipControl : public Window {
 public:
  static constexpr int kDefaultDelayMs = 500;

  ToolTipControl();
  ~ToolTipControl() override;

  // A hidden pop-up owned by tool, watching it.
  [[nodiscard]] bool Create(Window* tool, int delay_ms = kDefaultDelayMs);

  // An empty text hides the tip and keeps it hidden; a changed text updates a
  // shown tip in place.
  void SetTipText(const std::u16string& text);
  [[nodiscard]] const std::u16string& tip_text() const { return text_; }
  void SetDelay(int delay_ms) { delay_ms_ = delay_ms; }
  [[nodiscard]] int delay_ms() const { return delay_ms_; }
  // Shows the tip now at a point of the tool's client area (a slider's drag).
  void ShowAt(Point tool_point);
  void Pop();
  // The size the text needs.
  [[nodiscard]] Size TipSize() const;

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  void OnDestroy() override;

 private:
  void Watch(const WindowMessage& m);
  void Unhook();

  Window* tool_ = nullptr;
  WindowHandle tool_handle_;
  std::u16string text_;
  int delay_ms_ = kDefaultDelayMs;
  Point last_{};  // the mouse in the tool's client coordinates
  int hook_ = 0;
  Font font_ = Font::Points(u"굴림", 9);
};

}  // namespace velloran
