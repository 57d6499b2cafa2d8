#include "app/journal_view.h"

#include <map>

#include "app/csv_text.h"
#include "net/message_codes.h"
#include "net/text_util.h"

namespace velloran {
namespace {

const char16_t* MarketText(int market) {
  return market == 1 ? u"코스피" : market == 2 ? u"코스닥" : u"전체";
}

}  // namespace

void CJournalView::SetEntries(std::vector<JournalEntry> entries) {
  entries_ = std::move(entries);
  Rebuild();
}

void CJournalView::SetScreen(int screen) {
  screen_ = screen;
  Rebuild();
}

void CJournalView::SetEvent(std::optional<JournalEvent> event) {
  event_ = event;
  Rebuild();
}

void CJournalView::SetSearch(std::u16string prefix) {
  search_ = std::move(prefix);
  Rebuild();
}

void CJournalView::Rebuild() {
  rows_.clear();
  std::map<int, std::size_t> counts;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    const JournalEntry& e = *it;
    if (event_ && e.event != *event_) continue;
    if (!search_.empty() && !e.code.starts_with(search_) && !e.name.starts_with(search_)) continue;
    ++counts[e.screen];
    if (screen_ == 0 || e.screen == screen_) rows_.push_back(&e);
  }
  counts_.assign(counts.begin(), counts.end());
}

std::u16string CJournalView::TimeText(const std::u16string& time) {
  if (time.size() < 14) return time;
  return time.substr(8, 2) + u":" + time.substr(10, 2) + u":" + time.substr(12, 2);
}

std::string CJournalView::ExportCsv() const {
  CsvText csv;
  csv.Row({u"일자", u"시각", u"구분", u"화면", u"시장", u"종목코드", u"종목명", u"현재가", u"포착가",
           u"등락률", u"거래량", u"임박", u"역상"});
  for (const JournalEntry* e : rows_) {
    csv.Row({e->time.substr(0, 8), TimeText(e->time), std::u16string(JournalEventText(e->event)),
             code::ScreenName(e->screen), MarketText(e->market), e->code, e->name,
             FormatInt(e->price), FormatInt(e->capture_price), FormatReal2(e->rate),
             FormatInt(e->volume), e->imminent ? u"임박" : u"", e->reverse ? u"역상" : u""});
  }
  return std::move(csv).bytes();
}

}  // namespace velloran
