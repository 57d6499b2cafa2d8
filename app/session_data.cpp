#include "app/session_data.h"

#include "net/decoder.h"
#include "net/session_socket.h"

namespace velloran {

CSessionData::CSessionData(SessionOptions options)
    : clock_(options.clock ? *options.clock : SystemClock::Instance()),
      decoder_(options.decoder),
      pipeline_(clock_),
      store_(clock_),
      lists_(options.data_dir, pipeline_),
      journal_(JournalOptions{options.data_dir, store_.TradingDate(), options.journal_keep_days}) {
  LoadSettings();
  LoadRecent();
}

CSessionData::~CSessionData() {
  pipeline_.Stop();
  SaveSettings();
  SaveRecent();
}

void CSessionData::StartWorker() {
  // Packets handled before (a test's, with no worker) leave the dispatcher
  // to the worker from now on.
  if (!pipeline_.running()) dispatch_thread_.Release();
  pipeline_.Start([this](Packet& p) { Dispatch(p); });
}

std::u16string CSessionData::SwitchScreen(int code) {
  std::u16string dropped = store_.DropRecords(code);
  pipeline_.DropWaitingHits();
  return dropped;
}

void CSessionData::SetWindows(Windows windows) {
  std::lock_guard<std::mutex> hold(windows_lock_);
  windows_ = std::move(windows);
  windows_version_.fetch_add(1);
}

void CSessionData::SetSocket(CQZSocket* socket) {
  socket_ = socket;
  if (socket != nullptr) ++connections_;
}

bool CSessionData::Send(const Packet& packet) {
  return socket_ != nullptr && socket_->Send(packet) >= 0;
}

std::u16string CSessionData::Decode(const std::u16string& text) const {
  return decoder_ ? decoder_->Decode(text) : std::u16string();
}

}  // namespace velloran
