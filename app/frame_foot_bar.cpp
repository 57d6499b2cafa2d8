#include "app/frame_foot_bar.h"

#include "net/text_util.h"

namespace velloran {

void CFrameFootBar::SetStatus(LinkState state, const FootTexts& texts) {
  if (state == state_ && texts.link == texts_.link && texts.server_time == texts_.server_time &&
      texts.rate == texts_.rate && texts.stale == texts_.stale) {
    return;
  }
  state_ = state;
  texts_ = texts;
  Invalidate();
}

void CFrameFootBar::SetAlarms(std::size_t waiting, std::size_t total) {
  if (waiting == alarms_waiting_ && total == alarms_total_) return;
  alarms_waiting_ = waiting;
  alarms_total_ = total;
  Invalidate();
}

Rect CFrameFootBar::AlarmRect() const {
  const Rect r = ClientRect();
  return {r.right - 360, 2, r.right - 262, r.bottom - 2};
}

std::u16string CFrameFootBar::AlarmText() const {
  if (alarms_waiting_ > 0) {
    return u"알람 " + FormatInt(static_cast<std::int64_t>(alarms_waiting_)) + u"건 확인 대기";
  }
  return u"알람 " + FormatInt(static_cast<std::int64_t>(alarms_total_)) + u"건";
}

Rect CFrameFootBar::JournalRect() const {
  const Rect r = ClientRect();
  return {r.right - 446, 2, r.right - 366, r.bottom - 2};
}

void CFrameFootBar::OnLButtonDown(Point p, WParam) {
  if (AlarmRect().Contains(p)) CommandParent(kAlarmsPressed);
  if (JournalRect().Contains(p)) CommandParent(kJournalPressed);
}

void CFrameFootBar::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  const Color mark = texts_.stale                     ? kPending
                     : state_ == LinkState::kConnected ? kLive
                     : state_ == LinkState::kLost    ? kDown
                                                     : kPending;
  const int mid = r.height() / 2;
  dc.FillRect({6, mid - 4, 14, mid + 4}, mark);
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(kText);
  dc.SetTransparentBackground(true);
  constexpr unsigned kLine = text_flag::kSingleLine | text_flag::kVCenter | text_flag::kEndEllipsis;
  dc.DrawText(texts_.link, {20, 0, r.right / 2, r.bottom}, kLine);
  dc.DrawText(texts_.rate, {r.right - 120, 0, r.right - 8, r.bottom}, kLine | text_flag::kRight);
  dc.DrawText(texts_.server_time, {r.right - 250, 0, r.right - 128, r.bottom},
              kLine | text_flag::kRight);
  dc.SetTextColor(kText);
  dc.DrawText(u"화면 일지 F11", JournalRect(), kLine | text_flag::kCenter);
  const Rect alarm = AlarmRect();
  if (alarms_waiting_ > 0) dc.FillRect(alarm, Rgb(110, 30, 30));
  dc.SetTextColor(alarms_waiting_ > 0 ? kAlarm : kText);
  dc.DrawText(AlarmText(), alarm, kLine | text_flag::kCenter);
}

}  // namespace velloran
