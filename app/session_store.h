#pragma once
// CSessionStore, what the store knows of the market: the stock master, the
// screening records of the shown screen, alarms, memos, saved screens, index
// packets, trading dates, market flags and the server clock. The dispatcher's
// worker writes it; windows read it on the user-interface thread.
//
// Windows read the store one way: through Read(), which holds the store's
// lock and hands out const access, for as long as the reader lives. A window
// message that names a record or a stock carries the stock code (stock_code.h),
// and the receiver looks it up again under Read(): never a pointer to trust.
//
// Two locks:
// - lock_, the records lock: everything in StoreData, the screening records
//   with their quotes and day bars included. The worker writes under Write();
//   the user-interface thread reads under Read() and writes the few things it
//   owns (tile windows, the time machine's moment, a screen switch) under
//   Write(). Plain, not recursive: nothing takes it while it already holds
//   it (a debug build stops at once where something does), and it admits one
//   reader at a time, which the records' cached marks rely on.
// - flags_lock_: the market flags, which both threads read and the worker
//   sets.

#include <atomic>
#include <cassert>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "net/packet.h"
#include "platform/clock.h"
#include "platform/message_window.h"
#include "stock/stock_records.h"

namespace velloran {

// The store's contents, as the dispatcher writes them and readers see them.
struct StoreData {
  using RecordMap = std::map<std::u16string, std::unique_ptr<CQZData>, std::less<>>;

  std::unordered_map<std::u16string, std::unique_ptr<Packet>> master;
  std::vector<const Packet*> name_list;  // the master's packets by HNAME
  // Counts the stock-master packets taken: a master sent again (after a
  // reconnection) may rename stocks without changing their number.
  std::uint64_t master_generation = 0;
  // Counts the screen switches (and searches again): what the dispatcher
  // takes after one belongs to the new request, unless it ends the old one.
  std::uint64_t screen_switches = 0;
  RecordMap records;
  std::unordered_map<std::u16string, std::unique_ptr<Packet>> index_packets;
  std::vector<std::u16string> trading_dates;
  std::vector<std::unique_ptr<Packet>> saved_screens;
  std::unordered_map<std::u16string, std::unique_ptr<CAlmPrcData>> alarms;
  std::unordered_map<std::u16string, std::u16string> memos;
  std::vector<std::unique_ptr<Packet>> closing_list;
  std::u16string current_date_text;  // "DT" of the last batch end or minute event
  std::u16string server_time_text;   // YYYYMMDDhhmmss
  std::u16string time_machine_time;  // HTIME of the last past-screen request
  // The tile window that shows each record, by stock code.
  std::unordered_map<std::u16string, WindowHandle> tile_windows;

  [[nodiscard]] const Packet* FindMaster(std::u16string_view code) const;
  [[nodiscard]] const CQZData* FindRecord(std::u16string_view code) const;
  [[nodiscard]] CQZData* FindRecord(std::u16string_view code);
  [[nodiscard]] const Packet* FindIndex(std::u16string_view upcode) const;
  [[nodiscard]] const CAlmPrcData* FindAlarm(std::u16string_view code) const;
  [[nodiscard]] std::u16string Memo(std::u16string_view code) const;
  [[nodiscard]] WindowHandle TileWindow(std::u16string_view code) const;
  // "code|" for each screening record, as a request names the list it leaves.
  [[nodiscard]] std::u16string RecordCodes() const;
};

class CSessionStore : public StockContext {
  // The records lock: a plain mutex that, in debug builds, stops the program
  // when the thread holding it asks for it again instead of hanging.
  class RecordsLock {
   public:
    void lock() {
#ifndef NDEBUG
      assert(holder_.load() != std::this_thread::get_id() && "records lock taken twice");
#endif
      mutex_.lock();
#ifndef NDEBUG
      holder_.store(std::this_thread::get_id());
#endif
    }
    void unlock() {
#ifndef NDEBUG
      holder_.store(std::thread::id());
#endif
      mutex_.unlock();
    }

   private:
    std::mutex mutex_;
#ifndef NDEBUG
    std::atomic<std::thread::id> holder_{};
#endif
  };

