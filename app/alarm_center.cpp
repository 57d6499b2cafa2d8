#include "app/alarm_center.h"

#include <algorithm>

#include "app/alarm_day_file.h"
#include "app/session_data.h"
#include "net/stock_code.h"
#include "net/text_util.h"
#include "platform/application.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {

constexpr Color kText = Rgb(50, 50, 50);
constexpr Color kRise = Rgb(207, 0, 0);
constexpr Color kFaded = Rgb(150, 150, 150);
constexpr Color kWaitingRow = Rgb(255, 243, 205);
constexpr Color kSelectedRow = Rgb(226, 206, 237);
constexpr unsigned kLine = text_flag::kSingleLine | text_flag::kVCenter | text_flag::kEndEllipsis;

std::u16string TimeText(std::int32_t hhmmss) {
  if (hhmmss <= 0) return u"--:--:--";
  const std::u16string t = FormatInt06(hhmmss);
  return t.substr(0, 2) + u":" + t.substr(2, 2) + u":" + t.substr(4, 2);
}

// The list's columns within a row: time, stock, alarm price, price now.
std::array<Rect, 4> Columns(const Rect& row) {
  return {Rect{row.left + 6, row.top, row.left + 66, row.bottom},
          Rect{row.left + 70, row.top, row.left + 230, row.bottom},
          Rect{row.left + 230, row.top, row.left + 320, row.bottom},
          Rect{row.left + 320, row.top, row.right - 8, row.bottom}};
}

std::u16string StockText(const ReachedAlarm& a) {
  return a.name == a.code ? a.code : a.name + u"(" + a.code + u")";
}

}  // namespace

// --- the notice -------------------------------------------------------------

void CAlarmNotice::ShowAlarm(const ReachedAlarm& alarm, std::size_t waiting) {
  alarm_ = alarm;
  waiting_ = waiting;
  Show(true);
  BringToTop();
  Invalidate();
}

void CAlarmNotice::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  dc.FillRect(r, kBackground);
  dc.FrameRect(r, kBorder);
  dc.FillRect({0, 0, 5, r.bottom}, kBorder);
  dc.SetTransparentBackground(true);
  dc.SetFont(Font::Points(u"굴림", 9, 700));
  dc.SetTextColor(kBorder);
  std::u16string title = u"알람 도달";
  if (waiting_ > 1) title += u" (대기 " + FormatInt(static_cast<std::int64_t>(waiting_)) + u"건)";
  dc.DrawText(title, {14, 6, r.right - 70, 24}, kLine);
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(kText);
  dc.DrawText(TimeText(alarm_.time), {r.right - 70, 6, r.right - 8, 24}, kLine | text_flag::kRight);
  dc.SetFont(Font::Points(u"굴림", 10, 700));
  dc.DrawText(StockText(alarm_), {14, 26, r.right - 8, 46}, kLine);
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.DrawText(u"알람가 " + FormatNumber(alarm_.alarm_price), {14, 48, r.right / 2 + 4, 66}, kLine);
  dc.SetTextColor(kRise);
  dc.DrawText(u"현재가 " + FormatNumber(alarm_.price_now), {r.right / 2 + 4, 48, r.right - 8, 66},
              kLine);
  dc.SetTextColor(kFaded);
  dc.DrawText(u"누르면 확인하고 종목을 엽니다", {14, 68, r.right - 8, 86}, kLine);
}

// --- the list ---------------------------------------------------------------

void CAlarmListWnd::SetMuted(bool muted) {
  muted_ = muted;
  Invalidate();
}

void CAlarmListWnd::Select(int row) {
  const int count = static_cast<int>(book_.entries().size());
  selected_ = count == 0 ? -1 : std::clamp(row, 0, count - 1);
  if (selected_ >= 0) {
    // Keep the selected row in sight: the keys reach rows past the newest twelve.
    const int position = count - 1 - selected_;
    if (position < first_shown_) ScrollTo(position);
    if (position >= first_shown_ + kMaxRows) ScrollTo(position - kMaxRows + 1);
  }
  Invalidate();
}

void CAlarmListWnd::ScrollTo(int first) {
  const int count = static_cast<int>(book_.entries().size());
  first_shown_ = std::clamp(first, 0, std::max(0, count - kMaxRows));
  Invalidate();
}

void CAlarmListWnd::OnMouseWheel(int delta, Point, WParam) {
  ScrollTo(first_shown_ + (delta > 0 ? -3 : 3));
}

int CAlarmListWnd::Height() const {
  const int rows = std::clamp(static_cast<int>(book_.entries().size()), 1, kMaxRows);
  return kHeaderHeight + kTitlesHeight + rows * kRowHeight + 2;
}

