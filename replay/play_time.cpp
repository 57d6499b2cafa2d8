#include "replay/play_time.h"

namespace velloran {

std::int64_t HhmmssToMs(std::int32_t hhmmss) {
  if (hhmmss <= 0) return 0;
  const std::int64_t h = hhmmss / 10000, m = hhmmss / 100 % 100, s = hhmmss % 100;
  return h * 3600000 + m * 60000 + s * 1000;
}

std::int32_t MsToHhmmss(std::int64_t ms) {
  if (ms <= 0) return 0;
  const std::int64_t seconds = ms / 1000;
  return static_cast<std::int32_t>(seconds / 3600 * 10000 + seconds / 60 % 60 * 100 +
                                   seconds % 60);
}

}  // namespace velloran
