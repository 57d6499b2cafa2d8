#include "tests/platform/gallery.h"

#include "platform/bitmap_resources.h"

namespace velloran::gallery {

void ColourPanel::OnPaint(DrawContext& dc) {
  ++paints;
  dc.FillRect(kRed, Rgb(255, 0, 0));
  dc.FrameRect(kGreenFrame, Rgb(0, 160, 0));
  dc.SetPen({Rgb(0, 0, 255), 1, PenStyle::kSolid});
  dc.Line({130, 10}, {180, 10});  // (180, 10) itself stays background
  dc.SetFont(Font::Points(u"굴림", 14));
  dc.SetTextColor(Rgb(0, 0, 0));
  dc.SetTransparentBackground(true);
  dc.DrawText(u"한글", kKoreanBox,
              text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine);
  dc.AlphaFill({130, 50, 170, 80}, Rgb(0, 255, 255), 110);
  dc.DrawBitmap(LoadBitmapResource(322), 130, 84);
}

void TickerPanel::OnPaint(DrawContext& dc) {
  const Size s = dc.size();
  dc.FillRect({0, 0, s.width, s.height}, ticks % 2 ? Rgb(30, 40, 235) : Rgb(231, 17, 14));
  dc.SetFont(Font::Points(u"Arial", 9, 700));
  dc.SetTextColor(Rgb(255, 255, 255));
  dc.SetTransparentBackground(true);
  dc.DrawText(u"tick " + std::u16string(1, static_cast<char16_t>(u'0' + ticks % 10)),
              {0, 0, s.width, s.height},
              text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine);
}

void TickerPanel::OnTimer(int id) {
  if (id != kTimerId) return;
  if (++ticks >= ticks_wanted) KillTimer(kTimerId);
  UpdateNow();
}

LResult MessageLog::WindowProc(WindowMessage& m) {
  if (m.message >= sys::kFirstApplicationMessage) {
    received.push_back({m.message, {}, m.wparam, m.lparam});
    if (auto p = m.Take<std::string>()) ++values_taken;
    return static_cast<LResult>(received.size());
  }
  return Window::WindowProc(m);
}

int GalleryFrame::OnCreate() {
  if (!colours.Create(this, 1001, {kBorder + 6, kCaption + 6, kBorder + 206, kCaption + 126}, u""))
    return -1;
  if (!ticker.Create(this, 1002, {kBorder + 216, kCaption + 6, kBorder + 316, kCaption + 46}, u""))
    return -1;
  if (!log.Create(this, 1003, {kBorder + 216, kCaption + 56, kBorder + 316, kCaption + 96}, u""))
    return -1;
  ticker.SetTimer(TickerPanel::kTimerId, 20);
  return 0;
}

void GalleryFrame::OnSize(int width, int height) {
  SetRoundRectMask({0, 0, width, height}, 20, 20);
}

void GalleryFrame::OnPaint(DrawContext& dc) {
  const Rect all = ClientRect();
  dc.FillRect({all.left, all.top, all.right, kCaption}, kFrameColour);
  dc.FillRect({all.left, kCaption, kBorder, all.bottom}, kFrameColour);
  dc.FillRect({all.right - kBorder, kCaption, all.right, all.bottom}, kFrameColour);
  dc.FillRect({all.left, all.bottom - kBorder, all.right, all.bottom}, kFrameColour);
  dc.DrawBitmap(LoadBitmapResource(313), 8, 5);
  const Bitmap& close = LoadBitmapResource(324);
  dc.StretchBitmap(close, {0, 0, close.width(), close.height() / 2},
                   {all.right - 24, 4, all.right - 8, 20});
  const Bitmap& gradient = LoadBitmapResource(311);
  dc.StretchBitmap(gradient, {0, 0, gradient.width(), gradient.height()},
                   {kBorder, all.bottom - 44, all.right - kBorder, all.bottom - kBorder});
  const Bitmap& button = LoadBitmapResource(332);
  dc.DrawBitmap(button, kBorder + 8, all.bottom - 36);
  dc.DrawBitmap(LoadBitmapResource(329), kBorder + 80, all.bottom - 36);
}

HitCode GalleryFrame::HitTest(Point p) {
  const Rect all = ClientRect();
  const bool left = p.x < kBorder, right = p.x >= all.right - kBorder;
  const bool top = p.y < kBorder, bottom = p.y >= all.bottom - kBorder;
  if (top && left) return HitCode::kTopLeft;
  if (top && right) return HitCode::kTopRight;
  if (bottom && left) return HitCode::kBottomLeft;
  if (bottom && right) return HitCode::kBottomRight;
  if (left) return HitCode::kLeft;
  if (right) return HitCode::kRight;
  if (top) return HitCode::kTop;
  if (bottom) return HitCode::kBottom;
  if (p.y < kCaption) return HitCode::kCaption;
  return HitCode::kClient;
}

void GalleryPopup::OnPaint(DrawContext& dc) {
  const Size s = dc.size();
  dc.FrameRect({0, 0, s.width, s.height}, Rgb(50, 50, 50));
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(Rgb(50, 50, 50));
  dc.SetTransparentBackground(true);
  dc.DrawText(u"팝업 창 — 항상 위", {4, 4, s.width - 4, s.height - 4},
              text_flag::kLeft | text_flag::kEndEllipsis | text_flag::kNoPrefix);
}

bool BuildGallery(GalleryFrame& frame, GalleryPopup& popup, int x, int y) {
  WindowStyle top;
  top.kind = WindowKind::kTopLevel;
  top.frameless = true;
  if (!frame.Create(nullptr, 0, {x, y, x + 400, y + 300}, u"Velloran gallery", top)) return false;
  WindowStyle pop;
  pop.kind = WindowKind::kPopup;
  pop.topmost = true;
  pop.tool = true;
  pop.no_activate = true;
  return popup.Create(&frame, 0, {x + 250, y + 200, x + 380, y + 230}, u"", pop);
}

}  // namespace velloran::gallery