Rect CAlarmListWnd::TitlesRect() const {
  return {1, kHeaderHeight, ClientRect().right - 1, kHeaderHeight + kTitlesHeight};
}

void CAlarmListWnd::Close() {
  const bool had_keys = IsInActiveWindow();
  Show(false);
  if (had_keys && parent() != nullptr) parent()->Activate();
}

Rect CAlarmListWnd::SoundRect() const {
  const Rect r = ClientRect();
  return {r.right - 90, 3, r.right - 6, kHeaderHeight - 3};
}

// Newest first, as many as fit.
Rect CAlarmListWnd::RowRect(std::size_t index) const {
  const int count = static_cast<int>(book_.entries().size());
  const int position = count - 1 - static_cast<int>(index) - first_shown_;
  if (position < 0 || position >= kMaxRows) return {};
  const int top = kHeaderHeight + kTitlesHeight + position * kRowHeight;
  return {1, top, ClientRect().right - 1, top + kRowHeight};
}

void CAlarmListWnd::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  dc.FillRect(r, Rgb(255, 255, 255));
  dc.FrameRect(r, Rgb(58, 58, 58));
  dc.FillRect({1, 1, r.right - 1, kHeaderHeight}, Rgb(238, 227, 197));
  dc.SetTransparentBackground(true);
  dc.SetFont(Font::Points(u"굴림", 9, 700));
  dc.SetTextColor(kText);
  dc.DrawText(u"오늘 도달한 알람 " + FormatInt(static_cast<std::int64_t>(book_.entries().size())) +
                  u"건",
              {8, 0, r.right - 100, kHeaderHeight}, kLine);
  const Rect sound = SoundRect();
  dc.FillRect(sound, muted_ ? Rgb(216, 216, 216) : Rgb(217, 198, 158));
  dc.FrameRect(sound, Rgb(161, 131, 77));
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.DrawText(muted_ ? u"소리 꺼짐" : u"소리 켜짐", sound, kLine | text_flag::kCenter);
  const Rect titles = TitlesRect();
  dc.FillRect(titles, Rgb(234, 234, 234));
  dc.FillRect({titles.left, titles.bottom - 1, titles.right, titles.bottom}, Rgb(216, 216, 216));
  dc.SetTextColor(kText);
  const std::array<Rect, 4> columns = Columns(titles);
  for (std::size_t c = 0; c < kTitles.size(); ++c) {
    dc.DrawText(kTitles[c], columns[c], kLine | (c >= 2 ? text_flag::kRight : 0u));
  }
  const auto& entries = book_.entries();
  if (entries.empty()) {
    dc.SetTextColor(kFaded);
    dc.DrawText(u"도달한 알람이 없습니다", {8, titles.bottom, r.right - 8, titles.bottom + kRowHeight},
                kLine);
    return;
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Rect row = RowRect(i);
    if (row.IsEmpty()) continue;
    const ReachedAlarm& a = entries[i];
    if (static_cast<int>(i) == selected_) {
      dc.FillRect(row, kSelectedRow);
    } else if (!a.acknowledged) {
      dc.FillRect(row, kWaitingRow);
    }
    dc.SetFont(Font::Points(u"굴림", 9, a.acknowledged ? 400 : 700));
    dc.SetTextColor(a.acknowledged ? kFaded : kText);
    const std::array<Rect, 4> cells = Columns(row);
    dc.DrawText(TimeText(a.time), cells[0], kLine);
    dc.DrawText(StockText(a), cells[1], kLine);
    dc.DrawText(FormatNumber(a.alarm_price), cells[2], kLine | text_flag::kRight);
    dc.SetTextColor(a.acknowledged ? kFaded : kRise);
    dc.DrawText(FormatNumber(a.price_now), cells[3], kLine | text_flag::kRight);
  }
}

void CAlarmListWnd::OnLButtonDown(Point p, WParam) {
  if (SoundRect().Contains(p)) {
    if (actions_.toggle_sound) actions_.toggle_sound();
    return;
  }
  for (std::size_t i = 0; i < book_.entries().size(); ++i) {
    if (!RowRect(i).Contains(p)) continue;
    Select(static_cast<int>(i));
    if (actions_.pick) actions_.pick(i);
    return;
  }
}

LResult CAlarmListWnd::WindowProc(WindowMessage& m) {
  if (m.message == msg::kClosePopup) {
    Close();
    return 0;
  }
  return Window::WindowProc(m);
}

