#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt_text.h"

namespace velloran {

void SetClipboardText(const std::u16string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return;
  clipboard->setText(ToQString(text), QClipboard::Clipboard);
  if (clipboard->supportsSelection()) clipboard->setText(ToQString(text), QClipboard::Selection);
}

std::u16string ClipboardText() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard == nullptr ? std::u16string() : FromQString(clipboard->text());
}

}  // namespace velloran
