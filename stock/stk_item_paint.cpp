// CSTKItem's painting: the record copied under the source's lock, then the
// chart, the caption and the source line drawn from the copy.

#include <algorithm>
#include <cmath>

#include "chart/chart_text.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "platform/bitmap_resources.h"
#include "stock/stk_item.h"

namespace velloran {
namespace {

constexpr int kCaptionRow = 15;
constexpr int kMarkGap = 2;
constexpr int kLabelHeight = 12;
constexpr int kLabelPadding = 2;
constexpr int kDateWidth = 36;

const Font& CaptionFont() {
  static const Font font = Font::Points(u"굴림", 9);
  return font;
}
const Font& SmallFont() {
  static const Font font = Font::Points(u"굴림", 8);
  return font;
}



Color SignColor(std::int32_t sign) {
  if (sign < 3) return CSTKItem::kUpText;
  if (sign > 3) return CSTKItem::kDownText;
  return CSTKItem::kText;
}

}  // namespace

TileLayout TileLayout::For(int width, int height, bool source_mode) {
  TileLayout l;
  const int top = source_mode ? kSourceBand : 0;
  const int r = width - 1;
  const int h = height;
  const int chart_bottom = h - 58;
  const int p = top + (chart_bottom - top) / 10 * 8;
  l.whole = {0, 0, r, h};
  l.bottom_strip = {0, h - 11, r, h};
  l.chart = {0, top, r, chart_bottom};
  l.price = {0, top, r, p};
  l.volume = {0, p + 1, r, chart_bottom};
  l.price_plot = {4, top + 10, r - 4, p - 1};
  l.volume_plot = {4, p + 3, r - 4, chart_bottom - 1};
  l.text = {0, h - 57, r, h - 12};
  l.source = {0, 0, r, top};
  return l;
}

std::u16string TileHoverText(const TICK& bar) {
  return chart_text::BarTipText(bar);
}

bool CSTKItem::Capture() {
  TileFrame& f = frame_;
  f.bound = false;
  f.bars.clear();
  f.count = f.start = f.end = 0;
  if (code_.empty()) return false;
  source_.VisitRecord(code_, [&f](const CQZData& record) {
    f.bound = true;
    f.valid = record.valid() == 1;
    const CPKT* quote = record.quote();
    f.has_quote = quote != nullptr;
    f.imminent = record.IsImminent();
    f.reverse = record.IsReverse();
    f.name = record.name();
    f.code = record.code();
    f.source = record.source();
    f.registration_date = record.registration_date();
    f.price = quote ? quote->Price() : 0;
    f.sign = quote ? quote->Sign() : 0;
    f.change = quote ? quote->Change() : 0;
    f.rate = quote ? quote->Rate() : 0;
    f.first_price = record.first_price();
    f.second_price = record.second_price();

    const CChartData& bars = record.bars();
    f.count = bars.Count();
    if (f.count <= 0 || f.count >= kMaxChartBars) return;
    f.end = std::min(bars.End(), f.count);
    f.start = std::clamp(bars.Start(), 0, f.end);
    f.top = bars.Top();
    f.bottom = bars.Bottom();
    f.bars = bars.Bars(f.start, std::min(f.end + 1, f.count));
    // The largest volume in view: a live quote grows today's volume without
    // rescaling the store, and a bar above the store's top would climb out
    // of the volume plot over the candles.
    f.volume_top = bars.VolumeTop();
    for (int i = 0; i < f.end - f.start; ++i)
      f.volume_top = std::max(f.volume_top, f.bars[i].volume);
  });
  // A store with no bars in view has no bar width (and no division by it).
  bar_width_ = f.end > 0 ? layout_.price_plot.width() / f.end : 0;
  return f.bound;
}

int CSTKItem::PriceY(std::int64_t price) const {
  const Rect& plot = layout_.price_plot;
  const std::int64_t range = frame_.top - frame_.bottom;
  const int span = std::max(plot.height() - 1, 0);
  if (range <= 0) return plot.top + span / 2;
  return plot.top + static_cast<int>((frame_.top - price) * span / range);
}

std::int32_t CSTKItem::PriceAt(int y) const {
  const Rect& plot = layout_.price_plot;
  const int span = plot.height() - 1;
  if (frame_.count <= 0 || span <= 0) return 0;
  const double range = static_cast<double>(frame_.top - frame_.bottom);
  return static_cast<std::int32_t>(static_cast<double>(frame_.top) - range * (y - plot.top) / span);
}

int CSTKItem::BarAt(int x) const {
  if (frame_.count <= 0 || frame_.count >= kMaxHoverBars || bar_width_ <= 0) return -1;
  const int step =
      static_cast<int>(std::floor(static_cast<double>(x - layout_.price_plot.left) / bar_width_));
  const int index = frame_.end - step - 1;
  if (index < frame_.start || index >= frame_.end) return -1;
  return index;
}

bool CSTKItem::OnEraseBackground(DrawContext&) {
  return true;  // OnPaint covers every pixel
}

void CSTKItem::OnPaint(DrawContext& dc) {
  ++paint_count_;
  Capture();
  painted_price_ = frame_.price;
  const Rect c = ClientRect();
  dc.FillRect(c, kBackground);
  if (!frame_.bound) return;
  PaintChart(dc);
  PaintCaption(dc);
  PaintSource(dc);
}

void CSTKItem::PaintChart(DrawContext& dc) {
  const TileFrame& f = frame_;
  if (f.count <= 0 || f.count >= kMaxChartBars || f.end <= 0) return;
  const TileLayout& l = layout_;
  for (const Rect& area : {l.price, l.volume}) {
    dc.FillRect(area, kPlotBackground);
    dc.FrameRect(area, kPlotFrame);
  }
  const int bw = bar_width_;
  if (bw <= 0) return;
  // Bars from the oldest in view (index end - 1) at the left to the newest.
  auto bar = [&f](int index) -> const TICK& { return f.bars[index - f.start]; };
  auto bar_x = [&](int index) { return l.price_plot.left + (f.end - 1 - index) * bw; };
  const int body_inset = bw >= 3 ? 1 : 0;

  Color previous = kRise;
  const Rect& vp = l.volume_plot;
  const std::int64_t volume_top = std::max<std::int64_t>(f.volume_top, 1);
  for (int i = f.end - 1; i >= f.start; --i) {
    const TICK& b = bar(i);
    const int x = bar_x(i);
    const int mid = x + bw / 2;
    Color colour = previous;
    if (b.close > b.open) colour = kRise;
    if (b.close < b.open) colour = kFall;
    previous = colour;
    const int y_high = PriceY(b.high);
    const int y_low = PriceY(b.low);
    dc.FillRect({mid, y_high, mid + 1, y_low + 1}, colour);
    const int y_open = PriceY(b.open);
    const int y_close = PriceY(b.close);
    const int body_top = b.close == b.open ? y_close : std::min(y_open, y_close);
    const int body_bottom = b.close == b.open ? y_close + 1 : std::max(y_open, y_close) + 1;
    dc.FillRect({x + body_inset, body_top, std::max(x + bw - body_inset, x + 1), body_bottom},
                colour);

    // Volume: red when it grew on the bar before (the older one).
    const int older = i + 1 - f.start;
    const bool grew = older < static_cast<int>(f.bars.size()) && b.volume > f.bars[older].volume;
    const int height = static_cast<int>(b.volume * vp.height() / volume_top);
    dc.FillRect(
        {x + body_inset, vp.bottom - height, std::max(x + bw - body_inset, x + 1), vp.bottom},
        grew ? kRise : kFall);
  }

  // The averages through the bars' centres, broken where one is undefined.
  const std::pair<double TICK::*, Color> averages[] = {{&TICK::ma5, kMa5}, {&TICK::ma20, kMa20}};
  std::vector<Point> run;
  for (const auto& [field, colour] : averages) {
    dc.SetPen({colour, 1, PenStyle::kSolid});
    run.clear();
    for (int i = f.end - 1; i >= f.start - 1; --i) {
      const double value = i >= f.start ? bar(i).*field : 0;
      if (value > 0) {
        const int x = bar_x(i) + static_cast<int>(bw * 0.5);
        run.push_back({x, PriceY(static_cast<std::int64_t>(std::lround(value)))});
        continue;
      }
      if (run.size() > 1) dc.Polyline(run);
      run.clear();
    }
  }

  PaintPriceLine(dc, frame_.first_price, kFirstLabel, true);
  PaintPriceLine(dc, frame_.second_price, kSecondLabel, false);
}

void CSTKItem::PaintPriceLine(DrawContext& dc, std::int32_t price, Color label, bool label_left) {
  if (price <= 0) return;
  const Rect& plot = layout_.price_plot;
  const int y = PriceY(price);
  // A price off the scale has no place on the chart.
  if (y < plot.top || y >= plot.bottom) return;
  dc.FillRect({plot.left, y, plot.right, y + 1}, kPriceLine);
  dc.SetFont(SmallFont());
  const std::u16string text = FormatNumber(price);
  const int width = dc.TextExtent(text).width + 2 * kLabelPadding;
  const int left = label_left ? plot.left : plot.right - width;
  const int top = std::clamp(y - kLabelHeight / 2, layout_.price.top + 1,
                             layout_.price.bottom - 1 - kLabelHeight);
  const Rect box{left, top, left + width, top + kLabelHeight};
  dc.FillRect(box, label);
  label_texts_.Draw(dc, text, box, TextAlign::kCenter, Rgb(255, 255, 255), label);
}

void CSTKItem::PaintCaption(DrawContext& dc) {
  const TileFrame& f = frame_;
  if (!f.valid || !f.has_quote) return;
  const TileLayout& l = layout_;
  const int mark_top = l.volume.bottom + 2;
  const Bitmap& imminent = LoadBitmapResource(kImminentBitmap);
  if (f.imminent) dc.DrawBitmap(imminent, 1, mark_top);
  if (f.reverse) {
    dc.DrawBitmap(LoadBitmapResource(kReverseBitmap), 1 + imminent.width() + kMarkGap, mark_top);
  }
  dc.SetFont(CaptionFont());
  const int name_top = l.text.top + kCaptionRow;
  const Rect name_box{2, name_top, l.text.right - 2, name_top + kCaptionRow};
  texts_.Draw(dc, f.name + u"(" + f.code + u")", name_box, TextAlign::kLeft, kText, kBackground);
  const std::u16string price_text = FormatNumber(f.price) + u" " + std::u16string(SignSymbol(f.sign)) + u" " +
                                    FormatNumber(std::abs(static_cast<std::int64_t>(f.change))) +
                                    u" " + FormatReal2(f.rate) + u"％";
  const Rect price_box{2, name_box.bottom, l.text.right - 2, l.text.bottom};
  texts_.Draw(dc, price_text, price_box, TextAlign::kLeft, SignColor(f.sign), kBackground);
}

void CSTKItem::PaintSource(DrawContext& dc) {
  if (!source_mode_) return;
  const TileFrame& f = frame_;
  const Rect& band = layout_.source;
  dc.SetFont(SmallFont());
  dc.SetTextColor(kText);
  dc.SetTransparentBackground(true);
  dc.DrawText(f.source, {2, band.top, band.right - kDateWidth - 2, band.bottom},
              text_flag::kSingleLine | text_flag::kVCenter | text_flag::kEndEllipsis |
                  text_flag::kNoPrefix);
  const std::u16string& reg = f.registration_date;
  if (reg.size() < 8) return;
  // This month's registrations in red.
  const std::u16string trading = FormatInt(source_.TradingDate());
  const bool this_month = trading.size() >= 6 && reg.compare(0, 6, trading, 0, 6) == 0;
  dc.SetTextColor(this_month ? kUpText : kOldDate);
  dc.DrawText(
      reg.substr(4, 2) + u"/" + reg.substr(6, 2),
      {band.right - kDateWidth, band.top, band.right - 2, band.bottom},
      text_flag::kSingleLine | text_flag::kVCenter | text_flag::kRight | text_flag::kNoPrefix);
}

}  // namespace velloran
