#include "hoga/hoga_canvas.h"

#include <algorithm>

#include "net/text_util.h"

namespace velloran {
namespace {

constexpr int kRow = CHogaCanvas::kRowHeight;
constexpr int kPanelTop = 10 * kRow;
constexpr int kPanelLeft = 341;
constexpr int kLabelWidth = 140;
constexpr int kValueRight = 471;
// Right edges of the texts and of the bars' origins.
constexpr int kAskChangeRight = 117;
constexpr int kAskQuantityRight = 237;
constexpr int kAskBarRight = 239;
constexpr int kPriceRight = 337;
constexpr int kBidBarLeft = 342;
constexpr int kBidQuantityRight = 457;
constexpr int kBidChangeRight = 577;
constexpr int kPad = 3;

constexpr const char16_t* kLabels[] = {u"시가",   u"고가", u"저가", u"기준가", u"상한가",
                                       u"하한가", u"",     u"PER",  u"PBR",    u"ROE"};

// The bar of a quantity: its share of the largest, in pixels of a column,
// kept inside the room its cell has.
int BarLength(int quantity, int largest, int room) {
  if (largest <= 0 || quantity <= 0) return 0;
  const std::int64_t len =
      std::int64_t{quantity} * CHogaCanvas::kColumnWidth / std::int64_t{largest};
  return static_cast<int>(std::clamp<std::int64_t>(len, 0, room));
}

std::u16string ClockText(std::u16string_view hhmmss) {
  if (hhmmss.size() < 6) return std::u16string(hhmmss);
  std::u16string out(hhmmss.substr(0, 2));
  (out += u':') += hhmmss.substr(2, 2);
  (out += u':') += hhmmss.substr(4, 2);
  return out;
}

// Whether a row shows the same: its price, quantity and change, and when
// there is no change, the same stamp text (the ten levels' book times are
// not shown, so a new book time alone changes nothing there).
bool SameRow(const HOGA& a, const HOGA& b, bool ask, int level, std::u16string_view date) {
  if (a.price != b.price || a.change != b.change) return false;
  if ((ask ? a.ask : a.bid) != (ask ? b.ask : b.bid)) return false;
  if (a.change != 0 || a.stamp == b.stamp) return true;
  return StampText(a.stamp, level, date) == StampText(b.stamp, level, date);
}

Color SignColor(std::int64_t v) {
  return v > 0 ? CHogaCanvas::kRise : CHogaCanvas::kFall;
}

}  // namespace

CHogaCanvas::CHogaCanvas() : bitmap_(kWidth, kHeight, kWhite), font_(Font::Points(u"굴림", 9)) {}

Rect CHogaCanvas::AskRowRect(int level) {
  const int top = (20 - level) * kRow + (level <= 10 ? 1 : 0);
  return {0, top, kPriceLine + 1, top + kRow};
}

Rect CHogaCanvas::BidRowRect(int level) {
  const int top = (19 + level) * kRow + (level > 10 ? 1 : 0);
  return {kQuantityLine, top, kWidth, top + kRow};
}

const HOGA* CHogaCanvas::PriceLevelAt(const BookFrame& frame, Point p) {
  if (p.x < kQuantityLine || p.x >= kPriceLine || p.y < 0 || p.y >= kTotalsTop) return nullptr;
  // Where two rows share a pixel row, the one drawn later (the lower) wins.
  for (int level = 1; level <= 20; ++level) {
    if (BidRowRect(level).Contains(p)) return &frame.bids[level - 1];
  }
  for (int level = 1; level <= 20; ++level) {
    if (AskRowRect(level).Contains(p)) return &frame.asks[level - 1];
  }
  return nullptr;
}

std::u16string CHogaCanvas::PriceTipText(const BookFrame& frame, Point canvas_point) {
  const HOGA* level = PriceLevelAt(frame, canvas_point);
  const std::int32_t base = frame.base_price;
  if (level == nullptr || level->price <= 0 || base <= 0) return {};
  return FormatReal2((level->price - static_cast<double>(base)) * 100.0 / base) + u"％";
}

Color CHogaCanvas::PriceColor(const BookFrame& f, int price) const {
  if (price > f.base_price) return kAbove;
  if (price < f.base_price) return kBelow;
  return kText;
}

int CHogaCanvas::TextWidth(DrawContext& dc, const std::u16string& text) {
  if (const auto it = widths_.find(text); it != widths_.end()) return it->second;
  if (widths_.size() > 4096) widths_.clear();
  const int w = dc.TextExtent(text).width;
  widths_.emplace(text, w);
  return w;
}

void CHogaCanvas::Text(DrawContext& dc, const std::u16string& text, const Rect& box,
                       TextAlign align, Color color, Color background) {
  // Mapped text is laid out anew each time: a picture would be scaled as pixels.
  (mapped_ ? mapped_pictures_ : pictures_).Draw(dc, text, box, align, color, background);
}

void CHogaCanvas::PaintLevel(DrawContext& dc, const BookFrame& f, const HOGA& h, const Rect& row,
                             bool ask) {
  const int level = h.level;
  const bool near = level <= 10;
  const Color cell = ask ? (near ? kAskNear : kAskFar) : (near ? kBidNear : kBidFar);
  const Color price_cell =
      ask ? (near ? kAskPriceNear : kAskPriceFar) : (near ? kBidPriceNear : kBidPriceFar);
  const int top = row.top + 1, bottom = row.bottom - 1;

  // The price, in a box on the day's high and low.
  const std::u16string price = FormatNumber(h.price);
  const Rect price_box{kQuantityLine + 2, top, kPriceRight, bottom};
  const int high = f.quote.High(), low = f.quote.Low();
  if ((high > 0 && h.price == high) || (low > 0 && h.price == low)) {
    const Color box = h.price == high ? kRise : kFall;
    dc.FillRect({kQuantityLine + 2, top, kPriceLine - 1, bottom}, box);
    Text(dc, price, price_box, TextAlign::kRight, kWhite, box);
  } else {
    Text(dc, price, price_box, TextAlign::kRight, PriceColor(f, h.price), price_cell);
  }

  // The quantity over its bar. Its picture is reused where its background is
  // one colour; where the bar ends under the text it is drawn afresh.
  const int quantity = ask ? h.ask : h.bid;
  const std::u16string qty = FormatNumber(quantity);
  const int room = ask ? kAskBarRight - kColumnWidth : (kPriceLine + kColumnWidth - kBidBarLeft);
  const int len = BarLength(quantity, f.largest, room);
  Rect qty_box;
  int bar_start, bar_end, spot_start, spot_end;
  const int w = qty.empty() ? 0 : TextWidth(dc, qty);
  if (ask) {
    qty_box = {kColumnWidth + 2, top, kAskQuantityRight, bottom};
    bar_start = kAskBarRight - len;
    bar_end = kAskBarRight;
    spot_start = kAskQuantityRight - w;
    spot_end = kAskQuantityRight;
  } else {
    qty_box = {kPriceLine + 1, top, kBidQuantityRight, bottom};
    bar_start = kBidBarLeft;
    bar_end = kBidBarLeft + len;
    spot_start = kBidQuantityRight - w;
    spot_end = kBidQuantityRight;
  }
  if (len > 0) dc.FillRect({bar_start, top, bar_end, bottom}, ask ? kAskBar : kBidBar);
  if (!qty.empty()) {
    const bool covered = len > 0 && bar_start <= spot_start && bar_end >= spot_end;
    const bool clear = len == 0 || bar_end <= spot_start || bar_start >= spot_end;
    if (covered || clear) {
      Text(dc, qty, qty_box, TextAlign::kRight, kText, covered ? (ask ? kAskBar : kBidBar) : cell);
    } else {
      dc.SetTransparentBackground(true);
      dc.SetTextColor(kText);
      dc.DrawText(qty, qty_box,
                  text_flag::kRight | text_flag::kVCenter | text_flag::kSingleLine |
                      text_flag::kEndEllipsis | text_flag::kNoPrefix);
    }
  }

  // The change, or when there is none, when the level was last set.
  const Rect change_box = ask ? Rect{kPad, top, kAskChangeRight, bottom}
                              : Rect{kWidth - kColumnWidth + kPad, top, kBidChangeRight, bottom};
  if (h.change != 0) {
    Text(dc, FormatNumber(h.change), change_box, TextAlign::kRight, SignColor(h.change), cell);
  } else {
    Text(dc, StampText(h.stamp, level, f.trading_date), change_box, TextAlign::kRight, kStamp,
         cell);
  }
}

void CHogaCanvas::PaintAskRow(DrawContext& dc, const BookFrame& f, int index) {
  const int level = index + 1;
  const Rect row = AskRowRect(level);
  const bool near = level <= 10;
  dc.FillRect({0, row.top, kQuantityLine, row.bottom}, near ? kAskNear : kAskFar);
  dc.FillRect({kQuantityLine + 1, row.top, kPriceLine, row.bottom},
              near ? kAskPriceNear : kAskPriceFar);
  HOGA h = f.asks[index];
  h.level = level;
  if (h.price > 0) PaintLevel(dc, f, h, row, true);
}

void CHogaCanvas::PaintBidRow(DrawContext& dc, const BookFrame& f, int index) {
  const int level = index + 1;
  const Rect row = BidRowRect(level);
  const bool near = level <= 10;
  dc.FillRect({kQuantityLine + 1, row.top, kPriceLine, row.bottom},
              near ? kBidPriceNear : kBidPriceFar);
  dc.FillRect({kPriceLine + 1, row.top, kWidth, row.bottom}, near ? kBidNear : kBidFar);
  HOGA h = f.bids[index];
  h.level = level;
  if (h.price > 0) PaintLevel(dc, f, h, row, false);
}

void CHogaCanvas::PaintPanel(DrawContext& dc, const BookFrame& f) {
  const bool master = f.MasterShown();
  const CPKT& q = f.quote;
  for (int r = 0; r < 10; ++r) {
    const int y = kPanelTop + r * kRow;
    const Color bg = r % 2 == 0 ? kPanelShade : kPanelWhite;
    dc.FillRect({kPanelLeft, y, kWidth, y + kRow}, bg);
    Text(dc, kLabels[r], {kPanelLeft + kPad, y, kPanelLeft + kLabelWidth, y + kRow},
         TextAlign::kLeft, kBlack, bg);
    std::u16string value;
    Color color = kText;
    switch (r) {
      case 0:
      case 1:
      case 2: {
        const int v = r == 0 ? q.Open() : r == 1 ? q.High() : q.Low();
        value = FormatNumber(v);
        color = PriceColor(f, v);
        break;
      }
      case 3:
        if (master) value = FormatNumber(f.master.base_price);
        break;
      case 4:
        if (master) value = FormatNumber(f.master.upper_limit);
        color = kRise;
        break;
      case 5:
        if (master) value = FormatNumber(f.master.lower_limit);
        color = kFall;
        break;
      case 7:
        if (master) value = f.master.per;
        break;
      case 8:
        if (master) value = f.master.pbr;
        break;
      case 9:
        if (master) value = f.master.roe;
        break;
      default:
        break;
    }
    Text(dc, value, {kPanelLeft, y, kValueRight, y + kRow}, TextAlign::kRight, color, bg);
  }
}

void CHogaCanvas::PaintTotals(DrawContext& dc, const BookFrame& f) {
  const int top = kTotalsTop, middle = kTotalsTop + kRow;
  const bool stale = !stale_cause_.empty();
  dc.FillRect({0, top, kWidth, kHeight}, kTotals);
  Text(dc, FormatNumber(f.total_ask_change), {kPad, top, kAskChangeRight, middle},
       TextAlign::kRight, SignColor(f.total_ask_change), kTotals);
  Text(dc, FormatNumber(f.total_ask), {kColumnWidth + 2, top, kAskQuantityRight, middle},
       TextAlign::kRight, kFall, kTotals);
  Text(dc, ClockText(f.book_time), {kQuantityLine, top, kPriceLine, middle}, TextAlign::kCenter,
       stale ? kStamp : kText, kTotals);
  Text(dc, stale ? stale_cause_ : u"시간외", {kQuantityLine, middle, kPriceLine, kHeight},
       TextAlign::kCenter, stale ? kRise : kText, kTotals);
  Text(dc, FormatNumber(f.total_bid), {kPriceLine + 1, top, kBidQuantityRight, middle},
       TextAlign::kRight, kRise, kTotals);
  Text(dc, FormatNumber(f.total_bid_change),
       {kWidth - kColumnWidth + kPad, top, kBidChangeRight, middle}, TextAlign::kRight,
       SignColor(f.total_bid_change), kTotals);
}

void CHogaCanvas::PaintLines(DrawContext& dc) {
  dc.FillRect({kQuantityLine, 0, kQuantityLine + 1, kTotalsTop}, kLine);
  dc.FillRect({kPriceLine, 0, kPriceLine + 1, kTotalsTop}, kLine);
  dc.FillRect({0, kMiddle, kWidth, kMiddle + 1}, kLine);
  dc.FillRect({0, kTotalsTop, kWidth, kTotalsTop + 1}, kLine);
  dc.FillRect({0, kHeight - 1, kWidth, kHeight}, kLine);
  dc.FillRect({0, 10 * kRow, kWidth, 10 * kRow + 1}, kGreyLine);
  dc.FillRect({0, 30 * kRow, kWidth, 30 * kRow + 1}, kGreyLine);
}

void CHogaCanvas::DrawAll(DrawContext& dc, const BookFrame& frame) {
  dc.SetFont(font_);
  dc.FillRect({0, 0, kWidth, kHeight}, kWhite);
  for (int i = 0; i < 20; ++i) PaintAskRow(dc, frame, i);
  for (int i = 0; i < 20; ++i) PaintBidRow(dc, frame, i);
  PaintPanel(dc, frame);
  PaintTotals(dc, frame);
  PaintLines(dc);
}

void CHogaCanvas::PaintAll(const BookFrame& frame) {
  DrawContext dc(bitmap_);
  DrawAll(dc, frame);
  dc.Finish();
  shown_ = frame;
  painted_ = true;
  ++full_paints_;
  rows_painted_ += 40;
}

void CHogaCanvas::PaintScaled(DrawContext& dc, const Rect& target) {
  dc.SetAnisotropic({kWidth, kHeight}, {target.width(), target.height()});
  dc.SetViewportOrigin(target.left, target.top);
  mapped_ = true;
  DrawAll(dc, shown_);
  mapped_ = false;
  dc.ResetMapping();
}

std::vector<Rect> CHogaCanvas::PaintChanges(const BookFrame& f) {
  const BookFrame& s = shown_;
  if (!painted_ || f.code != s.code || f.trading_date != s.trading_date ||
      f.base_price != s.base_price || !(f.master == s.master)) {
    PaintAll(f);
    return {{0, 0, kWidth, kHeight}};
  }
  std::vector<Rect> painted;
  const bool every_row = f.largest != s.largest;
  const int high = f.quote.High(), low = f.quote.Low();
  const int old_high = s.quote.High(), old_low = s.quote.Low();
  const bool marks_moved = high != old_high || low != old_low;
  // A row whose price gains or loses the day's high or low box.
  const auto marked = [&](int price) {
    return marks_moved && price > 0 &&
           (price == high || price == low || price == old_high || price == old_low);
  };
  DrawContext dc(bitmap_);
  dc.SetFont(font_);
  for (int i = 0; i < 20; ++i) {
    if (every_row || !SameRow(f.asks[i], s.asks[i], true, i + 1, f.trading_date) ||
        marked(f.asks[i].price) || marked(s.asks[i].price)) {
      PaintAskRow(dc, f, i);
      painted.push_back(AskRowRect(i + 1));
      ++rows_painted_;
    }
    if (every_row || !SameRow(f.bids[i], s.bids[i], false, i + 1, f.trading_date) ||
        marked(f.bids[i].price) || marked(s.bids[i].price)) {
      PaintBidRow(dc, f, i);
      painted.push_back(BidRowRect(i + 1));
      ++rows_painted_;
    }
  }
  if (f.quote.Open() != s.quote.Open() || marks_moved) {
    PaintPanel(dc, f);
    painted.push_back({kPanelLeft, kPanelTop, kWidth, kMiddle + 1});
  }
  if (f.total_ask != s.total_ask || f.total_bid != s.total_bid ||
      f.total_ask_change != s.total_ask_change || f.total_bid_change != s.total_bid_change ||
      f.book_time != s.book_time) {
    PaintTotals(dc, f);
    painted.push_back({0, kTotalsTop, kWidth, kHeight});
  }
  if (!painted.empty()) PaintLines(dc);
  dc.Finish();
  shown_ = f;
  return painted;
}

}  // namespace velloran