void CAlarmListWnd::OnKeyDown(WParam key) {
  if (key == sys::kVkReturn && selected_ >= 0) {
    if (actions_.acknowledge) actions_.acknowledge(static_cast<std::size_t>(selected_));
  } else if (key == sys::kVkUp) {
    Select(selected_ + 1);  // rows run newest first
  } else if (key == sys::kVkDown) {
    Select(selected_ - 1);
  } else if (key == sys::kVkEscape) {
    Close();
  }
}

// --- the center -------------------------------------------------------------

CAlarmCenter::CAlarmCenter(CSessionData& session) : session_(session), sound_(UiLoop()) {
  for (auto& notice : notices_) {
    notice = std::make_unique<CAlarmNotice>([this](std::uint64_t serial) {
      const int index = book_.Find(serial);
      if (index >= 0) AcknowledgeAndPick(static_cast<std::size_t>(index));
    });
  }
}

CAlarmCenter::~CAlarmCenter() {
  if (fold_timer_ != 0) UiLoop().StopTimer(fold_timer_);
}

bool CAlarmCenter::Create(Window& frame) {
  frame_ = &frame;
  WindowStyle hidden;
  hidden.visible = false;
  for (auto& notice : notices_) {
    if (!notice->Create(&frame, 0, {0, 0, CAlarmNotice::kWidth, CAlarmNotice::kHeight}, u"",
                        hidden))
      return false;
  }
  return true;
}

void CAlarmCenter::Layout(const Rect& client, int foot_top) {
  client_ = client;
  foot_top_ = foot_top;
  PlaceNotices();
  if (list_ && list_->IsCreated()) {
    const Point corner = frame_->ClientToScreen({client.right - 8, foot_top - 4});
    list_->Move({corner.x - CAlarmListWnd::kWidth, corner.y - list_->Height(), corner.x, corner.y});
  }
}

// The newest on top: the oldest on show stands lowest, in the corner.
void CAlarmCenter::PlaceNotices() {
  if (frame_ == nullptr) return;
  const Rect area = notice_area_ ? notice_area_()
                                 : Rect{client_.left, client_.top, client_.right, foot_top_};
  const int pitch = CAlarmNotice::kHeight + kNoticeGap;
  notices_fit_ = std::clamp((area.height() - kNoticeMargin + kNoticeGap) / pitch, 1, kMaxNotices);
  const int right = area.right - kNoticeMargin;
  const int bottom = area.bottom - kNoticeMargin;
  const std::size_t shown = std::min(shown_.size(), notices_.size());
  for (std::size_t k = 0; k < notices_.size(); ++k) {
    const int from_bottom = static_cast<int>(shown) - 1 - static_cast<int>(k);
    const int top = bottom - CAlarmNotice::kHeight - std::max(from_bottom, 0) * pitch;
    notices_[k]->Move({right - CAlarmNotice::kWidth, top, right, top + CAlarmNotice::kHeight});
  }
}

std::vector<CAlarmNotice*> CAlarmCenter::ShownNotices() const {
  std::vector<CAlarmNotice*> shown;
  for (const auto& notice : notices_) {
    if (notice->IsVisible()) shown.push_back(notice.get());
  }
  return shown;
}

Packet* CAlarmCenter::Settings() const {
  return session_.lists().GetSettings(kSettingsRecord);
}

bool CAlarmCenter::muted() const {
  return Settings()->GetInt(u"MUTE", 0) == 1;
}

void CAlarmCenter::SetMuted(bool muted) {
  Settings()->SetInt(u"MUTE", muted ? 1 : 0);
  if (muted) sound_.Cancel();
  if (list_) list_->SetMuted(muted);
}

void CAlarmCenter::OnAlarm(const Packet& alarm) {
  ReachedAlarm reached = CAlarmBook::FromPacket(alarm, *session_.Read(), session_.TradingDate());
  // An alarm price of 0 is one the trader left unset; a quote that reads 0
  // (a record cut short) "reaches" it, which is nothing to tell.
  if (reached.alarm_price <= 0) return;
  book_.Add(std::move(reached));
  SaveDay();
  if (frame_ != nullptr && !frame_->IsInActiveWindow()) NotifyDesktop(book_.entries().back());
  shown_.push_back({book_.entries().back().serial, UiLoop().clock().Steady() + kFoldAfter});
  if (!muted()) sound_.Play();
  Refresh();
}

void CAlarmCenter::Acknowledge(std::size_t index) {
  if (index >= book_.entries().size()) return;
  book_.Acknowledge(index);
  SaveDay();
  const std::uint64_t serial = book_.entries()[index].serial;
  std::erase_if(shown_, [&](const ShownAlarm& s) { return s.serial == serial; });
  Refresh();
}

