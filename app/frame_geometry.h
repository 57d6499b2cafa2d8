#pragma once
// The main frame's size and placement on the screen, its window region and
// the hit testing of its own thin frame: plain arithmetic over rectangles, so
// that each rule can be checked for any screen.

#include "platform/geometry.h"
#include "platform/window_events.h"

namespace velloran {

// The system metrics the frame rules use. The window layer draws no system
// frame, so these are the system's own choice: a 4-pixel sizing frame and a
// 1-pixel border, the classic desktop values.
struct FrameMetrics {
  int frame_x = 4;  // sizing frame width
  int frame_y = 4;  // sizing frame height
  int border_x = 1;
  int border_y = 1;
};

inline constexpr int kFrameClientWidth = 1274;
inline constexpr int kFrameClientHeight = 944;
inline constexpr int kSmallWorkArea = 600;
inline constexpr int kLowScreenMargin = 50;

// Where the frame opens, in screen coordinates. work_area is the screen less
// the task bar; desktop the whole screen, used when the work area is under 600
// pixels in either direction. Both widths come from the horizontal frame
// metric. The frame is centred in the area, or starts at its left (top) edge
// with its width (its height less 50) when the area is too small.
[[nodiscard]] Rect FramePlacement(const Rect& work_area, const Rect& desktop,
                                  const FrameMetrics& m = {});

// The visible part of a frame of this size, in window coordinates.
[[nodiscard]] Rect FrameRegion(Size window, const FrameMetrics& m = {});

// Where a point of the window (window coordinates) lies: the client inside
// the frame's edge strips, an edge or a corner in them.
[[nodiscard]] HitCode FrameHitTest(Size window, Point p, const FrameMetrics& m = {});

}  // namespace velloran
