#include "app/journal_wnd.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "net/message_codes.h"
#include "net/text_util.h"
#include "platform/control_codes.h"
#include "platform/window_events.h"

namespace velloran {
namespace {

constexpr unsigned kEntryLine =
    text_flag::kSingleLine | text_flag::kVCenter | text_flag::kEndEllipsis;
constexpr Color kEntryText = Rgb(50, 50, 50);
constexpr Color kEntryFaded = Rgb(130, 130, 130);
constexpr Color kEntryRise = Rgb(231, 17, 14);
constexpr Color kFall = Rgb(30, 40, 235);
constexpr Color kAlarmColor = Rgb(214, 120, 0);
constexpr Color kStrip = Rgb(238, 227, 197);
constexpr Color kChipOn = Rgb(217, 198, 158);
constexpr Color kChipOff = Rgb(245, 245, 245);
constexpr Color kChipFrame = Rgb(161, 131, 77);
constexpr Color kEntrySelected = Rgb(255, 243, 205);
constexpr Color kGridLine = Rgb(216, 216, 216);

constexpr std::array<const char16_t*, 4> kEventChips = {u"전체", u"편입", u"이탈", u"알람"};
constexpr int kChipWidth = 74;
constexpr int kEventChipWidth = 52;
constexpr int kSearchWidth = 150;

// The columns: time, event, screen, stock, price, capture price, rate, marks.
constexpr std::array<int, 9> kColumnEdges = {8, 70, 110, 180, 360, 430, 500, 560, 652};
constexpr std::array<const char16_t*, 8> kTitles = {u"시각",   u"구분",   u"화면",   u"종목",
                                                    u"현재가", u"포착가", u"등락률", u"상태"};

Color EventColor(JournalEvent e) {
  return e == JournalEvent::kEnter ? kEntryRise : e == JournalEvent::kLeave ? kFall : kAlarmColor;
}

}  // namespace

CJournalWnd::CJournalWnd(Actions actions) : actions_(std::move(actions)) {
  SetBackgroundColor(Rgb(255, 255, 255));
}

int CJournalWnd::OnCreate() {
  const Rect r = EventChip(0);
  EditStyle style;
  const Rect box{kWidth - kSearchWidth - 10, r.top, kWidth - 10, r.bottom};
  if (!search_.Create(this, kSearchId, box, style)) return -1;
  search_.SetFont(Font::Points(u"굴림", 9));
  return 0;
}

void CJournalWnd::SetEntries(std::vector<JournalEntry> entries) {
  view_.SetEntries(std::move(entries));
  selected_ = std::min(selected_, static_cast<int>(view_.rows().size()) - 1);
  Invalidate();
}

void CJournalWnd::SetExportNote(std::u16string note) {
  export_note_ = std::move(note);
  Invalidate();
}

Rect CJournalWnd::ExportRect() const {
  return {kWidth - 226, 4, kWidth - 146, kHeaderHeight - 4};
}
Rect CJournalWnd::ReplayRect() const {
  return {kWidth - 140, 4, kWidth - 10, kHeaderHeight - 4};
}
Rect CJournalWnd::EventChip(int index) const {
  const int top = kHeaderHeight + 3;
  const int left = 46 + index * (kEventChipWidth + 4);
  return {left, top, left + kEventChipWidth, top + kChipsHeight - 6};
}
Rect CJournalWnd::ScreenChip(int index) const {
  const int top = kHeaderHeight + kChipsHeight + 3;
  const int left = 46 + index * (kChipWidth + 4);
  return {left, top, left + kChipWidth, top + kChipsHeight - 6};
}
int CJournalWnd::TableTop() const {
  return kHeaderHeight + 2 * kChipsHeight + kTitlesHeight;
}
int CJournalWnd::VisibleRows() const {
  return std::max(1, (kHeight - TableTop() - 22) / kRowHeight);
}
Rect CJournalWnd::RowRect(int row) const {
  const int at = row - first_shown_;
  if (at < 0 || at >= VisibleRows()) return {};
  const int top = TableTop() + at * kRowHeight;
  return {1, top, kWidth - 1, top + kRowHeight};
}

void CJournalWnd::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  dc.FillRect(r, Rgb(255, 255, 255));
  dc.FrameRect(r, Rgb(58, 58, 58));
  dc.FillRect({1, 1, r.right - 1, kHeaderHeight}, kStrip);
  dc.SetTransparentBackground(true);
  dc.SetFont(Font::Points(u"굴림", 9, 700));
  dc.SetTextColor(kEntryText);
  dc.DrawText(u"화면 일지  " + FormatInt(static_cast<std::int64_t>(view_.rows().size())) + u"건",
              {8, 0, 200, kHeaderHeight}, kEntryLine);
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(kEntryFaded);
  dc.DrawText(export_note_, {200, 0, ExportRect().left - 6, kHeaderHeight},
              kEntryLine | text_flag::kRight);
  for (const auto& [rect, text, on] :
       {std::tuple{ExportRect(), u"CSV 저장", true},
        std::tuple{ReplayRect(), u"이 시점부터 재생", selected_ >= 0}}) {
    dc.FillRect(rect, on ? kChipOn : Rgb(225, 225, 225));
    dc.FrameRect(rect, kChipFrame);
    dc.SetTextColor(on ? kEntryText : kEntryFaded);
    dc.DrawText(text, rect, kEntryLine | text_flag::kCenter);
  }
  PaintChips(dc);
  PaintRows(dc);
}

