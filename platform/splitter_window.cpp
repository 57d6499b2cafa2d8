#include "platform/splitter_window.h"

#include <algorithm>

#include "platform/window_events.h"

namespace velloran {

namespace {
constexpr Color kTrackerColour = Rgb(128, 128, 128);
}

SplitterWindow::SplitterWindow() {
  SetBackgroundColor(kFace);
}

SplitterWindow::~SplitterWindow() = default;

bool SplitterWindow::CreateStatic(Window* parent, int rows, int columns, int id, const Rect& rect,
                                  const WindowStyle& style) {
  rows_.assign(std::max(rows, 1), TrackInfo{});
  columns_.assign(std::max(columns, 1), TrackInfo{});
  panes_.assign(rows_.size() * columns_.size(), nullptr);
  return Create(parent, id, rect, u"", style);
}

bool SplitterWindow::SetPane(int row, int column, Window* pane) {
  if (row < 0 || row >= rows() || column < 0 || column >= columns()) return false;
  panes_[row * columns() + column] = pane;
  RecalcLayout();
  return true;
}

Window* SplitterWindow::Pane(int row, int column) const {
  if (row < 0 || row >= rows() || column < 0 || column >= columns()) return nullptr;
  return panes_[row * columns() + column];
}

bool SplitterWindow::SetRowInfo(int row, int ideal, int min) {
  if (row < 0 || row >= rows()) return false;
  rows_[row].ideal = std::max(ideal, 0);
  rows_[row].min = std::max(min, 0);
  rows_[row].share = -1;
  return true;
}

bool SplitterWindow::SetColumnInfo(int column, int ideal, int min) {
  if (column < 0 || column >= columns()) return false;
  columns_[column].ideal = std::max(ideal, 0);
  columns_[column].min = std::max(min, 0);
  columns_[column].share = -1;
  return true;
}

bool SplitterWindow::SetRowShare(int row, double share) {
  if (row < 0 || row >= rows() || !(share >= 0 && share <= 1)) return false;
  rows_[row].share = share;
  RecalcLayout();
  return true;
}

bool SplitterWindow::SetColumnShare(int column, double share) {
  if (column < 0 || column >= columns() || !(share >= 0 && share <= 1)) return false;
  columns_[column].share = share;
  RecalcLayout();
  return true;
}

SplitterWindow::TrackInfo SplitterWindow::RowInfo(int row) const {
  return row >= 0 && row < rows() ? rows_[row] : TrackInfo{};
}

SplitterWindow::TrackInfo SplitterWindow::ColumnInfo(int column) const {
  return column >= 0 && column < columns() ? columns_[column] : TrackInfo{};
}

void SplitterWindow::SetMetrics(int bar, int gap, int border) {
  bar_ = std::max(bar, 1);
  gap_ = std::max(gap, 0);
  border_ = std::max(border, 0);
  RecalcLayout();
}

int SplitterWindow::Room(const std::vector<TrackInfo>& tracks, int size) const {
  const int n = static_cast<int>(tracks.size());
  return std::max(size - 2 * border_ - (n - 1) * gap_, 0);
}

std::vector<int> SplitterWindow::LayoutAxis(std::vector<TrackInfo>& tracks, int size,
                                            int design) const {
  const int n = static_cast<int>(tracks.size());
  const int room = Room(tracks, size);
  const int design_room = Room(tracks, design > 0 ? design : size);
  for (int i = 0; i + 1 < n; ++i)
    if (tracks[i].share < 0 && design_room > 0)
      tracks[i].share = std::min(1.0, static_cast<double>(tracks[i].ideal) / design_room);
  int min_total = 0;
  for (const TrackInfo& t : tracks) min_total += t.min;
  int left = room;
  for (int i = 0; i + 1 < n; ++i) {
    TrackInfo& t = tracks[i];
    const int wanted = t.share < 0 ? t.ideal : static_cast<int>(t.share * room + 0.5);
    if (min_total >= room) {
      // Not room for every minimum: each gets its part of what there is.
      t.current = min_total > 0 ? t.min * room / min_total : 0;
    } else {
      int after = 0;
      for (int j = i + 1; j < n; ++j) after += tracks[j].min;
      t.current = std::clamp(wanted, t.min, std::max(left - after, t.min));
    }
    t.current = std::clamp(t.current, 0, left);
    left -= t.current;
  }
  tracks[n - 1].current = left;
  std::vector<int> starts(n);
  int at = border_;
  for (int i = 0; i < n; ++i) {
    starts[i] = at;
    at += tracks[i].current + gap_;
  }
  return starts;
}

void SplitterWindow::RecalcLayout() {
  if (rows_.empty() || !IsCreated()) return;
  const Rect client = ClientRect();
  row_starts_ = LayoutAxis(rows_, client.height(), design_.height);
  column_starts_ = LayoutAxis(columns_, client.width(), design_.width);
  for (int r = 0; r < rows(); ++r)
    for (int c = 0; c < columns(); ++c)
      if (Window* pane = Pane(r, c); pane != nullptr && pane->IsCreated())
        pane->Move(PaneRect(r, c));
  Invalidate();
}

Rect SplitterWindow::PaneRect(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(row_starts_.size()) || column < 0 ||
      column >= static_cast<int>(column_starts_.size()))
    return {};
  const int x = column_starts_[column];
  const int y = row_starts_[row];
  return {x, y, x + columns_[column].current, y + rows_[row].current};
}

