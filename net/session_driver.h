#pragma once
// CSessionDriver keeps the session alive for the main frame: it starts the
// dispatcher's worker a second after start and connects 100 ms later. A
// socket that reports its session ended is replaced 1 s later; after a
// connection that did not hold for a whole watch period the wait doubles, up
// to 30 s, so that a server that keeps refusing is not hammered. Every 10 s a
// watch checks the connection as well and replaces a lost socket the same
// way, without limit. A connection on which nothing at all has arrived for
// two minutes counts as lost too: the server sends at least its minute event
// every minute. Every new connection greets the server anew.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/session_socket.h"
#include "platform/clock.h"

namespace velloran {

class EventLoop;

// The session store as the driver sees it: where received packets go, the
// worker it starts, and where the current socket is published for senders.
class SessionStoreLink : public IncomingQueue {
 public:
  virtual void StartWorker() = 0;
  // The store forgets the old socket (null) before it goes.
  virtual void SetSocket(CQZSocket* socket) = 0;
  [[nodiscard]] virtual CQZSocket* socket() const = 0;
};

struct SessionTimings {
  std::chrono::milliseconds start_delay{1000};   // frame created -> worker started
  std::chrono::milliseconds connect_delay{100};  // worker started -> first connect
  std::chrono::milliseconds watch_period{10000};
  std::chrono::milliseconds retry_delay{1000};  // loss found -> new socket
  std::chrono::milliseconds silence_limit{120000};  // nothing received -> lost
  // The longest wait before a new socket, however often the last ones failed.
  std::chrono::milliseconds max_retry_delay{30000};
};

// What the session is doing, for the user to see.
enum class LinkState {
  kWaiting,     // before the first connect
  kConnecting,  // a connect is in progress
  kConnected,
  kLost,  // refused, failed or dropped; a new connect follows
};

struct LinkStatus {
  LinkState state = LinkState::kWaiting;
  // Whole seconds (rounded up) until the next connect while one is due or
  // will be once the watch sees the loss; -1 otherwise.
  int seconds_to_retry = -1;
  std::uint64_t packets_received = 0;  // over every socket so far
  // The connection was given up because nothing arrived for too long; until
  // the next connection succeeds.
  bool silent = false;
};

struct SessionEndpoint {
  std::u16string host;
  int port = 0;
  std::u16string user_id;
};

class CSessionDriver {
 public:
  CSessionDriver(EventLoop& loop, SessionStoreLink& session, SessionEndpoint endpoint,
                 SessionTimings timings = {});
  ~CSessionDriver();
  CSessionDriver(const CSessionDriver&) = delete;
  CSessionDriver& operator=(const CSessionDriver&) = delete;

  void SetOrderBookView(OrderBookLink* view);
  // Runs at the start step (a second after Start), before the worker starts
  // and the first connect is scheduled.
  void SetStartHook(std::function<void()> hook) { start_hook_ = std::move(hook); }
  // Starts the first timer; later calls do nothing.
  void Start();

  [[nodiscard]] CQZSocket* socket() const { return socket_.get(); }
  // Sockets made so far (1 after the first connect).
  [[nodiscard]] int connect_count() const { return connect_count_; }
  // When the next connect is due (by the loop's clock), while one is scheduled.
  [[nodiscard]] bool NextConnectDue(Clock::SteadyTime& due) const;
  // The state now, by the loop's clock.
  [[nodiscard]] LinkStatus Status() const;

 private:
  void OnStartTimer();
  void OnConnectTimer();
  void OnWatchTimer();
  // The socket said its session ended, or the watch found it so.
  void OnLost();
  // The wait before the next socket: the retry delay doubled for every
  // connection in a row that failed before it held a watch period.
  [[nodiscard]] std::chrono::milliseconds RetryDelay() const;
  void ScheduleConnect(std::chrono::milliseconds delay);
  void StopTimer(int& id);

  EventLoop& loop_;
  SessionStoreLink& session_;
  const SessionEndpoint endpoint_;
  const SessionTimings timings_;
  OrderBookLink* view_ = nullptr;
  std::function<void()> start_hook_;
  std::unique_ptr<CQZSocket> socket_;
  int start_timer_ = 0;
  int connect_timer_ = 0;
  int watch_timer_ = 0;
  bool started_ = false;
  int connect_count_ = 0;
  int failures_ = 0;  // connections in a row lost before a watch saw them hold
  Clock::SteadyTime connect_due_{};
  Clock::SteadyTime watch_start_{};
  std::uint64_t packets_before_ = 0;  // received by the sockets already replaced
  // What the watch last saw arrive on the current socket, and when.
  std::uint64_t bytes_seen_ = 0;
  Clock::SteadyTime arrival_seen_{};
  bool silent_ = false;
};

}  // namespace velloran
