#include "hoga/stand_in_windows.h"

#include "net/stock_code.h"
#include "platform/window_messages.h"

namespace velloran {

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
