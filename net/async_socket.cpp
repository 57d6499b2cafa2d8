#include "net/async_socket.h"

#include <algorithm>
#include <atomic>
#include <list>
#include <mutex>
#include <thread>

#include "net/utf8.h"
#include "platform/event_loop.h"
#include "platform/socket_api.h"
#include "platform/window_messages.h"

namespace velloran {

struct CAsyncSocketEx::Lookup {
  std::uint64_t id = 0;
  std::uint32_t address = 0;  // written by the lookup thread before it posts
};

namespace {

// The process-wide list of notification windows, one per thread that has
// sockets, with the number of sockets attached to each.
struct ThreadEntry {
  std::thread::id thread;
  int references = 0;
  std::unique_ptr<CAsyncSocketExHelperWindow> window;
};

std::mutex& ThreadListLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

std::list<ThreadEntry>& ThreadList() {
  static auto* list = new std::list<ThreadEntry>;
  return *list;
}

std::atomic<std::uint64_t> next_lookup_id{1};

LParam MakeEventParam(unsigned event, int error) {
  return static_cast<LParam>((event & 0xFFFFu) | ((static_cast<unsigned>(error) & 0xFFFFu) << 16));
}

int HighWordError(LParam lparam) {
  return static_cast<std::int16_t>((static_cast<std::uintptr_t>(lparam) >> 16) & 0xFFFFu);
}

}  // namespace

// --- notification window ---------------------------------------------------

CAsyncSocketExHelperWindow::CAsyncSocketExHelperWindow(EventLoop& loop)
    : MessageWindow(loop), loop_(loop), table_(kInitialSlots, nullptr) {}

int CAsyncSocketExHelperWindow::Register(CAsyncSocketEx* socket) {
  if (socket->slot_ >= 0) return socket->slot_;
  if (count_ >= size() - 10 && size() < kMaxSlots) {
    table_.resize(std::min(size() + kSlotGrowth, kMaxSlots), nullptr);
  }
  for (int k = 0; k < size(); ++k) {
    const int i = (next_ + k) % size();
    if (table_[i] != nullptr) continue;
    table_[i] = socket;
    ++count_;
    next_ = (i + 1) % size();
    return i;
  }
  return -1;
}

void CAsyncSocketExHelperWindow::Unregister(int slot) {
  if (slot < 0 || slot >= size() || table_[slot] == nullptr) return;
  table_[slot] = nullptr;
  --count_;
}

LResult CAsyncSocketExHelperWindow::WindowProc(WindowMessage& m) {
  if (m.message == msg::kSocketLookupDone) {
    OnLookupDone(m);
    return 0;
  }
  if (m.message >= msg::kSocketEventBase &&
      m.message < msg::kSocketEventBase + static_cast<std::uint32_t>(size())) {
    OnSocketEvent(static_cast<int>(m.message - msg::kSocketEventBase), m);
    return 0;
  }
  return DefaultProc(m);
}

void CAsyncSocketExHelperWindow::OnSocketEvent(int slot, WindowMessage& m) {
  CAsyncSocketEx* socket = table_[slot];
  if (socket == nullptr || socket->handle_ < 0 ||
      m.wparam != static_cast<WParam>(socket->handle_)) {
    return;
  }
  const unsigned event = static_cast<unsigned>(m.lparam) & 0xFFFFu;
  int error = HighWordError(m.lparam);
  if ((socket->event_mask_ & event) == 0 && event != socket_event::kForcedRead) return;
  const int fd = socket->handle_;
  switch (event) {
    case socket_event::kRead: {
      // A read that leaves bytes behind is notified again at once; up to
      // kReadsPerEvent such notifications are handled here back to back
      // before the loop sees to other work. The readable count is asked for
      // only when the bytes last counted have been taken; the first count is
      // the readiness check's, still good as only this thread reads.
      long readable = socket->readable_hint_;
      socket->readable_hint_ = 0;
      for (int k = 0; k < kReadsPerEvent; ++k) {
        if (readable <= 0) {
          readable = sock::BytesReadable(fd);
          if (readable < 0 && error == 0) error = sock::PendingError(fd);
          if (readable <= 0 && error == 0) break;
        }
        socket->received_ = 0;
        socket->OnReceive(error);
        // The handler may have closed, replaced or destroyed the socket.
        if (table_[slot] != socket || socket->handle_ != fd || error != 0) break;
        // A handler that took nothing leaves the bytes to the next notification.
        if (socket->received_ <= 0) break;
        readable -= socket->received_;
      }
      if (table_[slot] == socket && socket->handle_ == fd && !socket->peer_closed_) {
        socket->SetInterest(socket->interest_ | fd_event::kReadable);
      }
      break;
    }
    case socket_event::kWrite:
      socket->OnSend(error);
      break;
    case socket_event::kAccept:
      socket->OnAccept(error);
      break;
    case socket_event::kConnect:
      socket->OnConnect(error);
      break;
    case socket_event::kClose:
      socket->OnClose(error);
      break;
    case socket_event::kForcedRead:
      socket->OnReceive(error);
      break;
    default:
      break;  // out-of-band data is selected but not handled
  }
}

void CAsyncSocketExHelperWindow::OnLookupDone(WindowMessage& m) {
  const auto id = static_cast<std::uint64_t>(m.wparam);
  for (CAsyncSocketEx* socket : table_) {
    if (socket == nullptr || !socket->lookup_ || socket->lookup_->id != id) continue;
    const int lookup_error = HighWordError(m.lparam);
    const std::uint32_t address = socket->lookup_->address;
    socket->lookup_.reset();
    if (lookup_error != 0) {
      socket->OnConnect(lookup_error);
      return;
    }
    int error = 0;
    socket->StartConnect(address, socket->port_, error);
    if (error != 0 && error != sock::kWouldBlock) socket->OnConnect(error);
    return;
  }
  // The socket was closed while its lookup ran: nothing to do.
}

// --- socket ------------------------------------------------------------------

CAsyncSocketEx::~CAsyncSocketEx() {
  Close();
  Detach();
}

int CAsyncSocketEx::LastError() {
  return sock::LastError();
}

bool CAsyncSocketEx::Attach() {
  if (window_ != nullptr) return true;
  EventLoop* loop = EventLoop::Current();
  if (loop == nullptr) return false;
  std::lock_guard<std::mutex> hold(ThreadListLock());
  const auto me = std::this_thread::get_id();
  auto& list = ThreadList();
  auto it =
      std::find_if(list.begin(), list.end(), [&](const ThreadEntry& e) { return e.thread == me; });
  if (it == list.end()) {
    list.push_back(ThreadEntry{me, 0, std::make_unique<CAsyncSocketExHelperWindow>(*loop)});
    it = std::prev(list.end());
  }
  ++it->references;
  window_ = it->window.get();
  return true;
}

void CAsyncSocketEx::Detach() {
  if (window_ == nullptr) return;
  std::unique_ptr<CAsyncSocketExHelperWindow> last;
  {
    std::lock_guard<std::mutex> hold(ThreadListLock());
    auto& list = ThreadList();
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const ThreadEntry& e) { return e.window.get() == window_; });
    if (it != list.end() && --it->references == 0) {
      last = std::move(it->window);
      list.erase(it);
    }
  }
  window_ = nullptr;
  // `last` destroys the window outside the lock, on this (its own) thread.
}