 public:
  // Holds the store's lock; const access for the user-interface thread.
  class Reader {
   public:
    explicit Reader(const CSessionStore& store) : hold_(store.lock_), data_(store.data_) {}
    const StoreData& operator*() const { return data_; }
    const StoreData* operator->() const { return &data_; }

   private:
    std::unique_lock<RecordsLock> hold_;
    const StoreData& data_;
  };
  // Holds the store's lock; the dispatcher's and the store's own changes.
  class Writer {
   public:
    explicit Writer(CSessionStore& store) : hold_(store.lock_), data_(store.data_) {}
    StoreData& operator*() const { return data_; }
    StoreData* operator->() const { return &data_; }

   private:
    std::unique_lock<RecordsLock> hold_;
    StoreData& data_;
  };

  // The server clock and trading date start from the clock.
  explicit CSessionStore(Clock& clock);

  [[nodiscard]] Reader Read() const { return Reader(*this); }
  [[nodiscard]] Writer Write() { return Writer(*this); }

  // Drops the screening records and sets the screen; returns "code|" for
  // each record dropped.
  [[nodiscard]] std::u16string DropRecords(int screen);
  // Adds master packets (owned by the master map) to the name list: in
  // arrival order at the first login; after it, each before the first entry
  // whose name is greater, as if added one by one in order of name. The
  // first form takes the lock; the second is for a writer that holds it.
  void AddToNameList(std::vector<const Packet*> added);
  void AddToNameList(StoreData& held, std::vector<const Packet*> added) const;
  // Takes a server time text YYYYMMDDhhmmss; shorter texts are ignored.
  void SetServerTime(std::u16string_view text);
  void SetServerClock(std::int64_t seconds);
  void SetMarketFlag(int key, int value);
  [[nodiscard]] int MarketFlag(int key, int default_value) const;
  // True while the market state (flag 1) is 21, 42, 43, 44 or above 60.
  [[nodiscard]] bool CheckMarketState() const;
  // The tile that shows a record from now on (null handle: none).
  void SetTileWindow(std::u16string_view code, WindowHandle tile);

  // StockContext. FindMaster under Read() or Write().
  [[nodiscard]] const Packet* FindMaster(std::u16string_view code) const override {
    return data_.FindMaster(code);
  }
  [[nodiscard]] std::int32_t TradingDate() const override { return trading_date_.load(); }
  [[nodiscard]] int ServerHour() const override { return server_hour_.load(); }

  // Flags read and set from any thread.
  std::atomic<int> current_screen;
  std::atomic<int> display_mode{0};  // 0 tiles, 1 grid
  std::atomic<int> screening_check{1};
  std::atomic<int> market_filter{2};
  std::atomic<int> first_login{1};
  std::atomic<int> logged_in{0};
  void SetTradingDate(std::int32_t date) { trading_date_.store(date); }
  [[nodiscard]] std::int32_t date_limit() const { return date_limit_.load(); }
  [[nodiscard]] std::int32_t server_date() const { return server_date_.load(); }
  [[nodiscard]] std::int32_t server_time_of_day() const { return server_time_of_day_.load(); }
  [[nodiscard]] std::int64_t server_time() const { return server_time_.load(); }
  // Server time texts taken so far: a new one, even of the same time, moves
  // the foot bar's clock to it.
  [[nodiscard]] std::uint64_t server_time_updates() const { return server_time_updates_.load(); }

 private:
  mutable RecordsLock lock_;
  StoreData data_;
  std::atomic<std::int32_t> trading_date_{0};
  std::atomic<std::int32_t> date_limit_{0};
  std::atomic<std::int32_t> server_date_{0};
  std::atomic<std::int32_t> server_time_of_day_{0};
  std::atomic<std::uint64_t> server_time_updates_{0};
  std::atomic<std::int64_t> server_time_{0};
  std::atomic<int> server_hour_{0};  // of server_time_, kept with it
  mutable std::mutex flags_lock_;
  std::map<int, int> market_flags_;
};

}  // namespace velloran
