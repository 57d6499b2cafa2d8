#pragma once
// What the replay player's quote strip says of the current trade, without a
// display: the price in the large font, then the sign and change, the rate,
// the day's volume and that volume against the previous day's, each with its
// colour and its gap after the text before it.

#include <cstdint>
#include <string>
#include <vector>

#include "net/quote.h"
#include "platform/geometry.h"

namespace velloran {

struct QuoteStripPiece {
  std::u16string text;
  Color colour;
  int gap = 0;         // pixels after the previous piece's right edge
  bool large = false;  // the price's 18-pixel font; the rest take 12 pixels
  friend bool operator==(const QuoteStripPiece&, const QuoteStripPiece&) = default;
};

inline constexpr Color kQuoteRise = Rgb(231, 17, 14);
inline constexpr Color kQuoteFlat = Rgb(50, 50, 50);
inline constexpr Color kQuoteFall = Rgb(30, 40, 235);
inline constexpr Color kQuoteRatio = Rgb(128, 128, 128);

// Red for signs up to 2, blue for 4 and 5, the plain text colour otherwise.
[[nodiscard]] Color QuoteSignColour(int sign);

// The pieces of a trade; previous_volume (JNILVOL) above 0 adds the ratio.
// An invalid quote gives none.
[[nodiscard]] std::vector<QuoteStripPiece> QuoteStripPieces(const CPKT& quote,
                                                            std::int64_t previous_volume);

}  // namespace velloran
