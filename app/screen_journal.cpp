#include "app/screen_journal.h"

#include "net/message_codes.h"
#include "net/quote.h"
#include "net/text_util.h"

namespace velloran {
namespace {

void FillFromRecord(const CQZData& record, JournalEntry& e) {
  e.capture_price = record.first_price();
  e.imminent = record.IsImminent();
  e.reverse = record.IsReverse();
  if (const CPKT* quote = record.quote()) {
    e.price = quote->Int(static_cast<int>(QuoteField::kPrice));
    e.rate = quote->Rate();
    e.volume = static_cast<std::int64_t>(quote->Real(static_cast<int>(QuoteField::kVolume)));
  }
}

}  // namespace

CScreenJournal::CScreenJournal(JournalOptions options)
    : file_(options.directory), on_disk_(!options.directory.empty()) {
  if (on_disk_) file_.RemoveOld(options.today, options.keep_days);
  EnsureDay(options.today);
}

void CScreenJournal::EnsureDay(std::int32_t date) {
  if (date == day_ || date <= 0) return;
  day_ = date;
  std::vector<JournalEntry> entries;
  if (on_disk_) {
    file_.Flush();  // what the writer still holds is part of the day
    std::size_t skipped = 0;
    entries = file_.LoadDay(date, &skipped);
    skipped_lines_ += skipped;
  }
  results_.clear();
  Restore(entries);
  {
    std::lock_guard<std::mutex> hold(entries_lock_);
    chunks_.clear();
    if (!entries.empty())
      chunks_.push_back(std::make_shared<const std::vector<JournalEntry>>(std::move(entries)));
  }
  generation_.fetch_add(1);
}

void CScreenJournal::Restore(const std::vector<JournalEntry>& entries) {
  for (const JournalEntry& e : entries) {
    Result& result = results_[{e.screen, e.market}];
    if (e.event == JournalEvent::kEnter) {
      result[e.code] = Known{e.name, e.price, e.capture_price, e.rate, e.volume, e.imminent, e.reverse, 0};
    } else if (e.event == JournalEvent::kLeave) {
      result.erase(e.code);
    }
  }
}

void CScreenJournal::CatchUpSwitches(std::uint64_t switches) {
  if (switches == seen_switches_) return;
  seen_switches_ = switches;
  hit_since_switch_ = false;
  batch_since_switch_ = false;
}

void CScreenJournal::NoteHit(std::uint64_t switches) {
  CatchUpSwitches(switches);
  hit_since_switch_ = true;
}

void CScreenJournal::OnBatchEnd(int screen, int market, std::u16string_view time,
                                const StoreData& store) {
  // A past moment of the time machine is no event of the day.
  if (screen == code::kScreenPastReverse) return;
  CatchUpSwitches(store.screen_switches);
  // The first end after a switch with no hit of the new screen before it
  // may end the answer to the request before; it is not the new result.
  if (!hit_since_switch_ && !batch_since_switch_) {
    batch_since_switch_ = true;
    return;
  }
  batch_since_switch_ = true;
  if (time.size() >= 8) EnsureDay(ToInt(time.substr(0, 8)));

  const std::uint64_t batch = ++batches_;
  Result& result = results_[{screen, market}];
  std::vector<JournalEntry> added;
  auto entry = [&](JournalEvent event, const std::u16string& code) -> JournalEntry& {
    JournalEntry& e = added.emplace_back();
    e.time = std::u16string(time);
    e.event = event;
    e.screen = screen;
    e.market = market;
    e.code = code;
    return e;
  };
  for (const auto& [code, record] : store.records) {
    auto [it, entered] = result.try_emplace(code);
    Known& known = it->second;
    known.seen = batch;
    JournalEntry now;
    FillFromRecord(*record, now);
    known.price = now.price;
    known.capture_price = now.capture_price;
    known.rate = now.rate;
    known.volume = now.volume;
    known.imminent = now.imminent;
    known.reverse = now.reverse;
    if (!entered) continue;
    known.name = record->name();
    JournalEntry& e = entry(JournalEvent::kEnter, code);
    e.name = known.name;
    e.price = now.price;
    e.capture_price = now.capture_price;
    e.rate = now.rate;
    e.volume = now.volume;
    e.imminent = now.imminent;
    e.reverse = now.reverse;
  }
  for (auto it = result.begin(); it != result.end();) {
    if (it->second.seen == batch) {
      ++it;
      continue;
    }
    const Known& k = it->second;
    JournalEntry& e = entry(JournalEvent::kLeave, it->first);
    e.name = k.name;
    e.price = k.price;
    e.capture_price = k.capture_price;
    e.rate = k.rate;
    e.volume = k.volume;
    e.imminent = k.imminent;
    e.reverse = k.reverse;
    it = result.erase(it);
  }
  Publish(std::move(added));
}

void CScreenJournal::OnAlarm(std::u16string_view time, int screen, int market,
                             std::u16string_view code, std::u16string_view name,
                             std::int32_t price) {
  if (time.size() >= 8) EnsureDay(ToInt(time.substr(0, 8)));
  std::vector<JournalEntry> added(1);
  JournalEntry& e = added.front();
  e.time = std::u16string(time);
  e.event = JournalEvent::kAlarm;
  e.screen = screen;
  e.market = market;
  e.code = std::u16string(code);
  e.name = std::u16string(name);
  e.price = price;
  e.capture_price = price;
  Publish(std::move(added));
}

void CScreenJournal::Publish(std::vector<JournalEntry> added) {
  if (added.empty()) return;
  auto chunk = std::make_shared<const std::vector<JournalEntry>>(std::move(added));
  {
    std::lock_guard<std::mutex> hold(entries_lock_);
    chunks_.push_back(chunk);
  }
  generation_.fetch_add(1);
  file_.Append(std::move(chunk));
}

std::vector<JournalEntry> CScreenJournal::Entries() const {
  std::vector<JournalChunk> chunks;
  {
    std::lock_guard<std::mutex> hold(entries_lock_);
    chunks = chunks_;
  }
  std::size_t count = 0;
  for (const JournalChunk& c : chunks) count += c->size();
  std::vector<JournalEntry> out;
  out.reserve(count);
  for (const JournalChunk& c : chunks) out.insert(out.end(), c->begin(), c->end());
  return out;
}

}  // namespace velloran
