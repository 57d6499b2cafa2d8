#pragma once
// The main frame's foot bar with the session's state on it: a coloured mark
// and the link text at the left, the server's clock and the packet rate at
// the right.

#include "app/foot_status.h"
#include "ui/foot_bar.h"

namespace velloran {

class CFrameFootBar : public CFootBar {
 public:
  static constexpr Color kText = Rgb(210, 210, 210);
  static constexpr Color kLive = Rgb(64, 200, 96);
  static constexpr Color kPending = Rgb(230, 180, 40);
  static constexpr Color kDown = Rgb(230, 60, 50);

  static constexpr Color kAlarm = Rgb(255, 120, 100);
  // The code of the command the bar gives its parent when its alarm mark is
  // pressed (the day's alarm list opens or closes).
  static constexpr int kAlarmsPressed = 1;
  // ... and when its journal mark is pressed (the journal window).
  static constexpr int kJournalPressed = 2;

  // Repaints only when something shown changed.
  void SetStatus(LinkState state, const FootTexts& texts);
  [[nodiscard]] const FootTexts& texts() const { return texts_; }
  // The reached alarms of the day and how many wait to be acknowledged.
  void SetAlarms(std::size_t waiting, std::size_t total);
  [[nodiscard]] Rect AlarmRect() const;
  [[nodiscard]] std::u16string AlarmText() const;
  [[nodiscard]] Rect JournalRect() const;

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;

 private:
  LinkState state_ = LinkState::kWaiting;
  FootTexts texts_;
  std::size_t alarms_waiting_ = 0;
  std::size_t alarms_total_ = 0;
};

}  // namespace velloran
