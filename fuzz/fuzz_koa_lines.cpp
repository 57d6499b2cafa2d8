// The ask-bid ratio day as the server sends it (3015 DATA) or a replay file
// holds it: any text gives samples, each with a key above 1000 and a time
// of day read from after its date.
#include <cstdlib>

#include "fuzz/fuzz_seeds.h"
#include "hoga/koa_samples.h"
#include "net/text_util.h"
#include "net/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::u16string text =
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const KOA& sample : ReadKoaLines(text)) {
    if (ToInt64(sample.key) <= 1000) std::abort();
    if (sample.key.size() <= 8 && sample.time != 0) std::abort();
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {
      "20170105093000|5000|2000\n20170105093100|4000|4000\n",
      "1000|1|2\n|\n\n99999999999999999999999|-5|x\n",
      "20260105085900|9223372036854775807|0\n1234|7\n",
  };
}
