#pragma once
// The texts the demo server puts into packets: quote records, stock master
// lines, day bars, and values passed through the decoder library's encoder.

#include <string>
#include <string_view>
#include <vector>

#include "server/market.h"

namespace velloran::server {

// The 26-field quote record of a quote.
std::u16string QuoteText(const Quote& quote);
// One stock master line: a whole packet text with SHCODE, HNAME, MARKET, ...
std::u16string MasterLine(const Stock& stock);
// Day bars as "date|open|high|low|close|volume" lines, newest first.
std::u16string DayBarText(const std::vector<DayBar>& bars, std::size_t count);
// The value encoded by the decoder library's GB_ENC.
std::u16string Encode(std::u16string_view text);
std::u16string Utf16(std::string_view ascii_or_utf8);
std::string Utf8(std::u16string_view text);

}  // namespace velloran::server
