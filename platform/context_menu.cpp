#include "platform/context_menu.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <memory>

#include "platform/qt_text.h"
#include "platform/window.h"

namespace velloran {
namespace {

std::function<int(const MenuEntries&)>& Chooser() {
  static std::function<int(const MenuEntries&)> chooser;
  return chooser;
}

std::unique_ptr<QMenu> MakeMenu(QWidget* parent, const MenuEntries& entries) {
  auto menu = std::make_unique<QMenu>(parent);
  for (const MenuEntry& entry : entries) {
    if (entry.text.empty()) {
      menu->addSeparator();
      continue;
    }
    QString text = ToQString(entry.text);
    // Qt shows what follows a tab at the right, as a shortcut.
    if (!entry.shortcut.empty()) text += u'\t' + ToQString(entry.shortcut);
    QAction* action = menu->addAction(text);
    action->setData(entry.command);
    action->setEnabled(entry.enabled);
  }
  return menu;
}

}  // namespace

int ShowContextMenu(Window& owner, Point screen_point, const MenuEntries& entries) {
  if (Chooser()) return Chooser()(entries);
  const auto menu = MakeMenu(WidgetOf(&owner), entries);
  const QAction* chosen = menu->exec(QPoint(screen_point.x, screen_point.y));
  return chosen == nullptr ? 0 : chosen->data().toInt();
}

void SetContextMenuChooser(std::function<int(const MenuEntries&)> chooser) {
  Chooser() = std::move(chooser);
}

Bitmap RenderContextMenu(const MenuEntries& entries) {
  const auto menu = MakeMenu(nullptr, entries);
  menu->ensurePolished();
  menu->adjustSize();
  const QPixmap picture = menu->grab();
  Bitmap bitmap(picture.width(), picture.height());
  QPainter painter(&bitmap.image());
  painter.drawPixmap(0, 0, picture);
  return bitmap;
}

}  // namespace velloran
