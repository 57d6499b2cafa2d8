#include "app/journal_file.h"

#include <chrono>
#include <string>
#include <system_error>

#include "platform/file_append.h"
#include "platform/file_replace.h"

namespace velloran {
namespace {

constexpr std::string_view kPrefix = "journal_";
constexpr std::string_view kSuffix = ".txt";
// A journal larger than this is not a journal of ours.
constexpr std::size_t kMaxReadBytes = 256u << 20;

std::chrono::year_month_day Ymd(std::int32_t date) {
  return std::chrono::year_month_day{std::chrono::year(date / 10000),
                                     std::chrono::month(static_cast<unsigned>(date / 100 % 100)),
                                     std::chrono::day(static_cast<unsigned>(date % 100))};
}

}  // namespace

std::int32_t AddDays(std::int32_t date, int days) {
  const std::chrono::sys_days moved = std::chrono::sys_days(Ymd(date)) + std::chrono::days(days);
  const std::chrono::year_month_day ymd(moved);
  return static_cast<int>(ymd.year()) * 10000 + static_cast<int>(unsigned(ymd.month())) * 100 +
         static_cast<int>(unsigned(ymd.day()));
}

CJournalFile::CJournalFile(std::filesystem::path directory) : directory_(std::move(directory)) {
  writer_ = std::thread([this] { WriterLoop(); });
}

CJournalFile::~CJournalFile() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  wake_.notify_one();
  writer_.join();
}

std::filesystem::path CJournalFile::PathFor(const std::filesystem::path& directory,
                                            std::int32_t date) {
  return directory / (std::string(kPrefix) + std::to_string(date) + std::string(kSuffix));
}

std::vector<JournalEntry> CJournalFile::LoadDay(std::int32_t date, std::size_t* skipped) const {
  if (skipped) *skipped = 0;
  if (directory_.empty()) return {};
  std::string bytes;
  if (!ReadWholeFile(PathFor(directory_, date), bytes, kMaxReadBytes)) return {};
  return ParseJournal(bytes, skipped);
}

void CJournalFile::RemoveOld(std::int32_t today, int keep_days) const {
  if (directory_.empty() || keep_days < 1) return;
  const std::int32_t oldest_kept = AddDays(today, -(keep_days - 1));
  std::error_code ec;
  for (const auto& item : std::filesystem::directory_iterator(directory_, ec)) {
    const std::string name = item.path().filename().string();
    if (name.size() != kPrefix.size() + 8 + kSuffix.size() || !name.starts_with(kPrefix) ||
        !name.ends_with(kSuffix))
      continue;
    const std::string digits = name.substr(kPrefix.size(), 8);
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::stoi(digits) < oldest_kept) std::filesystem::remove(item.path(), ec);
  }
}

void CJournalFile::Append(JournalChunk entries) {
  if (directory_.empty() || !entries || entries->empty()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    ++queued_;
    pending_.push_back(std::move(entries));
  }
  wake_.notify_one();
}

void CJournalFile::Flush() {
  std::unique_lock<std::mutex> hold(lock_);
  const std::uint64_t target = queued_;
  written_.wait(hold, [&] { return done_ >= target; });
}

std::uint64_t CJournalFile::write_failures() const {
  std::lock_guard<std::mutex> hold(lock_);
  return failures_;
}

void CJournalFile::WriterLoop() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [&] { return stop_ || !pending_.empty(); });
    if (pending_.empty() && stop_) return;
    std::vector<JournalChunk> batch;
    batch.swap(pending_);
    hold.unlock();
    WritePending(batch);
    hold.lock();
    done_ += batch.size();
    written_.notify_all();
  }
}

void CJournalFile::WritePending(const std::vector<JournalChunk>& batch) {
  std::string bytes;
  std::int32_t date = batch.front()->front().date();
  std::uint64_t failed = 0;
  // One append per day the batch touches (one, except across midnight).
  auto write = [&] {
    if (!bytes.empty() && !AppendToFile(PathFor(directory_, date), bytes)) ++failed;
    bytes.clear();
  };
  for (const JournalChunk& chunk : batch) {
    for (const JournalEntry& e : *chunk) {
      if (e.date() <= 0) continue;  // no server time yet: kept in memory only
      if (e.date() != date) {
        write();
        date = e.date();
      }
      AppendJournalLine(e, bytes);
    }
  }
  write();
  if (failed) {
    std::lock_guard<std::mutex> hold(lock_);
    failures_ += failed;
  }
}

}  // namespace velloran
