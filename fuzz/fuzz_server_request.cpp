// Client packets as the demo server reads them: bytes framed by the receive
// buffer, each packet read as a screening request and answered from a small
// market, as the session does.
#include <memory>

#include "fuzz/fuzz_seeds.h"
#include "net/receive_buffer.h"
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
  queue->Clear();
  queue->Append(reinterpret_cast<const char*>(data), static_cast<int>(size));
  while (std::unique_ptr<Packet> p = queue->GetPacket()) {
    const ScreenRequest r = ReadScreenRequest(*p, market->date());
    if (r.market < 0 || r.market > 2 || (r.chk != 0 && r.chk != 1)) __builtin_trap();
    (void)market->Find(Utf8(p->GetText(u"SHCODE", u"")));
    const UserData* user = users->Find(Utf8(p->GetText(u"ID", u"demo")));
    if (!user) user = users->Find("demo");
    const std::vector<Hit> hits = ScreenHits(*market, *user, saved, r);
    if (!hits.empty()) (void)HitPacket(r.screen, *market, hits.front());
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  using velloran::Packet;
  auto wire = [](const char16_t* text) { return Packet(std::u16string(text)).ToWire(); };
  return {wire(u"<PKT><GBN>1</GBN><ID>demo</ID><VER>2</VER></PKT>"),
          wire(u"<PKT><GBN>3014</GBN><P_SHCODES>000010|</P_SHCODES><IDX>3007</IDX><MARKET>2</"
               u"MARKET><CHK>1</CHK></PKT>") +
              wire(u"<PKT><GBN>3014</GBN><IDX>3016</IDX><MARKET>0</MARKET><CHK>0</CHK><HTIME>"
                   u"20260105093000</HTIME></PKT>"),
          wire(u"<PKT><GBN>3003</GBN><SHCODE>000010</SHCODE><P_SHOCODE></P_SHOCODE></PKT>")};
}
