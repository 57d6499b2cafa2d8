#include "net/session_driver.h"

#include "app/session_data.h"
#include "platform/event_loop.h"

namespace velloran {

CSessionDriver::CSessionDriver(EventLoop& loop, CSessionData& session, SessionEndpoint endpoint,
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
  connect_due_ = std::chrono::steady_clock::now() + delay;
  connect_timer_ = loop_.StartTimer(delay, false, [this] { OnConnectTimer(); });
}

bool CSessionDriver::NextConnectDue(std::chrono::steady_clock::time_point& due) const {
  if (connect_timer_ == 0) return false;
  due = connect_due_;
  return true;
}

void CSessionDriver::OnStartTimer() {
  start_timer_ = 0;
  ScheduleConnect(timings_.connect_delay);
  session_.StartWorker();
}

void CSessionDriver::OnConnectTimer() {
  connect_timer_ = 0;
  // The store forgets the old socket before it goes, so no sender finds it.
  session_.SetSocket(nullptr);
  socket_.reset();
  socket_ = std::make_unique<CQZSocket>(session_, endpoint_.user_id);
  session_.SetSocket(socket_.get());
  socket_->SetOrderBookView(view_);
  ++connect_count_;
  (void)socket_->ConnectTo(endpoint_.host, endpoint_.port);
  StopTimer(watch_timer_);
  watch_timer_ = loop_.StartTimer(timings_.watch_period, true, [this] { OnWatchTimer(); });
}

void CSessionDriver::OnWatchTimer() {
  if (!socket_ || socket_->connected()) return;
  StopTimer(watch_timer_);
  ScheduleConnect(timings_.retry_delay);
}

}  // namespace velloran
