#include "platform/edit_control.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QValidator>

#include "platform/qt_text.h"
#include "platform/window_events.h"

namespace velloran {

std::u16string UpperLatin(std::u16string text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}

namespace {

// Turns Latin letters to upper case in whatever reaches the field.
class UpperValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    for (qsizetype i = 0; i < input.size(); ++i) {
      const char16_t c = input[i].unicode();
      if (c >= u'a' && c <= u'z') input[i] = QChar(c - u'a' + u'A');
    }
    return Acceptable;
  }
};

WParam ButtonFlags(const QMouseEvent* e) {
  WParam flags = 0;
  if (e->buttons() & Qt::LeftButton) flags |= sys::kLButtonFlag;
  if (e->buttons() & Qt::RightButton) flags |= sys::kRButtonFlag;
  if (e->modifiers() & Qt::ShiftModifier) flags |= sys::kShiftFlag;
  if (e->modifiers() & Qt::ControlModifier) flags |= sys::kControlFlag;
  return flags;
}

bool IsDialogKey(int qt_key) {
  return qt_key == Qt::Key_Tab || qt_key == Qt::Key_Backtab || qt_key == Qt::Key_Return ||
         qt_key == Qt::Key_Enter || qt_key == Qt::Key_Escape;
}

}  // namespace

// The Qt line edit inside the field's window. Keys take the way through the
// window's own widget, so that the field's window procedure (and the message
// hooks) see kKeyDown / kChar / kKeyUp first and may swallow them; what is
// left comes back here.
class EditControl::LineEdit : public QLineEdit {
 public:
  LineEdit(EditControl* owner, QWidget* window_widget)
      : QLineEdit(window_widget), owner_(owner), window_widget_(window_widget) {
    window_widget->installEventFilter(this);
    window_widget->setFocusProxy(this);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
      if (owner_ == nullptr) return;
      owner_->Window::SetText(FromQString(text));
      owner_->CommandParent(ctl::kEditChange);
    });
  }

  EditControl* owner_;
  QWidget* window_widget_;
  bool forwarding_ = false;
  bool have_colors_ = false;
  ControlColors colors_;

  void ApplyColors() {
    if (owner_ == nullptr) return;
    ControlColors c;
    const bool have = owner_->QueryColors(c);
    if (have == have_colors_ &&
        (!have || (c.text == colors_.text && c.background == colors_.background)))
      return;
    have_colors_ = have;
    colors_ = c;
    QPalette p = QApplication::palette(this);
    if (have) {
      for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, ToQColor(c.background));
        p.setColor(group, QPalette::Window, ToQColor(c.background));
        p.setColor(group, QPalette::Text, ToQColor(c.text));
      }
    }
    setPalette(p);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != window_widget_ || owner_ == nullptr) return false;
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
    if (forwarding_) return false;  // the window widget's own turn
    auto* key = static_cast<QKeyEvent*>(e);
    QPointer<LineEdit> alive(this);
    if (e->type() == QEvent::KeyRelease) {
      Forward(key);
      if (!alive) return true;
      forwarding_ = true;
      QApplication::sendEvent(window_widget_, e);  // kKeyUp after the text changed
      if (alive) forwarding_ = false;
      return true;
    }
    owner_->swallow_key_ = false;
    forwarding_ = true;
    QApplication::sendEvent(window_widget_, e);  // kKeyDown, kChar
    if (!alive) return true;
    forwarding_ = false;
    if (owner_ == nullptr || owner_->swallow_key_) return true;
    if (IsDialogKey(key->key())) {
      // Keys a dialog acts on go on to the parent, as the dialog manager would
      // have seen them.
      if (owner_->parent() != nullptr) {
        const WParam vk = key->key() == Qt::Key_Escape ? sys::kVkEscape
                          : (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                              ? sys::kVkTab
                              : sys::kVkReturn;
        owner_->parent()->Send(sys::kKeyDown, vk, 0);
      }
      return true;
    }
    Forward(key);
    return true;
  }

  void Forward(QKeyEvent* e) {
    forwarding_ = true;
    QPointer<LineEdit> alive(this);
    QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(),
                   static_cast<ushort>(e->count()));
    QApplication::sendEvent(this, &copy);
    if (alive) forwarding_ = false;
  }

  bool event(QEvent* e) override {
    // Keys typed here go round through the window first (see eventFilter).
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) && !forwarding_) {
      if (owner_ != nullptr) QApplication::sendEvent(window_widget_, e);
      return true;
    }
    if (e->type() == QEvent::KeyPress) {
      keyPressEvent(static_cast<QKeyEvent*>(e));  // no focus chain for Tab
      return true;
    }
    return QLineEdit::event(e);
  }

  void paintEvent(QPaintEvent* e) override {
    ApplyColors();
    QLineEdit::paintEvent(e);
  }

  void focusInEvent(QFocusEvent* e) override {
    QLineEdit::focusInEvent(e);
    if (owner_ == nullptr) return;
    owner_->Send(sys::kSetFocus, 0, 0);
    if (owner_ != nullptr) owner_->CommandParent(ctl::kEditSetFocus);
  }
  void focusOutEvent(QFocusEvent* e) override {
    QLineEdit::focusOutEvent(e);
    if (owner_ == nullptr) return;
    owner_->Send(sys::kKillFocus, 0, 0);
    if (owner_ != nullptr) owner_->CommandParent(ctl::kEditKillFocus);
  }

  // The default handling first, then the field's window procedure.
  void Mouse(QMouseEvent* e, std::uint32_t message) {
    if (owner_ == nullptr) return;
    const QPoint p = mapTo(window_widget_, e->position().toPoint());
    owner_->Send(message, ButtonFlags(e), sys::MakeLParam(p.x(), p.y()));
  }
  void mousePressEvent(QMouseEvent* e) override {
    QPointer<LineEdit> alive(this);
    QLineEdit::mousePressEvent(e);
    if (alive && e->button() == Qt::LeftButton) Mouse(e, sys::kLButtonDown);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    QPointer<LineEdit> alive(this);
    QLineEdit::mouseReleaseEvent(e);
    if (alive && e->button() == Qt::LeftButton) Mouse(e, sys::kLButtonUp);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    QPointer<LineEdit> alive(this);
    QLineEdit::mouseMoveEvent(e);
    // The field's own moves, for a tip that watches it.
    if (alive) Mouse(e, sys::kMouseMove);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    QPointer<LineEdit> alive(this);
    QLineEdit::mouseDoubleClickEvent(e);
    if (alive && e->button() == Qt::LeftButton) Mouse(e, sys::kLButtonDblClk);
  }
};

