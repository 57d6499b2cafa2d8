#pragma once
// Synthesised input for tests: a mouse button or key event that Qt routes as
// if the user had produced it (through the hooks, to the innermost window
// under the point, with the coordinates mapped into it).

#include <cstdint>
#include <string>

#include "platform/geometry.h"
#include "platform/message_window.h"

namespace velloran {

class Window;

// message: sys::kLButtonDown ... kMButtonDblClk or sys::kMouseMove; point in
// the client coordinates of top, a top-level or pop-up window. flags: the
// buttons held after the event (sys::k...Flag), for moves.
void SimulateMouse(Window& top, std::uint32_t message, Point point, WParam flags = 0);
// A key press and release addressed to window; text is what the key types
// (0 for none); modifiers: sys::kShiftFlag and kControlFlag held with it.
void SimulateKey(Window& window, WParam key, char16_t text = 0, WParam modifiers = 0);
// An input method's event to the window (an edit field's editor): the text
// being composed, and the text it commits (empty: none yet).
void SimulateInputMethod(Window& window, const std::u16string& preedit,
                         const std::u16string& commit);

}  // namespace velloran
