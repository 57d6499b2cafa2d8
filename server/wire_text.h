#pragma once
// The texts the demo server puts into packets: quote records, stock master
// lines, day bars, and the encoded values the client decodes with its decoder
// library.

#include <string>
#include <string_view>
#include <vector>

#include "net/packet.h"
#include "server/market.h"

namespace velloran::server {

// The 26-field quote record of a quote, fields joined by sep.
std::u16string QuoteText(const Quote& quote, char16_t sep = u'|');
// One stock master line: a whole packet text with SHCODE, HNAME, MARKET, ...
std::u16string MasterLine(const Stock& stock);
// The master line's elements added to a packet.
void AddMasterTags(Packet& packet, const Stock& stock);
// Day bars as "date|open|high|low|close|volume" lines, newest first.
std::u16string DayBarText(const std::vector<DayBar>& bars, std::size_t count);
// The value encoded as the decoder library's GB_ENC encodes it.
std::u16string Encode(std::u16string_view text);
std::u16string Utf16(std::string_view ascii_or_utf8);
// The text when it is a plain code (letters and digits, at most 16), else
// empty: what an answer may echo of a request.
std::u16string PlainCode(std::u16string_view text);
std::string Utf8(std::u16string_view text);

}  // namespace velloran::server