bool CAsyncSocketEx::Create() {
  if (handle_ >= 0) {
    sock::SetLastError(sock::kAlready);
    return false;
  }
  if (!Attach()) {
    sock::SetLastError(sock::kNotInitialised);
    return false;
  }
  handle_ = sock::OpenStream();
  if (handle_ < 0) return false;
  slot_ = window_->Register(this);
  if (slot_ < 0) {
    const int error = sock::LastError();
    Close();
    sock::SetLastError(error);
    return false;
  }
  event_mask_ = socket_event::kAll;
  interest_ = 0;
  window_->loop().WatchFd(handle_, 0, [this](int, unsigned ready) { OnReady(ready); });
  if (!sock::BindAny(handle_)) {
    const int error = sock::LastError();
    Close();
    sock::SetLastError(error);
    return false;
  }
  return true;
}

void CAsyncSocketEx::Close() {
  if (handle_ >= 0) {
    window_->loop().UnwatchFd(handle_);
    sock::Close(handle_);
    handle_ = -1;
    window_->Unregister(slot_);
    slot_ = -1;
  }
  lookup_.reset();  // a lookup still running finds no socket when it reports
  interest_ = 0;
  connecting_ = false;
  peer_closed_ = false;
  readable_hint_ = 0;
}

void CAsyncSocketEx::StartConnect(std::uint32_t address, int port, int& error) {
  const int rc = sock::Connect(handle_, address, port);
  if (rc == 0 || rc == sock::kInProgress) {
    // Completion, immediate or not, is reported by a connect event.
    connecting_ = true;
    SetInterest(fd_event::kReadable | fd_event::kWritable);
    error = rc == 0 ? 0 : sock::kWouldBlock;
  } else {
    error = rc;
  }
}

