#include "platform/tool_tip_control.h"

#include <algorithm>

#include "platform/window_events.h"

namespace velloran {

namespace {

constexpr int kShowTimer = 0x7F11;
constexpr int kPadding = 3;
constexpr int kBelowCursor = 20;

}  // namespace

ToolTipControl::ToolTipControl() {
  SetBackgroundColor(Rgb(255, 255, 225));
}

ToolTipControl::~ToolTipControl() {
  Unhook();
}

bool ToolTipControl::Create(Window* tool, int delay_ms) {
  if (tool == nullptr || !tool->IsCreated()) return false;
  tool_ = tool;
  tool_handle_ = tool->handle();
  delay_ms_ = delay_ms;
  WindowStyle style;
  style.kind = WindowKind::kPopup;
  style.visible = false;
  style.topmost = true;
  style.tool = true;
  style.no_activate = true;
  if (!Window::Create(tool, 0, {0, 0, 10, 10}, u"", style)) return false;
  hook_ = AddMessageHook([this](const WindowHandle& target, const WindowMessage& m) {
    if (target == tool_handle_) Watch(m);
  });
  return true;
}

void ToolTipControl::Unhook() {
  if (hook_ != 0) RemoveMessageHook(hook_);
  hook_ = 0;
}

void ToolTipControl::OnDestroy() {
  Unhook();
  tool_ = nullptr;
}

void ToolTipControl::Watch(const WindowMessage& m) {
  switch (m.message) {
    case sys::kMouseMove: {
      const Point p = sys::PointFromLParam(m.lparam);
      if (p == last_ && (IsVisible() || text_.empty())) return;
      last_ = p;
      if (IsVisible()) return;  // a shown tip stays where it came up
      if (!text_.empty()) SetTimer(kShowTimer, std::max(delay_ms_, 0));
      return;
    }
    case sys::kMouseLeave:
    case sys::kLButtonDown:
    case sys::kRButtonDown:
    case sys::kMButtonDown:
    case sys::kMouseWheel:
      Pop();
      return;
    case sys::kDestroy:
      Unhook();
      tool_ = nullptr;
      Pop();
      return;
    default:
      return;
  }
}

void ToolTipControl::OnTimer(int id) {
  if (id != kShowTimer) return;
  KillTimer(kShowTimer);
  if (text_.empty() || tool_ == nullptr) return;
  ShowAt(last_);
}

Size ToolTipControl::TipSize() const {
  Bitmap probe(1, 1);
  DrawContext dc(probe);
  dc.SetFont(font_);
  const Size s = dc.TextExtent(text_.empty() ? u" " : text_);
  return {s.width + 2 * kPadding + 2, s.height + 2 * kPadding};
}

void ToolTipControl::ShowAt(Point tool_point) {
  if (tool_ == nullptr || text_.empty()) return;
  KillTimer(kShowTimer);
  const Point at = tool_->ClientToScreen({tool_point.x, tool_point.y + kBelowCursor});
  const Size s = TipSize();
  Move({at.x, at.y, at.x + s.width, at.y + s.height});
  ShowNoActivate();
  Invalidate();
}

void ToolTipControl::Pop() {
  KillTimer(kShowTimer);
  if (IsCreated()) Show(false);
}

void ToolTipControl::SetTipText(const std::u16string& text) {
  if (text == text_) return;
  text_ = text;
  if (text_.empty()) {
    Pop();
    return;
  }
  if (IsVisible()) {
    const Rect r = WindowRect();
    const Size s = TipSize();
    Move({r.left, r.top, r.left + s.width, r.top + s.height});
    Invalidate();
  }
}

void ToolTipControl::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  dc.FrameRect(r, Rgb(118, 118, 118));
  dc.SetFont(font_);
  dc.SetTextColor(Rgb(0, 0, 0));
  dc.SetTransparentBackground(true);
  dc.DrawText(text_, r.Deflated(kPadding + 1, kPadding),
              text_flag::kSingleLine | text_flag::kVCenter | text_flag::kNoPrefix);
}

}  // namespace velloran
