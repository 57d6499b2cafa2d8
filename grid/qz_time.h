#pragma once
// CQZTime, the time machine's column at the right of the work area: a combo
// of the trading dates and the list of that day's minutes, newest first. A
// pick in the list tells the parent (command kPicked), which asks the server
// for the reverse-phase screen at that moment.

#include <cstdint>
#include <string>
#include <vector>

#include "app/session_data.h"
#include "platform/list_box_control.h"
#include "platform/window.h"
#include "ui/qz_combo.h"

namespace velloran {

// The minutes (HHMM) a time machine offers for a date, newest first: 15:31,
// then 15:19 down to 09:01 (the closing auction's minutes are left out). For
// the trading date itself the list starts at the server's minute, or at 15:31
// once the calendar has moved past the trading date.
[[nodiscard]] std::vector<int> TimeMachineMinutes(std::int32_t date, std::int32_t trading_date,
                                                  std::int32_t server_date,
                                                  std::int32_t server_hhmmss);

class CQZTime : public Window {
 public:
  static constexpr int kDateId = 110;
  static constexpr int kTimeListId = 111;
  static constexpr int kPicked = 1;  // command code to the parent
  static constexpr int kInset = 5;
  static constexpr int kListTop = 25;
  static constexpr int kComboHeight = 20;

  explicit CQZTime(CSessionData& session);

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // Refills the dates when the trading date is not among them, selects the
  // stored date (or the first), and in screen 3007 rebuilds the minutes.
  void FillDates();
  // The minutes of the selected date.
  void FillTimes();
  // YYYYMMDDHHMM00 of the picked minute; empty when none is selected.
  [[nodiscard]] std::u16string PickedTime() const;

  [[nodiscard]] const std::u16string& selected_date() const { return selected_date_; }
  [[nodiscard]] CQZCombo& dates() { return dates_; }
  [[nodiscard]] ListBoxControl& times() { return times_; }

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  CSessionData& session_;
  CQZCombo dates_;
  ListBoxControl times_;
  std::u16string selected_date_;
};

}  // namespace velloran
