#include "ui/my_splitter_wnd.h"

namespace velloran {

CMySplitterWnd::CMySplitterWnd() {
  SetMetrics(kBarWidth, kGap, kBorder);
}

void CMySplitterWnd::DrawBar(DrawContext& dc, const Rect& r, Bar kind) {
  SplitterWindow::DrawBar(dc, r, kind);
  dc.FrameRect(r.Deflated(1, 1), kInner);
}

}  // namespace velloran
