#include "platform/memo_control.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include "platform/qt_text.h"
#include "platform/window_events.h"

namespace velloran {

class MemoControl::Editor : public QPlainTextEdit {
 public:
  explicit Editor(QWidget* parent) : QPlainTextEdit(parent) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
  }
};

MemoControl::MemoControl() = default;
MemoControl::~MemoControl() = default;

bool MemoControl::Create(Window* parent, int id, const Rect& rect, bool read_only,
                         const WindowStyle& window) {
  if (!Window::Create(parent, id, rect, u"", window)) return false;
  QWidget* widget = WidgetOf(this);
  editor_ = new Editor(widget);
  editor_->setGeometry(0, 0, widget->width(), widget->height());
  editor_->setReadOnly(read_only);
  widget->setFocusProxy(editor_);
  SetFont(Font::Points(u"굴림", 9));
  editor_->show();
  return true;
}

LResult MemoControl::WindowProc(WindowMessage& m) {
  const LResult result = Window::WindowProc(m);
  if (m.message == sys::kDestroy) editor_ = nullptr;  // goes with the widget
  return result;
}

void MemoControl::OnSize(int width, int height) {
  if (editor_ != nullptr) editor_->setGeometry(0, 0, width, height);
}

void MemoControl::SetText(const std::u16string& text) {
  Window::SetText(text);
  if (editor_ != nullptr) editor_->setPlainText(ToQString(text));
}

std::u16string MemoControl::Text() const {
  return editor_ != nullptr ? FromQString(editor_->toPlainText()) : Window::Text();
}

void MemoControl::SetColors(Color text, Color background) {
  if (editor_ == nullptr) return;
  QPalette p = editor_->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::Base, QColor(background.r, background.g, background.b));
    p.setColor(group, QPalette::Text, QColor(text.r, text.g, text.b));
  }
  editor_->setPalette(p);
  SetBackgroundColor(background);
}

void MemoControl::SetFont(const Font& font) {
  if (editor_ != nullptr) editor_->setFont(ToQFont(font));
}

void MemoControl::SetReadOnly(bool read_only) {
  if (editor_ != nullptr) editor_->setReadOnly(read_only);
}

int MemoControl::FirstVisibleLine() const {
  return editor_ != nullptr ? editor_->verticalScrollBar()->value() : 0;
}

int MemoControl::LineCount() const {
  return editor_ != nullptr ? editor_->document()->blockCount() : 0;
}

void MemoControl::ScrollToLine(int line) {
  if (editor_ != nullptr) editor_->verticalScrollBar()->setValue(line);
}

}  // namespace velloran
