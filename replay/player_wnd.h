#pragma once
// CPlayerWnd plays one stock's trading day back: the twenty-level book with
// its trade list at the left, the quote strip of the current trade at the
// top, the day and one-minute charts at the right and the transport panel
// under them. What plays when is the model's (CPlayModel): the window sends
// the requests it asks for, hands it the replies read, and, on a 10 ms timer
// of the user-interface loop, the time elapsed; every record a tick releases
// goes to the book and the charts, and the book and the strip paint at most
// once a display frame whatever the speed.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "app/key_map.h"
#include "chart/chart_wnd.h"
#include "hoga/frame_pacer.h"
#include "hoga/hoga20.h"
#include "net/packet.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "replay/play_blocks.h"
#include "replay/play_chart_context.h"
#include "replay/play_ctrl.h"
#include "replay/play_load_wnd.h"
#include "replay/play_model.h"
#include "stock/stk_wnd.h"
#include "ui/my_splitter.h"

namespace velloran {

class CDecoder;
class CSessionData;

class CPlayerWnd : public Window {
 public:
  static constexpr int kDayChartId = 4545;
  static constexpr int kMinuteChartId = 4546;
  static constexpr int kBookId = 4547;
  static constexpr int kCtrlId = 4550;
  static constexpr int kCodeBoxId = 4551;
  static constexpr int kNameBoxId = 4552;
  static constexpr int kLoadId = 4553;
  static constexpr int kDayChart = 3;     // CHART_ID of the day chart
  static constexpr int kMinuteChart = 4;  // and of the minute chart
  static constexpr int kOtherCount = 400;  // CNT of chart 4 for types other than "D", "m1"
  static constexpr int kSettleTimer = 2214;
  static constexpr int kSettleDelayMs = 100;
  static constexpr int kContinueTimer = 2215;
  static constexpr int kContinueDelayMs = 1000;
  static constexpr int kSeekTimer = 2216;
  static constexpr int kSeekHoldMs = 1000;
  static constexpr int kClockTimer = 2217;
  static constexpr int kClockPeriodMs = 10;
  static constexpr int kStripTimer = 2218;

  static constexpr int kBookWidth = 580;
  static constexpr int kTopStrip = 30;
  static constexpr int kCtrlLeft = 582;
  static constexpr int kCtrlHeight = 136;
  static constexpr int kStripBitmap = 311;
  static constexpr Rect kStripRect{190, 0, 490, 29};
  static constexpr Rect kCodeBoxRect{2, 4, 82, 26};
  static constexpr Rect kNameBoxRect{84, 4, 186, 26};
  static constexpr Point kPriceAt{200, 6};
  static constexpr int kSmallTextTop = 9;
  static constexpr int kPriceFontPixels = 18;
  static constexpr int kSmallFontPixels = 12;
  static constexpr Color kBackground = Rgb(58, 58, 58);
  static constexpr Color kSplitterColor = Rgb(50, 50, 50);
  static constexpr int kSplitterMargin = 50;
  static constexpr double kDefaultSplit = 0.5;
  static constexpr Size kLoadSize{300, 60};  // centred over the player

  // The store and the decoder of encoded replies outlive the player;
  // data_url is where the first block of a day downloads from
  // ("<data_url>qz2_hoga_data.aspx").
  CPlayerWnd(CSessionData& session, const CDecoder& decoder, std::string data_url);
  ~CPlayerWnd() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);

  [[nodiscard]] const CPlayModel& model() const { return model_; }
  [[nodiscard]] CHoga20& book() { return book_; }
  [[nodiscard]] CPlayCtrl& ctrl() { return ctrl_; }
  [[nodiscard]] CQZChartWnd& day_chart() { return day_chart_; }
  [[nodiscard]] CQZChartWnd& minute_chart() { return minute_chart_; }
  [[nodiscard]] CMySplitter& splitter() { return splitter_; }
  [[nodiscard]] CStkWnd& code_box() { return code_box_; }
  [[nodiscard]] CStkWnd& name_box() { return name_box_; }
  [[nodiscard]] CPlayLoadWnd& load_wnd() { return load_; }
  [[nodiscard]] const Packet& stock_info() const { return info_; }
  // Quote strips painted since creation.
  [[nodiscard]] long strip_paints() const { return strip_paints_; }

  // 2026 (start: a packed stock code, or 0 for the date changed), 2027
  // (3001, 3011, 3018 replies, owned), 2032 (seek) and 10779 (the charts'
  // splitter moved).
  LResult WindowProc(WindowMessage& m) override;

  // A replay key of the key table: play and pause, seeks by a minute or ten
  // and to 09:00, FF and RF. False for an action that is not the player's.
  bool OnKeyAction(KeyAction action);

 protected:
  int OnCreate() override;
  void OnDestroy() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;

 private:
  // player_wnd.cpp: the replay's course.
  void Start(std::u16string_view code);
  void Restart();
  // The blocks of the day on show are no longer fetched.
  void StopFetching();
  void OnReplayData(const Packet& reply, PlayBlockSource source);
  void OnTimeLine(ReplayReply&& read);
  void OnBlock(ReplayReply&& read, PlayBlockSource source);
  void OnChartReply(const Packet& reply);
  void OnStockInfo(const Packet& info);
  void Seek(std::int32_t hhmmss);
  void HandleSeek(const PlaySeekResult& result);
  void Send(const PlayRequest& request);
  void Download(const PlayRequest& request);
  void Tick();
  // The clock's timer runs while playing and rests while paused; playing
  // again goes on from the moment it stood at.
  void SyncClockTimer();
  void Apply(const PlayRelease& release);
  void MergeTrade(CQZChartWnd& chart, const CPKT& trade, bool last);
  // Both charts again from their replies, cut at the clock.
  // The charts' replies cut before the replayed day, and the tape's trades
  // [0, replayed) merged into them.
  void ReinstallCharts(std::size_t replayed);
  void InstallChart(CQZChartWnd& chart, std::size_t replayed);

  // player_wnd_view.cpp: layout and the quote strip.
  void Layout();
  void PaintStrip(DrawContext& dc);

  CSessionData& session_;
  const CDecoder& decoder_;
  CPlayModel model_;
  CPlayChartContext chart_context_{session_, model_};
  CStkWnd code_box_;
  CStkWnd name_box_;
  CHoga20 book_;
  CQZChartWnd day_chart_;
  CQZChartWnd minute_chart_;
  CMySplitter splitter_;
  CPlayCtrl ctrl_;
  CPlayLoadWnd load_;
  // The download's reply on its way to the player, told apart from the
  // session's by its address until it arrives.
  const Packet* download_reply_ = nullptr;
  Packet info_{0};  // the stock's master or its 3018: JNILVOL and the book's master
  std::u16string name_;
  // The decoded DATA of each chart's last reply and the bars it kept, cut
  // again at every seek.
  struct ChartReply {
    std::u16string data;
    int bars = 0;
  };
  ChartReply day_reply_;
  ChartReply minute_reply_;
  Clock::SteadyTime last_tick_{};
  FramePacer strip_pacer_{*this, kStripTimer, FramePacer::Due::kNextPass,
                          [this] { Invalidate(kStripRect); }};
  long strip_paints_ = 0;
};

}  // namespace velloran
