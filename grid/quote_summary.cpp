#include "grid/quote_summary.h"

#include "net/text_util.h"

namespace velloran {
namespace {

constexpr int kPriceHeight = 18;
constexpr int kSmallHeight = 12;
constexpr int kSmallDrop = 3;  // the small texts stand this much lower
constexpr int kAfterPrice = 12;
constexpr int kAfterItem = 10;



Color SignColor(int sign) {
  if (sign == 1 || sign == 2) return kRiseColor;
  if (sign == 4 || sign == 5) return kFallColor;
  return Rgb(0, 0, 0);
}

}  // namespace

QuoteSummary MakeQuoteSummary(const CPKT& quote, std::int32_t previous_volume) {
  QuoteSummary s;
  s.color = SignColor(quote.Sign());
  s.price = FormatNumber(quote.Price());
  const std::u16string_view mark = SignSymbol(quote.Sign());
  s.change = (mark.empty() ? std::u16string(u" ") : std::u16string(mark)) + FormatNumber(quote.Change());
  s.rate = (quote.Rate() > 0 ? u"+" : u"") + FormatReal2(quote.Rate()) + u"%";
  s.volume = FormatNumber(quote.Volume());
  if (previous_volume > 0)
    s.ratio = FormatReal2(quote.Volume() * 100.0 / previous_volume) + u"％";
  return s;
}

void PaintQuoteSummary(DrawContext& dc, const QuoteSummary& s, int x, int y, const Rect& clip) {
  dc.IntersectClip(clip);
  dc.SetTransparentBackground(true);
  dc.SetFont(Font::Pixels(u"굴림", kPriceHeight, static_cast<int>(FontWeight::kBold)));
  const Color color = s.stale ? kStaleColor : s.color;
  dc.SetTextColor(color);
  dc.TextOut(x, y, s.price);
  x += dc.TextExtent(s.price).width + kAfterPrice;

  dc.SetFont(Font::Pixels(u"굴림", kSmallHeight));
  const int small_y = y + kSmallDrop;
  auto item = [&](const std::u16string& text, Color c) {
    if (text.empty()) return;
    dc.SetTextColor(s.stale ? kStaleColor : c);
    dc.TextOut(x, small_y, text);
    x += dc.TextExtent(text).width + kAfterItem;
  };
  item(s.change, color);
  item(s.rate, color);
  item(s.volume, kVolumeColor);
  item(s.ratio, kRatioColor);
  dc.ResetClip();
}

}  // namespace velloran
