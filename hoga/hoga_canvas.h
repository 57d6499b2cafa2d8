#pragma once
// CHogaCanvas, the order book's 580 x 756 picture: twenty ask rows over
// twenty bid rows with their bars, changes and stamps, the price panel, the
// totals row and the lines between them, painted from a BookFrame into a
// bitmap the window copies. It remembers the frame it shows, so that a new
// frame repaints only the rows that differ from it.

#include <string>
#include <unordered_map>
#include <vector>

#include "hoga/book_frame.h"
#include "platform/draw_context.h"
#include "platform/text_pictures.h"

namespace velloran {

class CHogaCanvas {
 public:
  static constexpr int kWidth = 580;
  static constexpr int kHeight = 756;
  static constexpr int kRowHeight = 18;
  static constexpr int kColumnWidth = 120;
  static constexpr int kTotalsTop = 40 * kRowHeight;  // 720
  static constexpr int kMiddle = 20 * kRowHeight;     // 360: asks above, bids below
  static constexpr int kQuantityLine = 240;           // x of the line left of the prices
  static constexpr int kPriceLine = 340;              // x of the line right of the prices
  // Where a book window's memo box and trade list sit on the picture.
  static constexpr Rect kMemoRect{341, 0, kWidth, 180};
  static constexpr Rect kTradeListRect{0, kMiddle + 1, kQuantityLine, 540};

  static constexpr Color kAskNear = Rgb(238, 249, 255);  // levels 1-10
  static constexpr Color kAskFar = Rgb(243, 247, 250);   // levels 11-20
  static constexpr Color kAskPriceNear = Rgb(215, 235, 246);
  static constexpr Color kAskPriceFar = Rgb(224, 232, 235);
  static constexpr Color kBidPriceNear = Rgb(253, 216, 207);
  static constexpr Color kBidPriceFar = Rgb(239, 224, 221);
  static constexpr Color kBidNear = Rgb(255, 236, 230);
  static constexpr Color kBidFar = Rgb(248, 240, 237);
  static constexpr Color kAskBar = Rgb(204, 216, 232);
  static constexpr Color kBidBar = Rgb(235, 213, 215);
  static constexpr Color kAbove = Rgb(207, 0, 0);  // a price above the base price
  static constexpr Color kBelow = Rgb(0, 0, 184);
  static constexpr Color kText = Rgb(50, 50, 50);
  static constexpr Color kRise = Rgb(231, 17, 14);
  static constexpr Color kFall = Rgb(30, 40, 235);
  static constexpr Color kStamp = Rgb(128, 128, 128);
  static constexpr Color kGreyLine = Rgb(127, 127, 127);
  static constexpr Color kLine = Rgb(0, 0, 0);
  static constexpr Color kPanelShade = Rgb(248, 248, 248);
  static constexpr Color kPanelWhite = Rgb(255, 255, 255);
  static constexpr Color kTotals = Rgb(218, 218, 218);
  static constexpr Color kWhite = Rgb(255, 255, 255);
  static constexpr Color kBlack = Rgb(0, 0, 0);

  CHogaCanvas();

  [[nodiscard]] const Bitmap& bitmap() const { return bitmap_; }
  // The frame the picture shows (an empty book before the first paint).
  [[nodiscard]] const BookFrame& shown() const { return shown_; }

  // Paints the whole picture.
  void PaintAll(const BookFrame& frame);
  // A book whose data stopped: its time greys and the cause ("연결 끊김",
  // "수신 지연") stands where "시간외" does; empty: live.
  // where "시간외" does. Takes effect at the next whole picture.
  void SetStale(std::u16string cause) { stale_cause_ = std::move(cause); }
  [[nodiscard]] const std::u16string& stale_cause() const { return stale_cause_; }
  // Draws what is shown onto target of another context, scaled to it: the
  // texts laid out at that size rather than the picture's pixels stretched.
  void PaintScaled(DrawContext& dc, const Rect& target);
  // Paints the rows, the totals and the panel where frame differs from what
  // is shown (every level row when the bars' scale changed); returns the
  // rectangles painted. Anything else that differs paints the whole picture.
  std::vector<Rect> PaintChanges(const BookFrame& frame);

  // Level rows painted since the canvas was made, whole pictures included.
  [[nodiscard]] long rows_painted() const { return rows_painted_; }
  [[nodiscard]] long full_paints() const { return full_paints_; }

  // Where level 1-20 of each side lies (levels 1-10 of the asks and 11-20 of
  // the bids one pixel lower, which leaves room for the grey lines).
  [[nodiscard]] static Rect AskRowRect(int level);
  [[nodiscard]] static Rect BidRowRect(int level);
  // The level under a point of the price column, or null.
  [[nodiscard]] static const HOGA* PriceLevelAt(const BookFrame& frame, Point canvas_point);
  // The price tip at a point: the distance of the level's price from the
  // base price ("1.50％"); empty off the price column, on an empty level or
  // without a base price.
  [[nodiscard]] static std::u16string PriceTipText(const BookFrame& frame, Point canvas_point);

 private:
  void DrawAll(DrawContext& dc, const BookFrame& f);
  void PaintAskRow(DrawContext& dc, const BookFrame& f, int index);
  void PaintBidRow(DrawContext& dc, const BookFrame& f, int index);
  void PaintLevel(DrawContext& dc, const BookFrame& f, const HOGA& level, const Rect& row,
                  bool ask);
  void PaintPanel(DrawContext& dc, const BookFrame& f);
  void PaintTotals(DrawContext& dc, const BookFrame& f);
  void PaintLines(DrawContext& dc);
  void Text(DrawContext& dc, const std::u16string& text, const Rect& box, TextAlign align,
            Color color, Color background);
  [[nodiscard]] int TextWidth(DrawContext& dc, const std::u16string& text);
  [[nodiscard]] Color PriceColor(const BookFrame& f, int price) const;

  std::u16string stale_cause_;
  Bitmap bitmap_;
  Font font_;
  TextPictures pictures_;
  TextPictures mapped_pictures_;  // never keeps a picture: nothing drawn mapped is kept
  bool mapped_ = false;
  std::unordered_map<std::u16string, int> widths_;
  BookFrame shown_;
  bool painted_ = false;
  long rows_painted_ = 0;
  long full_paints_ = 0;
};

}  // namespace velloran
