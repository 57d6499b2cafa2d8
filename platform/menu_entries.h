#pragma once
// The entries of a context menu, without a display: what a window offers
// under the right button is built and tested as this list, and only the
// menu on screen (context_menu.h) is drawn by the platform.

#include <string>
#include <vector>

namespace velloran {

struct MenuEntry {
  int command = 0;          // what the owner does when it is chosen; 0 for a separator
  std::u16string text;      // empty for a separator
  std::u16string shortcut;  // shown at the right ("Ctrl+C"); the owner handles the key itself
  bool enabled = true;
};

using MenuEntries = std::vector<MenuEntry>;

}  // namespace velloran