void CJournalWnd::PaintChips(DrawContext& dc) {
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(kEntryText);
  dc.DrawText(u"구분", {8, EventChip(0).top, 44, EventChip(0).bottom}, kEntryLine);
  dc.DrawText(u"검색",
              {kWidth - kSearchWidth - 44, EventChip(0).top, kWidth - kSearchWidth - 14,
               EventChip(0).bottom},
              kEntryLine);
  dc.DrawText(u"화면", {8, ScreenChip(0).top, 44, ScreenChip(0).bottom}, kEntryLine);
  const auto chip = [&](const Rect& rect, const std::u16string& text, bool on) {
    dc.FillRect(rect, on ? kChipOn : kChipOff);
    dc.FrameRect(rect, kChipFrame);
    dc.DrawText(text, rect, kEntryLine | text_flag::kCenter);
  };
  for (int i = 0; i < static_cast<int>(kEventChips.size()); ++i) {
    const bool on = i == 0 ? !view_.event() : view_.event() && static_cast<int>(*view_.event()) == i - 1;
    chip(EventChip(i), kEventChips[i], on);
  }
  std::size_t total = 0;
  for (const auto& [screen, count] : view_.screen_counts()) total += count;
  chip(ScreenChip(0), u"전체 " + FormatInt(static_cast<std::int64_t>(total)), view_.screen() == 0);
  int i = 1;
  for (const auto& [screen, count] : view_.screen_counts()) {
    if (ScreenChip(i).right > kWidth - 8) break;
    chip(ScreenChip(i), std::u16string(code::ScreenName(screen)) + u" " +
                            FormatInt(static_cast<std::int64_t>(count)),
         view_.screen() == screen);
    ++i;
  }
}

