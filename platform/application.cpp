#include "platform/application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

#include "platform/qt_event_loop.h"
#include "platform/qt_text.h"
#include "platform/shared_library.h"
#include "platform/window.h"

namespace velloran {

namespace {
Application* the_application = nullptr;
std::function<void(const std::u16string&)>& MessageBoxHandler() {
  static std::function<void(const std::u16string&)> handler;
  return handler;
}
std::function<bool(const std::u16string&)>& OpenUrlHandler() {
  static std::function<bool(const std::u16string&)> handler;
  return handler;
}
}  // namespace

struct Application::Impl {
  Impl(int& argc, char** argv) : app(argc, argv) {}
  QApplication app;
  QtEventLoop loop;
  int exit_code = 0;
};

Application::Application(int& argc, char** argv) {
  if (the_application != nullptr) {
    std::fprintf(stderr, "velloran: a second Application\n");
    std::abort();
  }
  impl_ = std::make_unique<Impl>(argc, argv);
  // Closing the last window does not end the program; the frame decides.
  impl_->app.setQuitOnLastWindowClosed(false);
  the_application = this;
}

Application::~Application() {
  the_application = nullptr;
}

Application* Application::Instance() {
  return the_application;
}

EventLoop& Application::loop() {
  return impl_->loop;
}

int Application::Run() {
  impl_->loop.Run();
  return impl_->exit_code;
}

void Application::Quit(int exit_code) {
  impl_->exit_code = exit_code;
  impl_->loop.Quit();
}

EventLoop& UiLoop() {
  if (the_application == nullptr) {
    std::fprintf(stderr, "velloran: a window needs the Application first\n");
    std::abort();
  }
  return the_application->loop();
}

void ShowMessageBox(Window* owner, const std::u16string& text, const std::u16string& caption) {
  if (MessageBoxHandler()) {
    MessageBoxHandler()(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), QMessageBox::Ok,
                  owner ? WidgetOf(owner) : nullptr);
  // The interface speaks Korean, its boxes too.
  box.button(QMessageBox::Ok)->setText(QStringLiteral("확인"));
  box.exec();
}

void SetMessageBoxHandler(std::function<void(const std::u16string& text)> handler) {
  MessageBoxHandler() = std::move(handler);
}

bool OpenUrl(const std::u16string& url) {
  if (OpenUrlHandler()) return OpenUrlHandler()(url);
  return QDesktopServices::openUrl(QUrl(ToQString(url), QUrl::TolerantMode));
}

void SetOpenUrlHandler(std::function<bool(const std::u16string& url)> handler) {
  OpenUrlHandler() = std::move(handler);
}

bool IsForegroundWindowOurs() {
  return QApplication::activeWindow() != nullptr;
}

namespace {
Rect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
}  // namespace

Rect ScreenArea() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToRect(screen->geometry()) : Rect{};
}

Rect ScreenWorkArea() {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToRect(screen->availableGeometry()) : Rect{};
}

Bitmap GrabScreen() {
  Bitmap out;
  if (QScreen* screen = QGuiApplication::primaryScreen())
    out.image() = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
  return out;
}

std::string ExecutablePath() {
  if (QCoreApplication::instance() != nullptr)
    return QCoreApplication::applicationFilePath().toStdString();
  return {};
}

std::string ExecutableDirectory() {
  return SharedLibrary::ExecutableDirectory();
}

}  // namespace velloran
