#include "replay/play_ctrl.h"

#include <algorithm>

#include "app/session_data.h"
#include "net/text_util.h"
#include "platform/control_codes.h"
#include "platform/window_messages.h"
#include "replay/play_model.h"
#include "replay/play_time.h"

namespace velloran {
namespace {

constexpr unsigned kCentred = text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine;
const Font kTextFont = Font::Points(u"굴림", 9);
const Font kSpeedFont = Font::Points(u"Arial Black", 12);

}  // namespace

CPlayCtrl::CPlayCtrl(const CSessionData& session, CPlayModel& model)
    : session_(session), model_(model) {
  SetBackgroundColor(kBackground);
}

bool CPlayCtrl::Create(Window* owner, int id, const Rect& rect) {
  owner_ = owner;
  return Window::Create(owner, id, rect, u"");
}

int CPlayCtrl::OnCreate() {
  const PlayCtrlGeometry g = geometry();
  if (!date_combo_.Create(this, kDateComboId, g.DateComboRect(), 200)) return -1;
  date_combo_.SetFont(kTextFont);
  struct Button {
    CBitButton& button;
    int id;
    int bitmap;
    Point at;
    const char16_t* caption;
  };
  for (const Button& b : {Button{rewind_, kRewindId, kRewindBitmap, kRewindAt, u"RF"},
                          Button{play_, kPlayId, model_.playing() ? kPauseBitmap : kPlayBitmap, kPlayAt, u"PLAY"},
                          Button{fast_forward_, kFastForwardId, kFastForwardBitmap,
                                 kFastForwardAt, u"FF"}}) {
    if (!b.button.Create(b.caption, {}, {b.at.x, b.at.y, b.at.x + 1, b.at.y + 1}, this, b.id))
      return -1;
    b.button.LoadBitmap(b.bitmap);
  }
  SliderStyle slider_style;
  slider_style.tool_tips = true;
  if (!slider_.Create(this, kSliderId, kSliderRect, slider_style)) return -1;
  slider_.SetRange(0, kPlayDaySpanSeconds);
  slider_.SetPageSize(kSliderPage);
  slider_.SetTicFreq(3600);
  slider_.SetPos(0);
  if (slider_.tool_tip() != nullptr) slider_.tool_tip()->SetDelay(kTipDelayMs);
  if (!vertical_.Create(this, 0, true, 1, kHoverLine, g.plot().height(), g.plot().top) ||
      !horizontal_.Create(this, 0, false, 1, kHoverLine, g.plot().width(), g.plot().left))
    return -1;
  // A click on a line is a click on the time line under it.
  vertical_.SetMouseTransparent(true);
  horizontal_.SetMouseTransparent(true);
  FillDates();
  if (model_.playing()) SetTimer(kClockTimer, kClockPeriodMs);
  return 0;
}

PlayCtrlGeometry CPlayCtrl::geometry() const {
  const Rect c = IsCreated() ? ClientRect() : Rect{};
  return PlayCtrlGeometry({c.width(), c.height()});
}

void CPlayCtrl::OnSize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  Layout();
}

void CPlayCtrl::Layout() {
  if (!date_combo_.IsCreated()) return;
  const PlayCtrlGeometry g = geometry();
  date_combo_.Move(g.DateComboRect());
  vertical_.SetStart(g.plot().top);
  vertical_.SetLength(g.plot().height());
  horizontal_.SetStart(g.plot().left);
  horizontal_.SetLength(g.plot().width());
  vertical_.Hide();
  horizontal_.Hide();
  Invalidate();
}

void CPlayCtrl::FillDates() {
  date_combo_.ResetContent();
  {
    const auto data = session_.Read();
    for (const std::u16string& date : data->trading_dates) date_combo_.AddString(date);
  }
  if (date_combo_.GetCount() > 0) date_combo_.SetCurSel(0);
}

std::u16string CPlayCtrl::Date() const {
  std::u16string date = date_combo_.IsCreated() ? date_combo_.SelectedText() : std::u16string();
  if (date.empty()) date = FormatInt(session_.TradingDate());
  return date;
}

void CPlayCtrl::ResetClock() {
  time_text_ = ClockText(0);
  Invalidate(kClockTextRect);
  slider_.SetPos(0);
}

void CPlayCtrl::FastForward() {
  model_.FastForward();
  Invalidate(kSpeedRect);
  RefreshSpeed();  // measured again at the new speed
}

void CPlayCtrl::Rewind() {
  model_.Rewind();
  Invalidate(kSpeedRect);
  RefreshSpeed();
}

void CPlayCtrl::RefreshSpeed() {
  const std::optional<int> reached = model_.reached_speed();
  std::u16string text = reached ? u"· x" + FormatInt(*reached) : std::u16string();
  if (text == reached_text_) return;
  reached_text_ = std::move(text);
  Invalidate(kReachedRect);
}

void CPlayCtrl::TogglePlay() {
  model_.TogglePlay();
  // The face shows the state: the pause bars while the clock runs.
  play_.LoadBitmap(model_.playing() ? kPauseBitmap : kPlayBitmap);
  if (model_.playing()) {
    SetTimer(kClockTimer, kClockPeriodMs);
  } else {
    KillTimer(kClockTimer);
  }
  RefreshSpeed();  // nothing to tell while paused
  if (play_changed_) play_changed_();
}

void CPlayCtrl::RedrawTimeLine() {
  Invalidate(geometry().box());
}

LResult CPlayCtrl::WindowProc(WindowMessage& m) {
  if ((m.message == sys::kHScroll) &&
      static_cast<std::uint64_t>(m.lparam) == slider_.handle().id()) {
    // Only the user's gestures come here (the clock moves the slider by
    // SetPos, which tells no one), and one seek per gesture: where it ended.
    if (sys::LowWord(static_cast<std::intptr_t>(m.wparam)) == ctl::kEndScroll)
      Seek(SliderToHhmmss(slider_.GetPos()));
    return 0;
  }
  return Window::WindowProc(m);
}

