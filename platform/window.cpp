#include "platform/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QWheelEvent>
#include <QWidget>
#include <QScreen>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <map>
#include <unordered_map>
#include <vector>

#include "platform/application.h"
#include "platform/qt_text.h"
#include "platform/sanitizer_hand_off.h"

namespace velloran {

namespace {

// User-interface thread only.
std::unordered_map<std::uint64_t, Window*>& Windows() {
  static std::unordered_map<std::uint64_t, Window*> windows;
  return windows;
}

struct Hooks {
  int next_id = 1;
  std::map<int, PreTranslateHook> pre_translate;
  std::map<int, KeyHook> keys;
  std::map<int, MessageHook> message;
};
Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

Qt::CursorShape ToShape(CursorKind kind) {
  switch (kind) {
    case CursorKind::kHand:
      return Qt::PointingHandCursor;
    case CursorKind::kSizeWE:
      return Qt::SizeHorCursor;
    case CursorKind::kSizeNS:
      return Qt::SizeVerCursor;
    case CursorKind::kSizeNWSE:
      return Qt::SizeFDiagCursor;
    case CursorKind::kSizeNESW:
      return Qt::SizeBDiagCursor;
    case CursorKind::kSplitRows:
      return Qt::SplitVCursor;
    case CursorKind::kIBeam:
      return Qt::IBeamCursor;
    case CursorKind::kWait:
      return Qt::WaitCursor;
    case CursorKind::kArrow:
      break;
  }
  return Qt::ArrowCursor;
}

Qt::Edges ToEdges(HitCode hit) {
  switch (hit) {
    case HitCode::kLeft:
      return Qt::LeftEdge;
    case HitCode::kRight:
      return Qt::RightEdge;
    case HitCode::kTop:
      return Qt::TopEdge;
    case HitCode::kBottom:
      return Qt::BottomEdge;
    case HitCode::kTopLeft:
      return Qt::TopEdge | Qt::LeftEdge;
    case HitCode::kTopRight:
      return Qt::TopEdge | Qt::RightEdge;
    case HitCode::kBottomLeft:
      return Qt::BottomEdge | Qt::LeftEdge;
    case HitCode::kBottomRight:
      return Qt::BottomEdge | Qt::RightEdge;
    default:
      return {};
  }
}

WParam MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  WParam flags = 0;
  if (buttons & Qt::LeftButton) flags |= sys::kLButtonFlag;
  if (buttons & Qt::RightButton) flags |= sys::kRButtonFlag;
  if (buttons & Qt::MiddleButton) flags |= sys::kMButtonFlag;
  if (modifiers & Qt::ShiftModifier) flags |= sys::kShiftFlag;
  if (modifiers & Qt::ControlModifier) flags |= sys::kControlFlag;
  return flags;
}

// The message number of a press, release or double click of a button; 0 for
// buttons the system has no message for.
std::uint32_t ButtonMessage(Qt::MouseButton button, QEvent::Type type) {
  const int kind = type == QEvent::MouseButtonPress     ? 0
                   : type == QEvent::MouseButtonRelease ? 1
                                                        : 2;
  switch (button) {
    case Qt::LeftButton:
      return sys::kLButtonDown + kind;
    case Qt::RightButton:
      return sys::kRButtonDown + kind;
    case Qt::MiddleButton:
      return sys::kMButtonDown + kind;
    default:
      return 0;
  }
}

WParam KeyCode(int qt_key) {
  if ((qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) || (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z))
    return static_cast<WParam>(qt_key);
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24)
    return static_cast<WParam>(0x70 + qt_key - Qt::Key_F1);
  switch (qt_key) {
    case Qt::Key_Backspace:
      return sys::kVkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return sys::kVkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return sys::kVkReturn;
    case Qt::Key_Escape:
      return sys::kVkEscape;
    case Qt::Key_Space:
      return sys::kVkSpace;
    case Qt::Key_PageUp:
      return sys::kVkPageUp;
    case Qt::Key_PageDown:
      return sys::kVkPageDown;
    case Qt::Key_End:
      return sys::kVkEnd;
    case Qt::Key_Home:
      return sys::kVkHome;
    case Qt::Key_Left:
      return sys::kVkLeft;
    case Qt::Key_Up:
      return sys::kVkUp;
    case Qt::Key_Right:
      return sys::kVkRight;
    case Qt::Key_Down:
      return sys::kVkDown;
    case Qt::Key_Delete:
      return sys::kVkDelete;
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // the key that carries + on most layouts
      return sys::kVkAdd;
    case Qt::Key_Minus:
      return sys::kVkSubtract;
    case Qt::Key_Shift:
      return 0x10;
    case Qt::Key_Control:
      return 0x11;
    default:
      return 0;
  }
}

