#pragma once
// CSessionData, the one store of what the data server sends, and the way
// packets take into it: the packet pipeline (incoming queue, worker thread,
// history), the store (stock master, screening records, alarms, memos, saved
// screens, index packets, trading dates, market flags, server clock), the
// dispatcher that turns each packet into changes of the store and messages to
// the windows, and the user's settings lists.
//
// How windows read it:
// - Through Read() only, on the user-interface thread: it holds the store's
//   lock and gives const access for as long as the reader lives.
// - A message that names a record or a stock carries its code (stock_code.h);
//   the receiver looks it up again under Read(), never trusting a pointer.
// - Flags (screen, modes, dates, server clock) are atomic and read directly.
//
// One lock of its own: windows_lock_ guards the window handles the frame
// hands in (the worker dispatches with a copy of them). The store's locks are
// in session_store.h; the dispatcher takes none of its own, as only the
// worker dispatches (checked in debug builds).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "app/packet_pipeline.h"
#include "app/screen_journal.h"
#include "app/session_store.h"
#include "app/settings_lists.h"
#include "chart/chart_context.h"
#include "net/session_driver.h"
#include "platform/clock.h"
#include "platform/message_window.h"
#include "platform/thread_owner.h"

namespace velloran {

class CDecoder;
class CQZSocket;

struct SessionOptions {
  // Where "qza.cfg" and "sch.dat" live; empty: neither loaded nor saved.
  std::filesystem::path data_dir;
  Clock* clock = nullptr;             // null: the system clock
  const CDecoder* decoder = nullptr;  // null: encoded values decode to nothing
  // Days of screen journals kept, today's included.
  int journal_keep_days = CJournalFile::kDefaultKeepDays;
};

class CSessionData : public SessionStoreLink, public ChartContext {
 public:
  static constexpr std::size_t kHistoryLimit = CPacketPipeline::kHistoryLimit;
  static constexpr std::size_t kRecentLimit = CSettingsLists::kRecentLimit;

  // Sets the initial values from the clock, then loads "qza.cfg" and "sch.dat".
  explicit CSessionData(SessionOptions options);
  // The stop sequence: ends the worker, frees both queues, saves both files.
  ~CSessionData() override;
  CSessionData(const CSessionData&) = delete;
  CSessionData& operator=(const CSessionData&) = delete;

  // --- the pipeline
  // Starts the worker once; later calls do nothing.
  void StartWorker() override;
  void PushIncoming(std::unique_ptr<Packet> packet) override { pipeline_.PushIncoming(std::move(packet)); }
  void ClearIncoming() override { pipeline_.ClearIncoming(); }
  [[nodiscard]] std::vector<std::unique_ptr<Packet>> TakeIncoming() { return pipeline_.TakeIncoming(); }
  [[nodiscard]] std::size_t history_size() const { return pipeline_.history_size(); }
  [[nodiscard]] std::size_t incoming_size() const { return pipeline_.incoming_size(); }
  // Handles one packet. Only the worker calls it (and tests, without one).
  void Dispatch(Packet& packet);
  // Sends the dispatcher's delayed posts now due (the worker does it by
  // itself; tests without one step the clock and call this).
  void RunDuePosts() { pipeline_.RunDuePosts(); }

