#pragma once
// The workspace (app/workspace_file.h) read out of the main frame's windows
// at the end and put back into them at the start: the session's screen and
// filters before the frame exists, the frame's place, splitters and charts
// once it does.

#include "app/workspace_file.h"
#include "platform/geometry.h"

namespace velloran {

class CMainFrame;
class CSessionData;

[[nodiscard]] Workspace CaptureWorkspace(CMainFrame& frame, const CSessionData& session);

// The screen, the market filter, the check box and the display mode, which
// the bars and the first request read from the session.
void ApplySessionWorkspace(const Workspace& w, CSessionData& session);

// The frame's place, fitted to the work area (not maximised: the caller
// shows the frame maximised when w says so), the splitters' shares and the
// side charts' periods and averages.
void ApplyFrameWorkspace(const Workspace& w, CMainFrame& frame, const Rect& work_area);

}  // namespace velloran
