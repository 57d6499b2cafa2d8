#include "net/session_driver.h"

#include <algorithm>

#include "platform/event_loop.h"

namespace velloran {

CSessionDriver::CSessionDriver(EventLoop& loop, SessionStoreLink& session, SessionEndpoint endpoint,
                               SessionTimings timings)
    : loop_(loop), session_(session), endpoint_(std::move(endpoint)), timings_(timings) {}

CSessionDriver::~CSessionDriver() {
  StopTimer(start_timer_);
  StopTimer(connect_timer_);
  StopTimer(watch_timer_);
  if (session_.socket() == socket_.get()) session_.SetSocket(nullptr);
}

void CSessionDriver::SetOrderBookView(OrderBookLink* view) {
  view_ = view;
  if (socket_) socket_->SetOrderBookView(view);
}

void CSessionDriver::Start() {
  if (started_) return;
  started_ = true;
  start_timer_ = loop_.StartTimer(timings_.start_delay, false, [this] { OnStartTimer(); });
}

void CSessionDriver::StopTimer(int& id) {
  if (id != 0) loop_.StopTimer(id);
  id = 0;
}

void CSessionDriver::ScheduleConnect(std::chrono::milliseconds delay) {
  StopTimer(connect_timer_);
  connect_due_ = loop_.clock().Steady() + delay;
  connect_timer_ = loop_.StartTimer(delay, false, [this] { OnConnectTimer(); });
}

bool CSessionDriver::NextConnectDue(Clock::SteadyTime& due) const {
  if (connect_timer_ == 0) return false;
  due = connect_due_;
  return true;
}

LinkStatus CSessionDriver::Status() const {
  const Clock::SteadyTime now = loop_.clock().Steady();
  LinkStatus status;
  status.packets_received = packets_before_ + (socket_ ? socket_->packets_received() : 0);
  status.silent = silent_ && !(socket_ && socket_->connected());
  if (socket_ && socket_->connected()) {
    status.state = LinkState::kConnected;
    return status;
  }
  if (!socket_) {
    status.state = LinkState::kWaiting;
  } else {
    status.state = socket_->connecting() ? LinkState::kConnecting : LinkState::kLost;
  }
  Clock::SteadyTime due{};
  if (connect_timer_ != 0) {
    due = connect_due_;
  } else if (watch_timer_ != 0 && status.state == LinkState::kLost) {
    // The watch ticks every period from its start; the connect follows it.
    const auto period = timings_.watch_period;
    const auto ticks = (now - watch_start_) / period + 1;
    due = watch_start_ + ticks * period + RetryDelay();
  } else {
    return status;
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
  status.seconds_to_retry = left <= 0 ? 0 : static_cast<int>((left + 999) / 1000);
  return status;
}

void CSessionDriver::OnStartTimer() {
  start_timer_ = 0;
  if (start_hook_) start_hook_();
  ScheduleConnect(timings_.connect_delay);
  session_.StartWorker();
}

void CSessionDriver::OnConnectTimer() {
  connect_timer_ = 0;
  // The store forgets the old socket before it goes, so no sender finds it.
  session_.SetSocket(nullptr);
  if (socket_) packets_before_ += socket_->packets_received();
  socket_.reset();
  socket_ = std::make_unique<CQZSocket>(session_, endpoint_.user_id);
  session_.SetSocket(socket_.get());
  socket_->SetOrderBookView(view_);
  // The handler only schedules: the socket is replaced from the timer.
  socket_->SetOnLost([this] { OnLost(); });
  ++connect_count_;
  (void)socket_->ConnectTo(endpoint_.host, endpoint_.port);
  StopTimer(watch_timer_);
  watch_start_ = arrival_seen_ = loop_.clock().Steady();
  bytes_seen_ = 0;
  watch_timer_ = loop_.StartTimer(timings_.watch_period, true, [this] { OnWatchTimer(); });
  // A connect that failed at once reports nothing.
  if (!socket_->connecting() && !socket_->connected()) OnLost();
}

std::chrono::milliseconds CSessionDriver::RetryDelay() const {
  std::chrono::milliseconds delay = timings_.retry_delay;
  for (int i = 0; i < failures_ && delay < timings_.max_retry_delay; ++i) delay *= 2;
  return std::min(delay, std::max(timings_.retry_delay, timings_.max_retry_delay));
}

void CSessionDriver::OnLost() {
  if (connect_timer_ != 0) return;  // already scheduled
  StopTimer(watch_timer_);
  ScheduleConnect(RetryDelay());
  ++failures_;
}

void CSessionDriver::OnWatchTimer() {
  if (!socket_) return;
  if (socket_->connected()) {
    silent_ = false;
    failures_ = 0;  // this one held
    const Clock::SteadyTime now = loop_.clock().Steady();
    if (socket_->bytes_received() != bytes_seen_) {
      bytes_seen_ = socket_->bytes_received();
      arrival_seen_ = now;
      return;
    }
    if (now - arrival_seen_ < timings_.silence_limit) return;
    // Open but silent: the server or the path to it is gone without a word.
    silent_ = true;
    socket_->Drop();
  }
  OnLost();
}

}  // namespace velloran
