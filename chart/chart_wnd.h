#pragma once
// The chart window of one stock: a candle pane over a volume pane, period
// buttons and average toggles above them, a history scroll bar and a zoom
// slider below, a cross-hair with its value labels, drag zoom and a data tip
// for the bar under a resting mouse. The owner sets the code, chart id and
// type, hands in 3011 replies and live quotes; requests leave through the
// owner's ChartContext. The window owns the series (chart/chart_series.h)
// whose bar store its panes draw, and redraws what the series says changed.

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "chart/bar_store.h"
#include "chart/chart_candle.h"
#include "chart/chart_context.h"
#include "chart/chart_series.h"
#include "chart/chart_volume.h"
#include "net/quote.h"
#include "net/session_requests.h"
#include "platform/scroll_bar_control.h"
#include "platform/slider_control.h"
#include "platform/window.h"
#include "ui/ma_button.h"
#include "ui/my_line.h"
#include "ui/my_splitter.h"
#include "ui/my_zone.h"
#include "ui/qz_combo_box.h"
#include "ui/round_button.h"
#include "ui/tip_wnd.h"

namespace velloran {

class CQZChartWnd : public Window, private PaneMouseSink {
 public:
  static constexpr int kCandleId = 2014;
  static constexpr int kVolumeId = 2015;
  static constexpr int kMonthId = 101;
  static constexpr int kWeekId = 102;
  static constexpr int kDayId = 103;
  static constexpr int kMinuteId = 104;
  static constexpr int kPeriodComboId = 105;
  static constexpr int kFirstAverageId = 106;  // 106-110: 5, 10, 20, 60, 120
  static constexpr int kScrollBarId = 111;
  static constexpr int kSliderId = 112;
  static constexpr int kTimeLabelId = 113;
  static constexpr int kValueLabelId = 114;
  static constexpr int kDataTipId = 115;
  static constexpr int kBandId = 116;
  static constexpr int kNewestId = 117;  // the small button that shows the newest bars
  static constexpr int kNewestWidth = 20;
  static constexpr int kWheelNotch = 120;

  static constexpr int kScrollTimer = 1410;  // one shot after a scroll-bar event
  static constexpr int kRestTimer = 1411;    // one shot: the mouse has come to rest
  static constexpr int kRestMs = 10;

  static constexpr int kTopStrip = 30;
  static constexpr int kBottomStrip = 20;
  static constexpr int kAxisWidth = 70;
  static constexpr int kTimeMargin = 20;  // the candle pane's time labels
  static constexpr int kMinBorder = 30;
  static constexpr double kDefaultSplit = 0.8;
  static constexpr int kTipWidth = 150;
  static constexpr int kTipHeight = 90;
  static constexpr int kMinDrag = 3;
  static constexpr int kFullCount = kChartFullCount;  // CNT of "D" and "m1"

  static constexpr Color kStripColor = Rgb(238, 227, 197);
  static constexpr Color kStripLine = Rgb(50, 50, 50);
  static constexpr Color kPaneSplitter = Rgb(128, 128, 128);
  static constexpr Color kCrossColor = Rgb(203, 23, 67);
  static constexpr Color kLabelColor = Rgb(255, 223, 114);
  static constexpr Color kTipColor = Rgb(240, 240, 240);

  CQZChartWnd();
  ~CQZChartWnd() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // The owner's session; null sends nothing and knows no trading date.
  void SetContext(ChartContext* context) { context_ = context; }

  // A new code drops the bars of the old one.
  void SetCode(std::u16string code);
  [[nodiscard]] const std::u16string& code() const { return series_.code(); }
  void SetChartId(int id) { chart_id_ = id; }
  [[nodiscard]] int chart_id() const { return chart_id_; }
  // Stores the type, shows 400 bars for a minute type and 60 otherwise, and
  // brings the panes, the store and the period buttons into line. No request.
  void SetType(std::u16string type);
  [[nodiscard]] const std::u16string& type() const { return series_.type(); }

  // Sends a 3011 for the code, type and chart id; CNT is 1200 for "D" and
  // "m1" and other_count (when above 0) for the other types. False without
  // a connection.
  bool Request(int other_count = 0);
  // Takes a reply for this chart id off the requests: the bars the newest
  // request of the current code and type asked for, or 0 for a reply to
  // another (CChartSeries::AcceptReply).
  [[nodiscard]] int AcceptReply(std::u16string_view echoed_code, std::u16string_view echoed_type);

  // Installs a reply: the decoded DATA text and the CPKT text. Bars past
  // max_bars (the oldest, as the text lists the newest first) are not kept.
  void SetData(std::u16string_view data, std::u16string_view quote,
               int max_bars = std::numeric_limits<int>::max());
  // Takes a live quote and merges it into a day chart's newest bar.
  void UpdateQuote(const CPKT& quote);
  // Merges the current quote into the newest bar for the type
  // (CChartSeries::MergeTrade) and redraws what it changed. False when the
  // bars are of an earlier period and no request for them waits: they
  // should be asked for again.
  bool ApplyTick(bool live);

