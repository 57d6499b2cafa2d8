#pragma once
// CSessionData, the one store of what the data server sends: stock master,
// screening records of the current screen, alarms, memos, saved screens,
// index packets, trading dates, market flags and the server clock, with the
// settings lists, the incoming and history queues and the worker thread that
// dispatches received packets and tells the windows by posted messages.
//
// Threads and locks:
// - The worker alone runs Dispatch, one packet at a time under the dispatch
//   mutex. User-interface readers of the lists and maps hold DispatchMutex().
// - The screening records, the stock master and the name list change only
//   under the records lock; readers of them hold LockRecords().
// - Flags read across threads (screen code, modes, dates, server clock) are
//   atomic; the market flags have their own small lock.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include <concurrentqueue/blockingconcurrentqueue.h>
#include <concurrentqueue/concurrentqueue.h>

#include "net/lock_wrappers.h"
#include "net/packet.h"
#include "platform/clock.h"
#include "platform/message_window.h"
#include "stock/stock_records.h"

namespace velloran {

class CDecoder;
class CQZSocket;

struct SessionOptions {
  // Where "qza.cfg" and "sch.dat" live; empty: neither loaded nor saved.
  std::filesystem::path data_dir;
  Clock* clock = nullptr;             // null: the system clock
  const CDecoder* decoder = nullptr;  // null: encoded values decode to nothing
};

class CSessionData : public StockContext {
 public:
  static constexpr std::size_t kHistoryLimit = 1000;
  static constexpr std::size_t kRecentLimit = 30;

  // Sets the initial values from the clock, then loads "qza.cfg" and "sch.dat".
  explicit CSessionData(SessionOptions options);
  // The stop sequence: ends the worker, frees both queues, saves both files.
  ~CSessionData() override;
  CSessionData(const CSessionData&) = delete;
  CSessionData& operator=(const CSessionData&) = delete;

  // Starts the worker once; later calls do nothing.
  void StartWorker();
  // The session socket's side of the incoming queue (ownership passes).
  void PushIncoming(std::unique_ptr<Packet> packet);
  // On a new connection: frees every packet still waiting.
  void ClearIncoming();
  // Takes every packet waiting, in order, without dispatching (for tools and
  // tests that stand where the worker would).
  [[nodiscard]] std::vector<std::unique_ptr<Packet>> TakeIncoming();
  // Handles one packet. Only the worker calls it (and tests, without one).
  void Dispatch(Packet& packet);

  // Drops the screening records and switches to another screen; packets still
  // waiting are moved to the history undispatched. Returns "code|" per record.
  [[nodiscard]] std::u16string SwitchScreen(int code);
  // Adds a master packet (owned by the master map) to the name list.
  void AddToNameList(Packet* packet);
  // Takes a server time text YYYYMMDDhhmmss; shorter texts are ignored.
  void SetServerTime(std::u16string_view text);
  // True while the market state (flag 1) is 21, 42, 43, 44 or above 60.
  [[nodiscard]] bool CheckMarketState() const;

  // Settings files.
  void LoadSettings();
  void SaveSettings();
  // The first settings packet with "CFG" 1, made when there is none.
  [[nodiscard]] Packet* GetLoginSettings();
  void LoadRecent();
  void SaveRecent();
  // The user picked this stock master packet.
  void AddRecent(const Packet& master);

  // The windows the dispatcher tells. Set from the user-interface thread at
  // any time; the worker picks up the new set before its next packet.
  struct Windows {
    WindowHandle main_frame;
    WindowHandle hoga_view;  // order-book view
    WindowHandle qz_view;    // work-area view
    WindowHandle top_bar;
  };
  void SetWindows(Windows windows);
  void SetSocket(CQZSocket* socket) { socket_ = socket; }
  [[nodiscard]] CQZSocket* socket() const { return socket_; }

  // Locks for readers on other threads.
  [[nodiscard]] std::unique_lock<std::recursive_mutex> LockRecords() const {
    return std::unique_lock<std::recursive_mutex>(records_lock_);
  }
  [[nodiscard]] CMyMutex& DispatchMutex() { return dispatch_mutex_; }

  // StockContext, for the records. FindMaster on other threads than the
  // worker under LockRecords().
  [[nodiscard]] const Packet* FindMaster(std::u16string_view code) const override;
  [[nodiscard]] std::int32_t TradingDate() const override { return trading_date_.load(); }
  [[nodiscard]] int ServerHour() const override { return server_hour_.load(); }

  // Under LockRecords().
  using RecordMap = std::map<std::u16string, std::unique_ptr<CQZData>, std::less<>>;
  [[nodiscard]] const RecordMap& records() const { return records_; }
  [[nodiscard]] CQZData* FindRecord(std::u16string_view code) const;
  [[nodiscard]] const std::vector<Packet*>& name_list() const { return name_list_; }
  [[nodiscard]] std::size_t master_count() const { return master_.size(); }

  // Under DispatchMutex().
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& saved_screens() const {
    return saved_screens_;
  }
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& closing_list() const {
    return closing_list_;
  }
  [[nodiscard]] const std::vector<std::u16string>& trading_dates() const { return trading_dates_; }
  [[nodiscard]] const Packet* FindIndex(std::u16string_view upcode) const;
  [[nodiscard]] const CAlmPrcData* FindAlarm(std::u16string_view code) const;
  [[nodiscard]] std::u16string Memo(std::u16string_view code) const;
  [[nodiscard]] const std::u16string& current_date_text() const { return current_date_text_; }
  [[nodiscard]] const std::u16string& server_time_text() const { return server_time_text_; }

