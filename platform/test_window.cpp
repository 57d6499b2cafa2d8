#include "platform/test_window.h"

namespace velloran {

ManualMessageQueue::~ManualMessageQueue() = default;

void ManualMessageQueue::Push(WindowHandle target, WindowMessage message) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    waiting_.emplace_back(std::move(target), std::move(message));
  }
  pushed_.notify_all();
}

int ManualMessageQueue::DispatchPending() {
  std::deque<std::pair<WindowHandle, WindowMessage>> batch;
  {
    std::lock_guard<std::mutex> hold(lock_);
    batch.swap(waiting_);
  }
  int delivered = 0;
  for (auto& [target, message] : batch) delivered += DeliverMessage(target, message) ? 1 : 0;
  return delivered;
}

bool ManualMessageQueue::WaitForPending(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  return pushed_.wait_for(hold, timeout, [&] { return waiting_.size() >= count; });
}

std::size_t ManualMessageQueue::PendingCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return waiting_.size();
}

LResult RecordingWindow::WindowProc(WindowMessage& m) {
  received.push_back({m.message, m.wparam, m.lparam});
  if (m.owned) payloads.push_back(std::move(m.owned));
  return 0;
}

}  // namespace velloran
