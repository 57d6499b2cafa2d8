#include "grid/qz_time.h"

#include "net/message_codes.h"
#include "net/text_util.h"
#include "platform/control_codes.h"

namespace velloran {
namespace {

constexpr int kLastMinute = 1531;  // the closing price's minute
constexpr int kDropHeight = 300;

std::u16string MinuteText(int hhmm) {
  const std::u16string t = FormatInt06(hhmm * 100);
  return t.substr(0, 2) + u":" + t.substr(2, 2);
}

}  // namespace

std::vector<int> TimeMachineMinutes(std::int32_t date, std::int32_t trading_date,
                                    std::int32_t server_date, std::int32_t server_hhmmss) {
  int hour = kLastMinute / 100;
  int minute = kLastMinute % 100;
  if (date == trading_date && server_date <= trading_date) {
    hour = server_hhmmss / 10000;
    minute = server_hhmmss / 100 % 100;
    if (hour > 15 && minute > 30) hour = 15;
  }
  std::vector<int> minutes;
  while (hour > 8) {
    const int hhmm = hour * 100 + minute;
    if ((hhmm >= 901 && hhmm <= 1519) || hhmm == kLastMinute) minutes.push_back(hhmm);
    if (--minute < 0) {
      minute = 59;
      --hour;
    }
  }
  return minutes;
}

CQZTime::CQZTime(CSessionData& session) : session_(session) {
  SetBackgroundColor(Rgb(238, 227, 197));
}

bool CQZTime::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

int CQZTime::OnCreate() {
  if (!dates_.Create(this, kDateId, {kInset, kInset, kInset + 10, kInset + kComboHeight},
                     kDropHeight))
    return -1;
  if (!times_.Create(this, kTimeListId, {kInset, kInset + kListTop, kInset + 10, kListTop + 40}))
    return -1;
  const Rect c = ClientRect();
  OnSize(c.width(), c.height());
  return 0;
}

void CQZTime::OnSize(int width, int height) {
  if (!times_.IsCreated()) return;
  const int right = std::max(width - kInset, kInset + 1);
  dates_.Move({kInset, kInset, right, kInset + kComboHeight});
  times_.Move({kInset, kInset + kListTop, right, std::max(height - kInset, kInset + kListTop + 1)});
}

void CQZTime::FillDates() {
  const std::u16string trading = FormatInt(session_.TradingDate());
  if (dates_.FindStringExact(trading) < 0) {
    dates_.ResetContent();
    const auto data = session_.Read();
    for (const std::u16string& date : data->trading_dates) dates_.AddString(date);
  }
  const int stored = selected_date_.empty() ? -1 : dates_.FindStringExact(selected_date_);
  if (stored >= 0) {
    dates_.SetCurSel(stored);
  } else {
    dates_.SetCurSel(0);
    selected_date_ = dates_.SelectedText();
  }
  if (session_.current_screen() == code::kScreenReverse) FillTimes();
}

void CQZTime::FillTimes() {
  times_.ResetContent();
  const std::int32_t date = ToInt(selected_date_);
  for (const int hhmm : TimeMachineMinutes(date, session_.TradingDate(), session_.server_date(),
                                           session_.server_time_of_day()))
    times_.AddString(MinuteText(hhmm));
}

std::u16string CQZTime::PickedTime() const {
  const int row = times_.GetCurSel();
  if (row < 0 || selected_date_.empty()) return {};
  std::u16string time = times_.GetText(row);
  std::erase(time, u':');
  return selected_date_ + time + u"00";
}

bool CQZTime::OnCommand(int id, int code, const WindowHandle&) {
  if (id == kDateId && code == ctl::kComboSelChange) {
    selected_date_ = dates_.SelectedText();
    FillTimes();
    return true;
  }
  if (id == kTimeListId && code == ctl::kListSelChange) {
    if (!PickedTime().empty()) CommandParent(kPicked);
    return true;
  }
  return false;
}

}  // namespace velloran