void CAlarmCenter::RestoreDay(std::int32_t date) {
  if (date <= 0 || date == restored_date_) return;
  restored_date_ = date;
  const std::filesystem::path& dir = session_.data_dir();
  if (dir.empty()) return;
  // Alarms of this date already in the book came after the file was written.
  for (const ReachedAlarm& a : book_.entries())
    if (a.date == date) return;
  for (ReachedAlarm& alarm : LoadAlarmDay(dir / kAlarmDayFileName, date)) {
    const bool acknowledged = alarm.acknowledged;
    book_.Add(std::move(alarm));
    if (acknowledged) book_.Acknowledge(book_.entries().size() - 1);
  }
  Refresh();
}

void CAlarmCenter::SaveDay() {
  const std::filesystem::path& dir = session_.data_dir();
  if (dir.empty() || book_.entries().empty()) return;
  // A failed save keeps the last file: the next change tries again.
  (void)SaveAlarmDay(dir / kAlarmDayFileName, book_.entries().back().date, book_.entries());
}

void CAlarmCenter::NotifyDesktop(const ReachedAlarm& alarm) {
  if (!notifier_) return;
  const std::u16string body = u"알람가 " + FormatNumber(alarm.alarm_price) + u" · 현재가 " +
                              FormatNumber(alarm.price_now) + u" · " + TimeText(alarm.time);
  notifier_->Notify(u"알람 도달: " + StockText(alarm), body);
}

void CAlarmCenter::Fold() {
  fold_timer_ = 0;
  const auto now = UiLoop().clock().Steady();
  std::erase_if(shown_, [&](const ShownAlarm& s) { return s.fold_at <= now; });
  Refresh();
}

void CAlarmCenter::AcknowledgeAndPick(std::size_t index) {
  if (index >= book_.entries().size()) return;
  const std::u16string code = book_.entries()[index].code;
  Acknowledge(index);
  PostMessage(top_bar_, msg::kSelectStock, static_cast<WParam>(PackStockCode(code)), 0);
}

void CAlarmCenter::ToggleList() {
  if (list_ && list_->IsVisible()) {
    list_->Close();
    return;
  }
  if (!list_) {
    list_ = std::make_unique<CAlarmListWnd>(
        book_, CAlarmListWnd::Actions{[this](std::size_t i) { AcknowledgeAndPick(i); },
                                      [this](std::size_t i) { Acknowledge(i); },
                                      [this] { SetMuted(!muted()); }});
    WindowStyle popup;
    popup.kind = WindowKind::kPopup;
    popup.tool = true;
    popup.visible = false;
    if (!list_->Create(frame_, 0, {0, 0, CAlarmListWnd::kWidth, 100}, u"", popup)) {
      list_.reset();
      return;
    }
  }
  list_->SetMuted(muted());
  list_->Select(book_.NewestWaiting() >= 0 ? book_.NewestWaiting()
                                           : static_cast<int>(book_.entries().size()) - 1);
  Layout(client_, foot_top_);
  list_->Show(true);
  // The keys go to the list at once: Enter acknowledges the selected row.
  list_->Activate();
  list_->SetFocus();
  // A press anywhere else closes it, as with the other pop-ups.
  PostMessage(frame_->handle(), msg::kRegisterPopup, list_->handle().id(), 0);
}

void CAlarmCenter::Refresh() {
  // What a new date took from the book is on show no more; nor the oldest
  // past the room there is.
  std::erase_if(shown_, [&](const ShownAlarm& s) { return book_.Find(s.serial) < 0; });
  PlaceNotices();
  const std::size_t room = static_cast<std::size_t>(notices_fit_);
  if (shown_.size() > room) shown_.erase(shown_.begin(), shown_.end() - room);
  for (std::size_t k = 0; k < notices_.size(); ++k) {
    CAlarmNotice& notice = *notices_[k];
    if (k >= shown_.size()) {
      notice.Show(false);
      continue;
    }
    const ReachedAlarm& alarm =
        book_.entries()[static_cast<std::size_t>(book_.Find(shown_[shown_.size() - 1 - k].serial))];
    notice.ShowAlarm(alarm, k == 0 ? book_.waiting() : 0);
  }
  PlaceNotices();
  if (fold_timer_ != 0) UiLoop().StopTimer(fold_timer_);
  fold_timer_ = 0;
  if (!shown_.empty()) {
    const auto now = UiLoop().clock().Steady();
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(shown_.front().fold_at - now);
    fold_timer_ = UiLoop().StartTimer(std::max(wait, std::chrono::milliseconds(0)), false,
                                      [this] { Fold(); });
  }
  if (list_ && list_->IsCreated()) {
    Layout(client_, foot_top_);
    list_->Invalidate();
  }
  if (on_change_) on_change_();
}

}  // namespace velloran
