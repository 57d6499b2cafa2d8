#include "replay/play_quote_strip.h"

#include <cmath>

#include "net/text_util.h"

namespace velloran {

Color QuoteSignColour(int sign) {
  if (sign == 4 || sign == 5) return kQuoteFall;
  if (sign == 3) return kQuoteFlat;
  return sign <= 2 ? kQuoteRise : kQuoteFlat;
}

std::vector<QuoteStripPiece> QuoteStripPieces(const CPKT& quote, std::int64_t previous_volume) {
  std::vector<QuoteStripPiece> pieces;
  if (!quote.valid()) return pieces;
  const Color colour = QuoteSignColour(quote.Sign());
  std::u16string symbol(SignSymbol(quote.Sign()));
  if (symbol.empty()) symbol = u" ";
  const double rate = quote.Rate();
  pieces.push_back({FormatNumber(quote.Price()), colour, 0, true});
  pieces.push_back({symbol + FormatNumber(quote.Change()), colour, 10, false});
  pieces.push_back({(rate > 0 ? u"+" : u"") + FormatReal2(rate) + u"%", colour, 12, false});
  pieces.push_back({FormatNumber(quote.Volume()), kQuoteFlat, 12, false});
  if (previous_volume > 0) {
    const double ratio = std::fabs(static_cast<double>(quote.Volume()) * 100.0 /
                                   static_cast<double>(previous_volume));
    pieces.push_back({FormatReal2(ratio) + u"％", kQuoteRatio, 12, false});
  }
  return pieces;
}

}  // namespace velloran
