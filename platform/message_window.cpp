#include "platform/message_window.h"

#include <mutex>
#include <thread>
#include <unordered_map>

namespace velloran {
namespace detail {

// Shared by the window and every handle to it. The window pointer is cleared
// by the window's destructor on the owning thread; posts only read it to
// decide whether to queue, deliveries run on the owning thread itself.
struct WindowSlot {
  WindowSlot(MessageWindow* w, MessageQueue* q, std::uint64_t i)
      : window(w), queue(q), owner(std::this_thread::get_id()), id(i) {}
  std::atomic<MessageWindow*> window;
  MessageQueue* const queue;
  const std::thread::id owner;
  const std::uint64_t id;
  std::atomic<bool> visible{false};
};

namespace {

// Id -> slot, so that a window can travel as a number in a wParam.
struct Registry {
  std::mutex lock;
  std::unordered_map<std::uint64_t, std::weak_ptr<WindowSlot>> slots;
  std::uint64_t next_id = 1;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // never destroyed: windows may outlive statics
  return *registry;
}

}  // namespace
}  // namespace detail

bool WindowHandle::IsWindow() const {
  return slot_ != nullptr && slot_->window.load(std::memory_order_acquire) != nullptr;
}

bool WindowHandle::IsVisible() const {
  return IsWindow() && slot_->visible.load(std::memory_order_acquire);
}

std::uint64_t WindowHandle::id() const {
  return slot_ ? slot_->id : 0;
}

WindowHandle WindowHandle::FromId(std::uint64_t id) {
  auto& registry = detail::TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  const auto it = registry.slots.find(id);
  if (it == registry.slots.end()) return {};
  auto slot = it->second.lock();
  if (!slot || slot->window.load(std::memory_order_acquire) == nullptr) return {};
  return WindowHandle(std::move(slot));
}

MessageWindow::MessageWindow(MessageQueue& queue) {
  auto& registry = detail::TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  slot_ = std::make_shared<detail::WindowSlot>(this, &queue, registry.next_id++);
  registry.slots.emplace(slot_->id, slot_);
}

MessageWindow::~MessageWindow() {
  slot_->window.store(nullptr, std::memory_order_release);
  auto& registry = detail::TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  registry.slots.erase(slot_->id);
}

void MessageWindow::ResetHandle() {
  MessageQueue* queue = slot_->queue;
  slot_->window.store(nullptr, std::memory_order_release);
  auto& registry = detail::TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  registry.slots.erase(slot_->id);
  slot_ = std::make_shared<detail::WindowSlot>(this, queue, registry.next_id++);
  registry.slots.emplace(slot_->id, slot_);
}

void MessageWindow::SetVisible(bool visible) {
  slot_->visible.store(visible, std::memory_order_release);
}

bool PostMessage(const WindowHandle& target, WindowMessage message) {
  if (!target.IsWindow()) return false;  // the message and its packet go here
  target.slot_->queue->Push(target, std::move(message));
  return true;
}

bool PostMessage(const WindowHandle& target, std::uint32_t message, WParam wparam, LParam lparam) {
  return PostMessage(target, WindowMessage{message, wparam, lparam, nullptr});
}

LResult SendMessage(const WindowHandle& target, std::uint32_t message, WParam wparam,
                    LParam lparam) {
  if (target.IsNull() || target.slot_->owner != std::this_thread::get_id()) return 0;
  WindowMessage m{message, wparam, lparam, nullptr};
  MessageWindow* window = target.slot_->window.load(std::memory_order_acquire);
  return window ? window->WindowProc(m) : 0;
}

bool DeliverMessage(const WindowHandle& target, WindowMessage& message) {
  if (target.IsNull()) return false;
  MessageWindow* window = target.slot_->window.load(std::memory_order_acquire);
  if (window == nullptr) return false;
  window->WindowProc(message);
  return true;
}

}  // namespace velloran