  [[nodiscard]] CChartSeries& series() { return series_; }
  [[nodiscard]] CChartData& data() { return series_.data(); }
  [[nodiscard]] const CChartData& data() const { return series_.data(); }
  [[nodiscard]] const CPKT& quote() const { return series_.quote(); }
  [[nodiscard]] int visible_end() const { return series_.visible_end(); }
  [[nodiscard]] int visible_start() const { return series_.visible_start(); }
  // The same number of bars, ending with the newest (End, the small button).
  void ShowNewest();
  // The wheel over a pane at p (the pane's coordinates): zooms around the
  // bar under it, or with Shift, or a horizontal wheel, scrolls.
  void Wheel(CQZBaseChart& pane, int delta, bool horizontal, Point p, WParam flags);

  // The children, for the owner's layout and for tests.
  [[nodiscard]] CQZChartCandle& candle() { return candle_; }
  [[nodiscard]] CQZChartVolume& volume() { return volume_; }
  [[nodiscard]] CMySplitter& pane_splitter() { return splitter_; }
  [[nodiscard]] CRoundButton& period_button(int id) { return period_[id - kMonthId]; }
  [[nodiscard]] CQZComboBox& period_combo() { return combo_; }
  [[nodiscard]] CMAButton& average_button(int id) { return averages_[id - kFirstAverageId]; }
  [[nodiscard]] ScrollBarControl& scroll_bar() { return scroll_; }
  [[nodiscard]] SliderControl& slider() { return slider_; }
  [[nodiscard]] CRoundButton& newest_button() { return newest_; }
  [[nodiscard]] CMyLine& vertical_line() { return vertical_; }
  [[nodiscard]] CMyLine& horizontal_line() { return horizontal_; }
  [[nodiscard]] CMyZone& band() { return band_; }
  [[nodiscard]] CTipWnd& time_label() { return time_label_; }
  [[nodiscard]] CTipWnd& value_label() { return value_label_; }
  [[nodiscard]] CTipWnd& data_tip() { return tip_; }
  [[nodiscard]] bool dragging() const { return dragging_; }

  // Scroll events of the slider and the scroll bar, and splitter moves.
  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  void OnMouseMove(Point p, WParam flags) override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  // The cross-hair lines, the band and the three labels.
  bool CreateOverlays();
  void Layout();
  // The type without touching the visible end (the period commands).
  void ChangeType(std::u16string type);
  // A period command: a new type drops the bars of the old one; then the
  // request.
  void SwitchPeriod(std::u16string type);
  // The series dropped its bars: the panes, the cross-hair and the tip show
  // none until the next reply.
  void DropBars();
  void SyncTypeButtons();
  [[nodiscard]] std::u16string ComboType() const;
  // What the owner's session tells the series now.
  [[nodiscard]] ChartSession Session() const;

  // View changes (chart_wnd_view.cpp).
  void SetView(int end, int start);
  void RedrawPanes();
  void ResetScrollBar();
  void ResetSlider();
  void OnScrollBar(int code, int track);
  void ApplyScroll();
  void OnSlider(int code);

  // Mouse (chart_wnd_mouse.cpp).
  void OnPaneMouse(CQZBaseChart& pane, PaneMouse what, Point p, WParam flags) override;
  void OnPaneWheel(CQZBaseChart& pane, int delta, bool horizontal, Point p,
                   WParam flags) override {
    Wheel(pane, delta, horizontal, p, flags);
  }
  // A range from the wheel or the keys: set, with the scroll bar and slider.
  void ShowRange(int end, int start);
  void MouseOverPane(CQZBaseChart& pane, Point p);
  // The cross-hair and its labels at the stored mouse point.
  void ShowCrossHair(CQZBaseChart& pane, Point p);
  void RefreshCrossHair();
  [[nodiscard]] CQZBaseChart* PaneAt(Point p);
  void ClearCrossHair();
  void BeginDrag(Point p);
  void StretchBand(Point p);
  void EndDrag(Point p);
  void ShowTipAtRest();
  [[nodiscard]] Rect DragArea() const;
  [[nodiscard]] Point InPane(const CQZBaseChart& pane, Point p) const;
  [[nodiscard]] std::u16string TimeLabelText(const TICK& bar) const;
  [[nodiscard]] std::u16string TipText(const TICK& bar) const;

  ChartContext* context_ = nullptr;
  int chart_id_ = 0;
  int scroll_pos_ = 0;     // the position the view was last set from
  int wanted_scroll_ = 0;  // where the last scroll-bar event put the thumb
  bool dragging_ = false;
  Point press_{};
  Point mouse_{};                       // the last mouse point over a pane
  const CQZBaseChart* over_ = nullptr;  // the pane under the mouse, if any

  CChartSeries series_;

  CQZChartCandle candle_;
  CQZChartVolume volume_;
  CMySplitter splitter_;
  std::array<CRoundButton, 4> period_;
  CQZComboBox combo_;
  std::array<CMAButton, 5> averages_;
  ScrollBarControl scroll_;
  SliderControl slider_;
  CRoundButton newest_;
  int wheel_rest_ = 0;  // a fine wheel's delta short of a notch
  CMyLine horizontal_;
  CMyLine vertical_;
  CMyZone band_;
  CTipWnd time_label_;
  CTipWnd value_label_;
  CTipWnd tip_;
};

}  // namespace velloran
