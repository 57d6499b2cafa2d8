#pragma once
// The base of the chart panes: a child window that draws one series of a bar
// store it shares with its chart window (not owned), over a time grid, with
// the value axis at the right and the time axis at the bottom. A paint works
// on a copy of the visible bars taken under the store's lock, so a store that
// another thread changes never changes under the brush.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chart/bar_store.h"
#include "platform/window.h"

namespace velloran {

class CQZBaseChart;

// The mouse over a pane, for the chart window that draws the cross-hair and
// the rubber band over its panes.
enum class PaneMouse { kMove, kLButtonDown, kLButtonUp, kLeave };

class PaneMouseSink {
 public:
  virtual ~PaneMouseSink() = default;
  // p in the pane's client coordinates (none for kLeave).
  virtual void OnPaneMouse(CQZBaseChart& pane, PaneMouse what, Point p, WParam flags) = 0;
  // A wheel turned over the pane: delta 120 a notch (up, or right when
  // horizontal); flags as a mouse message's.
  virtual void OnPaneWheel(CQZBaseChart& /*pane*/, int /*delta*/, bool /*horizontal*/, Point,
                           WParam /*flags*/) {}
};

class CQZBaseChart : public Window {
 public:
  static constexpr Color kAxisColor = Rgb(227, 227, 227);
  static constexpr Color kGridColor = Rgb(216, 216, 216);
  static constexpr Color kOtherGridColor = Rgb(128, 128, 128);
  static constexpr Color kFrameColor = Rgb(128, 128, 128);
  static constexpr Color kTextColor = Rgb(50, 50, 50);
  static constexpr Color kRise = Rgb(231, 17, 14);
  static constexpr Color kFall = Rgb(30, 40, 235);
  static constexpr int kDefaultRightMargin = 70;
  static constexpr int kLabelWidth = 30;

  CQZBaseChart();

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  void SetData(CChartData* data) { data_ = data; }
  void SetType(std::u16string type) { type_ = std::move(type); }
  [[nodiscard]] const std::u16string& type() const { return type_; }
  void SetMargins(int right, int bottom);
  void SetMouseSink(PaneMouseSink* sink) { sink_ = sink; }
  // Paints anew at the next chance (the layer paints off-screen and copies once).
  void Redraw() { Invalidate(); }

  // The drawing steps, in the order a paint takes them.
  [[nodiscard]] virtual int ValueToY(double value) const;
  virtual void CalcLayout();
  virtual void DrawAll(DrawContext& dc);
  virtual void DrawSeries(DrawContext& dc);
  void PaintTimeGrid(DrawContext& dc);
  virtual void DrawValueAxis(DrawContext& dc);
  // The value at a client point; 0 off the plot or with no bars.
  [[nodiscard]] virtual std::int64_t ValueAtCursor(Point p);

  // A number grouped by "," with its sign (0 as "0"), for axes and labels.
  [[nodiscard]] static std::u16string Grouped(std::int64_t value);

  // The store index of the bar drawn at a client x, or -1 when there is none.
  [[nodiscard]] int BarAtX(int x);
  // As BarAtX, only when (p.x, plot top + 2) lies in the pane.
  [[nodiscard]] int BarUnderMouse(Point p);

  // The layout of the last CalcLayout.
  [[nodiscard]] const Rect& frame() const { return frame_; }
  [[nodiscard]] const Rect& plot() const { return plot_; }
  [[nodiscard]] const Rect& value_axis() const { return value_axis_; }
  [[nodiscard]] const Rect& time_axis() const { return time_axis_; }
  [[nodiscard]] double pitch() const { return pitch_; }
  [[nodiscard]] double body_width() const { return body_width_; }
  // The left x of the k-th shown bar, counted from the oldest shown.
  [[nodiscard]] double BarLeft(int k) const { return plot_.left + k * pitch_; }

 protected:
  // The store's view and scales, read together under its lock.
  struct ViewNumbers {
    int count = 0;
    int start = 0;
    int end = 0;
    std::int64_t top = 0;
    std::int64_t bottom = 0;
    std::int64_t volume_top = 0;
    std::int64_t price_step = 0;
    std::int64_t volume_step = 0;
    std::array<bool, CChartData::kPeriods.size()> averages{};
  };

  // DrawAll paints every pixel; filling the pane first would fill it twice.
  bool OnEraseBackground(DrawContext&) override { return true; }
  void OnPaint(DrawContext& dc) override { DrawAll(dc); }
  void OnMouseMove(Point p, WParam flags) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonUp(Point p, WParam flags) override;
  void OnMouseLeave() override;
  void OnMouseWheel(int delta, Point p, WParam flags) override;
  void OnMouseHWheel(int delta, Point p, WParam flags) override;

  // The shown bars, oldest first, as the last paint copied them.
  [[nodiscard]] int ShownCount() const { return static_cast<int>(shown_.size()); }
  [[nodiscard]] const TICK& Shown(int k) const { return shown_[shown_.size() - 1 - k]; }
  // The bar the oldest shown one follows, when there is one.
  [[nodiscard]] const std::optional<TICK>& older() const { return older_; }
  // The store's reference bar at the time of the copy.
  [[nodiscard]] const std::optional<TICK>& reference() const { return reference_; }
  [[nodiscard]] const ViewNumbers& view() const { return view_; }
  [[nodiscard]] const Font& font() const { return font_; }
  // plot top + plot height x fraction, held near the pane so that a value far
  // off the scale still gives a y that can be drawn.
  [[nodiscard]] static int ScaleY(const Rect& plot, double fraction);

  CChartData* data_ = nullptr;
  std::u16string type_ = u"D";
  int right_margin_ = kDefaultRightMargin;
  int bottom_margin_ = 0;

 private:
  void TakeCopy();

  PaneMouseSink* sink_ = nullptr;
  Font font_ = Font::Points(u"Arial", 8);
  Rect frame_;
  Rect plot_;
  Rect value_axis_;
  Rect time_axis_;
  double pitch_ = 0;
  double body_width_ = 0;
  ViewNumbers view_;
  std::vector<TICK> shown_;  // index 0 the newest shown, as in the store
  std::optional<TICK> older_;
  std::optional<TICK> reference_;
};

}  // namespace velloran