bool CAsyncSocketEx::Connect(const std::u16string& host, int port) {
  if (handle_ < 0) {
    sock::SetLastError(sock::kNotInitialised);
    return false;
  }
  const std::string name = Utf16ToUtf8(host);
  std::uint32_t address = 0;
  if (sock::ParseDotted(name, address)) {
    int error = 0;
    StartConnect(address, port, error);
    if (error != 0) sock::SetLastError(error);
    return error == 0;
  }
  auto lookup = std::make_shared<Lookup>();
  lookup->id = next_lookup_id++;
  lookup_ = lookup;
  port_ = port;
  const WindowHandle window = window_->handle();
  try {
    std::thread([lookup, window, name] {
      std::uint32_t found = 0;
      const int error = sock::ResolveIPv4(name, found);
      lookup->address = found;
      PostMessage(window, msg::kSocketLookupDone, static_cast<WParam>(lookup->id),
                  MakeEventParam(0, error));
    }).detach();
  } catch (const std::system_error&) {
    lookup_.reset();
    return false;
  }
  sock::SetLastError(sock::kWouldBlock);
  return true;
}

long CAsyncSocketEx::Receive(void* buffer, int size) {
  const long n = sock::Receive(handle_, buffer, static_cast<std::size_t>(size));
  if (n > 0) received_ += n;
  return n;
}

long CAsyncSocketEx::Send(const void* buffer, int size) {
  return sock::Send(handle_, buffer, static_cast<std::size_t>(size));
}

void CAsyncSocketEx::RequestSendNotification() {
  if (handle_ >= 0 && !connecting_) SetInterest(interest_ | fd_event::kWritable);
}

void CAsyncSocketEx::SetInterest(unsigned interest) {
  if (interest == interest_ || handle_ < 0) return;
  interest_ = interest;
  window_->loop().SetFdInterest(handle_, interest);
}

void CAsyncSocketEx::PostEvent(unsigned event, int error) {
  PostMessage(window_->handle(), msg::kSocketEventBase + static_cast<std::uint32_t>(slot_),
              static_cast<WParam>(handle_), MakeEventParam(event, error));
}

// The descriptor is level-triggered: an event is posted once, and the
// condition is watched again only after its message has been handled (read)
// or asked for again (write), as a window-message socket would notify.
void CAsyncSocketEx::OnReady(unsigned ready) {
  if (connecting_) {
    const int error = sock::PendingError(handle_);
    connecting_ = false;
    SetInterest(error == 0 ? fd_event::kReadable : 0);
    PostEvent(socket_event::kConnect, error);
    return;
  }
  if ((ready & fd_event::kReadable) && (interest_ & fd_event::kReadable)) {
    const long readable = sock::BytesReadable(handle_);
    if (readable == 0) {
      // End of the stream, or a reset: nothing more will be readable.
      peer_closed_ = true;
      SetInterest(0);
      PostEvent(socket_event::kClose, sock::PendingError(handle_));
      return;
    }
    SetInterest(interest_ & ~fd_event::kReadable);
    readable_hint_ = readable > 0 ? readable : 0;
    PostEvent(socket_event::kRead, readable < 0 ? sock::LastError() : 0);
  }
  if ((ready & fd_event::kWritable) && (interest_ & fd_event::kWritable)) {
    SetInterest(interest_ & ~fd_event::kWritable);
    PostEvent(socket_event::kWrite, 0);
  }
}

}  // namespace velloran
