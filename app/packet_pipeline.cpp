#include "app/packet_pipeline.h"

#include <chrono>

#include "net/message_codes.h"

namespace velloran {
namespace {

void FreeQueue(moodycamel::BlockingConcurrentQueue<Packet*>& queue) {
  Packet* p = nullptr;
  while (queue.try_dequeue(p)) delete p;
}

// What a packet in the history holds on to.
std::size_t HeldBytes(const Packet& p) {
  return sizeof(Packet) + p.Text().capacity() * sizeof(char16_t);
}

}  // namespace

CPacketPipeline::~CPacketPipeline() {
  Stop();
  HistoryEntry e;
  while (history_.try_dequeue(e)) delete e.packet;
  history_bytes_ = 0;
  FreeQueue(incoming_);
}

void CPacketPipeline::Start(Dispatcher dispatch) {
  if (run_.exchange(1) != 0) return;
  dispatch_ = std::move(dispatch);
  due_.HandOver();  // the worker drains the posts from now on
  worker_ = std::thread([this] { WorkerProc(); });
}

void CPacketPipeline::Stop() {
  if (!worker_.joinable()) return;
  run_ = 0;
  incoming_.enqueue(nullptr);  // wakes the worker
  worker_.join();
}

void CPacketPipeline::WorkerProc() {
  while (run_.load() != 0) {
    const std::optional<std::chrono::milliseconds> next = due_.RunDue();
    Packet* p = nullptr;
    bool taken = false;
    if (!next) {
      incoming_.wait_dequeue(p);  // a stop wakes it with a null packet
      taken = true;
    } else {
      // Until the next post is due; a clock moved by hand is looked at again
      // after as long in real time.
      taken = incoming_.wait_dequeue_timed(p, *next);
    }
    if (!taken || p == nullptr) continue;
    dispatch_(*p);
    PushHistory(std::unique_ptr<Packet>(p));
  }
}

void CPacketPipeline::PushIncoming(std::unique_ptr<Packet> packet) {
  if (packet) incoming_.enqueue(packet.release());
}

void CPacketPipeline::ClearIncoming() {
  FreeQueue(incoming_);
}

std::vector<std::unique_ptr<Packet>> CPacketPipeline::TakeIncoming() {
  std::vector<std::unique_ptr<Packet>> out;
  out.reserve(incoming_.size_approx());
  Packet* p = nullptr;
  while (incoming_.try_dequeue(p)) out.emplace_back(p);
  return out;
}

void CPacketPipeline::DropWaitingHits() {
  // Only the user-interface thread pushes, and it is here: what is taken out
  // and put back keeps its order behind whatever the worker takes meanwhile.
  std::vector<Packet*> kept;
  Packet* p = nullptr;
  while (incoming_.try_dequeue(p)) {
    if (p == nullptr) {
      kept.push_back(p);  // a stop's wake-up
      continue;
    }
    const int gbn = p->GetInt(u"GBN", 0);
    const bool screens = (code::IsScreenCode(gbn) && gbn != code::kSavedScreen &&
                          gbn != code::kAlarm) ||
                         gbn == code::kScreenRequest;
    if (screens) {
      PushHistory(std::unique_ptr<Packet>(p));
    } else {
      kept.push_back(p);
    }
  }
  for (Packet* k : kept) incoming_.enqueue(k);
}

void CPacketPipeline::PushHistory(std::unique_ptr<Packet> packet) {
  if (!packet) return;
  const std::size_t bytes = HeldBytes(*packet);
  history_bytes_ += bytes;
  history_.enqueue(HistoryEntry{packet.release(), bytes});
  TrimHistory();
}

void CPacketPipeline::TrimHistory() {
  HistoryEntry e;
  while ((history_.size_approx() > kHistoryLimit || history_bytes_.load() > kHistoryBytes) &&
         history_.try_dequeue(e)) {
    history_bytes_ -= e.bytes;
    delete e.packet;
  }
}

}  // namespace velloran
