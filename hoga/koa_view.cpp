#include "hoga/koa_view.h"

#include <algorithm>
#include <cmath>

#include "app/book_quote.h"
#include "app/session_data.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/text_util.h"
#include "platform/window_messages.h"

namespace velloran {

CKOAView::CKOAView(const CSessionData& session) : session_(session) {
  SetBackgroundColor(Rgb(255, 255, 255));
}

CKOAView::Plot CKOAView::PlotFor(const Rect& client) {
  Plot p;
  p.rect = {client.left + 25, client.top + 5, client.right - 7, client.bottom - 10};
  p.seconds_scale = static_cast<double>(p.rect.right - p.rect.left - 2) / kDaySeconds;
  const int height = p.rect.bottom - p.rect.top;
  p.centre = p.rect.top + height / 2;
  p.steps = height < 60 ? 3 : static_cast<int>(height * 0.5 * 0.125);
  p.steps = std::max(p.steps, 1);
  p.unit = height * 0.5 / p.steps;
  const int u = static_cast<int>(p.unit);
  p.lower = p.steps > 1 ? p.centre + (p.steps - 1) * u : p.centre;
  p.upper = p.centre - (p.steps - 1) * u;
  return p;
}

int CKOAView::XOf(const Plot& plot, std::int32_t hhmmss) {
  const std::int64_t c = static_cast<std::int64_t>(hhmmss) - 90000;
  const std::int64_t s = c % 100 + ((c % 10000) / 100) * 60 + (c / 10000) * 3600;
  return plot.rect.left +
         static_cast<int>((static_cast<std::int64_t>(plot.rect.right - plot.rect.left) * s) /
                          kDaySeconds);
}

LResult CKOAView::WindowProc(WindowMessage& m) {
  if (m.message == msg::kNotify && m.wparam == static_cast<WParam>(code::kChartUpdate)) {
    if (const std::unique_ptr<Packet> day = TakePacket(m)) LoadDay(*day);
    return 0;
  }
  if (m.message == msg::kHogaChanged) {
    if (const std::unique_ptr<BookQuote> book = m.Take<BookQuote>()) AddLive(*book);
    return 0;
  }
  return Window::WindowProc(m);
}

void CKOAView::LoadDay(const Packet& packet) {
  std::u16string_view data, stock;
  samples_ = ReadKoaLines(packet.Find(u"DATA", data) ? data : std::u16string_view());
  stock_.assign(packet.Find(u"SHCODE", stock) ? stock : std::u16string_view());
  UpdateNow();
}

void CKOAView::AddLive(const BookQuote& book) {
  // The book took another stock: the day shown is not its day, which the
  // server sends next.
  if (book.change == BookQuote::Change::kSnapshot && book.code != stock_) {
    samples_.clear();
    stock_ = book.code;
    UpdateNow();
    return;
  }
  // A day exists only once the server sent it, and only for its own stock:
  // a book of the next stock before its day arrives adds nothing.
  if (samples_.empty() || book.change != BookQuote::Change::kBook) return;
  if (!stock_.empty() && book.code != stock_) return;
  const std::int32_t minute = ToInt(book.book_time) / 100 * 100;
  if (minute <= samples_.back().time) return;
  KOA sample;
  sample.key = FormatInt(session_.TradingDate()) + FormatInt06(minute);
  sample.time = minute;
  sample.ask_total = book.total_ask;
  sample.bid_total = book.total_bid;
  samples_.push_back(std::move(sample));
  UpdateNow();
}

bool CKOAView::OnEraseBackground(DrawContext& dc) {
  dc.FillRect(ClientRect(), Rgb(255, 255, 255));
  return true;
}

void CKOAView::OnPaint(DrawContext& dc) {
  const Plot plot = PlotFor(ClientRect());
  dc.FillRect(ClientRect(), Rgb(255, 255, 255));
  dc.SetFont(font_);
  dc.SetTransparentBackground(true);
  PaintGrid(dc, plot);
  for (const KOA& sample : samples_) PaintSample(dc, plot, sample);
}

void CKOAView::PaintGrid(DrawContext& dc, const Plot& p) {
  const Rect& r = p.rect;
  const int u = static_cast<int>(p.unit);
  dc.SetTextColor(Rgb(50, 50, 50));
  const unsigned label = text_flag::kRight | text_flag::kVCenter | text_flag::kSingleLine;
  for (int i = 1; i < p.steps; ++i) {
    const int y = p.centre + i * u;
    dc.FillRect({r.left, y, r.right, y + 1}, kGrid);
    if (i % 3 == 0) dc.DrawText(FormatInt(i), {0, y - 6, r.left - 3, y + 6}, label);
  }
  for (int i = 0; i < p.steps; ++i) {
    const int y = p.centre - i * u;
    dc.FillRect({r.left, y, r.right, y + 1}, kGrid);
    if (i % 3 == 0) {
      const int top = p.centre + 6 - (i + 1) * u;
      dc.DrawText(FormatInt(i), {0, top, r.left - 3, top + 12}, label);
    }
  }
  dc.FillRect({r.left, p.upper, r.left + 1, p.lower}, kGrid);
  dc.FillRect({r.right, p.upper, r.right + 1, p.lower}, kGrid);
  for (int k = 0; k <= 7; ++k) {
    const int x = r.left + (r.right - r.left) * (k * 3600) / kDaySeconds;
    dc.FillRect({x, p.upper, x + 1, p.lower}, kGrid);
    dc.DrawText(FormatInt(9 + k), {x - 12, r.bottom - 4, x + 12, r.bottom + 12},
                text_flag::kCenter | text_flag::kSingleLine | text_flag::kNoClip);
  }
}

void CKOAView::PaintSample(DrawContext& dc, const Plot& p, const KOA& sample) {
  int left = XOf(p, sample.time);
  int right = left + 1;
  if (left < p.rect.left + 1) right = p.rect.left + 1;
  // A sample after the close lies right of the plot: nothing of it shows.
  right = std::min(right, p.rect.right);
  if (right <= left) return;
  const double a = static_cast<double>(sample.ask_total);
  const double b = static_cast<double>(sample.bid_total);
  if (b < a) {
    const double length = std::floor(p.unit * a / (b > 0 ? b : 1));
    const int top = static_cast<int>(std::max<double>(p.centre - length, p.upper));
    dc.FillRect({left, top, right, p.centre}, kAsks);
  } else if (a < b) {
    const double length = std::floor(p.unit * b / (a > 0 ? a : 1));
    const int bottom = static_cast<int>(std::min<double>(p.centre + length, p.lower));
    dc.FillRect({left, p.centre, right, bottom}, kBids);
  } else {
    dc.FillRect({left, p.centre - 1, right, p.centre}, kAsks);
  }
}

}  // namespace velloran
