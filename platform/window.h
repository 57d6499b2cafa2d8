#pragma once
// The base of every window on screen: a system window (child, pop-up or
// top-level) whose input, painting, timers and life cycle arrive as messages
// at an overridable window procedure, and from there at the handlers below.
// A window is created, used and destroyed on the user-interface thread; other
// threads only post to its handle().

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/draw_context.h"
#include "platform/geometry.h"
#include "platform/message_window.h"
#include "platform/window_events.h"

class QWidget;

namespace velloran {

namespace detail {
class WindowWidget;
}
class Window;
// The Qt widget of a window, for the Qt-backed platform files only.
QWidget* WidgetOf(Window* window);

enum class WindowKind { kChild, kPopup, kTopLevel };

struct WindowStyle {
  WindowKind kind = WindowKind::kChild;
  bool visible = true;
  // Without the system's frame and caption: the window draws its own frame
  // and answers HitTest, and the layer hands moving and resizing to the system.
  bool frameless = false;
  bool topmost = false;      // pop-ups and top-level windows stay above others
  bool tool = false;         // no task-bar entry
  bool no_activate = false;  // shown without taking the focus
};

class Window : public MessageWindow {
 public:
  // Needs the Application (platform/application.h) to exist.
  Window();
  // Destroys the system window if Destroy was not called (OnDestroy does not
  // run then: the derived part is already gone).
  ~Window() override;

  // Creates the system window; rect is in the parent's client coordinates for
  // a child, in screen coordinates otherwise (a pop-up's parent is its owner).
  // Runs OnCreate; false when it answers -1 or the window already exists.
  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, const std::u16string& text,
                            const WindowStyle& style = {});
  // Runs OnDestroy and removes the system window (and its children's). The
  // old handle() names no window from here on.
  void Destroy();
  [[nodiscard]] bool IsCreated() const { return widget_ != nullptr; }

  [[nodiscard]] int id() const { return id_; }
  [[nodiscard]] Window* parent() const { return parent_; }
  // True when this window is ancestor or lies inside it.
  [[nodiscard]] bool IsInside(const Window& ancestor) const;

  // Geometry. ClientRect starts at (0, 0); WindowRect is in screen coordinates.
  [[nodiscard]] Rect ClientRect() const;
  [[nodiscard]] Rect WindowRect() const;
  // In the parent's client coordinates for a child, in screen coordinates otherwise.
  void Move(const Rect& rect);
  [[nodiscard]] Point ClientToScreen(Point p) const;
  [[nodiscard]] Point ScreenToClient(Point p) const;

  void Show(bool visible);
  void ShowNoActivate();
  void ShowMaximized();
  void ShowMinimized();
  void ShowNormal();
  [[nodiscard]] bool IsMaximized() const;
  // A top-level window's place and size when not maximised or minimised, in
  // screen coordinates (its client area: the windows here draw their own frame).
  [[nodiscard]] Rect NormalRect() const;
  [[nodiscard]] bool IsVisible() const;  // this window and its parents are shown
  void Enable(bool enabled);
  [[nodiscard]] bool IsEnabled() const;
  void BringToTop();
  void SendToBottom();
  void SetText(const std::u16string& text);
  [[nodiscard]] std::u16string Text() const;

  void SetFocus();
  [[nodiscard]] bool HasFocus() const;
  // Makes the top-level window or pop-up this window lies in the active one,
  // so that the keys come to its focus (a tool pop-up is not made active by
  // the system when it shows).
  void Activate();
  // Mouse messages keep coming to this window while the capture lasts, even
  // outside it.
  void SetCapture();
  void ReleaseCapture();
  [[nodiscard]] bool HasCapture() const;
  // The cursor shown over the client area (OnSetCursor may choose another).
  void SetCursor(CursorKind cursor);
  // The mouse passes through to what lies beneath (lines and labels drawn
  // over the window the user points at).
  void SetMouseTransparent(bool transparent);
  // True while the top-level window this window lies in, or a pop-up it
  // owns, is the active one.
  [[nodiscard]] bool IsInActiveWindow() const;
  // Only the inside of a rounded rectangle (ellipse_width x ellipse_height
  // corners) or a rectangle stays visible and receives the mouse.
  void SetRoundRectMask(const Rect& rect, int ellipse_width, int ellipse_height);
  void SetRectMask(const Rect& rect);
  void ClearMask();
  // Lets the system move (or resize from the given edge) the top-level window
  // this window lies in, following the mouse: what a press on the caption or
  // the frame does. Call while the left button is down.
  void BeginSystemMove();
  void BeginSystemResize(HitCode edge);

