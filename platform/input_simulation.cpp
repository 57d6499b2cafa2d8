#include "platform/input_simulation.h"

#include <QApplication>
#include <QCursor>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "platform/qt_text.h"
#include "platform/window.h"
#include "platform/window_events.h"

namespace velloran {

namespace {

Qt::MouseButtons ButtonsOf(WParam flags) {
  Qt::MouseButtons b;
  if (flags & sys::kLButtonFlag) b |= Qt::LeftButton;
  if (flags & sys::kRButtonFlag) b |= Qt::RightButton;
  if (flags & sys::kMButtonFlag) b |= Qt::MiddleButton;
  return b;
}

int QtKey(WParam key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return static_cast<int>(key);
  switch (key) {
    case sys::kVkReturn:
      return Qt::Key_Return;
    case sys::kVkEscape:
      return Qt::Key_Escape;
    case sys::kVkBack:
      return Qt::Key_Backspace;
    case sys::kVkTab:
      return Qt::Key_Tab;
    case sys::kVkSpace:
      return Qt::Key_Space;
    case sys::kVkLeft:
      return Qt::Key_Left;
    case sys::kVkRight:
      return Qt::Key_Right;
    case sys::kVkUp:
      return Qt::Key_Up;
    case sys::kVkDown:
      return Qt::Key_Down;
    case sys::kVkDelete:
      return Qt::Key_Delete;
    case sys::kVkPageUp:
      return Qt::Key_PageUp;
    case sys::kVkPageDown:
      return Qt::Key_PageDown;
    case sys::kVkHome:
      return Qt::Key_Home;
    case sys::kVkEnd:
      return Qt::Key_End;
    case sys::kVkAdd:
      return Qt::Key_Plus;
    case sys::kVkSubtract:
      return Qt::Key_Minus;
    default:
      return Qt::Key_unknown;
  }
}

}  // namespace

void SimulateMouse(Window& top, std::uint32_t message, Point point, WParam flags) {
  QWidget* root = WidgetOf(&top);
  if (root == nullptr) return;
  QWidget* target = root->childAt(point.x, point.y);
  if (target == nullptr) target = root;
  // A press goes to the widget under the mouse, the rest to the one holding it.
  if (message != sys::kLButtonDown && message != sys::kRButtonDown &&
      message != sys::kMButtonDown && QWidget::mouseGrabber() != nullptr)
    target = QWidget::mouseGrabber();
  const QPoint global = root->mapToGlobal(QPoint(point.x, point.y));
  const QPointF local = target->mapFromGlobal(global);
  QEvent::Type type = QEvent::MouseMove;
  Qt::MouseButton button = Qt::NoButton;
  Qt::MouseButtons held = ButtonsOf(flags);
  switch (message) {
    case sys::kLButtonDown:
    case sys::kRButtonDown:
    case sys::kMButtonDown:
      type = QEvent::MouseButtonPress;
      break;
    case sys::kLButtonUp:
    case sys::kRButtonUp:
    case sys::kMButtonUp:
      type = QEvent::MouseButtonRelease;
      break;
    case sys::kLButtonDblClk:
    case sys::kRButtonDblClk:
    case sys::kMButtonDblClk:
      type = QEvent::MouseButtonDblClick;
      break;
    default:
      break;
  }
  if (type != QEvent::MouseMove) {
    const int which = (message - sys::kLButtonDown) / 3;
    button = which == 0 ? Qt::LeftButton : which == 1 ? Qt::RightButton : Qt::MiddleButton;
    if (type == QEvent::MouseButtonRelease)
      held &= ~Qt::MouseButtons(button);
    else
      held |= button;
  }
  QCursor::setPos(global);
  QMouseEvent event(type, local, QPointF(global), button, held, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

void SimulateKey(Window& window, WParam key, char16_t text, WParam modifiers) {
  QWidget* w = WidgetOf(&window);
  if (w == nullptr) return;
  QWidget* target = w;
  const QString typed = text ? QString(QChar(text)) : QString();
  Qt::KeyboardModifiers held;
  if (modifiers & sys::kShiftFlag) held |= Qt::ShiftModifier;
  if (modifiers & sys::kControlFlag) held |= Qt::ControlModifier;
  QKeyEvent press(QEvent::KeyPress, QtKey(key), held, typed);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, QtKey(key), held, typed);
  QApplication::sendEvent(target, &release);
}

void SimulateInputMethod(Window& window, const std::u16string& preedit,
                         const std::u16string& commit) {
  QWidget* w = WidgetOf(&window);
  if (w == nullptr) return;
  // The widget that takes the text: a field's own editor behind its window.
  QWidget* target = w->focusProxy() != nullptr ? w->focusProxy() : w;
  QInputMethodEvent event(ToQString(preedit), {});
  if (!commit.empty()) event.setCommitString(ToQString(commit));
  QApplication::sendEvent(target, &event);
}

}  // namespace velloran
