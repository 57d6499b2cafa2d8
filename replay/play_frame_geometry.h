#pragma once
// Where the replay frame opens: its client of 1274 x 834 plus the frame on
// each side, centred on the desktop; on a desktop too small for that, the
// desktop's whole width from its left edge and its height less 50 from its
// top.

#include "app/frame_geometry.h"
#include "platform/geometry.h"

namespace velloran {

inline constexpr int kPlayFrameClientWidth = 1274;
inline constexpr int kPlayFrameClientHeight = 834;

[[nodiscard]] Rect PlayFramePlacement(const Rect& desktop, const FrameMetrics& m = {});

}  // namespace velloran
