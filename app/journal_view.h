#pragma once
// CJournalView, what the journal window shows of the day's screen journal:
// the entries newest first, narrowed by screen, by event and by a code or
// name prefix; the count per screen; the filtered rows as CSV. No display:
// the window paints what it gives.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/journal_entry.h"

namespace velloran {

class CJournalView {
 public:
  // The day's entries, oldest first (as the journal keeps them).
  void SetEntries(std::vector<JournalEntry> entries);
  // 0: every screen.
  void SetScreen(int screen);
  // None: every event.
  void SetEvent(std::optional<JournalEvent> event);
  // Entries whose code or name begins with it; empty: all.
  void SetSearch(std::u16string prefix);

  [[nodiscard]] int screen() const { return screen_; }
  [[nodiscard]] std::optional<JournalEvent> event() const { return event_; }
  [[nodiscard]] const std::u16string& search() const { return search_; }

  // The entries shown, newest first.
  [[nodiscard]] const std::vector<const JournalEntry*>& rows() const { return rows_; }
  // Every screen of the day with its entries under the event and search
  // filters, in screen order.
  [[nodiscard]] const std::vector<std::pair<int, std::size_t>>& screen_counts() const {
    return counts_;
  }
  // The rows as CSV, a title row first.
  [[nodiscard]] std::string ExportCsv() const;

  // "HH:MM:SS" of a server time.
  [[nodiscard]] static std::u16string TimeText(const std::u16string& time);

 private:
  void Rebuild();

  std::vector<JournalEntry> entries_;
  int screen_ = 0;
  std::optional<JournalEvent> event_;
  std::u16string search_;
  std::vector<const JournalEntry*> rows_;
  std::vector<std::pair<int, std::size_t>> counts_;
};

}  // namespace velloran
