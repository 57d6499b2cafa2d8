#pragma once
// Stand-ins for a window thread in tests and benchmarks: ManualMessageQueue
// keeps posted messages until its owner pumps them; RecordingWindow remembers
// every message it was given, and keeps the values they owned.
//
// One lock: a ManualMessageQueue's messages, which any thread posts and its
// owner pumps.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/message_window.h"

namespace velloran {

class ManualMessageQueue : public MessageQueue {
 public:
  ~ManualMessageQueue() override;  // drops what is still waiting
  void Push(WindowHandle target, WindowMessage message) override;

  // On the owning thread: delivers every waiting message in order; returns how
  // many reached an existing window.
  int DispatchPending();
  // Waits until at least count messages wait, or until the deadline; false
  // when the deadline passed first.
  [[nodiscard]] bool WaitForPending(std::size_t count, std::chrono::milliseconds timeout);
  [[nodiscard]] std::size_t PendingCount() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable pushed_;
  std::deque<std::pair<WindowHandle, WindowMessage>> waiting_;
};

// One message as it arrived: number and both parameters.
struct RecordedMessage {
  std::uint32_t message;
  WParam wparam;
  LParam lparam;
  friend bool operator==(const RecordedMessage&, const RecordedMessage&) = default;
};

class RecordingWindow : public MessageWindow {
 public:
  using MessageWindow::MessageWindow;
  LResult WindowProc(WindowMessage& m) override;

  // The value message i of those that owned one owned, when it is a T.
  template <typename T>
  [[nodiscard]] T* Owned(std::size_t i) const {
    auto* payload = i < payloads.size() ? dynamic_cast<OwnedPayload<T>*>(payloads[i].get()) : nullptr;
    return payload != nullptr ? payload->value.get() : nullptr;
  }

  std::vector<RecordedMessage> received;
  std::vector<std::unique_ptr<MessagePayload>> payloads;  // what the messages owned
};

}  // namespace velloran
