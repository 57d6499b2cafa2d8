#pragma once
// CScreenJournal, the log of what each screen returned over the day: as a
// batch of screening hits ends (3014), the screen's result is compared with
// its previous result under the same market filter, and every stock that
// appeared (편입) or is gone (이탈) becomes an entry; alarm prices reached
// are entries too. Entries go to the day's file (journal_file.h) and stay in
// memory for the journal window.
//
// Threads: the dispatcher's worker records, under the store's lock, with the
// records and the count of screen switches it reads there; the window reads
// Entries() on the user-interface thread.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/journal_entry.h"
#include "app/journal_file.h"
#include "app/session_store.h"

namespace velloran {

struct JournalOptions {
  std::filesystem::path directory;  // empty: memory only
  std::int32_t today = 0;           // YYYYMMDD; its file is read back
  int keep_days = CJournalFile::kDefaultKeepDays;
};

class CScreenJournal {
 public:
  // Removes the days past keep_days and reads today's file back, so that the
  // first result after a restart is compared with the last one recorded.
  explicit CScreenJournal(JournalOptions options);

  // --- the dispatcher's worker
  // A hit of the shown screen was taken into the records; `switches` is the
  // store's count of screen switches.
  void NoteHit(std::uint64_t switches);
  // The batch ended: the store's records are the shown screen's result.
  void OnBatchEnd(int screen, int market, std::u16string_view time, const StoreData& store);
  void OnAlarm(std::u16string_view time, int screen, int market, std::u16string_view code,
               std::u16string_view name, std::int32_t price);

  // --- readers
  [[nodiscard]] std::vector<JournalEntry> Entries() const;
  // Changes whenever entries were added.
  [[nodiscard]] std::uint64_t generation() const { return generation_.load(); }
  [[nodiscard]] std::size_t skipped_lines() const { return skipped_lines_; }
  // Waits until every entry so far is in the file.
  void Flush() { file_.Flush(); }

 private:
  // What the previous result knew of a stock, for the entry when it leaves.
  struct Known {
    std::u16string name;
    std::int32_t price = 0, capture_price = 0;
    double rate = 0;
    std::int64_t volume = 0;
    bool imminent = false, reverse = false;
    std::uint64_t seen = 0;  // the batch that last held it
  };
  using Result = std::unordered_map<std::u16string, Known>;

  // Makes `date` the day kept in memory: its file is read back and the
  // results rebuilt from it (a new trading day, or a server whose day is not
  // the local one). Nothing when it is already the day.
  void EnsureDay(std::int32_t date);
  void Restore(const std::vector<JournalEntry>& entries);
  void CatchUpSwitches(std::uint64_t switches);
  void Publish(std::vector<JournalEntry> added);

  CJournalFile file_;
  bool on_disk_ = false;
  std::int32_t day_ = 0;  // the day in memory; worker after construction
  std::map<std::pair<int, int>, Result> results_;  // by (screen, market filter); worker
  std::uint64_t batches_ = 0;                      // worker
  std::uint64_t seen_switches_ = 0;  // worker
  bool hit_since_switch_ = true;     // worker
  bool batch_since_switch_ = true;   // worker
  std::size_t skipped_lines_ = 0;

  mutable std::mutex entries_lock_;
  std::vector<JournalChunk> chunks_;  // under entries_lock_, oldest first
  std::atomic<std::uint64_t> generation_{0};
};

}  // namespace velloran