void CJournalWnd::PaintRows(DrawContext& dc) {
  const int titles_top = TableTop() - kTitlesHeight;
  dc.FillRect({1, titles_top, kWidth - 1, TableTop()}, Rgb(234, 234, 234));
  dc.FillRect({1, TableTop() - 1, kWidth - 1, TableTop()}, kGridLine);
  dc.SetTextColor(kEntryText);
  auto cell = [](int c, int top) {
    return Rect{kColumnEdges[c], top, kColumnEdges[c + 1] - 6, top + kRowHeight};
  };
  for (int c = 0; c < static_cast<int>(kTitles.size()); ++c)
    dc.DrawText(kTitles[c], cell(c, titles_top),
                kEntryLine | (c >= 4 && c <= 6 ? text_flag::kRight : 0u));
  const auto& rows = view_.rows();
  if (rows.empty()) {
    dc.SetTextColor(kEntryFaded);
    dc.DrawText(u"기록된 편입·이탈이 없습니다",
                {8, TableTop(), kWidth - 8, TableTop() + kRowHeight}, kEntryLine);
    return;
  }
  for (int i = first_shown_; i < static_cast<int>(rows.size()); ++i) {
    const Rect row = RowRect(i);
    if (row.IsEmpty()) break;
    const JournalEntry& e = *rows[static_cast<std::size_t>(i)];
    if (i == selected_) dc.FillRect(row, kEntrySelected);
    dc.FillRect({row.left, row.bottom - 1, row.right, row.bottom}, Rgb(240, 240, 240));
    dc.SetTextColor(kEntryText);
    dc.DrawText(CJournalView::TimeText(e.time), cell(0, row.top), kEntryLine);
    dc.SetTextColor(EventColor(e.event));
    dc.DrawText(std::u16string(JournalEventText(e.event)), cell(1, row.top), kEntryLine);
    dc.SetTextColor(kEntryText);
    dc.DrawText(code::ScreenName(e.screen), cell(2, row.top), kEntryLine);
    dc.DrawText(e.name + u" (" + e.code + u")", cell(3, row.top), kEntryLine);
    dc.SetTextColor(e.rate > 0 ? kEntryRise : e.rate < 0 ? kFall : kEntryText);
    dc.DrawText(FormatNumber(e.price), cell(4, row.top), kEntryLine | text_flag::kRight);
    dc.SetTextColor(kEntryText);
    dc.DrawText(FormatNumber(e.capture_price), cell(5, row.top), kEntryLine | text_flag::kRight);
    dc.SetTextColor(e.rate > 0 ? kEntryRise : e.rate < 0 ? kFall : kEntryText);
    dc.DrawText(FormatReal2(e.rate), cell(6, row.top), kEntryLine | text_flag::kRight);
    std::u16string marks;
    if (e.imminent) marks += u"임박";
    if (e.reverse) marks += marks.empty() ? u"역상" : u" 역상";
    dc.SetTextColor(kEntryRise);
    dc.DrawText(marks, cell(7, row.top), kEntryLine);
  }
}

void CJournalWnd::Select(int row) {
  const int count = static_cast<int>(view_.rows().size());
  if (count == 0) {
    selected_ = -1;
  } else {
    selected_ = std::clamp(row, 0, count - 1);
    if (selected_ < first_shown_) first_shown_ = selected_;
    if (selected_ >= first_shown_ + VisibleRows()) first_shown_ = selected_ - VisibleRows() + 1;
  }
  Invalidate();
}

void CJournalWnd::OnLButtonDown(Point p, WParam) {
  const auto& rows = view_.rows();
  if (ExportRect().Contains(p)) {
    if (actions_.export_csv) actions_.export_csv(view_.ExportCsv());
    return;
  }
  if (ReplayRect().Contains(p)) {
    if (selected_ >= 0 && selected_ < static_cast<int>(rows.size()) && actions_.replay)
      actions_.replay(*rows[static_cast<std::size_t>(selected_)]);
    return;
  }
  for (int i = 0; i < static_cast<int>(kEventChips.size()); ++i) {
    if (!EventChip(i).Contains(p)) continue;
    view_.SetEvent(i == 0 ? std::nullopt : std::optional(static_cast<JournalEvent>(i - 1)));
    selected_ = -1;
    first_shown_ = 0;
    Invalidate();
    return;
  }
  const auto& counts = view_.screen_counts();
  for (int i = 0; i <= static_cast<int>(counts.size()); ++i) {
    if (!ScreenChip(i).Contains(p)) continue;
    view_.SetScreen(i == 0 ? 0 : counts[static_cast<std::size_t>(i - 1)].first);
    selected_ = -1;
    first_shown_ = 0;
    Invalidate();
    return;
  }
  for (int i = first_shown_; i < static_cast<int>(rows.size()); ++i) {
    if (!RowRect(i).Contains(p)) continue;
    Select(i);
    if (actions_.pick) actions_.pick(*rows[static_cast<std::size_t>(i)]);
    return;
  }
}

void CJournalWnd::OnMouseWheel(int delta, Point, WParam) {
  const int most = std::max(0, static_cast<int>(view_.rows().size()) - VisibleRows());
  first_shown_ = std::clamp(first_shown_ + (delta > 0 ? -3 : 3), 0, most);
  Invalidate();
}

void CJournalWnd::OnKeyDown(WParam key) {
  if (key == sys::kVkUp) Select(selected_ - 1);
  if (key == sys::kVkDown) Select(selected_ + 1);
  if (key == sys::kVkEscape) Show(false);
}

bool CJournalWnd::OnCommand(int id, int code, const WindowHandle&) {
  if (id != kSearchId || code != ctl::kEditChange) return false;
  view_.SetSearch(search_.Text());
  selected_ = -1;
  first_shown_ = 0;
  Invalidate();
  return true;
}

}  // namespace velloran