LParam PointParam(const QPointF& p) {
  const QPoint q = p.toPoint();
  return sys::MakeLParam(q.x(), q.y());
}

}  // namespace

namespace detail {

// The Qt widget behind a Window. It turns Qt's events into the window's
// messages; once its Window is gone (owner_ null) it only waits to be deleted.
class WindowWidget : public QWidget {
 public:
  WindowWidget(Window* owner, QWidget* parent, Qt::WindowFlags flags)
      : QWidget(parent, flags), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
  }
  ~WindowWidget() override {
    if (owner_ != nullptr) owner_->WidgetGone();
  }

  Window* owner_;
  Size last_size_{-1, -1};
  std::map<int, int> timers_;  // window timer id -> the loop's timer id
  Bitmap buffer_;
  bool painted_veiled_ = false;  // the buffer holds a veil
  // Moving the window by hand where the system cannot (no window manager).
  bool dragging_ = false;
  QPoint drag_start_;
  QPoint window_start_;
  QRect normal_geometry_;  // before a maximise, for the restore
  bool self_maximized_ = false;  // maximised by the layer, no manager being there

  LResult Send(std::uint32_t message, WParam w, LParam l) {
    if (owner_ == nullptr) return 0;
    WindowMessage m{message, w, l, nullptr};
    return owner_->Deliver(m);
  }

  // The hand-made move holds the mouse only while the button is down: a grab
  // left behind would send every later press, wherever it lands, here.
  void EndDrag() {
    dragging_ = false;
    if (QWidget::mouseGrabber() == this) releaseMouse();
  }

  void SendSizeIfChanged() {
    const Size now{width(), height()};
    if (now == last_size_) return;
    last_size_ = now;
    Send(sys::kSize, 0, sys::MakeLParam(now.width, now.height));
  }

  HitCode Hit(const QPoint& p) {
    if (owner_ == nullptr || !owner_->style_.frameless || !isWindow()) return HitCode::kClient;
    return owner_->HitTest({p.x(), p.y()});
  }

 protected:
  bool event(QEvent* e) override {
    // Tab is a key like the others; the windows move the focus themselves.
    if (e->type() == QEvent::KeyPress) {
      keyPressEvent(static_cast<QKeyEvent*>(e));
      return true;
    }
    return QWidget::event(e);
  }

  void paintEvent(QPaintEvent* e) override {
    if (owner_ == nullptr) return;
    bool fresh = false;
    if (buffer_.width() != width() || buffer_.height() != height()) {
      buffer_ = Bitmap(width(), height());
      fresh = true;
    }
    // The buffer keeps the last paint outside the region Qt asks for.
    std::vector<Rect> boxes;
    for (const QRect& r : e->region()) {
      boxes.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
    }
    // A veiled window paints all of itself, and so does the first paint
    // after its veil went: the buffer's other parts hold the veil or none.
    const bool veiled = owner_->VeilingWindow() != nullptr;
    owner_->PaintInto(buffer_, fresh || veiled || painted_veiled_ ? nullptr : &boxes);
    painted_veiled_ = veiled;
    QPainter screen(this);
    screen.drawImage(0, 0, buffer_.image());
  }

  // Qt asks this only when the focused window is hidden (the windows move
  // the focus on Tab themselves). Its own answer, the next field of the tab
  // chain, would put the focus into a text box with its text selected every
  // time a pane rebuilds the window that had it; the focus goes to the
  // nearest shown window around it instead.
  bool focusNextPrevChild(bool) override {
    if (isWindow()) return true;
    QWidget* w = parentWidget();
    while (w != nullptr && !w->isWindow() && !w->isVisible()) w = w->parentWidget();
    if (w != nullptr) w->setFocus(Qt::OtherFocusReason);
    return true;
  }

  void resizeEvent(QResizeEvent*) override { SendSizeIfChanged(); }
  void showEvent(QShowEvent*) override {
    if (owner_) owner_->SetVisible(true);
  }
  void hideEvent(QHideEvent*) override {
    if (owner_) owner_->SetVisible(false);
  }

