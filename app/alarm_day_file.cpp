#include "app/alarm_day_file.h"

#include <charconv>

#include "net/utf8.h"
#include "platform/file_replace.h"

namespace velloran {
namespace {

constexpr std::string_view kMagic = "velloran-alarm-day 1 ";
constexpr std::size_t kMaxCode = 16;
constexpr std::size_t kMaxName = 128;

// Tabs and line breaks would split the record; a name never needs them.
std::string FieldText(const std::u16string& text, std::size_t limit) {
  std::u16string clean = text.substr(0, limit);
  for (char16_t& c : clean)
    if (c == u'\t' || c == u'\n' || c == u'\r') c = u' ';
  return Utf16ToUtf8(clean);
}

// Stock codes are short runs of ASCII letters and digits ("005930").
bool IsCode(std::string_view text) {
  if (text.empty() || text.size() > kMaxCode) return false;
  for (const char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return true;
}

bool ReadNumber(std::string_view text, std::int32_t& out, std::int32_t low, std::int32_t high) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return false;
  out = value;
  return true;
}

std::vector<std::string_view> Split(std::string_view line, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = line.find(separator, start);
    parts.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

bool ReadAlarm(std::string_view line, std::int32_t date, ReachedAlarm& alarm) {
  const auto fields = Split(line, '\t');
  if (fields.size() != 6) return false;
  std::int32_t acknowledged = 0;
  if (!ReadNumber(fields[0], alarm.time, 0, 235959) ||
      !ReadNumber(fields[1], alarm.alarm_price, 1, INT32_MAX) ||
      !ReadNumber(fields[2], alarm.price_now, INT32_MIN, INT32_MAX) ||
      !ReadNumber(fields[3], acknowledged, 0, 1))
    return false;
  if (!IsCode(fields[4]) || fields[5].size() > 4 * kMaxName) return false;
  alarm.code = Utf8ToUtf16(fields[4]);
  alarm.name = Utf8ToUtf16(fields[5]).substr(0, kMaxName);
  if (alarm.name.empty()) alarm.name = alarm.code;
  alarm.acknowledged = acknowledged == 1;
  alarm.date = date;
  return true;
}

}  // namespace

std::string EncodeAlarmDay(std::int32_t date, const std::vector<ReachedAlarm>& alarms) {
  std::string text(kMagic);
  text += std::to_string(date) + "\n";
  std::size_t count = 0;
  for (const ReachedAlarm& a : alarms) {
    if (a.date != date || ++count > kMaxAlarmDayEntries) continue;
    text += std::to_string(a.time) + '\t' + std::to_string(a.alarm_price) + '\t' +
            std::to_string(a.price_now) + '\t' + (a.acknowledged ? "1" : "0") + '\t' +
            FieldText(a.code, kMaxCode) + '\t' + FieldText(a.name, kMaxName) + '\n';
  }
  return text;
}

std::vector<ReachedAlarm> DecodeAlarmDay(std::string_view bytes, std::int32_t date) {
  std::vector<ReachedAlarm> alarms;
  if (date <= 0) return alarms;
  const std::size_t first_end = bytes.find('\n');
  if (first_end == std::string_view::npos) return alarms;
  const std::string_view first = bytes.substr(0, first_end);
  std::int32_t file_date = 0;
  if (!first.starts_with(kMagic) || !ReadNumber(first.substr(kMagic.size()), file_date, 1, 99991231) ||
      file_date != date)
    return alarms;
  std::size_t start = first_end + 1;
  while (start < bytes.size() && alarms.size() < kMaxAlarmDayEntries) {
    const std::size_t end = bytes.find('\n', start);
    // A last line without its end was cut short by a write that never finished.
    if (end == std::string_view::npos) break;
    ReachedAlarm alarm;
    if (ReadAlarm(bytes.substr(start, end - start), date, alarm)) alarms.push_back(std::move(alarm));
    start = end + 1;
  }
  return alarms;
}

bool SaveAlarmDay(const std::filesystem::path& path, std::int32_t date,
                  const std::vector<ReachedAlarm>& alarms) {
  return ReplaceFileContents(path, EncodeAlarmDay(date, alarms));
}

std::vector<ReachedAlarm> LoadAlarmDay(const std::filesystem::path& path, std::int32_t date) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, kMaxAlarmDayFileBytes)) return {};
  return DecodeAlarmDay(bytes, date);
}

}  // namespace velloran