  // On the user-interface thread.
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& settings() const { return settings_; }
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& recent() const { return recent_; }

  [[nodiscard]] int MarketFlag(int key, int default_value) const;
  [[nodiscard]] int current_screen() const { return current_screen_.load(); }
  [[nodiscard]] int display_mode() const { return display_mode_.load(); }
  void set_display_mode(int mode) { display_mode_.store(mode); }
  [[nodiscard]] int screening_check() const { return screening_check_.load(); }
  void set_screening_check(int v) { screening_check_.store(v); }
  [[nodiscard]] int market_filter() const { return market_filter_.load(); }
  void set_market_filter(int v) { market_filter_.store(v); }
  [[nodiscard]] int first_login() const { return first_login_.load(); }
  [[nodiscard]] int logged_in() const { return logged_in_.load(); }
  [[nodiscard]] std::int32_t date_limit() const { return date_limit_.load(); }
  [[nodiscard]] std::int32_t server_date() const { return server_date_.load(); }
  [[nodiscard]] std::int32_t server_time_of_day() const { return server_time_of_day_.load(); }
  [[nodiscard]] std::int64_t server_time() const { return server_time_.load(); }
  [[nodiscard]] std::size_t history_size() const { return history_.size_approx(); }
  [[nodiscard]] std::size_t incoming_size() const { return incoming_.size_approx(); }

 private:
  void WorkerProc();
  void PushHistory(std::unique_ptr<Packet> packet);
  void TrimHistory();
  [[nodiscard]] std::u16string Decode(const std::u16string& text) const;
  [[nodiscard]] std::filesystem::path FilePath(const char* name) const;
  // One of the two settings files: read (false when there is nothing to
  // read), and written back.
  [[nodiscard]] bool ReadLines(const char* name, std::vector<std::u16string>& lines);
  void WriteLines(const char* name, const std::vector<std::unique_ptr<Packet>>& list);
  static void FreeQueue(moodycamel::ConcurrentQueue<Packet*>& queue);
  static void FreeQueue(moodycamel::BlockingConcurrentQueue<Packet*>& queue);

  // One handler per code (session_dispatch.cpp).
  void OnLoginAnswer(const Packet& p);
  void OnBatchEnd(const Packet& p);
  void OnStockMaster(const Packet& p);
  void OnTradingDates(const Packet& p);
  void OnServerEvent(const Packet& p);
  void OnRealtime(const Packet& p);
  void OnQuote(const Packet& p);
  void OnSavedScreenList(const Packet& p);
  void OnStockDetail(const Packet& p);
  void OnScreenHit(int code, const Packet& p);
  void SetMarketFlag(std::u16string_view line);
  void SetServerClock(std::int64_t seconds);

  mutable std::recursive_mutex records_lock_;
  CMyMutex dispatch_mutex_;
  std::vector<std::unique_ptr<Packet>> settings_;
  moodycamel::BlockingConcurrentQueue<Packet*> incoming_;
  moodycamel::ConcurrentQueue<Packet*> history_;
  std::thread worker_;
  std::atomic<int> run_{0};
  std::atomic<int> current_screen_;
  std::atomic<int> display_mode_{0};
  std::u16string current_date_text_;
  std::atomic<int> first_login_{1};
  std::atomic<std::int32_t> trading_date_{0};
  std::atomic<std::int32_t> date_limit_{0};
  std::atomic<std::int32_t> server_date_{0};
  std::atomic<std::int32_t> server_time_of_day_{0};
  std::atomic<int> screening_check_{1};
  std::atomic<int> market_filter_{2};
  std::atomic<std::int64_t> server_time_{0};
  std::atomic<int> server_hour_{0};  // of server_time_, kept with it
  std::u16string server_time_text_;
  std::atomic<int> logged_in_{0};
  std::unordered_map<std::u16string, std::unique_ptr<Packet>> master_;
  std::vector<Packet*> name_list_;  // the master's packets by HNAME
  RecordMap records_;
  std::unordered_map<std::u16string, std::unique_ptr<Packet>> index_packets_;
  std::vector<std::u16string> trading_dates_;
  std::vector<std::unique_ptr<Packet>> recent_;
  mutable std::mutex flags_lock_;
  std::map<int, int> market_flags_;
  std::vector<std::unique_ptr<Packet>> saved_screens_;
  std::unordered_map<std::u16string, std::unique_ptr<CAlmPrcData>> alarms_;
  std::unordered_map<std::u16string, std::u16string> memos_;
  std::vector<std::unique_ptr<Packet>> closing_list_;
  CQZSocket* socket_ = nullptr;
  std::mutex windows_lock_;
  Windows windows_;  // under windows_lock_
  std::atomic<unsigned> windows_version_{0};
  Windows dispatch_windows_;  // the worker's copy
  unsigned dispatch_windows_version_ = 0;

  SystemClock system_clock_;
  Clock& clock_;
  const CDecoder* decoder_;
  std::filesystem::path data_dir_;
  // Per file ("qza.cfg", "sch.dat"): its load lost something, so its first
  // save keeps the original beside it.
  bool keep_original_[2] = {false, false};
};

}  // namespace velloran