  void MouseButton(QMouseEvent* e) {
    e->accept();
    const QPoint p = e->position().toPoint();
    if (e->type() == QEvent::MouseButtonPress && e->button() == Qt::LeftButton) {
      const HitCode hit = Hit(p);
      if (hit == HitCode::kCaption) {
        if (owner_) owner_->BeginSystemMove();
        return;
      }
      if (ToEdges(hit) != Qt::Edges()) {
        if (owner_) owner_->BeginSystemResize(hit);
        return;
      }
    }
    if (e->type() == QEvent::MouseButtonRelease && e->button() == Qt::LeftButton && dragging_) {
      EndDrag();
      return;
    }
    const std::uint32_t message = ButtonMessage(e->button(), e->type());
    if (message == 0) return;
    // Buttons as they are after the event, as the system reports them.
    Send(message, MouseFlags(e->buttons(), e->modifiers()), PointParam(e->position()));
  }
  void mousePressEvent(QMouseEvent* e) override { MouseButton(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { MouseButton(e); }
  void mouseDoubleClickEvent(QMouseEvent* e) override { MouseButton(e); }

  void mouseMoveEvent(QMouseEvent* e) override {
    e->accept();
    if (dragging_) {
      if (!(e->buttons() & Qt::LeftButton)) {
        EndDrag();  // the release went elsewhere
      } else {
        window()->move(window_start_ + (e->globalPosition().toPoint() - drag_start_));
        return;
      }
    }
    Send(sys::kSetCursor, 0, static_cast<LParam>(Hit(e->position().toPoint())));
    Send(sys::kMouseMove, MouseFlags(e->buttons(), e->modifiers()), PointParam(e->position()));
  }

  void leaveEvent(QEvent*) override { Send(sys::kMouseLeave, 0, 0); }

  void wheelEvent(QWheelEvent* e) override {
    e->accept();
    const QPoint angle = e->angleDelta();
    // A tilt or a horizontal wheel turns the other way round: Qt counts
    // left as positive.
    const bool horizontal = angle.y() == 0 && angle.x() != 0;
    Send(horizontal ? sys::kMouseHWheel : sys::kMouseWheel,
         sys::MakeWParam(static_cast<int>(MouseFlags(e->buttons(), e->modifiers())),
                         horizontal ? -angle.x() : angle.y()),
         PointParam(e->position()));
  }

  void keyPressEvent(QKeyEvent* e) override {
    e->accept();
    const WParam key = KeyCode(e->key());
    QPointer<QWidget> alive(this);
    if (key != 0)
      Send(sys::kKeyDown, key, static_cast<LParam>(MouseFlags(Qt::NoButton, e->modifiers())));
    for (const QChar c : e->text()) {
      if (!alive) return;
      Send(sys::kChar, c.unicode(), 0);
    }
  }
  void keyReleaseEvent(QKeyEvent* e) override {
    e->accept();
    const WParam key = KeyCode(e->key());
    if (key != 0) Send(sys::kKeyUp, key, 0);
  }

  void focusInEvent(QFocusEvent*) override { Send(sys::kSetFocus, 0, 0); }
  void focusOutEvent(QFocusEvent*) override { Send(sys::kKillFocus, 0, 0); }

  void closeEvent(QCloseEvent* e) override {
    // The window decides in OnClose whether it goes.
    e->ignore();
    Send(sys::kClose, 0, 0);
  }

  friend class velloran::Window;
};

// Shows every mouse press to the pre-translation hooks, and every key press
// to the key hooks, before Qt dispatches it.
class PressFilter : public QObject {
 public:
  static bool IsTextBox(QWidget* w) {
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
        qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w))
      return true;
    auto* combo = qobject_cast<QComboBox*>(w);
    return combo != nullptr && combo->isEditable();
  }

  bool KeyPress(QObject* object, QKeyEvent* e) {
    if (!object->isWidgetType() || TheHooks().keys.empty()) return false;
    auto* widget = static_cast<QWidget*>(object);
    // A key the focus widget left goes on to its parents: seen once, there.
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus != widget && widget->isAncestorOf(focus)) return false;
    KeyPressInfo info;
    info.key = KeyCode(e->key());
    if (e->modifiers() & Qt::ShiftModifier) info.modifiers |= sys::kShiftFlag;
    if (e->modifiers() & Qt::ControlModifier) info.modifiers |= sys::kControlFlag;
    if (e->modifiers() & Qt::AltModifier) info.modifiers |= sys::kAltFlag;
    if (e->key() == Qt::Key_Backtab) info.modifiers |= sys::kShiftFlag;
    const QString text = e->text();
    info.ch = text.size() == 1 ? static_cast<char16_t>(text.at(0).unicode()) : 0;
    info.in_text_box = IsTextBox(widget);
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
      auto* window_widget = dynamic_cast<WindowWidget*>(w);
      if (window_widget == nullptr || window_widget->owner_ == nullptr) continue;
      info.target = window_widget->owner_->handle();
      break;
    }
    if (info.target.IsNull()) return false;
    const auto hooks = TheHooks().keys;  // a hook may remove itself
    for (const auto& [id, hook] : hooks)
      if (hook(info)) return true;
    return false;
  }

  bool eventFilter(QObject* object, QEvent* e) override {
    TakeOverEvent(e);  // it sees posted events before their receiver
    const auto type = e->type();
    if (type == QEvent::KeyPress) return KeyPress(object, static_cast<QKeyEvent*>(e));
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
    if (!object->isWidgetType() || TheHooks().pre_translate.empty()) return false;
    auto* mouse = static_cast<QMouseEvent*>(e);
    const std::uint32_t message = ButtonMessage(mouse->button(), type);
    if (message == 0) return false;
    // Addressed to the innermost Window at or above the widget under the mouse.
    for (QWidget* w = static_cast<QWidget*>(object); w != nullptr; w = w->parentWidget()) {
      auto* window_widget = dynamic_cast<WindowWidget*>(w);
      if (window_widget == nullptr || window_widget->owner_ == nullptr) continue;
      const QPoint p = w->mapFromGlobal(mouse->globalPosition().toPoint());
      const WindowMessage m{message, MouseFlags(mouse->buttons(), mouse->modifiers()),
                            sys::MakeLParam(p.x(), p.y()), nullptr};
      const WindowHandle target = window_widget->owner_->handle();
      // A copy: a hook may remove itself or others.
      const auto hooks = TheHooks().pre_translate;
      for (const auto& [id, hook] : hooks)
        if (hook(target, m)) return true;
      return false;
    }
    return false;
  }
};

}  // namespace detail

