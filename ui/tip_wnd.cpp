#include "ui/tip_wnd.h"

#include "ui/memory_dc.h"

namespace velloran {

CTipWnd::CTipWnd() {
  SetBackgroundColor(Rgb(255, 255, 255));
}

void CTipWnd::SetText(const std::u16string& text) {
  Window::SetText(text);
  if (text.empty()) {
    Show(false);
    return;
  }
  if (!IsVisible()) ShowNoActivate();
  SetTimer(kRepaintTimer, 5);
}

void CTipWnd::OnTimer(int id) {
  if (id != kRepaintTimer) return;
  KillTimer(kRepaintTimer);
  Invalidate();
}

void CTipWnd::SetBkColor(Color c) {
  SetBackgroundColor(c);
  Invalidate();
}

void CTipWnd::SetTextColor(Color c) {
  text_color_ = c;
  Invalidate();
}

void CTipWnd::SetInset(int pixels) {
  inset_ = std::max(pixels, 0);
  Invalidate();
}

void CTipWnd::OnPaint(DrawContext& target) {
  CMemoryDC dc(target, {}, false, BackgroundColor());
  const Rect r = ClientRect();
  dc.FrameRect(r, Rgb(0, 0, 0));
  dc.SetFont(font_);
  dc.SetTextColor(text_color_);
  dc.SetTransparentBackground(true);
  const Rect inside = r.Deflated(inset_, inset_);
  const int line_height = std::max(dc.TextExtent(u"가").height, 1);
  const std::u16string text = Text();
  int top = inside.top;
  std::size_t start = 0;
  while (start <= text.size() && top < inside.bottom) {
    const std::size_t end = std::min(text.find(u'\n', start), text.size());
    std::u16string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    dc.DrawText(line, {inside.left, top, inside.right, std::min(top + line_height, inside.bottom)},
                text_flag::kLeft | text_flag::kTop | text_flag::kSingleLine | text_flag::kNoPrefix |
                    text_flag::kEndEllipsis);
    top += line_height;
    start = end + 1;
  }
}

}  // namespace velloran
