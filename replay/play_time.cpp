#include "replay/play_time.h"

#include <algorithm>

#include "net/text_util.h"

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

std::int32_t SliderToHhmmss(std::int32_t seconds_from_start) {
  const std::int64_t seconds = std::clamp(seconds_from_start, 0, kPlayDaySpanSeconds);
  return MsToHhmmss(HhmmssToMs(kPlayDayStartHhmmss) + seconds * 1000);
}

std::int32_t HhmmssToSlider(std::int32_t hhmmss) {
  const std::int64_t seconds = (HhmmssToMs(hhmmss) - HhmmssToMs(kPlayDayStartHhmmss)) / 1000;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(seconds, 0, kPlayDaySpanSeconds));
}

std::int32_t TimelineXToHhmmss(int x, int box_left, int box_width) {
  if (box_width <= 0) return kPlayDayStartHhmmss;
  const std::int64_t offset = std::clamp(x - box_left, 0, box_width);
  return SliderToHhmmss(static_cast<std::int32_t>(offset * kPlayDaySpanSeconds / box_width));
}

std::u16string ClockText(std::int64_t clock_ms) {
  const std::u16string digits = FormatInt06(MsToHhmmss(clock_ms) % 1000000);
  return digits.substr(0, 2) + u':' + digits.substr(2, 2) + u':' + digits.substr(4, 2);
}

std::optional<std::u16string> ClockDisplayText(bool playing, std::int64_t clock_ms) {
  if (!playing || clock_ms == 0) return std::nullopt;
  return ClockText(clock_ms);
}

}  // namespace velloran
