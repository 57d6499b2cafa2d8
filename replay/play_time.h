#pragma once
// Times of a replayed day: hhmmss on the wire and in the records, milliseconds
// since midnight on the replay's clock, and the transport's mappings between
// the day (08:00:00 to 16:00:00) and its slider, time line and clock text.

#include <cstdint>
#include <optional>
#include <string>

namespace velloran {

// The span the slider and the time line cover: 28,800 s from 08:00:00.
inline constexpr std::int32_t kPlayDayStartHhmmss = 80000;
inline constexpr std::int32_t kPlayDaySpanSeconds = 28800;

// h x 3,600,000 + m x 60,000 + s x 1,000 of an hhmmss; negative times give 0.
[[nodiscard]] std::int64_t HhmmssToMs(std::int32_t hhmmss);
// The hhmmss of a clock, whole seconds (rounded down); negative clocks give 0.
[[nodiscard]] std::int32_t MsToHhmmss(std::int64_t ms);

// The hhmmss a slider position (seconds from 08:00:00) stands for; positions
// outside 0..28800 are taken at the nearer end.
[[nodiscard]] std::int32_t SliderToHhmmss(std::int32_t seconds_from_start);
// The slider position of a time: seconds from 08:00:00, 0 before it and
// 28800 after 16:00:00.
[[nodiscard]] std::int32_t HhmmssToSlider(std::int32_t hhmmss);

// The hhmmss of a click at x in the time-line box (box_left, box_width):
// (x - box_left) x 28800 / box_width seconds after 08:00:00. x outside the
// box is taken at its nearer edge; an empty box gives 08:00:00.
[[nodiscard]] std::int32_t TimelineXToHhmmss(int x, int box_left, int box_width);

// The clock as "HH:MM:SS".
[[nodiscard]] std::u16string ClockText(std::int64_t clock_ms);
// What the clock display shows on its one-second refresh: the clock text
// while playing with a clock set (not 0); nothing otherwise, and the display
// keeps what it showed.
[[nodiscard]] std::optional<std::u16string> ClockDisplayText(bool playing, std::int64_t clock_ms);

// The speed after FF (doubled unless already 128 or more) and after RF
// (halved unless below 2).
inline constexpr int kPlayMaxSpeed = 128;
[[nodiscard]] constexpr int FasterSpeed(int speed) { return speed >= kPlayMaxSpeed ? speed : speed * 2; }
[[nodiscard]] constexpr int SlowerSpeed(int speed) { return speed < 2 ? speed : speed / 2; }

}  // namespace velloran
