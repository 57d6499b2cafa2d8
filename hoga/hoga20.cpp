#include "hoga/hoga20.h"

#include <cmath>

#include "net/packet.h"

namespace velloran {

CHoga20::CHoga20() {
  SetBackgroundColor(kBackground);
}

int CHoga20::OnCreate() {
  if (!memo_.Create(this, kMemoId, CHogaCanvas::kMemoRect) ||
      !trades_.Create(this, kTradeListId, CHogaCanvas::kTradeListRect) ||
      !tip_.Create(this, kTipDelayMs))
    return -1;
  canvas_.PaintAll(book_.frame());
  Layout();
  return 0;
}

void CHoga20::OnDestroy() {
  pacer_.Cancel();
}

// ---- the player's operations: the model changes, the frame waits

void CHoga20::SetMemoText(const std::u16string& text) {
  memo_.SetText(text);
}

void CHoga20::ApplyBook(const HogaSnapshot& snapshot) {
  book_.ApplyBook(snapshot);
  pacer_.Request();
}

void CHoga20::ApplyQuote(const CPKT& quote) {
  if (!book_.ApplyQuote(quote)) return;
  trades_.AddTrade(quote, 0);
  pacer_.Request();
}

void CHoga20::SetMaster(const Packet& master) {
  book_.SetMaster(MasterInfo::FromPacket(master));
  pacer_.Request();
}

void CHoga20::SetDate(std::int32_t yyyymmdd) {
  book_.SetDate(yyyymmdd);
  pacer_.Request();
}

void CHoga20::ClearTrades() {
  trades_.Clear();
}

void CHoga20::ClearBook() {
  book_.ClearBook();
  pacer_.Request();
}

void CHoga20::PaintFrame() {
  // A row that moved under a resting mouse holds another price now.
  UpdateTip();
  std::vector<Rect> changed = canvas_.PaintChanges(book_.frame());
  for (Rect& r : changed) r = ToClient(r);
  UpdateNow(changed);
}

void CHoga20::OnTimer(int id) {
  (void)pacer_.OnTimer(id);
}

// ---- layout and painting

Rect CHoga20::ToClient(const Rect& r) const {
  if (scale_x_ == 1.0 && scale_y_ == 1.0) return r;
  return {static_cast<int>(std::floor(r.left * scale_x_)),
          static_cast<int>(std::floor(r.top * scale_y_)),
          static_cast<int>(std::ceil(r.right * scale_x_)),
          static_cast<int>(std::ceil(r.bottom * scale_y_))};
}

void CHoga20::Layout() {
  memo_.Move(ToClient(CHogaCanvas::kMemoRect));
  trades_.Move(ToClient(CHogaCanvas::kTradeListRect));
}

void CHoga20::OnSize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  const bool lower = height < CHogaCanvas::kHeight;
  const double sx = lower ? static_cast<double>(width) / CHogaCanvas::kWidth : 1.0;
  const double sy = lower ? static_cast<double>(height) / CHogaCanvas::kHeight : 1.0;
  if (sx == scale_x_ && sy == scale_y_) return;
  scale_x_ = sx;
  scale_y_ = sy;
  Layout();
  Invalidate();
}

bool CHoga20::OnEraseBackground(DrawContext& dc) {
  // Only what the canvas leaves: its copy covers the rest.
  const Rect c = ClientRect();
  const Rect canvas = ToClient({0, 0, CHogaCanvas::kWidth, CHogaCanvas::kHeight});
  dc.FillRect({canvas.right, 0, c.right, c.bottom}, kBackground);
  dc.FillRect({0, canvas.bottom, canvas.right, c.bottom}, kBackground);
  return true;
}

void CHoga20::OnPaint(DrawContext& dc) {
  if (scale_x_ == 1.0 && scale_y_ == 1.0) {
    dc.DrawBitmap(canvas_.bitmap(), 0, 0);
  } else {
    canvas_.PaintScaled(dc, ClientRect());
  }
}

// ---- the price tip

void CHoga20::UpdateTip() {
  std::u16string text;
  if (mouse_) {
    const Point canvas{static_cast<int>(mouse_->x / scale_x_),
                       static_cast<int>(mouse_->y / scale_y_)};
    text = CHogaCanvas::PriceTipText(book_.frame(), canvas);
  }
  if (text != tip_.tip_text()) tip_.SetTipText(text);
}

void CHoga20::OnMouseMove(Point p, WParam) {
  mouse_ = p;
  UpdateTip();
}

void CHoga20::OnMouseLeave() {
  mouse_.reset();
  UpdateTip();
}

}  // namespace velloran
