#pragma once
// What a reached price alarm shows the trader: a notice in the main window's
// lower right corner (stock, alarm price, price now, time) with a short
// sound, and the day's list of reached alarms, opened from the foot bar. An
// alarm waits until it is acknowledged: a click on the notice or on its row
// (which also picks the stock), or Enter in the list. Muting the sound is a
// setting of its own in "qza.cfg".

#include <functional>
#include <memory>

#include "app/alarm_book.h"
#include "net/packet.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace velloran {

class CSessionData;

// The notice of the newest waiting alarm.
class CAlarmNotice : public Window {
 public:
  static constexpr int kWidth = 280;
  static constexpr int kHeight = 92;
  static constexpr Color kBackground = Rgb(255, 243, 205);
  static constexpr Color kBorder = Rgb(203, 23, 67);

  explicit CAlarmNotice(std::function<void()> on_click) : on_click_(std::move(on_click)) {
    SetBackgroundColor(kBackground);
  }
  void ShowAlarm(const ReachedAlarm& alarm, std::size_t waiting);

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point, WParam) override {
    if (on_click_) on_click_();
  }

 private:
  std::function<void()> on_click_;
  ReachedAlarm alarm_;
  std::size_t waiting_ = 0;
};

// The day's list, a pop-up above the foot bar.
class CAlarmListWnd : public Window {
 public:
  static constexpr int kWidth = 430;
  static constexpr int kHeaderHeight = 26;
  static constexpr int kRowHeight = 20;
  static constexpr int kMaxRows = 12;

  struct Actions {
    std::function<void(std::size_t)> pick;  // a click on a row
    std::function<void(std::size_t)> acknowledge;  // Enter on the selected row
    std::function<void()> toggle_sound;
  };
  CAlarmListWnd(const CAlarmBook& book, Actions actions) : book_(book), actions_(std::move(actions)) {
    SetBackgroundColor(Rgb(255, 255, 255));
  }
  void SetMuted(bool muted);
  // The row Enter acknowledges: the newest waiting one at first.
  [[nodiscard]] int selected() const { return selected_; }
  void Select(int row);
  [[nodiscard]] Rect SoundRect() const;
  [[nodiscard]] Rect RowRect(std::size_t index) const;
  [[nodiscard]] int Height() const;
  // Closes when the frame says a press went elsewhere.
  LResult WindowProc(WindowMessage& m) override;

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam) override;
  void OnKeyDown(WParam key) override;
  void OnMouseWheel(int delta, Point, WParam) override;

 private:
  // Rows run newest first; the list shows kMaxRows of them from first_shown_.
  void ScrollTo(int first);
  const CAlarmBook& book_;
  Actions actions_;
  bool muted_ = false;
  int selected_ = -1;
  int first_shown_ = 0;
};

class CAlarmCenter {
 public:
  // The settings packet of the alarms' own settings in "qza.cfg".
  static constexpr int kSettingsRecord = 2;

  explicit CAlarmCenter(CSessionData& session);
  // Makes the notice a child of frame, hidden; the list is made on demand.
  [[nodiscard]] bool Create(Window& frame);
  // Where the notice and the list stand: above `foot`, at the right of the
  // client area.
  void Layout(const Rect& client, int foot_top);
  void SetTopBar(WindowHandle top_bar) { top_bar_ = std::move(top_bar); }

  // A reached alarm (message 2132): noted, shown and sounded (a burst of
  // them sounds once; see AlertSound).
  void OnAlarm(const Packet& alarm);
  // The foot bar's alarm mark: opens the list, or closes it.
  void ToggleList();
  void AcknowledgeAndPick(std::size_t index);
  void Acknowledge(std::size_t index);
  [[nodiscard]] bool muted() const;
  void SetMuted(bool muted);

  [[nodiscard]] const CAlarmBook& book() const { return book_; }
  [[nodiscard]] CAlarmNotice& notice() { return notice_; }
  [[nodiscard]] CAlarmListWnd* list() { return list_ ? list_.get() : nullptr; }
  // Called whenever the count of waiting alarms changed (the foot bar).
  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }

 private:
  void Refresh();
  [[nodiscard]] Packet* Settings() const;

  CSessionData& session_;
  CAlarmBook book_;
  CAlarmNotice notice_;
  AlertSound sound_;
  std::unique_ptr<CAlarmListWnd> list_;
  Window* frame_ = nullptr;
  WindowHandle top_bar_;
  Rect client_;
  int foot_top_ = 0;
  std::function<void()> on_change_;
};

}  // namespace velloran
