#pragma once
// A context menu on screen (QMenu) for a list of entries: shown at a point
// until the user chooses an entry or dismisses it. Tests put a chooser in the
// menu's place, as they do for message boxes.

#include <functional>

#include "platform/draw_context.h"
#include "platform/geometry.h"
#include "platform/menu_entries.h"

namespace velloran {

class Window;

// The command of the chosen entry; 0 when the menu was dismissed.
[[nodiscard]] int ShowContextMenu(Window& owner, Point screen_point, const MenuEntries& entries);
// Replaces the menu: the chooser gets the entries and answers a command (an
// empty chooser restores the menu).
void SetContextMenuChooser(std::function<int(const MenuEntries&)> chooser);
// The menu as it is drawn, for pictures.
[[nodiscard]] Bitmap RenderContextMenu(const MenuEntries& entries);

}  // namespace velloran
