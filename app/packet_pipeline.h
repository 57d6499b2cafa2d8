#pragma once
// The way every received packet takes through the store: the incoming queue
// the session socket fills, the worker thread that takes one packet at a time
// and hands it to the dispatcher, and the history queue where dispatched
// packets live until 1000 newer ones have followed them or the history's
// texts outgrow 16 MiB.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <concurrentqueue/blockingconcurrentqueue.h>
#include <concurrentqueue/concurrentqueue.h>

#include "app/due_posts.h"
#include "net/packet.h"
#include "net/session_socket.h"

namespace velloran {

class CPacketPipeline : public IncomingQueue {
 public:
  static constexpr std::size_t kHistoryLimit = 1000;
  // What the texts of the history may take together; the oldest go first.
  static constexpr std::size_t kHistoryBytes = 16u << 20;
  using Dispatcher = std::function<void(Packet&)>;

  // Delayed posts run on clock.
  explicit CPacketPipeline(Clock& clock) : due_(clock) {}
  // Stops the worker, then frees both queues.
  ~CPacketPipeline() override;
  CPacketPipeline(const CPacketPipeline&) = delete;
  CPacketPipeline& operator=(const CPacketPipeline&) = delete;

  // Starts the worker once; later calls do nothing. The worker blocks while
  // the incoming queue is empty and no delayed post waits; it runs the
  // delayed posts when due, between packets.
  void Start(Dispatcher dispatch);
  // Ends the worker after the packet it is handling; waits for it.
  void Stop();
  [[nodiscard]] bool running() const { return run_.load() != 0; }

  void PushIncoming(std::unique_ptr<Packet> packet) override;
  void ClearIncoming() override;
  // Every packet waiting, in order, without dispatching (tools and tests
  // that stand where the worker would).
  [[nodiscard]] std::vector<std::unique_ptr<Packet>> TakeIncoming();
  // A screen switch: the waiting screening hits and batch ends go,
  // undispatched, to the history; everything else (the stock master, dates,
  // quotes, saved screens and alarms) stays in the queue in its order.
  void DropWaitingHits();
  // A window message to go out a pause after the one asked for before it;
  // asked for by the dispatcher, on the worker.
  void PostAfter(std::chrono::milliseconds pause, CDuePosts::Post post) {
    due_.After(pause, std::move(post));
  }
  // The delayed posts now due (tools and tests that stand where the worker
  // would).
  void RunDuePosts() { (void)due_.RunDue(); }
  // A packet the store no longer needs; freed once 1000 newer ones follow
  // or the history outgrows its bytes.
  void PushHistory(std::unique_ptr<Packet> packet);

  [[nodiscard]] std::size_t history_size() const { return history_.size_approx(); }
  [[nodiscard]] std::size_t history_bytes() const { return history_bytes_.load(); }
  [[nodiscard]] std::size_t incoming_size() const { return incoming_.size_approx(); }

 private:
  void WorkerProc();
  void TrimHistory();

  moodycamel::BlockingConcurrentQueue<Packet*> incoming_;
  // Each packet with the bytes it was counted at.
  struct HistoryEntry {
    Packet* packet = nullptr;
    std::size_t bytes = 0;
  };
  moodycamel::ConcurrentQueue<HistoryEntry> history_;
  std::atomic<std::size_t> history_bytes_{0};
  CDuePosts due_;
  std::thread worker_;
  std::atomic<int> run_{0};
  Dispatcher dispatch_;
};

}  // namespace velloran
