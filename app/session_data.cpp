#include "app/session_data.h"

#include <algorithm>

#include "app/settings_files.h"
#include "net/decoder.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "platform/file_replace.h"

namespace velloran {
namespace {

std::int32_t LocalDate(std::int64_t seconds) {
  const std::tm t = ToLocalTime(seconds);
  return (t.tm_year + 1900) * 10000 + (t.tm_mon + 1) * 100 + t.tm_mday;
}

// The length of two days as the local clock counts them around the date the
// system has always measured it at.
std::int64_t TwoDaysSeconds() {
  std::tm later{};
  later.tm_year = 99;
  later.tm_mon = 2;
  later.tm_mday = 21;
  later.tm_hour = 22;
  later.tm_min = 15;
  std::tm earlier = later;
  earlier.tm_mday = 19;
  const std::int64_t a = FromLocalTime(later);
  const std::int64_t b = FromLocalTime(earlier);
  return (a == -1 || b == -1) ? 2 * 24 * 3600 : a - b;
}

}  // namespace

CSessionData::CSessionData(SessionOptions options)
    : current_screen_(code::kScreenReverse),
      clock_(options.clock ? *options.clock : system_clock_),
      decoder_(options.decoder),
      data_dir_(std::move(options.data_dir)) {
  const std::int64_t now = ToSeconds(clock_.Now());
  SetServerClock(now);
  trading_date_ = LocalDate(now);
  // A program killed while saving leaves its temporary files behind.
  if (!data_dir_.empty()) {
    RemoveStaleTemporary(FilePath(kSettingsFileName));
    RemoveStaleTemporary(FilePath(kRecentFileName));
  }
  LoadSettings();
  LoadRecent();
}

CSessionData::~CSessionData() {
  if (worker_.joinable()) {
    run_ = 0;
    incoming_.enqueue(nullptr);  // wakes the worker
    worker_.join();
  }
  FreeQueue(history_);
  FreeQueue(incoming_);
  SaveSettings();
  settings_.clear();
  SaveRecent();
  recent_.clear();
}

void CSessionData::FreeQueue(moodycamel::ConcurrentQueue<Packet*>& queue) {
  Packet* p = nullptr;
  while (queue.try_dequeue(p)) delete p;
}

void CSessionData::FreeQueue(moodycamel::BlockingConcurrentQueue<Packet*>& queue) {
  Packet* p = nullptr;
  while (queue.try_dequeue(p)) delete p;
}

void CSessionData::StartWorker() {
  if (run_.exchange(1) != 0) return;
  worker_ = std::thread([this] { WorkerProc(); });
}

void CSessionData::WorkerProc() {
  while (run_.load() != 0) {
    Packet* p = nullptr;
    // Blocks while the queue is empty; the time limit only bounds how late a
    // stop is seen should its wake-up be taken by SwitchScreen.
    if (!incoming_.wait_dequeue_timed(p, std::chrono::milliseconds(100)) || p == nullptr) continue;
    Dispatch(*p);
    PushHistory(std::unique_ptr<Packet>(p));
    TrimHistory();
  }
}

void CSessionData::PushIncoming(std::unique_ptr<Packet> packet) {
  if (packet) incoming_.enqueue(packet.release());
}

void CSessionData::ClearIncoming() {
  FreeQueue(incoming_);
}

std::vector<std::unique_ptr<Packet>> CSessionData::TakeIncoming() {
  std::vector<std::unique_ptr<Packet>> out;
  out.reserve(incoming_.size_approx());
  Packet* p = nullptr;
  while (incoming_.try_dequeue(p)) out.emplace_back(p);
  return out;
}

void CSessionData::PushHistory(std::unique_ptr<Packet> packet) {
  if (packet) history_.enqueue(packet.release());
}

void CSessionData::TrimHistory() {
  Packet* p = nullptr;
  while (history_.size_approx() > kHistoryLimit && history_.try_dequeue(p)) delete p;
}

std::u16string CSessionData::SwitchScreen(int code) {
  auto hold = LockRecords();
  std::u16string joined;
  for (const auto& [stock, record] : records_) {
    joined += stock;
    joined += u'|';
  }
  records_.clear();
  current_screen_ = code;
  Packet* p = nullptr;
  while (incoming_.try_dequeue(p)) PushHistory(std::unique_ptr<Packet>(p));
  return joined;
}

void CSessionData::AddToNameList(Packet* packet) {
  auto hold = LockRecords();
  if (first_login_.load() == 1) {
    name_list_.push_back(packet);
    return;
  }
  const std::u16string name = packet->GetText(u"HNAME", u"");
  const auto at = std::find_if(name_list_.begin(), name_list_.end(), [&](const Packet* entry) {
    std::u16string_view other;
    if (!entry->Find(u"HNAME", other)) other = {};
    return other > name;
  });
  name_list_.insert(at, packet);
}

void CSessionData::SetServerClock(std::int64_t seconds) {
  server_time_ = seconds;
  server_hour_ = ToLocalTime(seconds).tm_hour;
  date_limit_ = LocalDate(seconds + TwoDaysSeconds());
}

void CSessionData::SetServerTime(std::u16string_view text) {
  if (text.size() <= 13) return;
  server_time_text_.assign(text);
  std::tm local{};
  local.tm_year = ToInt(text.substr(0, 4)) - 1900;
  local.tm_mon = ToInt(text.substr(4, 2)) - 1;
  local.tm_mday = ToInt(text.substr(6, 2));
  local.tm_hour = ToInt(text.substr(8, 2));
  local.tm_min = ToInt(text.substr(10, 2));
  local.tm_sec = ToInt(text.substr(12, 2));
  server_date_ = ToInt(text.substr(0, 8));
  server_time_of_day_ = ToInt(text.substr(8, 6));
  const std::int64_t seconds = FromLocalTime(local);
  if (seconds != -1) SetServerClock(seconds);
}

bool CSessionData::CheckMarketState() const {
  std::lock_guard<std::mutex> hold(flags_lock_);
  const auto it = market_flags_.find(1);
  if (it == market_flags_.end()) return false;
  const int v = it->second;
  return v == 21 || v == 42 || v == 43 || v == 44 || v > 60;
}

int CSessionData::MarketFlag(int key, int default_value) const {
  std::lock_guard<std::mutex> hold(flags_lock_);
  const auto it = market_flags_.find(key);
  return it == market_flags_.end() ? default_value : it->second;
}

void CSessionData::SetWindows(Windows windows) {
  std::lock_guard<std::mutex> hold(windows_lock_);
  windows_ = std::move(windows);
  windows_version_.fetch_add(1);
}

const Packet* CSessionData::FindMaster(std::u16string_view code) const {
  const auto it = master_.find(std::u16string(code));
  return it == master_.end() ? nullptr : it->second.get();
}

CQZData* CSessionData::FindRecord(std::u16string_view code) const {
  const auto it = records_.find(code);
  return it == records_.end() ? nullptr : it->second.get();
}

const Packet* CSessionData::FindIndex(std::u16string_view upcode) const {
  const auto it = index_packets_.find(std::u16string(upcode));
  return it == index_packets_.end() ? nullptr : it->second.get();
}

const CAlmPrcData* CSessionData::FindAlarm(std::u16string_view code) const {
  const auto it = alarms_.find(std::u16string(code));
  return it == alarms_.end() ? nullptr : it->second.get();
}

std::u16string CSessionData::Memo(std::u16string_view code) const {
  const auto it = memos_.find(std::u16string(code));
  return it == memos_.end() ? std::u16string() : it->second;
}

std::u16string CSessionData::Decode(const std::u16string& text) const {
  return decoder_ ? decoder_->Decode(text) : std::u16string();
}

// Settings files.

std::filesystem::path CSessionData::FilePath(const char* name) const {
  return data_dir_.empty() ? std::filesystem::path() : data_dir_ / name;
}

bool CSessionData::ReadLines(const char* name, std::vector<std::u16string>& lines) {
  const ReadOutcome outcome = ReadTextFile(FilePath(name), lines);
  // What could not be read must survive the save that replaces the file.
  keep_original_[std::string_view(name) == kSettingsFileName ? 0 : 1] =
      outcome == ReadOutcome::kLossy || outcome == ReadOutcome::kUnreadable;
  return outcome == ReadOutcome::kRead || outcome == ReadOutcome::kLossy;
}

void CSessionData::WriteLines(const char* name, const std::vector<std::unique_ptr<Packet>>& list) {
  std::vector<std::u16string_view> lines;
  for (const auto& p : list) lines.push_back(p->Text());
  bool& keep = keep_original_[std::string_view(name) == kSettingsFileName ? 0 : 1];
  // A failure keeps the old file.
  if (WriteTextFile(FilePath(name), lines, keep)) keep = false;
}

void CSessionData::LoadSettings() {
  settings_.clear();
  std::vector<std::u16string> lines;
  if (data_dir_.empty() || !ReadLines(kSettingsFileName, lines)) return;
  for (auto& line : lines) settings_.push_back(std::make_unique<Packet>(std::move(line)));
}

void CSessionData::SaveSettings() {
  if (!data_dir_.empty()) WriteLines(kSettingsFileName, settings_);
}

Packet* CSessionData::GetLoginSettings() {
  for (const auto& p : settings_) {
    if (p->GetInt(u"CFG", 0) == 1) return p.get();
  }
  auto login = std::make_unique<Packet>(code::kLocal);
  login->AddInt(u"CFG", 1);
  settings_.push_back(std::move(login));
  return settings_.back().get();
}

void CSessionData::LoadRecent() {
  recent_.clear();
  std::vector<std::u16string> lines;
  if (data_dir_.empty() || !ReadLines(kRecentFileName, lines)) return;
  for (auto& line : lines) {
    if (line.empty() || line.find(u"</PKT>") == std::u16string::npos) continue;
    recent_.push_back(std::make_unique<Packet>(std::move(line)));
  }
}

void CSessionData::SaveRecent() {
  if (!data_dir_.empty()) WriteLines(kRecentFileName, recent_);
}

void CSessionData::AddRecent(const Packet& master) {
  const std::u16string code = master.GetText(u"SHCODE", u"");
  const auto found = std::find_if(recent_.rbegin(), recent_.rend(), [&](const auto& entry) {
    std::u16string_view other;
    return entry->Find(u"SHCODE", other) ? other == code : code.empty();
  });
  if (found != recent_.rend()) {
    auto entry = std::move(*found);
    recent_.erase(std::next(found).base());
    recent_.push_back(std::move(entry));
  } else {
    auto entry = std::make_unique<Packet>(code::kLocal);
    for (const std::u16string_view tag :
         {u"SHCODE", u"HNAME", u"MARKET", u"ETFGUBUN", u"ET_SJKRATE"}) {
      entry->SetText(tag, master.GetText(tag, u""));
    }
    recent_.push_back(std::move(entry));
  }
  while (recent_.size() > kRecentLimit) {
    PushHistory(std::move(recent_.front()));
    recent_.erase(recent_.begin());
  }
}

}  // namespace velloran
