// CSTKItem as a window: binding, the dispatcher's messages, the press that
// selects the stock, and the hover tips, which follow the mouse's own move
// and leave events instead of polling it.

#include "stock/stk_item.h"

#include <algorithm>

#include "net/message_codes.h"
#include "net/stock_code.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {


// The size a tip needs for its lines.
Size TipSize(const std::u16string& text, int inset) {
  Bitmap probe(1, 1);
  DrawContext dc(probe);
  dc.SetFont(Font::Points(u"굴림", 8));
  const int line_height = std::max(dc.TextExtent(u"가").height, 1);
  int width = 0;
  int lines = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find(u'\n', start), text.size());
    width = std::max(width, dc.TextExtent(text.substr(start, end - start)).width);
    ++lines;
    start = end + 1;
  }
  dc.Finish();
  return {width + 2 * inset + 4, lines * line_height + 2 * inset + 2};
}

}  // namespace

CSTKItem::CSTKItem(const TileSource& source) : source_(source) {
  SetBackgroundColor(kBackground);
}

CSTKItem::~CSTKItem() = default;

bool CSTKItem::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

void CSTKItem::SetData(std::u16string code) {
  if (code != code_) HideHover();
  code_ = std::move(code);
  Invalidate();
}

void CSTKItem::SetSourceMode(bool on) {
  if (on == source_mode_) return;
  source_mode_ = on;
  const Rect c = ClientRect();
  OnSize(c.width(), c.height());
}

void CSTKItem::SetTargets(WindowHandle select_target, WindowHandle price_target) {
  select_target_ = std::move(select_target);
  price_target_ = std::move(price_target);
}

void CSTKItem::OnSize(int width, int height) {
  layout_ = TileLayout::For(width, height, source_mode_);
  if (cursor_line_.IsCreated()) {
    cursor_line_.SetStart(layout_.price_plot.top);
    cursor_line_.SetLength(layout_.price_plot.height());
  }
  Invalidate();
}

LResult CSTKItem::WindowProc(WindowMessage& m) {
  if (m.message != msg::kNotify) return Window::WindowProc(m);
  if (m.wparam == static_cast<WParam>(code::kRealtime)) {
    // Only a price other than the one on screen is worth a repaint. Comparing
    // with what was painted, rather than the record's changed flag, keeps a
    // change that a later quote of the same price has already cleared.
    bool changed = false;
    if (!code_.empty()) {
      source_.VisitRecord(code_, [&](const CQZData& record) {
        changed = record.quote() != nullptr && record.quote()->Price() != painted_price_;
      });
    }
    if (changed) Invalidate();
  } else if (m.wparam == static_cast<WParam>(code::kStockDetail)) {
    Invalidate(layout_.text);
  }
  return 0;
}

void CSTKItem::OnLButtonDown(Point p, WParam) {
  if (code_.empty() || !Capture()) return;
  const std::intptr_t packed = PackStockCode(code_);
  PostMessage(select_target_, msg::kSelectStock, static_cast<WParam>(packed), 0);
  if (source_.CurrentScreen() == code::kAlarm && layout_.price_plot.Contains(p)) {
    const std::int32_t price = std::max(PriceAt(p.y), 0);
    PostMessage(price_target_, msg::kTilePricePress, static_cast<WParam>(price), packed);
  }
}

void CSTKItem::OnMouseMove(Point p, WParam) {
  mouse_ = p;
  mouse_inside_ = ClientRect().Deflated(kHoverInset, kHoverInset).Contains(p);
  UpdateHover();
}

void CSTKItem::OnMouseLeave() {
  mouse_inside_ = false;
  HideHover();
}

void CSTKItem::UpdateHover() {
  if (!IsVisible()) return;
  if (!mouse_inside_) {
    HideHover();
    return;
  }
  if (!IsInActiveWindow() || !Capture() || !frame_.valid) return;
  if (!layout_.price_plot.Contains(mouse_)) return;
  const int index = BarAt(mouse_.x);
  if (index < 0 || !EnsureHoverWindows()) return;
  const int x = layout_.price_plot.left + (frame_.end - 1 - index) * bar_width_ + bar_width_ / 2;
  cursor_line_.MoveTo({x, 0});
  PlaceTips(TileHoverText(frame_.bars[index - frame_.start]));
}

void CSTKItem::HideHover() {
  hover_text_.clear();
  if (cursor_line_.IsCreated()) cursor_line_.Hide();
  if (inside_tip_.IsCreated()) inside_tip_.SetText(u"");
}

bool CSTKItem::EnsureHoverWindows() {
  // Made on the first hover: most tiles of a wall are never pointed at.
  if (cursor_line_.IsCreated()) return true;
  if (!cursor_line_.Create(this, kCursorLineId, true, 1, kCursorLine, layout_.price_plot.height(),
                           layout_.price_plot.top))
    return false;
  const WindowStyle hidden{.visible = false};
  if (!inside_tip_.Create(this, kInsideTipId, {0, 0, 1, 1}, u"", hidden)) return false;
  for (Window* w : std::initializer_list<Window*>{&cursor_line_, &inside_tip_})
    w->SetMouseTransparent(true);
  inside_tip_.SetBkColor(kInsideTipColor);
  return true;
}

void CSTKItem::PlaceTips(const std::u16string& text) {
  hover_text_ = text;
  // One tip, at the top of the chart on the side away from the cursor: a
  // second one beside the cursor said the same again over the bars.
  const Rect& plot = layout_.price_plot;
  const Size inside = TipSize(text, inside_tip_.inset());
  const int width = std::min(inside.width, plot.width());
  const bool cursor_left = mouse_.x < (plot.left + plot.right) / 2;
  const int left = cursor_left ? plot.right - width : plot.left;
  inside_tip_.Move({left, plot.top, left + width, plot.top + inside.height});
  inside_tip_.SetText(text);
  inside_tip_.BringToTop();
}

}  // namespace velloran
