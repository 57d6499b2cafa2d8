#pragma once
// CPlayCtrl, the transport panel at the bottom right of the replay player:
// RF, PLAY and FF, the speed, the replay clock as HH:MM:SS, a slider over the
// trading day, the date to replay and a time line of the day's ask and bid
// totals on which a click seeks. The clock, speed, playing flag and time line
// are the player's model's; the panel shows them, sets speed and play, and
// tells its owner (the player) of a new date (2026 with 0) and of a seek
// (2032 with the time).

#include <cstdint>
#include <functional>
#include <string>

#include "platform/window.h"
#include "replay/play_ctrl_geometry.h"
#include "replay/play_slider_ctrl.h"
#include "ui/bit_button.h"
#include "ui/my_line.h"
#include "ui/qz_combo_box.h"

namespace velloran {

class CPlayModel;
class CSessionData;

class CPlayCtrl : public Window {
 public:
  static constexpr int kDateComboId = 6560;
  static constexpr int kFastForwardId = 6561;
  static constexpr int kPlayId = 6562;
  static constexpr int kRewindId = 6563;
  static constexpr int kSliderId = 6564;
  static constexpr int kFastForwardBitmap = 344;
  static constexpr int kPlayBitmap = 345;
  static constexpr int kPauseBitmap = 346;
  static constexpr int kRewindBitmap = 347;
  static constexpr int kClockTimer = 6700;
  // Ten times a second: at 128x a second of the screen is two minutes of the
  // day, and a clock shown once a second would trail the book by as much.
  static constexpr int kClockPeriodMs = 100;
  static constexpr int kSliderPage = 300;
  static constexpr int kTipDelayMs = 100;

  static constexpr Point kRewindAt{17, 38};
  static constexpr Point kPlayAt{60, 38};
  static constexpr Point kFastForwardAt{103, 38};
  static constexpr Rect kClockTextRect{44, 15, 99, 33};
  static constexpr Rect kSpeedRect{44, 68, 99, 93};
  static constexpr Rect kReachedRect{100, 68, 146, 93};
  static constexpr Rect kSliderRect{8, 100, 140, 126};

  static constexpr Color kBackground = Rgb(82, 82, 82);
  static constexpr Color kAccent = Rgb(210, 126, 36);  // the clock and the speed
  static constexpr Color kSpeedPen = Rgb(39, 39, 39);
  static constexpr Color kSpeedFill = Rgb(61, 61, 61);
  static constexpr Color kBoxFill = Rgb(255, 255, 255);
  static constexpr Color kBoxPen = Rgb(0, 0, 0);
  static constexpr Color kGrid = Rgb(216, 216, 216);
  static constexpr Color kLabel = Rgb(50, 50, 50);
  static constexpr Color kAsksBar = Rgb(231, 17, 14);
  static constexpr Color kBidsBar = Rgb(30, 40, 235);
  static constexpr Color kHoverLine = Rgb(203, 23, 67);

  // The store gives the trading dates and the trading date; both it and the
  // player's model outlive the control.
  CPlayCtrl(const CSessionData& session, CPlayModel& model);

  // A child of owner (the player), which hears 2026 and 2032.
  [[nodiscard]] bool Create(Window* owner, int id, const Rect& rect);

  // The slider back to 08:00 and the clock text to 00:00:00 (a new replay).
  void ResetClock();

  // FF doubles the speed below 128, RF halves it from 2; each repaints the
  // speed box. PLAY flips playing; while paused the clock text's timer rests,
  // and play_changed (the player's) hears every flip.
  void FastForward();
  void Rewind();
  void TogglePlay();
  void SetPlayChanged(std::function<void()> play_changed) { play_changed_ = std::move(play_changed); }

  // The speed kept (the model's reached_speed) is shown again if it changed:
  // beside the speed box while the clock falls short of the speed set.
  void RefreshSpeed();

  // The model's time line changed: its bars are drawn again.
  void RedrawTimeLine();
  // The clock text and the slider follow the model's clock now (the clock
  // timer does it every second while playing).
  void RefreshClock();

  // The date to replay: the combo's text, or the trading date when it is
  // empty. The combo holds the store's trading dates, the newest selected.
  [[nodiscard]] std::u16string Date() const;
  void FillDates();

  [[nodiscard]] const std::u16string& time_text() const { return time_text_; }
  [[nodiscard]] PlayCtrlGeometry geometry() const;

  // The children, for the player and tests.
  [[nodiscard]] CQZComboBox& date_combo() { return date_combo_; }
  [[nodiscard]] CBitButton& rewind_button() { return rewind_; }
  [[nodiscard]] CBitButton& play_button() { return play_; }
  [[nodiscard]] CBitButton& fast_forward_button() { return fast_forward_; }
  [[nodiscard]] CPlaySliderCtrl& slider() { return slider_; }
  [[nodiscard]] CMyLine& vertical_line() { return vertical_; }
  [[nodiscard]] CMyLine& horizontal_line() { return horizontal_; }

  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnMouseLeave() override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  void Layout();
  void PaintTimeLine(DrawContext& dc, const PlayCtrlGeometry& g);
  void Seek(std::int32_t hhmmss);

  const CSessionData& session_;
  CPlayModel& model_;
  Window* owner_ = nullptr;
  std::u16string time_text_ = u"00:00:00";
  std::u16string reached_text_;
  std::function<void()> play_changed_;  // "· x97" while the clock falls short
  CQZComboBox date_combo_;
  CBitButton rewind_;
  CBitButton play_;
  CBitButton fast_forward_;
  CPlaySliderCtrl slider_;
  CMyLine vertical_;
  CMyLine horizontal_;
};

}  // namespace velloran
