#pragma once
// CJournalFile, where the screen journal lives on disk: one file per trading
// day, "journal_YYYYMMDD.txt", beside the settings files. Entries are handed
// over from the dispatcher and appended by a writer thread of the file's own,
// so the dispatcher never waits for the disk; each wake-up writes all that
// is pending with one append, and nothing waits for the next.

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/journal_entry.h"

namespace velloran {

// Entries recorded together, shared by the memory of the day and the writer.
using JournalChunk = std::shared_ptr<const std::vector<JournalEntry>>;

class CJournalFile {
 public:
  static constexpr int kDefaultKeepDays = 20;

  // An empty directory keeps nothing on disk (Append then only drops).
  explicit CJournalFile(std::filesystem::path directory);
  // Writes what is pending, then ends the writer.
  ~CJournalFile();
  CJournalFile(const CJournalFile&) = delete;
  CJournalFile& operator=(const CJournalFile&) = delete;

  [[nodiscard]] static std::filesystem::path PathFor(const std::filesystem::path& directory,
                                                     std::int32_t date);
  // The entries of that day that read back; `skipped` counts damaged lines.
  [[nodiscard]] std::vector<JournalEntry> LoadDay(std::int32_t date,
                                                  std::size_t* skipped = nullptr) const;
  // Removes the journals of days more than keep_days calendar days before
  // today (today's file and keep_days - 1 days before it stay).
  void RemoveOld(std::int32_t today, int keep_days) const;

  // Queues entries for the writer; each goes to the file of its own day.
  // Nothing without a directory.
  void Append(JournalChunk entries);
  // Waits until everything appended so far is on disk (tests, shutdown).
  void Flush();
  [[nodiscard]] std::uint64_t write_failures() const;

 private:
  void WriterLoop();
  void WritePending(const std::vector<JournalChunk>& batch);

  std::filesystem::path directory_;
  mutable std::mutex lock_;
  std::condition_variable wake_, written_;
  std::vector<JournalChunk> pending_;  // under lock_
  std::uint64_t queued_ = 0, done_ = 0, failures_ = 0;  // under lock_
  bool stop_ = false;                                   // under lock_
  std::thread writer_;
};

// YYYYMMDD moved by a number of calendar days.
[[nodiscard]] std::int32_t AddDays(std::int32_t date, int days);

}  // namespace velloran
