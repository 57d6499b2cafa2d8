#pragma once
// The application object of the platform layer: starts Qt and the
// user-interface thread's event loop, and offers the few desktop services the
// system uses (message boxes, opening a web page, the executable's path).

#include <functional>
#include <memory>
#include <string>

#include "platform/draw_context.h"
#include "platform/event_loop.h"

namespace velloran {

class Window;

class Application {
 public:
  // One per process, on the thread that becomes the user-interface thread.
  // argc and argv must outlive it.
  Application(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Null before construction and after destruction.
  [[nodiscard]] static Application* Instance();
  [[nodiscard]] EventLoop& loop();

  // Runs the user-interface loop until Quit; returns the exit code.
  int Run();
  void Quit(int exit_code = 0);  // any thread

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The user-interface thread's loop; aborts when no Application exists.
[[nodiscard]] EventLoop& UiLoop();

// A modal box with the text and an OK button. Tests replace it with a handler
// that records the text (an empty handler restores the box).
void ShowMessageBox(Window* owner, const std::u16string& text,
                    const std::u16string& caption = u"Velloran");
void SetMessageBoxHandler(std::function<void(const std::u16string& text)> handler);

// Opens an address in the user's web browser; false when nothing could open it.
// Tests replace it likewise.
bool OpenUrl(const std::u16string& url);
void SetOpenUrlHandler(std::function<bool(const std::u16string& url)> handler);

// Whether the active window belongs to this program.
[[nodiscard]] bool IsForegroundWindowOurs();

// The primary screen in screen coordinates, and the part of it that panels
// and task bars leave free (the work area).
[[nodiscard]] Rect ScreenArea();
[[nodiscard]] Rect ScreenWorkArea();

// The whole primary screen as it is shown now (a screenshot).
[[nodiscard]] Bitmap GrabScreen();

// The running executable's absolute path, and its directory (no trailing "/").
[[nodiscard]] std::string ExecutablePath();
[[nodiscard]] std::string ExecutableDirectory();

}  // namespace velloran
