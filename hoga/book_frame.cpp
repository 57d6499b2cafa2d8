#include "hoga/book_frame.h"

#include "net/packet.h"

namespace velloran {

MasterInfo MasterInfo::FromPacket(const Packet& master) {
  MasterInfo m;
  m.code = master.GetText(u"SHCODE", u"");
  m.name = master.GetText(u"HNAME", u"");
  m.market = master.GetInt(u"MARKET", 0);
  m.etf = master.GetInt(u"ETFGUBUN", 0);
  m.base_price = master.GetInt(u"KPRC", 0);
  m.upper_limit = master.GetInt(u"UPLMTPRICE", 0);
  m.lower_limit = master.GetInt(u"DNLMTPRICE", 0);
  m.per = master.GetText(u"PER", u"");
  m.pbr = master.GetText(u"PBR", u"");
  m.roe = master.GetText(u"ROE", u"");
  return m;
}

int TickSize(std::int64_t p, const MasterInfo& master) {
  if (master.code.empty() || master.etf >= 1) return 5;
  if (master.market != 1 && master.market != 2) return 5;
  if (master.market == 1) {
    if (p >= 500000) return 1000;
    if (p >= 100000) return 500;
  }
  if (p >= 50000) return 100;
  if (p >= 10000) return 50;
  if (p >= 5000) return 10;
  if (p >= 1000) return 5;
  return 1;
}

std::u16string StampText(std::u16string_view s, int level, std::u16string_view trading_date) {
  if (s.size() >= 14) {
    if (s.substr(0, 8) == trading_date) {
      std::u16string out(s.substr(8, 2));
      (out += u':') += s.substr(10, 2);
      (out += u':') += s.substr(12, 2);
      return out;
    }
    std::u16string out(s.substr(4, 2));
    (out += u'/') += s.substr(6, 2);
    (out += u' ') += s.substr(8, 2);
    (out += u':') += s.substr(10, 2);
    return out;
  }
  if (s.size() == 6 && level > 10) {
    std::u16string out(s.substr(0, 2));
    (out += u':') += s.substr(2, 2);
    (out += u':') += s.substr(4, 2);
    return out;
  }
  return {};
}

}  // namespace velloran
