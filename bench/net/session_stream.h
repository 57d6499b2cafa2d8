#pragma once
// A generated session stream for the benchmarks: screening hits with Korean
// names and 26-field quotes, quote updates and order-book updates, a few
// hundred bytes each, in the mix a live market sends.

#include <random>
#include <string>
#include <vector>

#include "net/packet.h"
#include "net/text_util.h"

namespace velloran::sample {

inline const char16_t* kNames[] = {u"한빛전자",   u"대성화학",   u"세종바이오", u"미래에셋증권",
                                   u"동해중공업", u"새한반도체", u"KODEX 200",  u"우리금융지주"};

inline std::u16string QuoteFields(std::mt19937& rng) {
  const int price = 1000 + static_cast<int>(rng() % 90000);
  std::u16string q = FormatInt(90000 + rng() % 60000) + u"|2|" + FormatInt(rng() % 500) + u"|" +
                     FormatReal2((rng() % 3000) / 100.0) + u"|" + FormatInt(price);
  for (int i = 5; i < 26; ++i) {
    q += u'|';
    q += FormatInt(rng() % 1000000);
  }
  return q;
}

inline std::string Hit(std::mt19937& rng) {
  Packet p(3007);
  p.AddText(u"SHCODE", FormatInt06(rng() % 999999));
  p.AddText(u"HNAME", kNames[rng() % 8]);
  p.AddInt(u"MARKET", 1 + rng() % 2);
  p.AddText(u"CPKT", QuoteFields(rng));
  p.AddInt(u"BTOT", rng() % 5000000);
  p.AddInt(u"STOT", rng() % 5000000);
  p.AddText(u"DT", u"20261208093015");
  p.AddInt(u"PRC", 12000);
  p.AddText(u"KOA_YMD", u"20261207");
  p.AddText(u"ST_YMD", u"20261101");
  p.AddText(u"ED_YMD", u"20261208");
  p.AddInt(u"SOC", 1);
  return p.ToWire();
}

inline std::string Quote(std::mt19937& rng) {
  Packet p(2002);
  p.AddText(u"RES", u"CPRC");
  p.AddText(u"STKCD", FormatInt06(rng() % 999999));
  p.AddText(u"DATA", QuoteFields(rng));
  p.AddInt(u"BTOT", rng() % 5000000);
  p.AddInt(u"STOT", rng() % 5000000);
  return p.ToWire();
}

inline std::string Book(std::mt19937& rng) {
  Packet p(2002);
  p.AddText(u"RES", u"HOGA");
  p.AddText(u"STKCD", FormatInt06(rng() % 999999));
  std::u16string levels = u"|093015";
  int price = 50000;
  for (int i = 0; i < 20; ++i, price += 50) {
    levels += u'|';
    levels += FormatInt(price);
    levels += u'|';
    levels += FormatInt(rng() % 100000);
  }
  p.AddText(u"DATA", levels);
  return p.ToWire();
}

struct Stream {
  std::string bytes;
  std::vector<std::string> packets;
};

inline const Stream& TheStream() {
  static const Stream stream = [] {
    Stream s;
    std::mt19937 rng(7);
    while (s.bytes.size() < 8u << 20) {
      const unsigned kind = rng() % 10;
      s.packets.push_back(kind == 0 ? Hit(rng) : kind < 7 ? Quote(rng) : Book(rng));
      s.bytes += s.packets.back();
    }
    return s;
  }();
  return stream;
}

}  // namespace velloran::sample
