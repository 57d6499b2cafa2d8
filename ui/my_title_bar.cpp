#include "ui/my_title_bar.h"

#include "platform/bitmap_resources.h"
#include "platform/child_rect.h"
#include "platform/control_codes.h"
#include "platform/window_events.h"

namespace velloran {

bool CMyTitleBar::Create(Window* frame, int id) {
  if (frame == nullptr) return false;
  return Window::Create(frame, id, {0, 0, frame->ClientRect().width(), kHeight}, u"");
}

int CMyTitleBar::OnCreate() {
  struct ButtonSetup {
    CBitButton& button;
    int id;
    int bitmap;
  };
  for (const ButtonSetup& s : {ButtonSetup{close_, kCloseId, kCloseBitmap},
                               ButtonSetup{maximize_, kMaximizeId, kMaximizeBitmap},
                               ButtonSetup{minimize_, kMinimizeId, kMinimizeBitmap}}) {
    if (!s.button.Create(u"", {}, {0, kButtonGap, 0, kButtonGap}, this, s.id)) return -1;
    s.button.SetHoverMode(true);
    if (!s.button.LoadBitmap(s.bitmap)) return -1;
  }
  maximize_.SetBehaviour(BitButtonBehaviour::kToggle);
  maximize_.SetToggleBitmaps(kMaximizeBitmap, kRestoreBitmap);
  PlaceButtons();
  SetTimer(kLayoutTimer, kLayoutDelayMs);
  return 0;
}

void CMyTitleBar::PlaceButtons() {
  int right = ClientRect().right - kButtonGap;
  for (CBitButton* button : {&close_, &maximize_, &minimize_}) {
    if (!button->IsCreated()) continue;
    const Rect r = ChildRect(*button);
    button->Move({right - r.width(), kButtonGap, right, kButtonGap + r.height()});
    right -= r.width() + kButtonGap;
  }
}

void CMyTitleBar::OnSize(int, int) {
  PlaceButtons();
}

void CMyTitleBar::OnTimer(int id) {
  if (id != kLayoutTimer) return;
  KillTimer(kLayoutTimer);
  PlaceButtons();
}

void CMyTitleBar::OnPaint(DrawContext& dc) {
  dc.DrawBitmap(LoadBitmapResource(kTitleBitmap), kTitleAt.x, kTitleAt.y);
}

void CMyTitleBar::OnLButtonDown(Point, WParam) {
  // Presses on the buttons go to the buttons; any other moves the frame.
  BeginSystemMove();
}

bool CMyTitleBar::OnCommand(int id, int code, const WindowHandle&) {
  Window* frame = parent();
  if (frame == nullptr || code != ctl::kButtonClicked) return false;
  switch (id) {
    case kCloseId:
      PostMessage(frame->handle(), sys::kClose, 0, 0);
      return true;
    case kMaximizeId:
      if (maximize_.state() == 1)
        frame->ShowMaximized();
      else
        frame->ShowNormal();
      return true;
    case kMinimizeId:
      frame->ShowMinimized();
      return true;
    default:
      return false;
  }
}

}  // namespace velloran
