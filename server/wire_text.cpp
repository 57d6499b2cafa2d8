#include "server/wire_text.h"

#include <algorithm>

#include "decoder/codec.h"
#include "net/packet.h"
#include "net/quote.h"
#include "net/text_util.h"
#include "net/utf8.h"

namespace velloran::server {

std::u16string QuoteText(const Quote& q, char16_t sep) {
  CPKT r;
  auto set = [&r](QuoteField f, std::int64_t v) {
    r.SetInt(static_cast<int>(f),
             static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)));
  };
  set(QuoteField::kTime, q.time);
  set(QuoteField::kSign, q.sign);
  set(QuoteField::kChange, q.change);
  r.SetReal(static_cast<int>(QuoteField::kRate), q.rate);
  set(QuoteField::kPrice, q.price);
  set(QuoteField::kOpen, q.open);
  set(QuoteField::kHigh, q.high);
  set(QuoteField::kLow, q.low);
  r.SetText(11, q.buy_side ? u"+" : u"-");  // side of the last trade
  set(QuoteField::kTradeVolume, q.trade_volume);
  set(QuoteField::kVolume, q.volume);
  r.SetInt(14, static_cast<std::int32_t>(q.value_won / 1000000));  // day's value, millions of won
  set(QuoteField::kStrengthDenominator, q.sell_volume);
  set(QuoteField::kStrengthNumerator, q.buy_volume);
  set(QuoteField::kBestAsk, q.best_ask);
  set(QuoteField::kBestBid, q.best_bid);
  return r.ToText(sep);
}

std::u16string MasterLine(const Stock& s) {
  Packet p(3002);
  AddMasterTags(p, s);
  return p.Text();
}

void AddMasterTags(Packet& p, const Stock& s) {
  p.AddText(u"SHCODE", Utf16(s.code));
  p.AddText(u"HNAME", s.name);
  p.AddInt(u"MARKET", s.market);
  p.AddInt(u"ETFGUBUN", s.etf ? 1 : 0);
  p.AddText(u"ET_SJKRATE", FormatReal2(s.etf_rate));
  p.AddInt(u"KPRC", s.prev_close);
  p.AddInt(u"UPLMTPRICE", s.upper_limit);
  p.AddInt(u"DNLMTPRICE", s.lower_limit);
  p.AddText(u"PER", FormatReal2(s.per));
  p.AddText(u"PBR", FormatReal2(s.pbr));
  p.AddText(u"ROE", FormatReal2(s.roe));
  p.AddInt(u"JNILVOL", s.prev_volume);
}

std::u16string DayBarText(const std::vector<DayBar>& bars, std::size_t count) {
  std::u16string out;
  count = std::min(count, bars.size());
  out.reserve(count * 48);
  for (std::size_t i = 0; i < count; ++i) {
    const DayBar& b = bars[i];
    out += FormatInt(b.date);
    for (std::int64_t v : {std::int64_t{b.open}, std::int64_t{b.high}, std::int64_t{b.low},
                           std::int64_t{b.close}, b.volume}) {
      out += u'|';
      out += FormatInt(v);
    }
    out += u'\n';
  }
  return out;
}

std::u16string Encode(std::u16string_view text) {
  // What the decoder library's GB_ENC gives: zlib over UTF-8, then Base64.
  std::string bytes, stream;
  AppendUtf16AsUtf8(text, bytes);
  std::u16string out;
  if (codec::Deflate(bytes, stream)) codec::Base64Encode(stream, out);
  return out;
}

std::u16string PlainCode(std::u16string_view text) {
  const bool plain =
      text.size() <= 16 && std::all_of(text.begin(), text.end(), [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
      });
  return plain ? std::u16string(text) : std::u16string();
}

std::u16string Utf16(std::string_view bytes) {
  return Utf8ToUtf16(bytes);
}
std::string Utf8(std::u16string_view text) {
  return Utf16ToUtf8(text);
}

}  // namespace velloran::server