Rect SplitterWindow::BarRect(Bar kind, int index) const {
  const Rect client = ClientRect();
  if (kind == Bar::kColumn && index >= 0 && index + 1 < static_cast<int>(column_starts_.size())) {
    const int x = column_starts_[index] + columns_[index].current;
    return {x, client.top + border_, x + gap_, client.bottom - border_};
  }
  if (kind == Bar::kRow && index >= 0 && index + 1 < static_cast<int>(row_starts_.size())) {
    const int y = row_starts_[index] + rows_[index].current;
    return {client.left + border_, y, client.right - border_, y + gap_};
  }
  return {};
}

SplitterWindow::BarHit SplitterWindow::BarAt(Point p) const {
  for (int i = 0; i + 1 < columns(); ++i)
    if (BarRect(Bar::kColumn, i).Contains(p)) return {Bar::kColumn, i};
  for (int i = 0; i + 1 < rows(); ++i)
    if (BarRect(Bar::kRow, i).Contains(p)) return {Bar::kRow, i};
  return {};
}

HitCode SplitterWindow::HitTest(Point p) {
  if (locked_) return HitCode::kNowhere;
  return BarAt(p).kind != Bar::kNone ? HitCode::kBorder : HitCode::kClient;
}

void SplitterWindow::DrawBar(DrawContext& dc, const Rect& r, Bar) {
  dc.FillRect(r, kFace);
}

void SplitterWindow::OnSize(int, int) {
  RecalcLayout();
}

void SplitterWindow::OnPaint(DrawContext& dc) {
  for (int i = 0; i + 1 < columns(); ++i) DrawBar(dc, BarRect(Bar::kColumn, i), Bar::kColumn);
  for (int i = 0; i + 1 < rows(); ++i) DrawBar(dc, BarRect(Bar::kRow, i), Bar::kRow);
}

void SplitterWindow::PlaceTracker() {
  if (!tracker_) {
    tracker_ = std::make_unique<Window>();
    tracker_->SetBackgroundColor(kTrackerColour);
    WindowStyle hidden;
    hidden.visible = false;
    if (!tracker_->Create(this, 0, {}, u"", hidden)) return;
  }
  const Rect bar = BarRect(drag_, drag_index_);
  const int thickness = std::min(bar_, std::max(gap_, 1));
  const int inset = std::max(gap_ - thickness, 0) / 2;
  if (drag_ == Bar::kColumn)
    tracker_->Move({drag_at_ + inset, bar.top, drag_at_ + inset + thickness, bar.bottom});
  else
    tracker_->Move({bar.left, drag_at_ + inset, bar.right, drag_at_ + inset + thickness});
  tracker_->Show(true);
  tracker_->BringToTop();
}

void SplitterWindow::OnLButtonDown(Point p, WParam) {
  if (HitTest(p) == HitCode::kNowhere || drag_ != Bar::kNone) return;
  const BarHit hit = BarAt(p);
  if (hit.kind == Bar::kNone) return;
  drag_ = hit.kind;
  drag_index_ = hit.index;
  const Rect bar = BarRect(hit.kind, hit.index);
  drag_at_ = hit.kind == Bar::kColumn ? bar.left : bar.top;
  drag_grab_ = (hit.kind == Bar::kColumn ? p.x : p.y) - drag_at_;
  SetCapture();
  PlaceTracker();
}

void SplitterWindow::OnMouseMove(Point p, WParam flags) {
  if (drag_ == Bar::kNone) {
    const BarHit hit = locked_ ? BarHit{} : BarAt(p);
    SetCursor(hit.kind == Bar::kColumn ? CursorKind::kSizeWE
              : hit.kind == Bar::kRow  ? CursorKind::kSizeNS
                                       : CursorKind::kArrow);
    return;
  }
  if (!(flags & sys::kLButtonFlag)) return;
  const Rect client = ClientRect();
  const int extent = drag_ == Bar::kColumn ? client.width() : client.height();
  const int c = drag_ == Bar::kColumn ? p.x : p.y;
  drag_at_ = std::clamp(c - drag_grab_, border_, std::max(extent - border_ - gap_, border_));
  PlaceTracker();
}

void SplitterWindow::OnLButtonUp(Point, WParam) {
  if (drag_ == Bar::kNone) return;
  std::vector<TrackInfo>& tracks = drag_ == Bar::kColumn ? columns_ : rows_;
  const std::vector<int>& starts = drag_ == Bar::kColumn ? column_starts_ : row_starts_;
  const int i = drag_index_;
  const Rect client = ClientRect();
  const int room = Room(tracks, drag_ == Bar::kColumn ? client.width() : client.height());
  // The two tracks beside the bar share their room anew, each keeping its minimum.
  const int pair = tracks[i].current + tracks[i + 1].current;
  const int first =
      std::clamp(drag_at_ - starts[i], std::min(tracks[i].min, pair),
                 std::max(pair - tracks[i + 1].min, std::min(tracks[i].min, pair)));
  if (room > 0) {
    tracks[i].share = static_cast<double>(first) / room;
    if (i + 2 < static_cast<int>(tracks.size()))
      tracks[i + 1].share = static_cast<double>(pair - first) / room;
  }
  drag_ = Bar::kNone;
  drag_index_ = -1;
  ReleaseCapture();
  if (tracker_) tracker_->Show(false);
  RecalcLayout();
}

}  // namespace velloran
