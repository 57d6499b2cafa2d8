#include "app/alarm_book.h"

#include <algorithm>

#include "app/session_store.h"
#include "net/packet.h"

namespace velloran {

ReachedAlarm CAlarmBook::FromPacket(const Packet& alarm, const StoreData& store,
                                    std::int32_t date) {
  ReachedAlarm a;
  a.code = alarm.GetText(u"SHCODE", u"");
  a.alarm_price = alarm.GetInt(u"PRC", 0);
  a.price_now = a.alarm_price;  // reached by a trade at exactly that price
  a.date = date;
  if (const Packet* master = store.FindMaster(a.code)) a.name = master->GetText(u"HNAME", u"");
  if (a.name.empty()) a.name = a.code;
  if (const CAlmPrcData* record = store.FindAlarm(a.code); record && record->quote()) {
    a.price_now = record->quote()->Price();
    a.time = record->quote()->Time();
  }
  return a;
}

void CAlarmBook::Add(ReachedAlarm alarm) {
  std::erase_if(entries_, [&](const ReachedAlarm& e) { return e.date < alarm.date; });
  alarm.serial = next_serial_++;
  entries_.push_back(std::move(alarm));
}

void CAlarmBook::Acknowledge(std::size_t index) {
  if (index < entries_.size()) entries_[index].acknowledged = true;
}

std::size_t CAlarmBook::waiting() const {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [](const auto& e) { return !e.acknowledged; }));
}

int CAlarmBook::NewestWaiting() const {
  for (int i = static_cast<int>(entries_.size()) - 1; i >= 0; --i) {
    if (!entries_[i].acknowledged) return i;
  }
  return -1;
}

int CAlarmBook::Find(std::uint64_t serial) const {
  for (int i = static_cast<int>(entries_.size()) - 1; i >= 0; --i) {
    if (entries_[i].serial == serial) return i;
  }
  return -1;
}

}  // namespace velloran