QWidget* WidgetOf(Window* window) {
  return window ? window->widget_ : nullptr;
}

namespace {
void InstallPressFilter() {
  static detail::PressFilter* filter = nullptr;
  if (filter == nullptr && QCoreApplication::instance() != nullptr) {
    filter = new detail::PressFilter;
    QCoreApplication::instance()->installEventFilter(filter);
  }
}
}  // namespace

int AddPreTranslateHook(PreTranslateHook hook) {
  InstallPressFilter();
  const int id = TheHooks().next_id++;
  TheHooks().pre_translate.emplace(id, std::move(hook));
  return id;
}

void RemovePreTranslateHook(int id) {
  TheHooks().pre_translate.erase(id);
}

int AddKeyHook(KeyHook hook) {
  InstallPressFilter();
  const int id = TheHooks().next_id++;
  TheHooks().keys.emplace(id, std::move(hook));
  return id;
}

void RemoveKeyHook(int id) {
  TheHooks().keys.erase(id);
}

int AddMessageHook(MessageHook hook) {
  const int id = TheHooks().next_id++;
  TheHooks().message.emplace(id, std::move(hook));
  return id;
}

void RemoveMessageHook(int id) {
  TheHooks().message.erase(id);
}

bool HasWindowManager() {
  // X: a manager announces itself by a window named in the root's
  // _NET_SUPPORTING_WM_CHECK. Other platforms always have one, except the
  // offscreen one.
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return false;
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                 : nullptr;
  if (x11 == nullptr) return true;
  xcb_connection_t* c = x11->connection();
  if (c == nullptr) return true;
  static constexpr char kName[] = "_NET_SUPPORTING_WM_CHECK";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof kName - 1, kName), nullptr);
  if (atom == nullptr) return false;
  const xcb_atom_t check = atom->atom;
  free(atom);
  if (check == XCB_ATOM_NONE) return false;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (screen == nullptr) return false;
  xcb_get_property_reply_t* prop = xcb_get_property_reply(
      c, xcb_get_property(c, 0, screen->root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
  const bool present = prop != nullptr && xcb_get_property_value_length(prop) >= 4;
  free(prop);
  return present;
}

// ---- Window

Window::Window() : MessageWindow(UiLoop()) {}

Window::~Window() {
  destructing_ = true;
  if (widget_ != nullptr) Detach(false);
}

bool Window::Create(Window* parent, int id, const Rect& rect, const std::u16string& text,
                    const WindowStyle& style) {
  if (widget_ != nullptr) return false;
  if (style.kind == WindowKind::kChild && (parent == nullptr || parent->widget_ == nullptr))
    return false;
  parent_ = parent;
  id_ = id;
  style_ = style;
  text_ = text;
  Qt::WindowFlags flags = Qt::Widget;
  if (style.kind != WindowKind::kChild) {
    flags = style.tool ? Qt::Tool : Qt::Window;
    if (style.frameless || style.kind == WindowKind::kPopup) flags |= Qt::FramelessWindowHint;
    if (style.topmost) flags |= Qt::WindowStaysOnTopHint;
  }
  QWidget* parent_widget = parent ? parent->widget_ : nullptr;
  widget_ = new detail::WindowWidget(this, parent_widget, flags);
  if (style.no_activate) widget_->setAttribute(Qt::WA_ShowWithoutActivating);
  if (style.kind != WindowKind::kChild) widget_->setWindowTitle(ToQString(text));
  widget_->setGeometry(rect.left, rect.top, std::max(rect.width(), 0), std::max(rect.height(), 0));
  Windows()[handle().id()] = this;
  if (Send(sys::kCreate, 0, 0) == -1) {
    Detach(false);
    return false;
  }
  if (widget_ == nullptr) return false;  // destroyed inside OnCreate
  widget_->SendSizeIfChanged();
  // A hidden child stays hidden when its parent is shown later, as a child
  // window without the visible style does.
  if (widget_ != nullptr) widget_->setVisible(style.visible);
  return widget_ != nullptr;
}

void Window::Destroy() {
  if (widget_ != nullptr && !destroying_) Detach(true);
}

void Window::Detach(bool run_destroy) {
  detail::WindowWidget* widget = widget_;
  if (run_destroy) {
    destroying_ = true;
    Send(sys::kDestroy, 0, 0);
    destroying_ = false;
    if (widget_ == nullptr) return;  // OnDestroy must not delete the object itself
  } else {
    WindowMessage m{sys::kDestroy, 0, 0, nullptr};
    const auto hooks = TheHooks().message;
    for (const auto& [id, hook] : hooks) hook(handle(), m);
  }
  widget_ = nullptr;
  Windows().erase(handle().id());
  SetVisible(false);
  ResetHandle();
  // The widget may be inside one of its own events; it goes once Qt is back
  // in its loop, hidden and deaf until then. Children that are Windows get
  // their own destroy when Qt deletes them.
  widget->owner_ = nullptr;
  StopTimers(*widget);
  widget->hide();
  widget->deleteLater();
}

void Window::WidgetGone() {
  // Qt deletes the widget with its parent's: this window goes with it.
  if (widget_ == nullptr) return;
  if (!destructing_) {
    Send(sys::kDestroy, 0, 0);
  }
  if (widget_ == nullptr) return;
  widget_->owner_ = nullptr;
  StopTimers(*widget_);
  widget_ = nullptr;
  Windows().erase(handle().id());
  SetVisible(false);
  ResetHandle();
}

Window* Window::FromHandle(const WindowHandle& handle) {
  if (!handle.IsWindow()) return nullptr;
  const auto it = Windows().find(handle.id());
  return it == Windows().end() ? nullptr : it->second;
}

bool Window::IsInside(const Window& ancestor) const {
  for (const Window* w = this; w != nullptr; w = w->parent_) {
    if (w == &ancestor) return true;
    if (w->style_.kind != WindowKind::kChild) break;
  }
  return false;
}

LResult Window::Deliver(WindowMessage& m) {
  const WindowHandle target = handle();
  const LResult result = WindowProc(m);
  if (!TheHooks().message.empty()) {
    const auto hooks = TheHooks().message;
    for (const auto& [id, hook] : hooks) hook(target, m);
  }
  return result;
}

LResult Window::Send(std::uint32_t message, WParam wparam, LParam lparam) {
  WindowMessage m{message, wparam, lparam, nullptr};
  return Deliver(m);
}

void Window::CommandParent(int code) {
  if (parent_)
    parent_->Send(sys::kCommand, sys::MakeWParam(id_, code), static_cast<LParam>(handle().id()));
}

void Window::NotifyParent(int code) {
  if (parent_) parent_->Send(sys::kNotify, static_cast<WParam>(id_), static_cast<LParam>(code));
}

LResult Window::WindowProc(WindowMessage& m) {
  const Point p = sys::PointFromLParam(m.lparam);
  switch (m.message) {
    case sys::kCreate:
      return OnCreate();
    case sys::kDestroy:
      OnDestroy();
      return 0;
    case sys::kSize:
      OnSize(sys::LowWord(m.lparam), sys::HighWord(m.lparam));
      return 0;
    case sys::kEraseBackground:
      return OnEraseBackground(*reinterpret_cast<DrawContext*>(m.wparam)) ? 1 : 0;
    case sys::kPaint:
      OnPaint(*reinterpret_cast<DrawContext*>(m.wparam));
      return 0;
    case sys::kTimer:
      OnTimer(static_cast<int>(m.wparam));
      return 0;
    case sys::kLButtonDown:
      OnLButtonDown(p, m.wparam);
      return 0;
    case sys::kLButtonUp:
      OnLButtonUp(p, m.wparam);
      return 0;
    case sys::kLButtonDblClk:
      OnLButtonDblClk(p, m.wparam);
      return 0;
    case sys::kRButtonDown:
      OnRButtonDown(p, m.wparam);
      return 0;
    case sys::kRButtonUp:
      OnRButtonUp(p, m.wparam);
      return 0;
    case sys::kMButtonDown:
      OnMButtonDown(p, m.wparam);
      return 0;
    case sys::kMButtonUp:
      OnMButtonUp(p, m.wparam);
      return 0;
    case sys::kMouseMove:
      OnMouseMove(p, m.wparam);
      return 0;
    case sys::kMouseLeave:
      OnMouseLeave();
      return 0;
    case sys::kMouseWheel:
      OnMouseWheel(sys::HighWord(static_cast<std::intptr_t>(m.wparam)), p,
                   static_cast<WParam>(sys::LowWord(static_cast<std::intptr_t>(m.wparam))));
      return 0;
    case sys::kMouseHWheel:
      OnMouseHWheel(sys::HighWord(static_cast<std::intptr_t>(m.wparam)), p,
                    static_cast<WParam>(sys::LowWord(static_cast<std::intptr_t>(m.wparam))));
      return 0;
    case sys::kKeyDown:
      OnKeyDown(m.wparam);
      return 0;
    case sys::kKeyUp:
      OnKeyUp(m.wparam);
      return 0;
    case sys::kChar:
      OnChar(static_cast<char16_t>(m.wparam));
      return 0;
    case sys::kSetFocus:
      OnSetFocus();
      return 0;
    case sys::kKillFocus:
      OnKillFocus();
      return 0;
    case sys::kClose:
      OnClose();
      return 0;
    case sys::kSetCursor:
      return OnSetCursor(static_cast<HitCode>(m.lparam)) ? 1 : 0;
    case sys::kCommand:
      return OnCommand(sys::LowWord(static_cast<std::intptr_t>(m.wparam)),
                       sys::HighWord(static_cast<std::intptr_t>(m.wparam)),
                       WindowHandle::FromId(static_cast<std::uint64_t>(m.lparam)))
                 ? 1
                 : 0;
    case sys::kNotify:
      return OnNotify(static_cast<int>(m.wparam), static_cast<int>(m.lparam)) ? 1 : 0;
    default:
      return DefaultProc(m);
  }
}

bool Window::OnEraseBackground(DrawContext& dc) {
  const Size s = dc.size();
  dc.FillRect({0, 0, s.width, s.height}, background_);
  return true;
}

void Window::OnClose() {
  if (style_.kind != WindowKind::kChild) Destroy();
}

bool Window::OnSetCursor(HitCode hit) {
  if (widget_ == nullptr) return false;
  CursorKind kind = cursor_;
  switch (hit) {
    case HitCode::kLeft:
    case HitCode::kRight:
      kind = CursorKind::kSizeWE;
      break;
    case HitCode::kTop:
    case HitCode::kBottom:
      kind = CursorKind::kSizeNS;
      break;
    case HitCode::kTopLeft:
    case HitCode::kBottomRight:
      kind = CursorKind::kSizeNWSE;
      break;
    case HitCode::kTopRight:
    case HitCode::kBottomLeft:
      kind = CursorKind::kSizeNESW;
      break;
    default:
      break;
  }
  widget_->setCursor(ToShape(kind));
  return true;
}

void Window::PaintInto(Bitmap& buffer, const std::vector<Rect>* boxes) {
  DrawContext dc(buffer);
  if (boxes != nullptr) dc.SetPaintBoxes(*boxes);
  Send(sys::kEraseBackground, reinterpret_cast<WParam>(&dc), 0);
  dc.ResetClip();
  dc.ResetMapping();
  Send(sys::kPaint, reinterpret_cast<WParam>(&dc), 0);
  if (const Window* veiling = VeilingWindow()) PaintVeil(dc, *veiling);
}

void Window::SetVeil(bool on, const std::u16string& label, const Rect& label_area) {
  const std::u16string shown = on ? label : std::u16string();
  if (on == veil_ && shown == veil_label_ && label_area == veil_label_area_) return;
  veil_ = on;
  veil_label_ = shown;
  veil_label_area_ = label_area;
  Invalidate();  // the child windows within are painted again with it
}

const Window* Window::VeilingWindow() const {
  for (const Window* w = this; w != nullptr; w = w->parent_) {
    if (w->veil_) return w;
    if (w->style_.kind != WindowKind::kChild) break;
  }
  return nullptr;
}

namespace {

Font VeilFont() {
  return Font::Points(u"굴림", 9, 700);
}

}  // namespace

Rect Window::VeilLabelRect() const {
  const Window* veiling = VeilingWindow();
  if (veiling == nullptr || veiling->veil_label_.empty()) return {};
  Bitmap one(1, 1);
  DrawContext measure(one);
  measure.SetFont(VeilFont());
  const int width = measure.TextExtent(veiling->veil_label_).width + 12;
  const Rect area =
      veiling->veil_label_area_.IsEmpty() ? veiling->ClientRect() : veiling->veil_label_area_;
  const int right = area.right - 4;
  // The label lies across whichever windows cover that corner: each draws
  // its part, at the same place on the screen.
  const Point origin = ScreenToClient(veiling->ClientToScreen({0, 0}));
  return Rect{right - width, area.top + 4, right, area.top + 22}.Offset(origin.x, origin.y);
}

void Window::PaintVeil(DrawContext& dc, const Window& veiling) {
  dc.ResetClip();
  dc.ResetMapping();
  dc.AlphaFill(ClientRect(), kVeilColor, kVeilAlpha);
  if (veiling.veil_label_.empty()) return;
  const Rect label = VeilLabelRect();
  if (label.Intersect(ClientRect()).IsEmpty()) return;
  dc.FillRect(label, kVeilLabelBack);
  dc.SetFont(VeilFont());
  dc.SetTransparentBackground(true);
  dc.SetTextColor(kVeilLabelText);
  dc.DrawText(veiling.veil_label_, label,
              text_flag::kSingleLine | text_flag::kVCenter | text_flag::kCenter |
                  text_flag::kNoPrefix);
}

// ---- geometry and state

Rect Window::ClientRect() const {
  if (!widget_) return {};
  return {0, 0, widget_->width(), widget_->height()};
}

Rect Window::WindowRect() const {
  if (!widget_) return {};
  if (widget_->isWindow()) {
    const QRect r = widget_->frameGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
  const QPoint origin = widget_->mapToGlobal(QPoint(0, 0));
  return {origin.x(), origin.y(), origin.x() + widget_->width(), origin.y() + widget_->height()};
}

void Window::Move(const Rect& rect) {
  if (widget_)
    widget_->setGeometry(rect.left, rect.top, std::max(rect.width(), 0),
                         std::max(rect.height(), 0));
  if (widget_) widget_->SendSizeIfChanged();
}

Point Window::ClientToScreen(Point p) const {
  if (!widget_) return p;
  const QPoint q = widget_->mapToGlobal(QPoint(p.x, p.y));
  return {q.x(), q.y()};
}

Point Window::ScreenToClient(Point p) const {
  if (!widget_) return p;
  const QPoint q = widget_->mapFromGlobal(QPoint(p.x, p.y));
  return {q.x(), q.y()};
}

void Window::Show(bool visible) {
  if (!widget_) return;
  // A pop-up meant to show without activation that the system activated all
  // the same hands activation back to its owner's frame as it goes.
  const bool give_back = !visible && style_.no_activate && parent_ != nullptr &&
                         parent_->widget_ != nullptr && widget_->isActiveWindow();
  widget_->setVisible(visible);
  if (give_back) parent_->widget_->window()->activateWindow();
}

void Window::ShowNoActivate() {
  if (!widget_) return;
  widget_->setAttribute(Qt::WA_ShowWithoutActivating);
  widget_->show();
}

// Without a window manager nobody acts on the window's state: the window
// takes the screen's work area itself, and gives it back.
void Window::ShowMaximized() {
  if (!widget_) return;
  const bool managed = HasWindowManager();
  if (!IsMaximized()) widget_->normal_geometry_ = widget_->geometry();
  widget_->showMaximized();
  if (!managed && widget_->isWindow() && widget_->screen() != nullptr) {
    widget_->self_maximized_ = true;
    widget_->setGeometry(widget_->screen()->availableGeometry());
  }
}
void Window::ShowMinimized() {
  if (!widget_) return;
  widget_->showMinimized();
  // No window manager to keep an icon: the window goes behind the others.
  if (!HasWindowManager() && widget_->isWindow()) widget_->lower();
}
void Window::ShowNormal() {
  if (!widget_) return;
  const bool self_maximized = widget_->self_maximized_;
  widget_->self_maximized_ = false;
  widget_->showNormal();
  if (self_maximized && widget_->normal_geometry_.isValid())
    widget_->setGeometry(widget_->normal_geometry_);
}
Rect Window::NormalRect() const {
  if (!widget_ || !widget_->isWindow()) return WindowRect();
  QRect r = widget_->geometry();
  if (widget_->self_maximized_) r = widget_->normal_geometry_;
  else if (widget_->isMaximized() || widget_->isMinimized()) r = widget_->normalGeometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

bool Window::IsMaximized() const {
  return widget_ && (widget_->isMaximized() || widget_->self_maximized_);
}
bool Window::IsVisible() const {
  return widget_ && widget_->isVisible();
}
void Window::Enable(bool enabled) {
  if (widget_) widget_->setEnabled(enabled);
}
bool Window::IsEnabled() const {
  return widget_ && widget_->isEnabled();
}
void Window::BringToTop() {
  if (widget_) widget_->raise();
}
void Window::SendToBottom() {
  if (widget_) widget_->lower();
}

void Window::SetText(const std::u16string& text) {
  text_ = text;
  if (widget_ && widget_->isWindow()) widget_->setWindowTitle(ToQString(text));
}

std::u16string Window::Text() const {
  return text_;
}

void Window::SetFocus() {
  if (widget_) widget_->setFocus(Qt::OtherFocusReason);
}
void Window::Activate() {
  if (!widget_) return;
  widget_->window()->raise();
  widget_->window()->activateWindow();
}
bool Window::HasFocus() const {
  return widget_ && widget_->hasFocus();
}
void Window::SetCapture() {
  if (widget_) widget_->grabMouse();
}
void Window::ReleaseCapture() {
  if (widget_ && QWidget::mouseGrabber() == widget_) widget_->releaseMouse();
}
bool Window::HasCapture() const {
  return widget_ && QWidget::mouseGrabber() == widget_;
}

void Window::SetCursor(CursorKind cursor) {
  cursor_ = cursor;
  if (widget_) widget_->setCursor(ToShape(cursor));
}

void Window::SetRoundRectMask(const Rect& rect, int ellipse_width, int ellipse_height) {
  if (!widget_) return;
  QPainterPath path;
  path.addRoundedRect(QRectF(rect.left, rect.top, rect.width(), rect.height()), ellipse_width / 2.0,
                      ellipse_height / 2.0);
  widget_->setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void Window::SetRectMask(const Rect& rect) {
  if (widget_) widget_->setMask(QRegion(rect.left, rect.top, rect.width(), rect.height()));
}

void Window::ClearMask() {
  if (widget_) widget_->clearMask();
}

void Window::BeginSystemMove() {
  if (!widget_) return;
  QWidget* top = widget_->window();
  QWindow* handle = top->windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return;
  // No window manager to do it: follow the mouse until the button goes up.
  widget_->dragging_ = true;
  widget_->drag_start_ = QCursor::pos();
  widget_->window_start_ = top->pos();
  if (QWidget::mouseGrabber() != widget_) widget_->grabMouse();
}

void Window::BeginSystemResize(HitCode edge) {
  if (!widget_ || ToEdges(edge) == Qt::Edges()) return;
  QWindow* handle = widget_->window()->windowHandle();
  if (handle != nullptr) (void)handle->startSystemResize(ToEdges(edge));
}

// Window timers are the loop's timers, so they run on the loop's clock.
void Window::SetTimer(int id, int period_ms) {
  if (!widget_) return;
  KillTimer(id);
  const WindowHandle self = handle();
  widget_->timers_[id] = UiLoop().StartTimer(
      std::chrono::milliseconds(std::max(period_ms, 0)), true, [self, id] {
        if (Window* w = FromHandle(self)) w->Send(sys::kTimer, static_cast<WParam>(id), 0);
      });
}

void Window::KillTimer(int id) {
  if (!widget_) return;
  const auto it = widget_->timers_.find(id);
  if (it == widget_->timers_.end()) return;
  UiLoop().StopTimer(it->second);
  widget_->timers_.erase(it);
}

void Window::StopTimers(detail::WindowWidget& widget) {
  for (const auto& [id, loop_id] : widget.timers_) UiLoop().StopTimer(loop_id);
  widget.timers_.clear();
}

void Window::Invalidate() {
  if (widget_) widget_->update();
}

void Window::Invalidate(const Rect& rect) {
  if (widget_) widget_->update(rect.left, rect.top, rect.width(), rect.height());
}

void Window::UpdateNow() {
  if (widget_) widget_->repaint();
}

void Window::UpdateNow(std::span<const Rect> rects) {
  if (!widget_ || rects.empty()) return;
  QRegion region;
  for (const Rect& r : rects) region += QRect(r.left, r.top, r.width(), r.height());
  widget_->repaint(region);
}

void Window::SetMouseTransparent(bool transparent) {
  if (widget_) widget_->setAttribute(Qt::WA_TransparentForMouseEvents, transparent);
}

bool Window::IsInActiveWindow() const {
  if (widget_ == nullptr) return false;
  // A pop-up the frame owns (a tip, a list) counts as the frame.
  const QWidget* frame = widget_->window();
  for (const QWidget* w = QApplication::activeWindow(); w != nullptr; w = w->parentWidget()) {
    if (w->window() == frame) return true;
  }
  return false;
}

void Window::SetBackgroundColor(Color c) {
  background_ = c;
}

Bitmap Window::Render() const {
  Bitmap out;
  if (!widget_) return out;
  out.image() = widget_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  return out;
}

bool Window::SaveScreenshot(const std::string& png_path) const {
  const Bitmap b = Render();
  return !b.IsNull() && b.SavePng(png_path);
}

}  // namespace velloran
