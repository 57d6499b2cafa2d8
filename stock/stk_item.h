#pragma once
// CSTKItem, the stock tile: one screened stock as a small window with a mini
// chart of its day bars (candles, volume, the 5- and 20-day averages, lines at
// the capture and alarm prices), a caption with the 임박 and 역상 marks, name,
// code, price and change, an optional source line, and a data tip that
// follows the mouse over the chart. The tile is bound to a stock code and
// reads the record from its TileSource whenever it paints; the dispatcher's
// 2027 messages (a new price, a new reverse date) make it repaint.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chart/bar_store.h"
#include "platform/text_pictures.h"
#include "platform/window.h"
#include "stock/tile_source.h"
#include "ui/my_line.h"
#include "ui/tip_wnd.h"

namespace velloran {

// The tile's rectangles for a client size; in source mode the chart starts
// kSourceBand lower, under the source line.
struct TileLayout {
  static constexpr int kSourceBand = 20;

  Rect whole;
  Rect bottom_strip;
  Rect chart;
  Rect price;  // 80 % of the chart area, in whole steps of a tenth
  Rect volume;
  Rect price_plot;
  Rect volume_plot;
  Rect text;  // the caption under the chart
  Rect source;

  [[nodiscard]] static TileLayout For(int width, int height, bool source_mode);
};

// What one paint of a tile shows, copied from the record under the source's
// lock so that drawing holds no lock.
struct TileFrame {
  bool bound = false;  // a record was found
  bool valid = false;
  bool has_quote = false;
  bool imminent = false;
  bool reverse = false;
  std::u16string name;
  std::u16string code;
  std::u16string source;
  std::u16string registration_date;
  std::int32_t price = 0;
  std::int32_t sign = 0;
  std::int32_t change = 0;
  double rate = 0;
  std::int32_t first_price = 0;
  std::int32_t second_price = 0;
  // The bar store: its size, view and scale, and the bars from the view's
  // start up to and including the one before the view (for the volume colour).
  int count = 0;
  int start = 0;
  int end = 0;
  std::int64_t top = 0;
  std::int64_t bottom = 0;
  std::int64_t volume_top = 0;
  std::vector<TICK> bars;
};

class CSTKItem : public Window {
 public:
  static constexpr int kInsideTipId = 2545;
  static constexpr int kCursorLineId = 2544;
  // A chart is drawn for fewer bars than this, and hover data is given for
  // fewer than kMaxHoverBars.
  static constexpr int kMaxChartBars = 61;
  static constexpr int kMaxHoverBars = 60;
  static constexpr int kHoverInset = 3;

  static constexpr Color kBackground = Rgb(218, 218, 218);
  static constexpr Color kPlotBackground = Rgb(255, 255, 255);
  static constexpr Color kPlotFrame = Rgb(160, 160, 160);
  static constexpr Color kRise = Rgb(231, 17, 14);
  static constexpr Color kFall = Rgb(30, 40, 235);
  static constexpr Color kMa5 = Rgb(206, 32, 183);
  static constexpr Color kMa20 = Rgb(245, 176, 0);
  static constexpr Color kPriceLine = Rgb(160, 1, 35);
  static constexpr Color kFirstLabel = Rgb(203, 23, 67);
  static constexpr Color kSecondLabel = Rgb(241, 100, 21);
  static constexpr Color kText = Rgb(50, 50, 50);
  static constexpr Color kUpText = Rgb(207, 0, 0);
  static constexpr Color kDownText = Rgb(0, 0, 184);
  static constexpr Color kOldDate = Rgb(128, 128, 128);
  static constexpr Color kCursorLine = Rgb(203, 23, 67);
  static constexpr Color kInsideTipColor = Rgb(255, 223, 114);
  static constexpr int kImminentBitmap = 322;
  static constexpr int kReverseBitmap = 323;

  // The source outlives the tile.
  explicit CSTKItem(const TileSource& source);
  ~CSTKItem() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // Binds the tile to the record of a stock; empty unbinds it. Repaints.
  void SetData(std::u16string code);
  [[nodiscard]] const std::u16string& code() const { return code_; }
  // Source mode shows the source line above a chart moved down to make room.
  void SetSourceMode(bool on);
  [[nodiscard]] bool source_mode() const { return source_mode_; }
  // Where a press sends the stock (2026) and, in the alarm screen, the price
  // under it (2139).
  void SetTargets(WindowHandle select_target, WindowHandle price_target);

  [[nodiscard]] const TileLayout& layout() const { return layout_; }
  // Pixels per bar in the last paint; 0 without bars.
  [[nodiscard]] int bar_width() const { return bar_width_; }
  // Paints so far: a quote that does not change the price costs none.
  [[nodiscard]] int paint_count() const { return paint_count_; }
  // The price the last paint showed.
  [[nodiscard]] std::int32_t painted_price() const { return painted_price_; }
  // The hover tips' text; empty while they are hidden.
  [[nodiscard]] const std::u16string& hover_text() const { return hover_text_; }
  [[nodiscard]] CTipWnd& inside_tip() { return inside_tip_; }
  [[nodiscard]] CMyLine& cursor_line() { return cursor_line_; }

  // The price at a y of the price plot by the last paint's scale; 0 without bars.
  [[nodiscard]] std::int32_t PriceAt(int y) const;
  // The index (0 the newest) of the bar under an x of the price plot, or -1.
  [[nodiscard]] int BarAt(int x) const;

  // 2027 with 2002 (a new quote) and 3024 (a new reverse date).
  LResult WindowProc(WindowMessage& m) override;

 protected:
  void OnSize(int width, int height) override;
  bool OnEraseBackground(DrawContext& dc) override;
  void OnPaint(DrawContext& dc) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnMouseLeave() override;
  void OnLButtonDown(Point p, WParam flags) override;

 private:
  // Reads the bound record into frame_; false when there is none.
  bool Capture();
  void PaintChart(DrawContext& dc);
  void PaintCaption(DrawContext& dc);
  void PaintSource(DrawContext& dc);
  void PaintPriceLine(DrawContext& dc, std::int32_t price, Color label, bool label_left);
  [[nodiscard]] int PriceY(std::int64_t price) const;
  // The hover: shows the tips for the bar under the last point, or hides them.
  void UpdateHover();
  void HideHover();
  bool EnsureHoverWindows();
  void PlaceTips(const std::u16string& text);

  const TileSource& source_;
  std::u16string code_;
  bool source_mode_ = false;
  WindowHandle select_target_;
  WindowHandle price_target_;
  TileLayout layout_;
  TileFrame frame_;
  int bar_width_ = 0;
  std::int32_t painted_price_ = 0;
  int paint_count_ = 0;
  bool mouse_inside_ = false;
  Point mouse_{};
  std::u16string hover_text_;
  CMyLine cursor_line_;
  CTipWnd inside_tip_;
  TextPictures texts_;        // the caption's font
  TextPictures label_texts_;  // the price labels' font
};

// The hover data of one bar: date, open, high, low and close with their rate
// against the bar's base, and the volume.
[[nodiscard]] std::u16string TileHoverText(const TICK& bar);

}  // namespace velloran
