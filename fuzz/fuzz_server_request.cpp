// Client packets as the demo server reads them: bytes framed by the receive
// buffer, each packet answered from a small market as the session does:
// screening requests (3014, also of past days), order-book subscriptions
// (3003), chart requests (3011) and replay requests (3001).
#include <memory>

#include "fuzz/fuzz_seeds.h"
#include "net/message_codes.h"
#include "net/receive_buffer.h"
#include "server/book_replies.h"
#include "server/charts.h"
#include "server/replay_desk.h"
#include "server/screens.h"
#include "server/wire_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  using namespace velloran::server;
  static Market* market = [] {
    auto* m = new Market(MarketConfig{3, 40, 20260105});
    MarketEvents scratch;
    m->AdvanceTo(10 * 3600, scratch);
    return m;
  }();
  static UserBook* users = new UserBook({}, *market);
  static const SavedResults saved = EvaluateSavedRules(*market);
  static CMyQueue* queue = new CMyQueue;
  static int watched = -1;
  static ReplayDesk* replay = new ReplayDesk(*market, 300);
  queue->Clear();
  queue->Append(reinterpret_cast<const char*>(data), static_cast<int>(size));
  while (std::unique_ptr<Packet> p = queue->GetPacket()) {
    const UserData* user = users->Find(Utf8(p->GetText(u"ID", u"demo")));
    if (!user) user = users->Find("demo");
    switch (p->GetInt(u"GBN", 0)) {
      case code::kOrderBook: {
        const std::u16string code = p->GetText(u"SHCODE", u"");
        const int index = market->Find(Utf8(code));
        if (market->Find(Utf8(p->GetText(u"P_SHOCODE", u""))) == watched && index != watched) {
          market->Unwatch(watched);
          watched = -1;
        }
        if (index < 0) {
          (void)EmptySnapshot(code);
          break;
        }
        if (index != watched) {
          market->Unwatch(watched);
          market->Watch(index);
          watched = index;
        }
        FaultOptions faults;
        faults.short_book = faults.bar_book = faults.bad_maps = p->GetInt(u"SOC", 0) == 2;
        (void)BookSnapshot(*market, index, faults);
        (void)MemoPacket(*market, *user, index);
        (void)RatioSamples(*market, index);
        break;
      }
      case code::kChart:
        (void)ChartReply(*market, *p);
        break;
      case code::kReplayData: {
        const Packet reply =
            replay->Answer(ReadReplayRequest(*p), 10 * 3600, u"", p->GetInt(u"SOC", 0) == 2);
        if (reply.GetInt(u"GBN", 0) != code::kReplayData) __builtin_trap();
        break;
      }
      default: {
        const ScreenRequest r = ReadScreenRequest(*p, market->date());
        if (r.market < 0 || r.market > 2 || (r.chk != 0 && r.chk != 1)) __builtin_trap();
        const std::vector<Hit> hits = ScreenHits(*market, *user, saved, r);
        if (!hits.empty()) (void)HitPacket(r.screen, *market, hits.front());
      }
    }
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  using velloran::Packet;
  // Codes the fuzzed market lists, so that the seeds reach the answers.
  const velloran::server::Market market(velloran::server::MarketConfig{3, 40, 20260105});
  const std::u16string a = velloran::server::Utf16(market.stock(0).code);
  const std::u16string b = velloran::server::Utf16(market.stock(7).code);
  auto wire = [](const std::u16string& text) { return Packet(text).ToWire(); };
  return {
      wire(u"<PKT><GBN>3014</GBN><P_SHCODES>" + a +
           u"|</P_SHCODES><IDX>3007</IDX><MARKET>2</"
           u"MARKET><CHK>1</CHK></PKT>") +
          wire(u"<PKT><GBN>3014</GBN><IDX>3016</IDX><MARKET>0</MARKET><CHK>0</CHK><HTIME>"
               u"20260105093000</HTIME></PKT>"),
      wire(u"<PKT><GBN>3014</GBN><IDX>3016</IDX><MARKET>2</MARKET><CHK>0</CHK><HTIME>"
           u"20251230141200</HTIME></PKT>"),
      wire(u"<PKT><GBN>3014</GBN><IDX>3010</IDX><MARKET>0</MARKET><CHK>0</CHK></PKT>"),
      wire(u"<PKT><GBN>3003</GBN><SHCODE>" + a + u"</SHCODE><P_SHOCODE></P_SHOCODE></PKT>") +
          wire(u"<PKT><GBN>3003</GBN><SHCODE>" + b + u"</SHCODE><P_SHOCODE>" + a +
               u"</P_SHOCODE><MARKET>1</MARKET><SOC>2</SOC><KOA>1</KOA></PKT>"),
      wire(u"<PKT><GBN>3003</GBN><SHCODE>999999</SHCODE><P_SHOCODE>" + b + u"</P_SHOCODE></PKT>"),
      wire(u"<PKT><GBN>3011</GBN><STKCD>" + a +
           u"</STKCD><TM>m5</TM><CHART_ID>2</CHART_ID><CNT>"
           u"400</CNT></PKT>") +
          wire(u"<PKT><GBN>3011</GBN><STKCD>" + b +
               u"</STKCD><TM>J</TM><CHART_ID>1</CHART_ID></"
               u"PKT>"),
      wire(u"<PKT><GBN>3011</GBN><STKCD>" + a +
           u"</STKCD><TM>D</TM><CHART_ID>1</CHART_ID><CNT>"
           u"1200</CNT></PKT>") +
          wire(u"<PKT><GBN>3011</GBN><STKCD>" + b +
               u"</STKCD><TM>M</TM><CHART_ID>3</CHART_ID><CNT>"
               u"-1</CNT></PKT>"),
      wire(u"<PKT><GBN>3001</GBN><SHCODE>" + a +
           u"</SHCODE><MARKET>1</MARKET><YMD>20260102</YMD><HTIME>0</HTIME><TYPE>TOT</TYPE>"
           u"<SOC>1</SOC><ZIP>NO</ZIP></PKT>") +
          wire(u"<PKT><GBN>3001</GBN><SHCODE>" + a +
               u"</SHCODE><MARKET>1</MARKET><YMD>20260102</YMD><HTIME>101500</HTIME>"
               u"<TYPE>HOGA</TYPE><IX>1</IX><ZIP>YES</ZIP><SOC>2</SOC></PKT>"),
      wire(u"<PKT><GBN>3001</GBN><SHCODE>" + b +
           u"</SHCODE><YMD>20260105</YMD><HTIME>080000</HTIME><TYPE>HOGA</TYPE><ZIP>NO</ZIP>"
           u"</PKT>")};
}