  // Window timers: kTimer with wParam id every period_ms; starting an id again
  // restarts it. KillTimer inside the timer's own tick stops it for good.
  void SetTimer(int id, int period_ms);
  void KillTimer(int id);

  // Painting: every paint draws into an off-screen bitmap of the client area
  // (erase background, then OnPaint) and copies it to the screen once.
  void Invalidate();
  void Invalidate(const Rect& rect);
  void UpdateNow();                  // paints what is invalid before returning
  // Paints those parts (client coordinates) before returning, and no more.
  void UpdateNow(std::span<const Rect> rects);
  void SetBackgroundColor(Color c);  // what OnEraseBackground fills with
  [[nodiscard]] Color BackgroundColor() const { return background_; }
  // A grey veil over what the window and its child windows paint, for data
  // that stopped: the last values stay readable under it, and the label (when
  // not empty) stands in a small box at the top right of label_area (of the
  // client area when empty). Off: none.
  void SetVeil(bool on, const std::u16string& label = {}, const Rect& label_area = {});
  // The nearest window, this one or a parent within the same top-level
  // window or pop-up, whose veil is on; null when none.
  [[nodiscard]] const Window* VeilingWindow() const;
  static constexpr Color kVeilColor = Rgb(128, 128, 128);
  static constexpr int kVeilAlpha = 110;
  static constexpr Color kVeilLabelBack = Rgb(66, 66, 74);
  static constexpr Color kVeilLabelText = Rgb(255, 255, 255);
  // Where the veil's label stands, in this window's client coordinates.
  [[nodiscard]] Rect VeilLabelRect() const;
  // The window with its children as they are painted now.
  [[nodiscard]] Bitmap Render() const;
  [[nodiscard]] bool SaveScreenshot(const std::string& png_path) const;

  // Delivers a message now, like SendMessage, and lets the message hooks see it.
  LResult Send(std::uint32_t message, WParam wparam, LParam lparam);
  // kCommand (wParam id and code) or kNotify (wParam id, lParam code) to the parent.
  void CommandParent(int code);
  void NotifyParent(int code);

  // The window procedure: system messages go to the handlers, everything else
  // to DefaultProc. Overrides handle their messages and pass the rest here.
  LResult WindowProc(WindowMessage& m) override;

  // The window behind a handle, or null; on the user-interface thread only.
  [[nodiscard]] static Window* FromHandle(const WindowHandle& handle);

