#include "replay/play_frame.h"

#include "app/key_map.h"
#include "platform/window_messages.h"
#include "replay/play_frame_geometry.h"

namespace velloran {

CPlayFrame::CPlayFrame(CSessionData& session, const CDecoder& decoder, std::string data_page,
                       FrameMetrics metrics)
    : metrics_(metrics), player_(session, decoder, std::move(data_page)) {
  SetBackgroundColor(kFrameColor);
}

CPlayFrame::~CPlayFrame() {
  if (key_hook_ != 0) RemoveKeyHook(key_hook_);
}

bool CPlayFrame::Open(const WindowHandle& book, const std::u16string& title,
                      const Rect& desktop) {
  book_ = book;
  WindowStyle style;
  style.kind = WindowKind::kTopLevel;
  style.frameless = true;
  return Create(nullptr, 0, PlayFramePlacement(desktop, metrics_), title, style);
}

int CPlayFrame::OnCreate() {
  if (!title_bar_.Create(this, kTitleBarId)) return -1;
  const Rect c = ClientRect();
  if (!player_.Create(this, kPlayerId, c.Deflated(metrics_.frame_x, metrics_.frame_y))) return -1;
  Layout(c.width(), c.height());
  key_hook_ = AddKeyHook([this](const KeyPressInfo& key) { return OnKey(key); });
  return 0;
}

void CPlayFrame::OnDestroy() {
  if (key_hook_ != 0) RemoveKeyHook(key_hook_);
  key_hook_ = 0;
  if (book_.IsWindow()) SendMessage(book_, msg::kReplayClosed, 0, 0);
}

LResult CPlayFrame::WindowProc(WindowMessage& m) {
  if (m.message == msg::kSelectStock) {
    ShowNormal();
    BringToTop();
    Activate();
    return player_.IsCreated() ? player_.WindowProc(m) : 0;
  }
  // The replies pass on as they are: the player frees them.
  if (m.message == msg::kNotify) return player_.IsCreated() ? player_.WindowProc(m) : 0;
  return Window::WindowProc(m);
}

bool CPlayFrame::OnKey(const KeyPressInfo& key) {
  const Window* target = Window::FromHandle(key.target);
  if (target == nullptr || !target->IsInside(*this) || !player_.IsCreated()) return false;
  const std::optional<KeyAction> action =
      FindKeyAction(key.key, key.modifiers, {.in_text_box = key.in_text_box, .in_replay = true});
  return action && player_.OnKeyAction(*action);
}

void CPlayFrame::OnSize(int width, int height) {
  if (width <= 0 || height <= 0) return;  // minimised
  SetRectMask(FrameRegion({width, height}, metrics_));
  Layout(width, height);
}

void CPlayFrame::Layout(int width, int height) {
  const Rect inner = Rect{0, 0, width, height}.Deflated(metrics_.frame_x, metrics_.frame_y);
  if (inner.IsEmpty() || !player_.IsCreated()) return;
  title_bar_.Move({inner.left, inner.top, inner.right, inner.top + CMyTitleBar::kHeight});
  player_.Move({inner.left, inner.top + CMyTitleBar::kHeight, inner.right,
                std::max(inner.bottom, inner.top + CMyTitleBar::kHeight)});
}

void CPlayFrame::OnPaint(DrawContext& dc) {
  // The frame's ring; the title bar and the player cover the inside.
  const Rect outer = ClientRect();
  dc.ExcludeClip(outer.Deflated(metrics_.frame_x, metrics_.frame_y));
  dc.FillRect(outer, kFrameColor);
  dc.ResetClip();
}

HitCode CPlayFrame::HitTest(Point p) {
  const Rect r = ClientRect();
  return FrameHitTest({r.width(), r.height()}, p, metrics_);
}

}  // namespace velloran
