#include "app/session_store.h"

#include <algorithm>

#include "net/message_codes.h"
#include "net/text_util.h"

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

template <typename Map>
auto FindIn(const Map& map, std::u16string_view key) -> decltype(map.begin()->second.get()) {
  const auto it = map.find(std::u16string(key));
  return it == map.end() ? nullptr : it->second.get();
}

}  // namespace

const Packet* StoreData::FindMaster(std::u16string_view code) const {
  return FindIn(master, code);
}

const CQZData* StoreData::FindRecord(std::u16string_view code) const {
  const auto it = records.find(code);
  return it == records.end() ? nullptr : it->second.get();
}

CQZData* StoreData::FindRecord(std::u16string_view code) {
  const auto it = records.find(code);
  return it == records.end() ? nullptr : it->second.get();
}

const Packet* StoreData::FindIndex(std::u16string_view upcode) const {
  return FindIn(index_packets, upcode);
}

const CAlmPrcData* StoreData::FindAlarm(std::u16string_view code) const {
  return FindIn(alarms, code);
}

std::u16string StoreData::Memo(std::u16string_view code) const {
  const auto it = memos.find(std::u16string(code));
  return it == memos.end() ? std::u16string() : it->second;
}

WindowHandle StoreData::TileWindow(std::u16string_view code) const {
  const auto it = tile_windows.find(std::u16string(code));
  return it == tile_windows.end() ? WindowHandle() : it->second;
}

std::u16string StoreData::RecordCodes() const {
  std::u16string joined;
  for (const auto& [stock, record] : records) {
    joined += stock;
    joined += u'|';
  }
  return joined;
}

CSessionStore::CSessionStore(Clock& clock) : current_screen(code::kScreenReverse) {
  const std::int64_t now = ToSeconds(clock.Now());
  SetServerClock(now);
  trading_date_ = LocalDate(now);
}

std::u16string CSessionStore::DropRecords(int screen) {
  Writer w(*this);
  std::u16string joined = w->RecordCodes();
  w->records.clear();
  ++w->screen_switches;
  current_screen = screen;
  return joined;
}

void CSessionStore::AddToNameList(std::vector<const Packet*> added) {
  Writer w(*this);
  AddToNameList(*w, std::move(added));
}

void CSessionStore::AddToNameList(StoreData& held, std::vector<const Packet*> added) const {
  auto& names = held.name_list;
  if (first_login.load() == 1) {
    names.insert(names.end(), added.begin(), added.end());
    return;
  }
  const auto name = [](const Packet* p) {
    std::u16string_view value;
    return p->Find(u"HNAME", value) ? value : std::u16string_view();
  };
  std::stable_sort(added.begin(), added.end(),
                   [&](const Packet* a, const Packet* b) { return name(a) < name(b); });
  // Each new stock goes before the first entry whose name is greater (or at
  // the end). That place only moves on as the new names grow, so one pass
  // finds them all, whether or not renamed stocks have left the list out of
  // order.
  std::vector<const Packet*> merged;
  merged.reserve(names.size() + added.size());
  std::size_t i = 0;
  for (const Packet* p : added) {
    const std::u16string_view n = name(p);
    while (i < names.size() && !(name(names[i]) > n)) merged.push_back(names[i++]);
    merged.push_back(p);
  }
  merged.insert(merged.end(), names.begin() + static_cast<std::ptrdiff_t>(i), names.end());
  names = std::move(merged);
}

void CSessionStore::SetServerClock(std::int64_t seconds) {
  server_time_ = seconds;
  server_hour_ = ToLocalTime(seconds).tm_hour;
  date_limit_ = LocalDate(seconds + TwoDaysSeconds());
}

void CSessionStore::SetServerTime(std::u16string_view text) {
  if (text.size() <= 13) return;
  Write()->server_time_text.assign(text);
  std::tm local{};
  local.tm_year = ToInt(text.substr(0, 4)) - 1900;
  local.tm_mon = ToInt(text.substr(4, 2)) - 1;
  local.tm_mday = ToInt(text.substr(6, 2));
  local.tm_hour = ToInt(text.substr(8, 2));
  local.tm_min = ToInt(text.substr(10, 2));
  local.tm_sec = ToInt(text.substr(12, 2));
  server_date_ = ToInt(text.substr(0, 8));
  server_time_of_day_ = ToInt(text.substr(8, 6));
  ++server_time_updates_;
  const std::int64_t seconds = FromLocalTime(local);
  if (seconds != -1) SetServerClock(seconds);
}

void CSessionStore::SetMarketFlag(int key, int value) {
  std::lock_guard<std::mutex> hold(flags_lock_);
  market_flags_[key] = value;
}

int CSessionStore::MarketFlag(int key, int default_value) const {
  std::lock_guard<std::mutex> hold(flags_lock_);
  const auto it = market_flags_.find(key);
  return it == market_flags_.end() ? default_value : it->second;
}

bool CSessionStore::CheckMarketState() const {
  const int v = MarketFlag(1, -1);
  return v == 21 || v == 42 || v == 43 || v == 44 || v > 60;
}

void CSessionStore::SetTileWindow(std::u16string_view code, WindowHandle tile) {
  Writer w(*this);
  if (tile.IsNull()) {
    w->tile_windows.erase(std::u16string(code));
  } else {
    w->tile_windows[std::u16string(code)] = std::move(tile);
  }
}

}  // namespace velloran
