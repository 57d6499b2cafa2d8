#include "hoga/chart_view.h"

#include <algorithm>

#include "app/book_quote.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/stock_code.h"
#include "platform/window_messages.h"

namespace velloran {

CChartView::CChartView(const CDecoder& decoder) : decoder_(decoder) {
  SetBackgroundColor(kBackground);
  left_.SetChartId(kLeftChart);
  right_.SetChartId(kRightChart);
}

bool CChartView::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

void CChartView::SetContext(ChartContext* context) {
  left_.SetContext(context);
  right_.SetContext(context);
}

int CChartView::OnCreate() {
  const Rect c = ClientRect();
  const int half = c.width() / 2;
  if (!left_.Create(this, kLeftId, {0, 0, half, c.bottom}) ||
      !right_.Create(this, kRightId, {half + CMySplitter::kThickness, 0, c.right, c.bottom}))
    return -1;
  left_.SetType(u"D");
  right_.SetType(u"m1");
  if (!splitter_.Create(this, SplitterOrientation::kVertical, &left_, kSplitterMargin,
                        kSplitterColor))
    return -1;
  Layout();
  return 0;
}

void CChartView::OnSize(int width, int height) {
  // A minimised view keeps its layout.
  if (width <= 0 || height <= 0) return;
  Layout();
}

void CChartView::Layout() {
  if (!splitter_.IsCreated()) return;
  const Rect c = ClientRect();
  const double ratio = splitter_.ratio() > 0 ? splitter_.ratio() : kDefaultSplit;
  const int x = std::clamp(static_cast<int>(c.width() * ratio), 0, c.width());
  left_.Move({0, 0, x, c.bottom});
  splitter_.Move({x, 0, x + CMySplitter::kThickness, c.bottom});
  right_.Move(
      {x + CMySplitter::kThickness, 0, std::max(c.right, x + CMySplitter::kThickness), c.bottom});
}

LResult CChartView::WindowProc(WindowMessage& m) {
  if (m.message == msg::kNotify && m.wparam == static_cast<WParam>(code::kChart)) {
    // The reply is ours to free, installed or not.
    if (const std::unique_ptr<Packet> reply = TakePacket(m)) InstallReply(*reply);
    return 0;
  }
  if (m.message == msg::kNotify && m.wparam == static_cast<WParam>(code::kOrderBook)) {
    // The order book took a new stock (its code packed in lParam).
    if (std::u16string code = UnpackStockCode(m.lparam); !code.empty()) SetStock(std::move(code));
    return 0;
  }
  if (m.message == msg::kHogaChanged) {
    // A trade of the book's stock, as a copy the message owns.
    if (const auto q = m.Take<BookQuote>(); q && q->change == BookQuote::Change::kTrade)
      ApplyQuote(q->quote);
    return 0;
  }
  if (m.message == msg::kSplitterMoved) {
    left_.Move(splitter_.FirstPaneRect());
    right_.Move(splitter_.SecondPaneRect());
    return 0;
  }
  return Window::WindowProc(m);
}

CQZChartWnd* CChartView::ChartById(int chart_id) {
  if (chart_id == left_.chart_id()) return &left_;
  if (chart_id == right_.chart_id()) return &right_;
  return nullptr;
}

void CChartView::SetStock(std::u16string code) {
  left_.SetCode(code);
  right_.SetCode(std::move(code));
  left_.Request();
  right_.Request(kOtherCount);
}

void CChartView::InstallReply(const Packet& reply) {
  CQZChartWnd* chart = ChartById(reply.GetInt(u"CHART_ID", 0));
  if (chart == nullptr) return;
  // A reply to an earlier request (another stock or type) is not shown.
  const int bars = chart->AcceptReply(reply.GetText(u"STKCD", u""), reply.GetText(u"TM", u""));
  if (bars <= 0) return;
  // What the bars asked for can take, and never the whole history the
  // server may send: a reply is decoded, read and drawn within a frame.
  const std::u16string data = decoder_.Decode(reply.GetText(u"DATA", u""), ReplyBytes(bars));
  chart->SetData(data, reply.GetText(u"CPKT", u""), bars);
}

std::size_t CChartView::ReplyBytes(int bars) {
  return std::max(static_cast<std::size_t>(bars) * kReplyBytesPerBar, kMinReplyBytes);
}

void CChartView::ApplyQuote(const CPKT& quote) {
  for (CQZChartWnd* chart : {&left_, &right_}) {
    // Another stock's trade would be merged into these bars.
    if (!quote.code().empty() && quote.code() != chart->code()) continue;
    chart->UpdateQuote(quote);
    if (!chart->ApplyTick(true)) chart->Request(kOtherCount);
  }
}

}  // namespace velloran
