#include "app/journal_entry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "net/text_util.h"
#include "net/utf8.h"

namespace velloran {
namespace {

constexpr std::size_t kFieldCount = 12;
constexpr std::size_t kMaxNameChars = 64;

template <typename T>
bool ReadInt(std::string_view s, T& out) {
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

bool ReadRate(std::string_view s, double& out) {
  // Written as "%.2f"; read back the same way, by hand, as from_chars for
  // doubles is not everywhere.
  bool negative = false;
  if (!s.empty() && s.front() == '-') {
    negative = true;
    s.remove_prefix(1);
  }
  const std::size_t dot = s.find('.');
  if (dot == std::string_view::npos || s.size() - dot != 3) return false;
  std::int64_t whole = 0;
  int cents = 0;
  if (!ReadInt(s.substr(0, dot), whole) || !AllDigits(s.substr(dot + 1)) ||
      !ReadInt(s.substr(dot + 1), cents) || whole < 0 || whole > 1'000'000'000)
    return false;
  out = (static_cast<double>(whole) + cents / 100.0) * (negative ? -1 : 1);
  return true;
}

bool ReadFlag(std::string_view s, bool& out) {
  if (s != "0" && s != "1") return false;
  out = s == "1";
  return true;
}

// Names come from the network: a field separator or a line break in one
// must not cut the line. A name read back is cleaned the same way.
std::u16string CleanName(std::u16string_view name) {
  std::u16string clean(name.substr(0, kMaxNameChars));
  for (char16_t& c : clean)
    if (c == u'|' || c < u' ') c = u' ';
  return clean;
}

}  // namespace

std::u16string_view JournalEventText(JournalEvent event) {
  switch (event) {
    case JournalEvent::kEnter:
      return u"편입";
    case JournalEvent::kLeave:
      return u"이탈";
    case JournalEvent::kAlarm:
      return u"알람";
  }
  return u"";
}

std::int32_t JournalEntry::date() const {
  return time.size() >= 8 ? ToInt(std::u16string_view(time).substr(0, 8)) : 0;
}

void AppendJournalLine(const JournalEntry& e, std::string& out) {
  auto field = [&out](std::u16string_view text) {
    AppendUtf16AsUtf8(text, out);
    out += '|';
  };
  field(e.time);
  field(JournalEventText(e.event));
  field(FormatInt(e.screen));
  field(FormatInt(e.market));
  field(e.code);
  AppendUtf16AsUtf8(CleanName(e.name), out);
  out += '|';
  field(FormatInt(e.price));
  field(FormatInt(e.capture_price));
  field(FormatReal2(std::isfinite(e.rate) ? e.rate : 0.0));
  field(FormatInt(e.volume));
  out += e.imminent ? '1' : '0';
  out += '|';
  out += e.reverse ? '1' : '0';
  out += '\n';
}

bool ParseJournalLine(std::string_view line, JournalEntry& e) {
  std::string_view f[kFieldCount];
  std::size_t n = 0;
  while (n < kFieldCount) {
    const std::size_t bar = line.find('|');
    f[n++] = line.substr(0, bar);
    if (bar == std::string_view::npos) break;
    line.remove_prefix(bar + 1);
    if (n == kFieldCount) return false;  // more fields than a line has
  }
  if (n != kFieldCount) return false;
  if (f[0].size() != 14 || !AllDigits(f[0])) return false;
  e.time = Utf8ToUtf16(f[0]);
  const std::u16string event = Utf8ToUtf16(f[1]);
  if (event == JournalEventText(JournalEvent::kEnter)) {
    e.event = JournalEvent::kEnter;
  } else if (event == JournalEventText(JournalEvent::kLeave)) {
    e.event = JournalEvent::kLeave;
  } else if (event == JournalEventText(JournalEvent::kAlarm)) {
    e.event = JournalEvent::kAlarm;
  } else {
    return false;
  }
  if (!ReadInt(f[2], e.screen) || !ReadInt(f[3], e.market) || e.market < 0 || e.market > 2)
    return false;
  // A stock code: six letters or digits (a damaged byte would not write back
  // as the code it was read as).
  if (f[4].size() != 6 || !std::all_of(f[4].begin(), f[4].end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      }))
    return false;
  e.code = Utf8ToUtf16(f[4]);
  e.name = CleanName(Utf8ToUtf16(f[5]));
  if (e.name.find(u'\uFFFD') != std::u16string::npos) return false;
  return ReadInt(f[6], e.price) && ReadInt(f[7], e.capture_price) && ReadRate(f[8], e.rate) &&
         ReadInt(f[9], e.volume) && ReadFlag(f[10], e.imminent) && ReadFlag(f[11], e.reverse);
}

std::vector<JournalEntry> ParseJournal(std::string_view bytes, std::size_t* skipped) {
  std::vector<JournalEntry> entries;
  std::size_t bad = 0;
  while (!bytes.empty()) {
    const std::size_t nl = bytes.find('\n');
    if (nl == std::string_view::npos) {  // cut short by a kill
      ++bad;
      break;
    }
    JournalEntry e;
    if (ParseJournalLine(bytes.substr(0, nl), e)) {
      entries.push_back(std::move(e));
    } else if (nl > 0) {
      ++bad;
    }
    bytes.remove_prefix(nl + 1);
  }
  if (skipped) *skipped = bad;
  return entries;
}

}  // namespace velloran
