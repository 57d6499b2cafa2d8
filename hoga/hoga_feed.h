#pragma once
// CHogaFeed, the order-book view's model and thread: the link the session
// socket routes the book's packets to, the queue they wait in, the thread
// that blocks on it and applies one packet at a time to the book
// (HandlePacket), and what it tells others. It never touches a window: its
// window gets a copy of the book after each change and the quotes parsed
// here (a posted HogaChange), the bars that follow the stock get their own
// copies of the quote (BookQuote), and the replies meant for other views are
// passed on as they came.
//
// One lock: targets_lock_ guards the targets, which the window sets and the
// thread reads.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <concurrentqueue/blockingconcurrentqueue.h>

#include "hoga/book_frame.h"
#include "hoga/hoga_book.h"
#include "net/packet.h"
#include "net/quote.h"
#include "net/session_socket.h"
#include "platform/message_window.h"
#include "stock/stock_records.h"

namespace velloran {

class CSessionStore;

// What the book's thread hands its window after one change (an owned value
// of msg::kHogaBook).
struct HogaChange {
  enum class Kind {
    kSnapshot,  // a new stock: the whole canvas, the trade list, the own record
    kBook,      // 2002 "HOGA"
    kTrade,     // 2002 "CPRC"
    kMemo,      // 3013
  };
  Kind kind = Kind::kBook;
  BookFrame frame;
  // A snapshot's trade rows, newest first (at most kMaxTrades); a trade's one
  // row, which the window's own record of the stock takes too.
  std::vector<CPKT> trades;
  // A snapshot's record of the stock, as a screening record would have it,
  // and the quote it takes once its bars are scaled: the snapshot's (the
  // master's price when it has none) with the book's totals.
  std::unique_ptr<CQZData> record;
  CPKT record_quote;
  std::u16string memo;
};

// Where the book's news goes; null handles get nothing.
struct HogaTargets {
  WindowHandle view;        // the book's own window
  WindowHandle top_bar;     // snapshots and trades
  WindowHandle chart_view;  // new stocks, trades, chart replies 1 and 2
  WindowHandle koa_view;    // new stocks, book updates and the day's ratio samples
  WindowHandle replay;      // replay data and chart replies 3 and up
};

class CHogaFeed : public OrderBookLink {
 public:
  static constexpr int kMaxTrades = 50;

  // Reads the stock master and the trading date from the store.
  explicit CHogaFeed(const CSessionStore& store);
  // Stops the thread, then frees what is left in the queue.
  ~CHogaFeed() override;
  CHogaFeed(const CHogaFeed&) = delete;
  CHogaFeed& operator=(const CHogaFeed&) = delete;

  // Starts the thread once; it blocks while the queue is empty.
  void Start();
  // Ends the thread after the packet it is handling and waits for it.
  void Stop();
  [[nodiscard]] bool running() const { return thread_.joinable(); }

  // OrderBookLink. Any thread; ownership passes; a snapshot only on the
  // user-interface thread.
  void PushPacket(std::unique_ptr<Packet> packet) override;
  // The stock of the snapshot pushed last: the thread applies it before
  // anything pushed after it, so its trades belong here from then on.
  [[nodiscard]] std::u16string_view ShownStockCode() const override { return routed_code_; }
  // The replay window of the targets while it stands.
  [[nodiscard]] WindowHandle ReplayWindow() const override;
  [[nodiscard]] std::size_t queued() const { return queue_.size_approx(); }
  // Any thread; the next packet goes by the new targets.
  void SetTargets(const HogaTargets& targets);
  void SetReplay(const WindowHandle& replay);

  // Applies one packet: the thread's work, or a test's while no thread runs.
  void HandlePacket(std::unique_ptr<Packet> packet);

  // The state, for the thread (or a test while no thread runs).
  [[nodiscard]] const CHogaBook& book() const { return book_; }
  [[nodiscard]] const std::u16string& code() const { return code_; }
  [[nodiscard]] const CPKT& quote() const { return quote_; }
  [[nodiscard]] const MasterInfo& master() const { return master_; }
  [[nodiscard]] BookFrame Frame() const;

 private:
  void Run();
  void OnSnapshot(const Packet& p);
  void OnRealtime(const Packet& packet);
  void OnMemo(const Packet& packet);
  void PassOn(const WindowHandle& target, int code, std::unique_ptr<Packet> packet);
  void Hand(std::unique_ptr<HogaChange> change);
  void PostQuote(const WindowHandle& target, int kind) const;
  [[nodiscard]] HogaTargets Targets() const;

  const CSessionStore& store_;
  moodycamel::BlockingConcurrentQueue<Packet*> queue_;
  std::thread thread_;
  std::atomic<bool> run_{false};
  mutable std::mutex targets_lock_;
  HogaTargets targets_;         // under targets_lock_
  std::u16string routed_code_;  // user-interface thread only

  // Written by the thread only.
  CHogaBook book_;
  std::u16string code_;
  CPKT quote_;
  MasterInfo master_;
  std::u16string trading_date_;
};

}  // namespace velloran
