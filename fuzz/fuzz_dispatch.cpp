// The dispatcher fed received packets. The first byte picks how the rest is
// used: as a whole packet text, or as the plain text of a value the server
// sends encoded (stock master DATA, login MEMO), which the target encodes.
#include <memory>

#include "app/session_data.h"
#include "decoder/qz_comm_dec.h"
#include "fuzz/fuzz_seeds.h"
#include "net/decoder.h"
#include "net/utf8.h"
#include "platform/shared_library.h"
#include "platform/test_window.h"

namespace {

struct Rig {
  Rig() : window(queue) {
    const std::string dir = velloran::SharedLibrary::ExecutableDirectory();
    if (decoder.Load(dir) != velloran::DecoderLoad::kOk) (void)decoder.Load(dir + "/..");
    session =
        std::make_unique<velloran::CSessionData>(velloran::SessionOptions{{}, &clock, &decoder});
    const auto h = window.handle();
    session->SetWindows({h, h, h, h});
  }
  velloran::ManualClock clock;
  velloran::CDecoder decoder;
  velloran::ManualMessageQueue queue;
  velloran::RecordingWindow window;
  std::unique_ptr<velloran::CSessionData> session;
  int runs = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  static Rig* rig = new Rig;
  if (size == 0) return 0;
  const std::u16string text =
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::unique_ptr<Packet> p;
  switch (data[0] % 4) {
    case 1:
      p = std::make_unique<Packet>(3002);
      p->AddText(u"DATA", GB_ENC(text.c_str()));
      break;
    case 2:
      p = std::make_unique<Packet>(1);
      p->AddText(u"RTN", u"OK");
      p->AddText(u"MEMO", GB_ENC(text.c_str()));
      p->AddText(u"MYS", text);
      p->AddText(u"ALM", text);
      p->AddText(u"JONGA", text);
      p->AddText(u"JIF", text);
      break;
    default:
      p = std::make_unique<Packet>(std::u16string(text));
      break;
  }
  rig->session->Dispatch(*p);
  (void)rig->session->CheckMarketState();
  rig->queue.DispatchPending();
  rig->window.received.clear();
  rig->window.payloads.clear();
  if (++rig->runs % 512 == 0) (void)rig->session->SwitchScreen(3004 + rig->runs % 7);
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  const std::string raw(1, '\0');  // first byte: the rest is a whole packet
  return {
      raw +
          "<PKT><GBN>3007</GBN><SHCODE>005930</SHCODE><CPKT>1|2|3|4|1000|a|6|b|8|c|10|d|12|13|"
          "14|15|16|17|18|19.5|20|21|22|e|24|f</CPKT><PRC>1000</PRC><DAY50>"
          "20240104|100|110|90|105|1000\n</DAY50></PKT>",
      raw +
          "<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>005930</STKCD><DATA>1|2|3|4|1000"
          "</DATA></PKT>",
      "\x01<PKT><GBN>3002</GBN><SHCODE>005930</SHCODE><HNAME>x</HNAME></PKT>\n<PKT>",
      "\x02|1|005930|d|1000|d1|1100\n0|1|g|a|",
      raw + "<PKT><GBN>3009</GBN><SEQ>0</SEQ><SHCODES>a|</SHCODES></PKT>",
      raw + "<PKT><GBN>3024</GBN><DATA>005930|20240101</DATA></PKT>",
  };
}
