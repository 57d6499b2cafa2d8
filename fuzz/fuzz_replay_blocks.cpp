// The replay's 3001 replies read into the time line, snapshots and trades.
// The first byte picks the form: a time line or a block, plain or encoded
// (the target encodes), or a whole answer of the data page read as the
// download reads it; the rest is DATA, then CDATA after a byte 0x01.
#include <cstdlib>

#include "decoder/qz_comm_dec.h"
#include "fuzz/fuzz_seeds.h"
#include "net/decoder.h"
#include "net/packet.h"
#include "net/utf8.h"
#include "platform/shared_library.h"
#include "replay/play_blocks.h"
#include "replay/play_download.h"

namespace {

velloran::CDecoder& Decoder() {
  static velloran::CDecoder* decoder = [] {
    auto* d = new velloran::CDecoder;
    const std::string dir = velloran::SharedLibrary::ExecutableDirectory();
    if (d->Load(dir) != velloran::DecoderLoad::kOk) (void)d->Load(dir + "/..");
    return d;
  }();
  return *decoder;
}

bool IsTime(std::int32_t t) { return t >= 0 && t <= 999999; }

void Check(const velloran::ReplayReply& r) {
  using namespace velloran;
  if (r.snapshots.size() > r.data_lines) std::abort();
  for (const HogaSnapshot& s : r.snapshots) {
    if (!IsTime(s.time)) std::abort();
  }
  for (const CPKT& t : r.trades) {
    if (!t.valid() || !IsTime(t.Time())) std::abort();
  }
  for (const KOA& k : r.time_line) {
    if (k.key.empty()) std::abort();
  }
  if (r.kind != ReplayKind::kBlock && (!r.snapshots.empty() || !r.trades.empty())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const unsigned form = data[0] % 5;
  if (form == 4) {
    HttpPostResult answer;
    answer.status = 200;
    answer.answer.assign(rest);
    const DownloadOutcome outcome = ReadReplayDownload(answer);
    if ((outcome.reply == nullptr) == outcome.failure.empty()) std::abort();
    if (outcome.reply) Check(ReadReplayReply(*outcome.reply, Decoder()));
    return 0;
  }
  const std::size_t cut = rest.find('\x01');
  const std::u16string text = Utf8ToUtf16(rest.substr(0, cut));
  const std::u16string ctext =
      cut == std::string_view::npos ? std::u16string() : Utf8ToUtf16(rest.substr(cut + 1));
  for (const std::u16string_view line : ReplayLines(text)) {
    if (line.empty()) std::abort();
    if (line.find(u"\r\n") != std::u16string_view::npos) std::abort();
  }
  const bool encoded = form & 1;
  Packet p(3001);
  p.AddText(u"SHCODE", u"005930");
  p.AddText(u"TYPE", form & 2 ? u"HOGA" : u"TOT");
  if (!encoded) p.AddText(u"ZIP", u"NO");
  p.AddText(u"DATA", encoded ? std::u16string(GB_ENC(text.c_str())) : text);
  p.AddText(u"CDATA", encoded ? std::u16string(GB_ENC(ctext.c_str())) : ctext);
  Check(ReadReplayReply(p, Decoder()));
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  std::string trade = "090000^2^100^0.52^50100";
  for (int i = 5; i < 26; ++i) trade += "^" + std::to_string(i);
  const std::string block =
      " 1^090000^2^B^50100^7^50000^9^S|50100|10|0,B|50000|0|20 \r\n\r\n"
      "^1^090001^2^^50200^7^50100^9^\r\n1^x^2^B^1^2^3^4^5\r\n1^2^3";
  return {
      std::string("\x00", 1) + "  ^20261209090000^5000^2000\r\n1000^1^2\r\n20261209090100^9\r\n",
      std::string("\x01", 1) + "20261209090000^5000^2000\r\n^^\r\n",
      "\x02" + block + "\x01" + trade + "\r\n^" + trade + "\r\n090001^2^3\r\n",
      "\x03" + block + "\x01" + trade,
      "\x04<PKT><GBN>3001</GBN><TYPE>HOGA</TYPE><ZIP>NO</ZIP><DATA>" + block + "</DATA><CDATA>" +
          trade + "</CDATA></PKT>",
      "\x04<PKT><GBN>3001</GBN><TYPE>TOT</TYPE><DATA>not encoded</DATA></PKT>\r\n",
  };
}
