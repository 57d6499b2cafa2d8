#pragma once
// CAsyncSocketEx, a non-blocking IPv4 stream socket whose network events
// arrive as messages on a hidden notification window of the thread that
// created it, and become calls of its virtual handlers on that thread. One
// notification window serves every socket of a thread; a socket's events use
// the message number of its slot in that window's table.
//
// One lock (async_socket.cpp): the list of threads with a notification
// window, which sockets of every thread share.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_window.h"

namespace velloran {

class EventLoop;
class CAsyncSocketEx;

namespace socket_event {
inline constexpr unsigned kRead = 1;
inline constexpr unsigned kWrite = 2;
inline constexpr unsigned kOutOfBand = 4;
inline constexpr unsigned kAccept = 8;
inline constexpr unsigned kConnect = 16;
inline constexpr unsigned kClose = 32;
inline constexpr unsigned kAll = 63;
inline constexpr unsigned kForcedRead = 0x8000;
}  // namespace socket_event

// The hidden window of one thread. Its table maps slot i to the socket whose
// events arrive as message kSocketEventBase + i.
class CAsyncSocketExHelperWindow : public MessageWindow {
 public:
  static constexpr int kInitialSlots = 512;
  static constexpr int kSlotGrowth = 512;
  static constexpr int kMaxSlots = 48126;  // message numbers stay at or below 49151
  static constexpr int kReadsPerEvent = 16;

  explicit CAsyncSocketExHelperWindow(EventLoop& loop);
  [[nodiscard]] EventLoop& loop() const { return loop_; }

  // The socket's slot (kept when it has one), or -1 when the table is full.
  [[nodiscard]] int Register(CAsyncSocketEx* socket);
  void Unregister(int slot);
  [[nodiscard]] int size() const { return static_cast<int>(table_.size()); }
  [[nodiscard]] int count() const { return count_; }

  LResult WindowProc(WindowMessage& m) override;

 private:
  void OnSocketEvent(int slot, WindowMessage& m);
  void OnLookupDone(WindowMessage& m);

  EventLoop& loop_;
  std::vector<CAsyncSocketEx*> table_;
  int next_ = 0;
  int count_ = 0;
};

class CAsyncSocketEx {
 public:
  CAsyncSocketEx() = default;
  CAsyncSocketEx(const CAsyncSocketEx&) = delete;
  CAsyncSocketEx& operator=(const CAsyncSocketEx&) = delete;
  // Closes the socket and releases this thread's notification window.
  virtual ~CAsyncSocketEx();

  // Attaches to the thread's notification window (the thread must run an
  // event loop), opens the socket, takes a slot, selects every event and
  // binds to any local address. False with LastError() on failure.
  [[nodiscard]] virtual bool Create();
  virtual void Close();
  // A dotted address connects at once; a name is looked up on a helper thread
  // first. True only when connected at once; a pending connect gives false with
  // LastError() kWouldBlock and completes with OnConnect.
  virtual bool Connect(const std::u16string& host, int port);
  // The system's receive and send; -1 with LastError() on failure.
  [[nodiscard]] virtual long Receive(void* buffer, int size);
  [[nodiscard]] virtual long Send(const void* buffer, int size);

  virtual void OnAccept(int /*error*/) {}
  virtual void OnClose(int /*error*/) {}
  virtual void OnConnect(int /*error*/) {}
  virtual void OnReceive(int /*error*/) {}
  virtual void OnSend(int /*error*/) {}

  // Selects the write event again: the next OnSend comes once the network
  // takes more bytes (after a send that would block or was taken in part).
  void RequestSendNotification();

  [[nodiscard]] int handle() const { return handle_; }
  [[nodiscard]] int slot() const { return slot_; }
  // The notification window of this socket's thread, while created.
  [[nodiscard]] const CAsyncSocketExHelperWindow* helper_window() const { return window_; }
  [[nodiscard]] static int LastError();

 private:
  friend class CAsyncSocketExHelperWindow;
  struct Lookup;

  // Readiness of the descriptor, turned into posted event messages.
  void OnReady(unsigned ready);
  void PostEvent(unsigned event, int error);
  void SetInterest(unsigned interest);
  [[nodiscard]] bool Attach();
  void Detach();
  void StartConnect(std::uint32_t address, int port, int& error);

  int handle_ = -1;
  int slot_ = -1;
  unsigned event_mask_ = 0;
  std::shared_ptr<Lookup> lookup_;
  int port_ = 0;
  CAsyncSocketExHelperWindow* window_ = nullptr;
  unsigned interest_ = 0;  // what the event loop reports for the descriptor
  bool connecting_ = false;
  bool peer_closed_ = false;  // the close event has been posted
  long received_ = 0;         // bytes Receive took in the read handler now running
  long readable_hint_ = 0;    // bytes counted readable when the read event was posted
};

}  // namespace velloran