EditControl::EditControl() = default;

EditControl::~EditControl() {
  if (edit_ != nullptr) edit_->owner_ = nullptr;
}

bool EditControl::Create(Window* parent, int id, const Rect& rect, const EditStyle& style,
                         const WindowStyle& window) {
  if (!Window::Create(parent, id, rect, u"", window)) return false;
  style_ = style;
  QWidget* widget = WidgetOf(this);
  // A field destroyed and created again leaves its old line edit to the old widget.
  if (edit_ != nullptr) edit_->owner_ = nullptr;
  edit_ = new LineEdit(this, widget);
  edit_->setFrame(style.border);
  edit_->setGeometry(0, 0, widget->width(), widget->height());
  if (style.uppercase) edit_->setValidator(new UpperValidator(edit_));
  SetPasswordStyle(style.password);
  SetReadOnly(style.read_only);
  SetLimit(style.limit);
  edit_->show();
  return true;
}

LResult EditControl::WindowProc(WindowMessage& m) {
  const LResult result = Window::WindowProc(m);
  // The line edit goes with the window's widget; it no longer speaks for us.
  if (m.message == sys::kDestroy && edit_ != nullptr) {
    edit_->owner_ = nullptr;
    edit_ = nullptr;
  }
  return result;
}

void EditControl::OnSize(int width, int height) {
  if (edit_ != nullptr) edit_->setGeometry(0, 0, width, height);
}

void EditControl::SetText(const std::u16string& text) {
  const std::u16string shown = style_.uppercase ? UpperLatin(text) : text;
  if (edit_ == nullptr) {
    Window::SetText(shown);
    return;
  }
  edit_->setText(ToQString(shown));
  // A text set by the program shows from its start, caret first, as the
  // system's edit box does; typing keeps its own caret.
  edit_->setCursorPosition(0);
  Window::SetText(FromQString(edit_->text()));  // after the limit
}

std::u16string EditControl::Text() const {
  return edit_ != nullptr ? FromQString(edit_->text()) : Window::Text();
}

void EditControl::SetFont(const Font& font) {
  if (edit_ != nullptr) edit_->setFont(ToQFont(font));
}

void EditControl::SetLimit(int characters) {
  style_.limit = characters;
  if (edit_ != nullptr) edit_->setMaxLength(characters > 0 ? characters : 32767);
}

void EditControl::SetPasswordStyle(bool password) {
  style_.password = password;
  if (edit_ != nullptr) edit_->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

void EditControl::SetReadOnly(bool read_only) {
  style_.read_only = read_only;
  if (edit_ != nullptr) edit_->setReadOnly(read_only);
}

void EditControl::SetMargins(int left, int right) {
  if (edit_ != nullptr) edit_->setTextMargins(left, 0, right, 0);
}

void EditControl::SetSel(int start, int end) {
  if (edit_ == nullptr) return;
  const int length = static_cast<int>(edit_->text().size());
  if (start < 0) {
    edit_->deselect();
    return;
  }
  if (end < 0 || end > length) end = length;
  start = std::min(start, length);
  // The caret ends at end, as the system leaves it.
  edit_->setSelection(start, end - start);
}

int EditControl::SelectionStart() const {
  if (edit_ == nullptr) return 0;
  return edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
}

int EditControl::SelectionEnd() const {
  if (edit_ == nullptr) return 0;
  return edit_->hasSelectedText() ? edit_->selectionEnd() : edit_->cursorPosition();
}

int EditControl::CaretPosition() const {
  return edit_ != nullptr ? edit_->cursorPosition() : 0;
}

void EditControl::SetCaretPosition(int position) {
  if (edit_ != nullptr) edit_->setCursorPosition(position);
}

void EditControl::RefreshColors() {
  if (edit_ == nullptr) return;
  edit_->ApplyColors();
  edit_->update();
}

bool EditControl::QueryColors(ControlColors& colors) {
  if (parent() == nullptr) return false;
  return parent()->Send(ctl::kControlColor, reinterpret_cast<WParam>(&colors),
                        static_cast<LParam>(handle().id())) != 0;
}

}  // namespace velloran
