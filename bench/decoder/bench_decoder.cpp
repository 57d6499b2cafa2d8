// GB_DEC on encoded chart and history text, against the two steps it cannot
// avoid done alone on the same input: Base64 decoding and zlib's own inflate.
// Throughput is counted in bytes of decoded (UTF-8) text.
#include <zlib.h>

#include <random>
#include <string>

#include "bench/ratio_report.h"
#include "decoder/codec.h"
#include "decoder/qz_comm_dec.h"
#include "net/text_util.h"
#include "net/utf8.h"

namespace velloran {
namespace {

// Order-book history lines with a Korean name in each, about size bytes.
std::u16string Plain(std::size_t size) {
  std::mt19937 rng(11);
  std::u16string text;
  while (text.size() * 2 < size) {
    text += FormatInt(90000 + rng() % 60000) + u"^" + FormatInt(rng() % 100000) + u"^한빛전자^";
    for (int i = 0; i < 10; ++i) text += FormatInt(rng() % 1000000) + u"^";
    text += u"\r\n";
  }
  return text;
}

struct Input {
  std::u16string encoded;
  std::size_t plain_bytes = 0;
  explicit Input(std::size_t size) {
    const std::u16string plain = Plain(size);
    plain_bytes = Utf16ToUtf8(plain).size();
    encoded = GB_ENC(plain.c_str());
  }
};

void BM_Base64AndInflate(benchmark::State& state) {
  const Input in(static_cast<std::size_t>(state.range(0)));
  std::string bytes, out(in.plain_bytes, '\0');
  for (auto _ : state) {
    if (!codec::Base64Decode(in.encoded, bytes)) state.SkipWithError("base64");
    uLongf length = out.size();
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                   reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()) != Z_OK) {
      state.SkipWithError("inflate");
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(in.plain_bytes));
}

void BM_GbDec(benchmark::State& state) {
  const Input in(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(GB_DEC(in.encoded.c_str()));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(in.plain_bytes));
}

BENCHMARK(BM_Base64AndInflate)->Arg(16 << 10)->Arg(1 << 20)->Arg(8 << 20);
BENCHMARK(BM_GbDec)->Arg(16 << 10)->Arg(1 << 20)->Arg(8 << 20);

}  // namespace
}  // namespace velloran

int main(int argc, char** argv) {
  return velloran::RunWithRatios(argc, argv, {{"BM_GbDec", "BM_Base64AndInflate"}});
}
