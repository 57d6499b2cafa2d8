#include "hoga/koa_samples.h"

#include "net/text_util.h"

namespace velloran {

bool ReadKoaLine(std::u16string_view line, KOA& sample) {
  FieldCursor fields(line);
  std::u16string_view key, ask, bid;
  if (!fields.Next(key)) return false;
  // The key is a date and a time: it does not fit 32 bits.
  if (ToInt64(key) <= 1000) return false;
  if (!fields.Next(ask)) ask = {};
  if (!fields.Next(bid)) bid = {};
  sample.key.assign(key);
  sample.time = key.size() > 8 ? ToInt(key.substr(8)) : 0;
  sample.ask_total = ToInt64(ask);
  sample.bid_total = ToInt64(bid);
  return true;
}

std::vector<KOA> ReadKoaLines(std::u16string_view text) {
  std::vector<KOA> samples;
  LineCursor lines(text);
  std::u16string_view line;
  KOA sample;
  while (lines.Next(line)) {
    if (ReadKoaLine(line, sample)) samples.push_back(sample);
  }
  return samples;
}

}  // namespace velloran
