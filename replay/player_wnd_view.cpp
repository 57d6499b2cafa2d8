#include "replay/player_wnd.h"

#include <algorithm>

#include "platform/bitmap_resources.h"
#include "replay/play_quote_strip.h"

namespace velloran {

void CPlayerWnd::OnSize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  Layout();
}

void CPlayerWnd::Layout() {
  if (!ctrl_.IsCreated()) return;
  const Rect c = ClientRect();
  book_.Move({0, kTopStrip, kBookWidth, std::max(c.bottom, kTopStrip + 1)});
  const int right = std::max(c.right, kCtrlLeft + 1);
  const int bottom = std::max(c.bottom - kCtrlHeight, 1);
  ctrl_.Move({kCtrlLeft, bottom, right, c.bottom});
  // The charts, one above the other, at the splitter's share of the column.
  const double ratio = splitter_.ratio() > 0 ? splitter_.ratio() : kDefaultSplit;
  const int split = std::clamp(static_cast<int>(bottom * ratio), 0, bottom);
  day_chart_.Move({kCtrlLeft, 0, right, split});
  splitter_.Move({kCtrlLeft, split, right, split + CMySplitter::kThickness});
  minute_chart_.Move(
      {kCtrlLeft, split + CMySplitter::kThickness, right, std::max(bottom, split + CMySplitter::kThickness)});
  const int x = (c.width() - kLoadSize.width) / 2, y = (c.height() - kLoadSize.height) / 2;
  load_.Move({x, y, x + kLoadSize.width, y + kLoadSize.height});
}

void CPlayerWnd::OnPaint(DrawContext& dc) {
  if (dc.MustPaint(kStripRect)) PaintStrip(dc);
}

void CPlayerWnd::PaintStrip(DrawContext& dc) {
  ++strip_paints_;
  dc.IntersectClip(kStripRect);
  const Bitmap& back = LoadBitmapResource(kStripBitmap);
  if (!back.IsNull())
    dc.StretchBitmap(back, {0, 0, back.width(), back.height()}, kStripRect);
  const std::optional<CPKT>& quote = model_.current_quote();
  if (quote) {
    const Font large = Font::Pixels(u"굴림", kPriceFontPixels, static_cast<int>(FontWeight::kBold));
    const Font small = Font::Pixels(u"굴림", kSmallFontPixels, static_cast<int>(FontWeight::kBold));
    dc.SetTransparentBackground(true);
    int x = kPriceAt.x;
    bool first = true;
    for (const QuoteStripPiece& piece :
         QuoteStripPieces(*quote, info_.GetInt(u"JNILVOL", 0))) {
      dc.SetFont(piece.large ? large : small);
      dc.SetTextColor(piece.colour);
      if (!first) x += piece.gap;
      first = false;
      dc.TextOut(x, piece.large ? kPriceAt.y : kSmallTextTop, piece.text);
      x += dc.TextExtent(piece.text).width;
    }
  }
  dc.ResetClip();
}

}  // namespace velloran
