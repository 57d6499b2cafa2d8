#pragma once
// The day's reached alarms and which were acknowledged, kept in a small file
// beside the settings so that a restart on the same trading day finds them
// as they were. A file of another trading day, or a damaged one, gives an
// empty day; a damaged line is left out.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/alarm_book.h"

namespace velloran {

inline constexpr char kAlarmDayFileName[] = "alarms.day";
// More than a day ever brings: what lies beyond is left unread.
inline constexpr std::size_t kMaxAlarmDayEntries = 1000;
inline constexpr std::size_t kMaxAlarmDayFileBytes = 256 * 1024;

// UTF-8 text: a first line naming the trading date, then one alarm a line
// (tab-separated: time, alarm price, price now, acknowledged, code, name).
// Alarms of other dates are left out.
[[nodiscard]] std::string EncodeAlarmDay(std::int32_t date, const std::vector<ReachedAlarm>& alarms);
// The alarms of `date`, oldest first; none when the text is of another date
// or not such a file.
[[nodiscard]] std::vector<ReachedAlarm> DecodeAlarmDay(std::string_view bytes, std::int32_t date);

// Saved as a whole or not at all; false when it could not be written.
[[nodiscard]] bool SaveAlarmDay(const std::filesystem::path& path, std::int32_t date,
                                const std::vector<ReachedAlarm>& alarms);
[[nodiscard]] std::vector<ReachedAlarm> LoadAlarmDay(const std::filesystem::path& path,
                                                     std::int32_t date);

}  // namespace velloran