bool CPlayCtrl::OnCommand(int id, int code, const WindowHandle&) {
  switch (id) {
    case kFastForwardId:
      if (code == ctl::kButtonClicked) FastForward();
      return true;
    case kRewindId:
      if (code == ctl::kButtonClicked) Rewind();
      return true;
    case kPlayId:
      if (code == ctl::kButtonClicked) TogglePlay();
      return true;
    case kDateComboId:
      if (code == ctl::kComboSelChange && owner_ != nullptr)
        PostMessage(owner_->handle(), msg::kSelectStock, 0, 0);
      return true;
    default:
      return false;
  }
}

void CPlayCtrl::Seek(std::int32_t hhmmss) {
  if (owner_ != nullptr)
    PostMessage(owner_->handle(), msg::kReplaySeek, static_cast<WParam>(hhmmss), 0);
}

void CPlayCtrl::OnLButtonDown(Point p, WParam) {
  const PlayCtrlGeometry g = geometry();
  // The box's frame counts, its right edge (16:00) too.
  const Rect& b = g.box();
  if (Rect{b.left, b.top, b.right + 1, b.bottom + 1}.Contains(p)) Seek(g.TimeOfX(p.x));
}

void CPlayCtrl::OnMouseMove(Point p, WParam) {
  const PlayCtrlGeometry g = geometry();
  if (!g.plot().Contains(p) || !IsInActiveWindow()) {
    OnMouseLeave();
    return;
  }
  vertical_.MoveTo(p);
  horizontal_.MoveTo(p);
}

void CPlayCtrl::OnMouseLeave() {
  if (vertical_.IsVisible()) vertical_.Hide();
  if (horizontal_.IsVisible()) horizontal_.Hide();
}

void CPlayCtrl::OnTimer(int id) {
  // Only while playing with a clock set.
  if (id == kClockTimer && ClockDisplayText(model_.playing(), model_.clock_ms())) RefreshClock();
}

void CPlayCtrl::RefreshClock() {
  std::u16string text = ClockText(model_.clock_ms());
  if (text == time_text_) return;  // the same second: nothing to paint
  time_text_ = std::move(text);
  Invalidate(kClockTextRect);
  // By the program: the slider tells no one, so this never seeks.
  slider_.SetPos(HhmmssToSlider(MsToHhmmss(model_.clock_ms())));
}

void CPlayCtrl::OnPaint(DrawContext& dc) {
  dc.SetTransparentBackground(true);
  dc.FillRect(kClockTextRect, kBackground);
  dc.SetFont(kTextFont);
  dc.SetTextColor(kAccent);
  dc.DrawText(time_text_, kClockTextRect, kCentred);

  dc.SetPen({kSpeedPen, 2, PenStyle::kSolid});
  dc.SetBrush(kSpeedFill);
  dc.RoundRect(kSpeedRect, 2, 2);
  dc.SetFont(kSpeedFont);
  dc.DrawText(u"x" + FormatInt(model_.speed()), kSpeedRect, kCentred);
  dc.FillRect(kReachedRect, kBackground);
  if (!reached_text_.empty()) {
    dc.SetFont(kTextFont);
    dc.DrawText(reached_text_, kReachedRect, kCentred);
  }

  PaintTimeLine(dc, geometry());
}

void CPlayCtrl::PaintTimeLine(DrawContext& dc, const PlayCtrlGeometry& g) {
  const Rect& plot = g.plot();
  if (plot.width() <= 0 || plot.height() <= 0) return;
  dc.SetPen({kBoxPen, 1, PenStyle::kSolid});
  dc.SetBrush(kBoxFill);
  dc.RoundRect(g.box(), 2, 2);

  dc.SetPen({kGrid, 1, PenStyle::kSolid});
  for (int i = -PlayCtrlGeometry::kSteps; i <= PlayCtrlGeometry::kSteps; ++i)
    dc.Line({plot.left, g.LineY(i)}, {plot.right, g.LineY(i)});
  const int top = g.LineY(-PlayCtrlGeometry::kSteps), bottom = g.LineY(PlayCtrlGeometry::kSteps);
  dc.Line({plot.left, top}, {plot.left, bottom + 1});
  dc.Line({plot.right - 1, top}, {plot.right - 1, bottom + 1});

  dc.SetFont(kTextFont);
  dc.SetTextColor(kLabel);
  const unsigned right_aligned = text_flag::kRight | text_flag::kVCenter | text_flag::kSingleLine;
  for (int i : {-PlayCtrlGeometry::kSteps, 0, PlayCtrlGeometry::kSteps}) {
    const int y = g.LineY(i);
    dc.DrawText(FormatInt(i < 0 ? -i : i), {g.box().left, y - 6, plot.left - 3, y + 6},
                right_aligned);
  }
  for (int hour = PlayCtrlGeometry::kFirstHour; hour <= PlayCtrlGeometry::kLastHour; ++hour) {
    // 16:00 falls on the plot's right edge, just outside it.
    const int x = std::min(g.XOfTime(hour * 10000), plot.right - 1);
    dc.Line({x, top}, {x, bottom + 1});
    dc.DrawText(FormatInt(hour), {x - 15, plot.bottom - 10, x + 15, plot.bottom + 4}, kCentred);
  }

  for (const PlayCtrlGeometry::Bar& bar : g.Bars(model_.time_line()))
    dc.FillRect(bar.rect, bar.kind == PlayCtrlGeometry::BarKind::kBids ? kBidsBar : kAsksBar);
}

}  // namespace velloran
