// The day's alarm file as stored: any bytes give at most the entries a day
// may hold, each of the asked date with a valid price and code, and what was
// read survives being written and read again.
#include <cstdlib>
#include <string_view>

#include "app/alarm_day_file.h"
#include "fuzz/fuzz_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  constexpr std::int32_t kDate = 20261210;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<ReachedAlarm> alarms = DecodeAlarmDay(bytes, kDate);
  if (alarms.size() > kMaxAlarmDayEntries) std::abort();
  for (const ReachedAlarm& a : alarms) {
    if (a.date != kDate || a.alarm_price <= 0 || a.code.empty()) std::abort();
  }
  const std::vector<ReachedAlarm> again = DecodeAlarmDay(EncodeAlarmDay(kDate, alarms), kDate);
  if (again.size() != alarms.size()) std::abort();
  for (std::size_t i = 0; i < again.size(); ++i) {
    if (again[i].code != alarms[i].code || again[i].price_now != alarms[i].price_now ||
        again[i].acknowledged != alarms[i].acknowledged)
      std::abort();
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  const std::string head = "velloran-alarm-day 1 20261210\n";
  return {
      head + "93512\t71000\t71200\t1\t005930\t삼성전자\n101500\t150000\t149500\t0\t000660\tSK\n",
      head + "93512\t71000\t71200\t1\t005930\n",
      head + "93512\t-1\t0\t0\t005930\tA\n93512\t71000\t71200\t0\t00",
      "velloran-alarm-day 1 20261209\n93512\t71000\t71200\t1\t005930\tA\n",
      std::string("\xFF\xFE\0\0\n\t\t\t\t\t\n", 12),
  };
}
