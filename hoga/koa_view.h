#pragma once
// CKOAView, the ask-bid ratio of the order-book stock over its trading day:
// one thin bar a minute at its time of day, red above a centre line while
// the remaining asks outweigh the bids, blue below while the bids do, as long
// as the larger total is times the smaller in grid units. The day comes from
// the server once per stock (2027/3015); the order-book view adds one live
// sample a minute of book time (2028), and a new stock of the book (2028 with
// its snapshot) empties the view until that stock's day comes.

#include <cstdint>
#include <string>
#include <vector>

#include "app/frame_pane.h"
#include "hoga/koa_samples.h"
#include "platform/window.h"

namespace velloran {

class CSessionData;
class Packet;
struct BookQuote;

class CKOAView : public Window, public FramePane {
 public:
  static constexpr Color kGrid = Rgb(216, 216, 216);
  static constexpr Color kAsks = Rgb(231, 17, 14);
  static constexpr Color kBids = Rgb(30, 40, 235);
  static constexpr int kDaySeconds = 23400;  // 09:00:00 to 15:30:00

  // The trading date of live samples comes from the session.
  explicit CKOAView(const CSessionData& session);

  [[nodiscard]] const std::vector<KOA>& samples() const { return samples_; }
  [[nodiscard]] const std::u16string& stock() const { return stock_; }

  // Where the parts lie in a client area of this size, as painting puts them.
  struct Plot {
    Rect rect;                // the plot rectangle
    double seconds_scale = 0;  // pixels per second of the trading day
    int centre = 0;
    int steps = 0;  // grid steps per half (n)
    double unit = 0;
    int lower = 0;  // the last grid line below the centre
    int upper = 0;  // the last grid line above it
  };
  [[nodiscard]] static Plot PlotFor(const Rect& client);
  // The x of a time of day (hhmmss) on a plot.
  [[nodiscard]] static int XOf(const Plot& plot, std::int32_t hhmmss);

  // FramePane: what it shows stays under a veil while the data is not live.
  void SetRelations(const FrameRelations&) override {}
  void SetLive(const FeedMark& mark) override { SetVeil(!mark.live, mark.VeilLabel()); }

  // 2027/3015: the day's samples (the owned packet); 2028: a live sample.
  LResult WindowProc(WindowMessage& m) override;

 protected:
  bool OnEraseBackground(DrawContext& dc) override;
  void OnPaint(DrawContext& dc) override;

 private:
  void LoadDay(const Packet& packet);
  void AddLive(const BookQuote& book);
  void PaintGrid(DrawContext& dc, const Plot& plot);
  void PaintSample(DrawContext& dc, const Plot& plot, const KOA& sample);

  const CSessionData& session_;
  std::vector<KOA> samples_;
  std::u16string stock_;  // whose day the samples are
  Font font_ = Font::Points(u"굴림", 9);
};

}  // namespace velloran
