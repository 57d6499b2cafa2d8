#pragma once
// The side chart of the main window's lower right pane: the shown stock's day
// chart and one-minute chart side by side, with a bar between them that the
// user drags. The order-book view drives it: a new stock, the chart replies
// it passes on, and every live trade of the stock.

#include <cstddef>
#include <string>

#include "app/frame_pane.h"
#include "chart/chart_context.h"
#include "chart/chart_wnd.h"
#include "net/decoder.h"
#include "net/packet.h"
#include "net/quote.h"
#include "platform/window.h"
#include "ui/my_splitter.h"

namespace velloran {

class CChartView : public Window, public FramePane {
 public:
  static constexpr int kLeftId = 1010;
  static constexpr int kRightId = 1011;
  static constexpr int kLeftChart = 1;
  static constexpr int kRightChart = 2;
  // CNT of a request for a type other than "D" and "m1".
  static constexpr int kOtherCount = 400;
  static constexpr Color kBackground = Rgb(58, 58, 58);
  static constexpr Color kSplitterColor = Rgb(50, 50, 50);
  static constexpr int kSplitterMargin = 50;
  static constexpr double kDefaultSplit = 0.5;
  // The most a reply's decoded DATA may take for each bar asked: a bar's line
  // is under 100 bytes even with every field at its widest.
  static constexpr std::size_t kReplyBytesPerBar = 256;
  static constexpr std::size_t kMinReplyBytes = 64 * 1024;

  // The decoder passes every reply's DATA; it outlives the view.
  explicit CChartView(const CDecoder& decoder);

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // The session the charts send through and merge by; null sends nothing.
  void SetContext(ChartContext* context);

  // The order-book view took a new stock: both charts show it and ask for
  // their bars (chart 1 first, then chart 2).
  void SetStock(std::u16string code);
  // A 3011 reply: installed in the chart of its CHART_ID when it answers
  // that chart's newest request; dropped otherwise. At most ReplyBytes of
  // its DATA are decoded, and of those bars the newest the request asked
  // for are kept.
  void InstallReply(const Packet& reply);
  // The most a reply's decoded DATA may take for bars asked.
  [[nodiscard]] static std::size_t ReplyBytes(int bars);
  // A live trade of the shown stock: both charts take the quote and merge it
  // as a tick; a minute chart left on an earlier day, or a week or month
  // chart on an earlier period, asks again, once.
  void ApplyQuote(const CPKT& quote);

  [[nodiscard]] CQZChartWnd& left() { return left_; }
  [[nodiscard]] CQZChartWnd& right() { return right_; }
  [[nodiscard]] CMySplitter& splitter() { return splitter_; }

  // FramePane: what it shows stays under a veil while the data is not live.
  void SetRelations(const FrameRelations&) override {}
  void SetLive(const FeedMark& mark) override { SetVeil(!mark.live, mark.VeilLabel()); }

  // A new stock of the order book (2027 with 3003, the packed code in
  // lParam), its trades (2028 with an owned BookQuote), the chart replies it
  // passes on (2027 with 3011) and the bar's moves (10779).
  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;

 private:
  void Layout();
  [[nodiscard]] CQZChartWnd* ChartById(int chart_id);

  const CDecoder& decoder_;
  CQZChartWnd left_;
  CQZChartWnd right_;
  CMySplitter splitter_;
};

}  // namespace velloran
