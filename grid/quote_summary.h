#pragma once
// The top bar's quote summary of the shown stock: price, sign mark with the
// change, rate, volume and the volume against the previous day's, as texts
// and as painted from left to right in one strip.

#include <cstdint>
#include <string>

#include "net/quote.h"
#include "platform/draw_context.h"

namespace velloran {

struct QuoteSummary {
  std::u16string price;   // number format
  std::u16string change;  // sign mark and number format
  std::u16string rate;    // "%.2f%", "+" only above 0
  std::u16string volume;
  std::u16string ratio;  // "%.2f％" of the previous day's volume; empty without one
  Color color;           // of price, change and rate, by the sign
  bool stale = false;    // the session that fed it is lost: every text grey
};

inline constexpr Color kRiseColor = Rgb(231, 17, 14);
inline constexpr Color kFallColor = Rgb(30, 40, 235);
inline constexpr Color kVolumeColor = Rgb(50, 50, 50);
inline constexpr Color kRatioColor = Rgb(128, 128, 128);
inline constexpr Color kStaleColor = Rgb(150, 150, 150);  // every text of a summary that stopped

[[nodiscard]] QuoteSummary MakeQuoteSummary(const CPKT& quote, std::int32_t previous_volume);

// Paints from (x, y) to the right, clipped to clip.
void PaintQuoteSummary(DrawContext& dc, const QuoteSummary& summary, int x, int y,
                       const Rect& clip);

}  // namespace velloran
