#pragma once
// Window messages without a display: handles that any thread may copy and post
// through, a post that fails once its window is gone, and a send on the
// window's own thread. The Qt window layer backs the same interface with real
// windows by implementing MessageQueue for its event loop.
//
// How the pieces meet:
// - Every window derives from MessageWindow and is created and destroyed on its
//   owning thread, given that thread's MessageQueue (which outlives it).
// - PostMessage (any thread) checks that the window still exists and hands the
//   message to the window's queue; the queue's thread later calls
//   DeliverMessage, which runs the window procedure if the window still exists.
// - A message may own a value (WindowMessage::owned: a packet, a copy of a
//   view's state). Whoever ends up holding the message frees it: a failed
//   post, a queue dropping it, or a window procedure that does not Take() it
//   all free the value with the message.
//
// One lock (message_window.cpp): the registry of window ids, which posting
// threads read and window threads change.

#include <atomic>
#include <cstdint>
#include <memory>

namespace velloran {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

namespace detail {
struct WindowSlot;
}

class MessageQueue;

// What a posted message owns.
class MessagePayload {
 public:
  virtual ~MessagePayload() = default;
};

template <typename T>
class OwnedPayload final : public MessagePayload {
 public:
  explicit OwnedPayload(std::unique_ptr<T> v) : value(std::move(v)) {}
  std::unique_ptr<T> value;
};

// One message as a window procedure sees it.
struct WindowMessage {
  std::uint32_t message = 0;
  WParam wparam = 0;
  LParam lparam = 0;
  // A value the message carries and owns; its pointer is also in wparam or
  // lparam, as the message's table says. Freed with the message unless the
  // receiver takes it.
  std::unique_ptr<MessagePayload> owned;

  // The owned value when it is a T, taken from the message; null otherwise.
  template <typename T>
  [[nodiscard]] std::unique_ptr<T> Take() {
    auto* payload = dynamic_cast<OwnedPayload<T>*>(owned.get());
    if (payload == nullptr) return nullptr;
    std::unique_ptr<T> value = std::move(payload->value);
    owned.reset();
    return value;
  }
};

// Names one window. Cheap to copy; copies may be used on any thread (one
// handle object, like any value, is not assigned while another thread reads
// it). A null handle names no window. It never keeps a window alive.
class WindowHandle {
 public:
  WindowHandle() = default;

  // True while the window exists (it may be gone a moment later).
  [[nodiscard]] bool IsWindow() const;
  // The window's visible flag (MessageWindow::SetVisible); false when gone.
  [[nodiscard]] bool IsVisible() const;
  [[nodiscard]] bool IsNull() const { return slot_ == nullptr; }

  // A number that stands for the window in a wParam (message 2142); 0 for a
  // null handle. FromId gives a null handle for a window that no longer exists.
  [[nodiscard]] std::uint64_t id() const;
  [[nodiscard]] static WindowHandle FromId(std::uint64_t id);

  friend bool operator==(const WindowHandle& a, const WindowHandle& b) {
    return a.slot_ == b.slot_;
  }

 private:
  friend class MessageWindow;
  friend bool PostMessage(const WindowHandle&, WindowMessage);
  friend bool DeliverMessage(const WindowHandle&, WindowMessage&);
  friend LResult SendMessage(const WindowHandle&, std::uint32_t, WParam, LParam);
  explicit WindowHandle(std::shared_ptr<detail::WindowSlot> slot) : slot_(std::move(slot)) {}
  std::shared_ptr<detail::WindowSlot> slot_;
};

// The place where posted messages wait for the thread that owns their windows.
class MessageQueue {
 public:
  virtual ~MessageQueue() = default;
  // Called from any thread. The queue must later call DeliverMessage(target,
  // message) on its own thread, in posting order, or drop the message.
  virtual void Push(WindowHandle target, WindowMessage message) = 0;
};

// Base of every window: owns the window's slot, so its handle stops naming it
// when it is destroyed.
class MessageWindow {
 public:
  // Created on the owning thread (the one SendMessage and deliveries run on);
  // queue: that thread's queue, which must outlive the window.
  explicit MessageWindow(MessageQueue& queue);
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  // From here on posts to handle() fail and messages still waiting are dropped
  // (their packets freed).
  virtual ~MessageWindow();

  [[nodiscard]] WindowHandle handle() const { return WindowHandle(slot_); }
  // Kept up to date by the window layer (shown, hidden); read from any thread.
  void SetVisible(bool visible);

  // The window procedure, on the owning thread, for posted and sent messages.
  // Unknown messages should return DefaultProc(m).
  virtual LResult WindowProc(WindowMessage& m) { return DefaultProc(m); }

 protected:
  static LResult DefaultProc(WindowMessage&) { return 0; }
  // For a window destroyed while its object lives on (and maybe re-created):
  // the old handle names no window from here on, handle() gives a new one.
  void ResetHandle();

 private:
  std::shared_ptr<detail::WindowSlot> slot_;
};

// Posts from any thread. False, with the owned packet freed, when the handle
// names no existing window.
bool PostMessage(const WindowHandle& target, WindowMessage message);
bool PostMessage(const WindowHandle& target, std::uint32_t message, WParam wparam, LParam lparam);
// Posts a message that owns value; its pointer is put into the wparam
// (as_wparam) or the lparam, the other parameter is `other`.
template <typename T>
bool PostOwned(const WindowHandle& target, std::uint32_t message, std::unique_ptr<T> value,
               bool as_wparam, std::intptr_t other) {
  const auto pointer = reinterpret_cast<std::uintptr_t>(value.get());
  WindowMessage m{message, as_wparam ? pointer : static_cast<WParam>(other),
                  as_wparam ? other : static_cast<LParam>(pointer),
                  std::make_unique<OwnedPayload<T>>(std::move(value))};
  return PostMessage(target, std::move(m));
}

// Runs the window procedure at once. Only on the window's owning thread; from
// another thread, or for a window that is gone, nothing runs and 0 is returned.
LResult SendMessage(const WindowHandle& target, std::uint32_t message, WParam wparam,
                    LParam lparam);

// For MessageQueue implementations, on the owning thread: runs the window
// procedure if the window still exists. False when it is gone (the message,
// and its packet, are then left to the caller to drop).
bool DeliverMessage(const WindowHandle& target, WindowMessage& message);

}  // namespace velloran
