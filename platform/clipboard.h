#pragma once
// The desktop's clipboard for plain text: what Ctrl+C and the context menus
// copy (a stock's code and name, a grid row) for other programs to paste.

#include <string>

namespace velloran {

// Puts the text on the clipboard (and, under X, the primary selection).
void SetClipboardText(const std::u16string& text);
// The clipboard's text now; empty when it holds none.
[[nodiscard]] std::u16string ClipboardText();

}  // namespace velloran
