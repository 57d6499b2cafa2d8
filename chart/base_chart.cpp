#include "chart/base_chart.h"

#include <algorithm>
#include <cmath>

#include "chart/chart_text.h"
#include "net/text_util.h"

namespace velloran {
namespace {

constexpr Color kWhite = Rgb(255, 255, 255);

// How the time grid marks a new period, by chart type.
enum class GridKind { kMonth, kWeek, kYear, kHour, kOtherMonth };

GridKind GridKindOf(const std::u16string& type) {
  if (type == u"D") return GridKind::kMonth;
  if (type == u"J") return GridKind::kWeek;
  if (type == u"M") return GridKind::kYear;
  if (!type.empty() && type[0] == u'm') return GridKind::kHour;
  return GridKind::kOtherMonth;
}

struct GridMark {
  bool line = false;
  std::u16string label;
  // A major label (a new day, a new year) pushes out the minor one before it
  // that it would overlap; one that must always show is drawn over anything.
  bool major = false;
  bool always = false;
};

GridMark MarkFor(GridKind kind, const TICK& before, const TICK& bar) {
  GridMark m;
  const int year = bar.date / 10000;
  const int month = bar.date / 100 % 100;
  const bool new_year = before.date / 10000 != year;
  const bool new_month = before.date / 100 != bar.date / 100;
  switch (kind) {
    case GridKind::kMonth:
      m.line = new_month;
      if (m.line) m.label = new_year ? FormatInt(year) : chart_text::TwoDigits(month);
      m.major = new_year;
      break;
    case GridKind::kWeek:
      // Lines at the years; every month named with its year.
      m.line = new_year;
      if (new_month) m.label = FormatInt(year) + u"/" + chart_text::TwoDigits(month);
      m.major = new_year;
      break;
    case GridKind::kYear:
      // Lines and names at the years; the quarters named between them.
      m.line = new_year;
      if (new_year) {
        m.label = FormatInt(year);
        m.major = true;
      } else if (new_month && month % 3 == 1) {
        m.label = chart_text::TwoDigits(month);
      }
      break;
    case GridKind::kHour:
      if (before.date != bar.date) {
        m.line = true;
        m.major = true;
        m.always = true;
        m.label = chart_text::MonthDayText(bar.date);
      } else if (before.time / 10000 != bar.time / 10000) {
        m.line = true;
        m.label = FormatInt(bar.time / 10000);
      }
      break;
    case GridKind::kOtherMonth:
      m.line = new_month;
      break;
  }
  return m;
}

struct PlacedLabel {
  Rect box;
  std::u16string text;
  bool major = false;
};

// Adds a label where it does not overlap the one before it: a major label
// takes the place of a minor one it would overlap.
void PlaceLabel(std::vector<PlacedLabel>& placed, PlacedLabel label, bool always) {
  while (!placed.empty() && label.box.left < placed.back().box.right && !always) {
    if (!label.major || placed.back().major) return;
    placed.pop_back();
  }
  if (always) {
    // Drawn in any case; a minor label under it goes.
    while (!placed.empty() && label.box.left < placed.back().box.right && !placed.back().major)
      placed.pop_back();
  }
  placed.push_back(std::move(label));
}

}  // namespace

CQZBaseChart::CQZBaseChart() {
  SetBackgroundColor(kWhite);
}

bool CQZBaseChart::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

void CQZBaseChart::SetMargins(int right, int bottom) {
  right_margin_ = std::max(right, 0);
  bottom_margin_ = std::max(bottom, 0);
  Invalidate();
}

std::u16string CQZBaseChart::Grouped(std::int64_t value) {
  if (value == 0) return u"0";
  return value < 0 ? u"-" + FormatNumber(value) : FormatNumber(value);
}

int CQZBaseChart::ScaleY(const Rect& plot, double fraction) {
  if (!std::isfinite(fraction)) return plot.top;
  const double y = plot.top + (plot.bottom - plot.top) * fraction;
  constexpr double kReach = 1 << 20;
  return static_cast<int>(std::clamp(y, -kReach, kReach));
}

int CQZBaseChart::ValueToY(double) const {
  return 0;
}

void CQZBaseChart::CalcLayout() {
  const Rect client = ClientRect();
  frame_ = {client.left + 1, client.top + 1, client.right - 1 - right_margin_,
            client.bottom - 1 - bottom_margin_};
  const int h = client.height();
  const int drop = h < 50 ? 5 : h < 100 ? 10 : 20;
  plot_ = {frame_.left + 3, frame_.top + drop, frame_.right - 3, frame_.bottom - 1};
  value_axis_ = {frame_.right, client.top, client.right, frame_.bottom};
  time_axis_ = {client.left, frame_.bottom, client.right, client.bottom};

  if (data_ != nullptr) {
    view_.count = data_->Count();
    view_.start = data_->Start();
    view_.end = std::min(data_->End(), view_.count);
    view_.top = data_->Top();
    view_.bottom = data_->Bottom();
    view_.volume_top = data_->VolumeTop();
    view_.price_step = data_->PriceStep();
    view_.volume_step = data_->VolumeStep();
    for (std::size_t k = 0; k < CChartData::kPeriods.size(); ++k)
      view_.averages[k] = data_->AverageOn(CChartData::kPeriods[k]);
  } else {
    view_ = ViewNumbers{};
  }
  pitch_ = 0;
  body_width_ = 0;
  const int shown = view_.end - view_.start;
  if (shown > 0) {
    pitch_ = static_cast<double>(plot_.width()) / shown;
    body_width_ = std::max(pitch_ > 2 ? pitch_ - 1 : pitch_, 1.0);
  }
}

void CQZBaseChart::TakeCopy() {
  shown_.clear();
  older_.reset();
  reference_.reset();
  if (data_ == nullptr || view_.end <= view_.start) return;
  shown_ = data_->Bars(view_.start, view_.end);
  if (view_.end < view_.count) older_ = data_->Bar(view_.end);
  TICK ref;
  if (data_->ReferenceBar(ref)) reference_ = ref;
}

void CQZBaseChart::DrawAll(DrawContext& dc) {
  CalcLayout();
  TakeCopy();
  PaintTimeGrid(dc);
  DrawValueAxis(dc);
  DrawSeries(dc);
}

void CQZBaseChart::DrawSeries(DrawContext& dc) {
  dc.FrameRect(frame_, kFrameColor);
}

void CQZBaseChart::PaintTimeGrid(DrawContext& dc) {
  // The pane is white where no part of the layout lies: the edge left and
  // above the frame, and a time axis too thin to fill.
  const Rect client = ClientRect();
  dc.FillRect({client.left, client.top, frame_.left, frame_.bottom}, kWhite);
  dc.FillRect({frame_.left, client.top, frame_.right, frame_.top}, kWhite);
  dc.FillRect(time_axis_, time_axis_.height() > 1 ? kAxisColor : kWhite);
  dc.FillRect(frame_, kWhite);
  const int n = ShownCount();
  if (n == 0 || pitch_ <= 0) return;
  const GridKind kind = GridKindOf(type_);
  const Color line = kind == GridKind::kOtherMonth ? kOtherGridColor : kGridColor;
  const bool labels = bottom_margin_ >= 11 && kind != GridKind::kOtherMonth;
  if (labels) dc.SetFont(font_);
  std::vector<PlacedLabel> placed;
  for (int k = 0; k < n; ++k) {
    const TICK* before = k > 0 ? &Shown(k - 1) : older_ ? &*older_ : nullptr;
    if (before == nullptr) continue;
    GridMark mark = MarkFor(kind, *before, Shown(k));
    if (!mark.line && mark.label.empty()) continue;
    const int x = static_cast<int>(BarLeft(k) + pitch_ / 2);
    if (mark.line) dc.FillRect({x, frame_.top, x + 1, frame_.bottom}, line);
    if (!labels || mark.label.empty()) continue;
    const int width = std::max(kLabelWidth, dc.TextExtent(mark.label).width + 6);
    const Rect r{x - width / 2, time_axis_.top, x - width / 2 + width, time_axis_.bottom};
    PlaceLabel(placed, {r, std::move(mark.label), mark.major}, mark.always);
  }
  if (placed.empty()) return;
  dc.SetTextColor(kTextColor);
  dc.SetTransparentBackground(true);
  for (const PlacedLabel& label : placed) {
    dc.DrawText(
        label.text, label.box,
        text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix);
  }
}

void CQZBaseChart::DrawValueAxis(DrawContext& dc) {
  dc.FillRect(value_axis_, kAxisColor);
}

std::int64_t CQZBaseChart::ValueAtCursor(Point) {
  return 0;
}

int CQZBaseChart::BarAtX(int x) {
  CalcLayout();
  if (view_.end <= view_.start || pitch_ <= 0) return -1;
  const int k = static_cast<int>((x - plot_.left) / pitch_);
  const int index = std::clamp(view_.end - k - 1, view_.start, view_.end - 1);
  return index < view_.count ? index : -1;
}

int CQZBaseChart::BarUnderMouse(Point p) {
  CalcLayout();
  if (!ClientRect().Contains({p.x, plot_.top + 2})) return -1;
  return BarAtX(p.x);
}

void CQZBaseChart::OnMouseMove(Point p, WParam flags) {
  if (sink_) sink_->OnPaneMouse(*this, PaneMouse::kMove, p, flags);
}

void CQZBaseChart::OnLButtonDown(Point p, WParam flags) {
  if (sink_) sink_->OnPaneMouse(*this, PaneMouse::kLButtonDown, p, flags);
}

void CQZBaseChart::OnLButtonUp(Point p, WParam flags) {
  if (sink_) sink_->OnPaneMouse(*this, PaneMouse::kLButtonUp, p, flags);
}

void CQZBaseChart::OnMouseLeave() {
  if (sink_) sink_->OnPaneMouse(*this, PaneMouse::kLeave, {}, 0);
}

void CQZBaseChart::OnMouseWheel(int delta, Point p, WParam flags) {
  if (sink_) sink_->OnPaneWheel(*this, delta, false, p, flags);
}

void CQZBaseChart::OnMouseHWheel(int delta, Point p, WParam flags) {
  if (sink_) sink_->OnPaneWheel(*this, delta, true, p, flags);
}

}  // namespace velloran