  // --- the store
  [[nodiscard]] CSessionStore::Reader Read() const { return store_.Read(); }
  [[nodiscard]] CSessionStore& store() { return store_; }
  // What each screen returned over the day (screen_journal.h).
  [[nodiscard]] CScreenJournal& journal() { return journal_; }
  [[nodiscard]] const CScreenJournal& journal() const { return journal_; }
  [[nodiscard]] const CSessionStore& store() const { return store_; }
  // Drops the screening records and switches to another screen; the old
  // screen's hits still waiting are moved to the history undispatched (the
  // rest waits on). Returns "code|" per record.
  [[nodiscard]] std::u16string SwitchScreen(int code);
  void AddToNameList(std::vector<const Packet*> added) { store_.AddToNameList(std::move(added)); }
  void SetServerTime(std::u16string_view text) { store_.SetServerTime(text); }
  [[nodiscard]] bool CheckMarketState() const override { return store_.CheckMarketState(); }
  [[nodiscard]] int MarketFlag(int key, int default_value) const {
    return store_.MarketFlag(key, default_value);
  }
  [[nodiscard]] std::int32_t TradingDate() const override { return store_.TradingDate(); }
  [[nodiscard]] int ServerHour() const override { return store_.ServerHour(); }
  [[nodiscard]] int current_screen() const { return store_.current_screen.load(); }
  [[nodiscard]] int display_mode() const { return store_.display_mode.load(); }
  void set_display_mode(int mode) { store_.display_mode.store(mode); }
  [[nodiscard]] int screening_check() const { return store_.screening_check.load(); }
  void set_screening_check(int v) { store_.screening_check.store(v); }
  [[nodiscard]] int market_filter() const { return store_.market_filter.load(); }
  void set_market_filter(int v) { store_.market_filter.store(v); }
  [[nodiscard]] int first_login() const { return store_.first_login.load(); }
  [[nodiscard]] int logged_in() const { return store_.logged_in.load(); }
  [[nodiscard]] std::int32_t date_limit() const { return store_.date_limit(); }
  [[nodiscard]] std::int32_t server_date() const { return store_.server_date(); }
  [[nodiscard]] std::int32_t server_time_of_day() const { return store_.server_time_of_day(); }
  [[nodiscard]] std::uint64_t server_time_updates() const { return store_.server_time_updates(); }
  [[nodiscard]] std::int64_t server_time() const { return store_.server_time(); }

  // --- the settings lists, on the user-interface thread
  void LoadSettings() { lists_.LoadSettings(); }
  void SaveSettings() { lists_.SaveSettings(); }
  [[nodiscard]] Packet* GetLoginSettings() { return lists_.GetLoginSettings(); }
  void LoadRecent() { lists_.LoadRecent(); }
  void SaveRecent() { lists_.SaveRecent(); }
  // The user picked this stock master packet.
  void AddRecent(const Packet& master) { lists_.AddRecent(master); }
  [[nodiscard]] CSettingsLists& lists() { return lists_; }
  // Where the settings files live (the grid's column layouts too); empty:
  // nothing is kept on disk.
  [[nodiscard]] const std::filesystem::path& data_dir() const { return lists_.data_dir(); }
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& settings() const {
    return lists_.settings();
  }
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& recent() const {
    return lists_.recent();
  }

  // --- who the dispatcher tells, and the socket everyone sends through
  // Set from the user-interface thread at any time; the worker picks up the
  // new set before its next packet.
  struct Windows {
    WindowHandle main_frame;
    WindowHandle hoga_view;  // order-book view
    WindowHandle qz_view;    // work-area view
    WindowHandle top_bar;
  };
  void SetWindows(Windows windows);
  void SetSocket(CQZSocket* socket) override;
  [[nodiscard]] CQZSocket* socket() const override { return socket_; }
  // Sends through the current socket; false without one.
  bool Send(const Packet& packet);
  // ChartContext: a chart's request goes out as any other.
  bool SendRequest(const Packet& request) override { return Send(request); }
  // Counts the sockets made: a reply never crosses from one to the next.
  [[nodiscard]] std::uint64_t Connection() const override { return connections_; }
  // What encoded values pass through (chart replies too); null: nothing decodes.
  [[nodiscard]] const CDecoder* decoder() const { return decoder_; }

 private:
  [[nodiscard]] std::u16string Decode(const std::u16string& text) const;

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
  // False for a hit of a market the market filter leaves out.
  [[nodiscard]] bool InMarketFilter(const Packet& hit) const;
  void SetMarketFlag(std::u16string_view line);

  Clock& clock_;
  const CDecoder* decoder_;
  CPacketPipeline pipeline_;
  CSessionStore store_;
  CSettingsLists lists_;
  CScreenJournal journal_;
  // The worker alone dispatches, so packets are handled one at a time.
  ThreadOwner dispatch_thread_;
  CQZSocket* socket_ = nullptr;
  std::uint64_t connections_ = 0;
  std::mutex windows_lock_;
  Windows windows_;  // under windows_lock_
  std::atomic<unsigned> windows_version_{0};
  Windows dispatch_windows_;  // the worker's copy
  unsigned dispatch_windows_version_ = 0;
};

}  // namespace velloran
