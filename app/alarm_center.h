#pragma once
// What a reached price alarm shows the trader: a notice (stock, alarm price,
// price now, time) with a short sound, and the day's list of reached alarms,
// opened from the foot bar. The notices stand in a corner the frame gives
// them where they cover no control (the lower right of the tile wall), the
// newest on top of at most three, and fold into the foot bar's alarm mark
// after eight seconds. An alarm waits until it is acknowledged: a click on
// its notice or on its row (which also picks the stock), or Enter in the
// list. Muting the sound is a setting of its own in "qza.cfg".

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/alarm_book.h"
#include "net/packet.h"
#include "platform/desktop_notifier.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace velloran {

class CSessionData;

// The notice of one waiting alarm.
class CAlarmNotice : public Window {
 public:
  static constexpr int kWidth = 280;
  static constexpr int kHeight = 92;
  static constexpr Color kBackground = Rgb(255, 243, 205);
  static constexpr Color kBorder = Rgb(203, 23, 67);

  // on_click gets the serial of the alarm shown.
  explicit CAlarmNotice(std::function<void(std::uint64_t)> on_click)
      : on_click_(std::move(on_click)) {
    SetBackgroundColor(kBackground);
  }
  // waiting: the count of waiting alarms its title carries (none below 2).
  void ShowAlarm(const ReachedAlarm& alarm, std::size_t waiting);
  [[nodiscard]] const ReachedAlarm& alarm() const { return alarm_; }

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point, WParam) override {
    if (on_click_) on_click_(alarm_.serial);
  }

 private:
  std::function<void(std::uint64_t)> on_click_;
  ReachedAlarm alarm_;
  std::size_t waiting_ = 0;
};

// The day's list, a pop-up above the foot bar.
class CAlarmListWnd : public Window {
 public:
  static constexpr int kWidth = 430;
  static constexpr int kHeaderHeight = 26;
  static constexpr int kTitlesHeight = 20;  // the column titles under the header
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
  // The column titles' row and the titles, left to right.
  [[nodiscard]] Rect TitlesRect() const;
  static constexpr std::array<const char16_t*, 4> kTitles = {u"시각", u"종목", u"알람가", u"현재가"};
  // Hides the list; the keys go back to the frame when they came here.
  void Close();
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
  static constexpr int kMaxNotices = 3;
  static constexpr std::chrono::milliseconds kFoldAfter{8000};
  static constexpr int kNoticeGap = 6;
  static constexpr int kNoticeMargin = 8;

  explicit CAlarmCenter(CSessionData& session);
  ~CAlarmCenter();
  CAlarmCenter(const CAlarmCenter&) = delete;
  CAlarmCenter& operator=(const CAlarmCenter&) = delete;
  // Makes the notices children of frame, hidden; the list is made on demand.
  [[nodiscard]] bool Create(Window& frame);
  // Where the list stands: above `foot`, at the right of the client area.
  // The notices stand there too unless SetNoticeArea gives them a place.
  void Layout(const Rect& client, int foot_top);
  // The area (frame client coordinates) whose lower right corner the notices
  // stand in, asked whenever they are placed.
  void SetNoticeArea(std::function<Rect()> area) { notice_area_ = std::move(area); }
  // Places the notices on show again (the panes under them moved).
  void PlaceNotices();
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
  // The notice of the newest alarm on show (hidden when none is).
  [[nodiscard]] CAlarmNotice& notice() { return *notices_[0]; }
  // The notices on show, newest first.
  [[nodiscard]] std::vector<CAlarmNotice*> ShownNotices() const;
  [[nodiscard]] CAlarmListWnd* list() { return list_ ? list_.get() : nullptr; }
  // Takes back the day's alarms a run before kept, once the trading date is
  // known (a later date starts an empty day); every change after is kept.
  void RestoreDay(std::int32_t date);
  // While the frame is not the active window an alarm is also shown on the
  // desktop; tests give a notifier of their own bus.
  void SetNotifier(std::unique_ptr<DesktopNotifier> notifier) { notifier_ = std::move(notifier); }
  // Called whenever the count of waiting alarms changed (the foot bar).
  void SetOnChange(std::function<void()> on_change) { on_change_ = std::move(on_change); }

 private:
  void Refresh();
  // Folds the notices whose time is up and waits for the next one.
  void Fold();
  [[nodiscard]] Packet* Settings() const;
  void SaveDay();
  void NotifyDesktop(const ReachedAlarm& alarm);

  // An alarm with its notice on show, until it folds.
  struct ShownAlarm {
    std::uint64_t serial;
    std::chrono::steady_clock::time_point fold_at;
  };

  CSessionData& session_;
  CAlarmBook book_;
  std::array<std::unique_ptr<CAlarmNotice>, kMaxNotices> notices_;  // newest first
  std::vector<ShownAlarm> shown_;                                  // oldest first
  int fold_timer_ = 0;
  int notices_fit_ = kMaxNotices;
  std::function<Rect()> notice_area_;
  AlertSound sound_;
  std::unique_ptr<CAlarmListWnd> list_;
  Window* frame_ = nullptr;
  WindowHandle top_bar_;
  Rect client_;
  int foot_top_ = 0;
  std::function<void()> on_change_;
  std::unique_ptr<DesktopNotifier> notifier_ = std::make_unique<DesktopNotifier>();
  std::int32_t restored_date_ = 0;
};

}  // namespace velloran
