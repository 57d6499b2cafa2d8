#pragma once
// One event of the screen journal (a stock entered or left a screen's result,
// or an alarm price was reached) and its line in the day's journal file. A
// line is UTF-8 fields joined by "|" and ends with "\n"; a line that does not
// read back whole (a kill in the middle of a write, a hand edit) is skipped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

enum class JournalEvent { kEnter, kLeave, kAlarm };

// "편입", "이탈", "알람".
[[nodiscard]] std::u16string_view JournalEventText(JournalEvent event);

struct JournalEntry {
  std::u16string time;  // server time YYYYMMDDhhmmss
  JournalEvent event = JournalEvent::kEnter;
  int screen = 0;  // screening code
  int market = 0;  // the market filter of the result: 0 all, 1 KOSPI, 2 KOSDAQ
  std::u16string code;
  std::u16string name;
  std::int32_t price = 0;          // current price
  std::int32_t capture_price = 0;  // the price at which the screen caught it
  double rate = 0;                 // change rate in percent
  std::int64_t volume = 0;
  bool imminent = false;  // 임박
  bool reverse = false;   // 역상

  [[nodiscard]] std::int32_t date() const;  // YYYYMMDD of the time
  bool operator==(const JournalEntry&) const = default;
};

// The entry's line, "\n" included.
void AppendJournalLine(const JournalEntry& entry, std::string& out);

// One line without its "\n"; false (entry unspecified) when any field is
// missing or malformed.
[[nodiscard]] bool ParseJournalLine(std::string_view line, JournalEntry& entry);

// Every whole line that reads back, in file order; `skipped` counts the rest
// (a last line without its "\n" included).
[[nodiscard]] std::vector<JournalEntry> ParseJournal(std::string_view bytes,
                                                     std::size_t* skipped = nullptr);

}  // namespace velloran