 protected:
  // -1 cancels the creation.
  virtual int OnCreate() { return 0; }
  virtual void OnDestroy() {}
  virtual void OnSize(int /*width*/, int /*height*/) {}
  // Fills the client area with BackgroundColor(); return true when done.
  virtual bool OnEraseBackground(DrawContext& dc);
  virtual void OnPaint(DrawContext& /*dc*/) {}
  virtual void OnTimer(int /*id*/) {}
  // Points are client coordinates; flags are the sys::k...Flag bits.
  virtual void OnLButtonDown(Point, WParam /*flags*/) {}
  virtual void OnLButtonUp(Point, WParam) {}
  virtual void OnLButtonDblClk(Point, WParam) {}
  virtual void OnRButtonDown(Point, WParam) {}
  virtual void OnRButtonUp(Point, WParam) {}
  virtual void OnMButtonDown(Point, WParam) {}
  virtual void OnMButtonUp(Point, WParam) {}
  virtual void OnMouseMove(Point, WParam) {}
  virtual void OnMouseLeave() {}
  // delta: 120 per notch, positive away from the user.
  virtual void OnMouseWheel(int /*delta*/, Point, WParam) {}
  // A horizontal wheel or tilt: delta above 0 to the right.
  virtual void OnMouseHWheel(int /*delta*/, Point, WParam) {}
  virtual void OnKeyDown(WParam /*key*/) {}
  virtual void OnKeyUp(WParam /*key*/) {}
  virtual void OnChar(char16_t /*ch*/) {}
  virtual void OnSetFocus() {}
  virtual void OnKillFocus() {}
  // Default: Destroy for pop-up and top-level windows.
  virtual void OnClose();
  // True when the handler set the cursor itself. The default shows the sizing
  // cursors on the frame's edges and the window's cursor elsewhere.
  virtual bool OnSetCursor(HitCode hit);
  // Where a point (client coordinates) lies; frameless windows use it to hand
  // presses on the caption and edges to the system. Default: client.
  virtual HitCode HitTest(Point /*client_point*/) { return HitCode::kClient; }
  // From a child control; true when handled.
  virtual bool OnCommand(int /*id*/, int /*code*/, const WindowHandle& /*child*/) { return false; }
  virtual bool OnNotify(int /*id*/, int /*code*/) { return false; }

 private:
  friend class detail::WindowWidget;
  friend QWidget* WidgetOf(Window* window);
  LResult Deliver(WindowMessage& m);
  void WidgetGone();
  void Detach(bool run_destroy);
  static void StopTimers(detail::WindowWidget& widget);
  // box: the part to renew (the rest of buffer holds the last paint); null
  // for all of it.
  void PaintInto(Bitmap& buffer, const std::vector<Rect>* boxes = nullptr);
  void PaintVeil(DrawContext& dc, const Window& veiling);

  detail::WindowWidget* widget_ = nullptr;
  Window* parent_ = nullptr;
  int id_ = 0;
  WindowStyle style_;
  Color background_ = Rgb(255, 255, 255);
  CursorKind cursor_ = CursorKind::kArrow;
  std::u16string text_;
  bool destructing_ = false;
  bool destroying_ = false;
  bool veil_ = false;
  std::u16string veil_label_;
  Rect veil_label_area_;
};

// Hooks, on the user-interface thread. A pre-translation hook sees every
// mouse press (sys::kLButtonDown, kRButtonDown, kMButtonDown and the double
// clicks) before it is dispatched, with the window it is addressed to (the
// innermost Window under the mouse); returning true swallows it. A message hook
// sees every message the layer delivered to a window, after the procedure
// returned (the window may be gone by then). Both return an id for removal.
using PreTranslateHook = std::function<bool(const WindowHandle& target, const WindowMessage& m)>;
using MessageHook = std::function<void(const WindowHandle& target, const WindowMessage& m)>;
int AddPreTranslateHook(PreTranslateHook hook);
// Whether a window manager runs (moves, maximises and iconifies windows on
// request); without one the layer does what it can itself.
[[nodiscard]] bool HasWindowManager();
void RemovePreTranslateHook(int id);
int AddMessageHook(MessageHook hook);
void RemoveMessageHook(int id);

// A key press before the window it goes to sees it: its code (as kKeyDown's),
// the modifiers (sys::kShiftFlag, kControlFlag, kAltFlag), the character it
// types (0 for none), whether it goes to a text box, and the innermost
// Window at or above the widget it goes to. A hook returning true swallows it.
struct KeyPressInfo {
  WParam key = 0;
  WParam modifiers = 0;
  char16_t ch = 0;
  bool in_text_box = false;
  WindowHandle target;
};
using KeyHook = std::function<bool(const KeyPressInfo& key)>;
int AddKeyHook(KeyHook hook);
void RemoveKeyHook(int id);

}  // namespace velloran
