#pragma once
// The price alarms reached today, as the trader is told of them. An alarm
// waits until the trader acknowledges it; acknowledged ones stay in the day's
// list. A new trading date starts a new list.

#include <cstdint>
#include <string>
#include <vector>

namespace velloran {

class Packet;
struct StoreData;

struct ReachedAlarm {
  std::u16string code;
  std::u16string name;  // from the stock master; the code when it has none
  std::int32_t alarm_price = 0;
  std::int32_t price_now = 0;  // of the quote that reached it
  std::int32_t time = 0;       // hhmmss of that quote (0: unknown)
  std::int32_t date = 0;       // the trading date it was reached on
  bool acknowledged = false;
  std::uint64_t serial = 0;  // given by the book, one a new alarm, never again
};

class CAlarmBook {
 public:
  // The alarm an alarm packet (IDX 3010, SHCODE, PRC) reports, with the
  // stock's name and quote from the store, reached on `date`.
  [[nodiscard]] static ReachedAlarm FromPacket(const Packet& alarm, const StoreData& store,
                                               std::int32_t date);

  // Adds it as the newest; alarms of an earlier date go first.
  void Add(ReachedAlarm alarm);
  void Acknowledge(std::size_t index);
  // Oldest first.
  [[nodiscard]] const std::vector<ReachedAlarm>& entries() const { return entries_; }
  [[nodiscard]] std::size_t waiting() const;
  // The newest alarm not acknowledged yet; -1 when none.
  [[nodiscard]] int NewestWaiting() const;
  // The index of the alarm with that serial; -1 when the book has it no more.
  [[nodiscard]] int Find(std::uint64_t serial) const;

 private:
  std::vector<ReachedAlarm> entries_;
  std::uint64_t next_serial_ = 1;
};

}  // namespace velloran
