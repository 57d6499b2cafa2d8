#include "hoga/stand_in_windows.h"

#include "net/message_codes.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "platform/window_messages.h"
#include "stock/stock_records.h"

namespace velloran {

void CTileStandIn::SetData(const CQZData* record) {
  record_ = record;
  Invalidate();
}

LResult CTileStandIn::WindowProc(WindowMessage& m) {
  if (m.message == msg::kNotify && m.wparam == static_cast<WParam>(code::kRealtime)) {
    ++redraws_;
    Invalidate();
    return 0;
  }
  return Window::WindowProc(m);
}

void CTileStandIn::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  dc.FillRect(r, kBackground);
  if (record_ == nullptr) return;
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTransparentBackground(true);
  dc.SetTextColor(kText);
  const unsigned flags =
      text_flag::kSingleLine | text_flag::kVCenter | text_flag::kEndEllipsis | text_flag::kNoPrefix;
  dc.DrawText(record_->name() + u"(" + record_->code() + u")",
              {4, r.bottom - 40, r.right - 4, r.bottom - 22}, flags);
  if (const CPKT* q = record_->quote()) {
    dc.DrawText(FormatNumber(q->Price()) + u" " + FormatNumber(q->Change()) + u" " +
                    FormatReal2(q->Rate()) + u"％",
                {4, r.bottom - 22, r.right - 4, r.bottom - 4}, flags);
  }
}

bool CReplayStandIn::Open(const WindowHandle& book, const std::u16string& title) {
  book_ = book;
  SetBackgroundColor(kBackground);
  WindowStyle style;
  style.kind = WindowKind::kTopLevel;
  return Create(nullptr, 0, {120, 120, 120 + 800, 120 + 600}, title, style);
}

LResult CReplayStandIn::WindowProc(WindowMessage& m) {
  if (m.message == msg::kSelectStock) {
    stock_ = UnpackStockCode(static_cast<std::intptr_t>(m.wparam));
    return 0;
  }
  return Window::WindowProc(m);
}

void CReplayStandIn::OnDestroy() {
  SendMessage(book_, msg::kReplayClosed, 0, 0);
}

}  // namespace velloran
