#pragma once
// Times of a replayed day: hhmmss on the wire and in the records, milliseconds
// since midnight on the replay's clock.

#include <cstdint>

namespace velloran {

// h x 3,600,000 + m x 60,000 + s x 1,000 of an hhmmss; negative times give 0.
[[nodiscard]] std::int64_t HhmmssToMs(std::int32_t hhmmss);
// The hhmmss of a clock, whole seconds (rounded down); negative clocks give 0.
[[nodiscard]] std::int32_t MsToHhmmss(std::int64_t ms);

}  // namespace velloran
