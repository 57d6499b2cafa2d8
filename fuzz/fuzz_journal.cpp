// The screen journal's day file as stored bytes: any bytes must read back
// as entries without a crash, and every entry read must write out to a line
// that reads back as the same entry.
#include <cstdlib>
#include <string_view>

#include "app/journal_entry.h"
#include "fuzz/fuzz_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t skipped = 0;
  const std::vector<JournalEntry> entries = ParseJournal(bytes, &skipped);
  for (const JournalEntry& e : entries) {
    std::string line;
    AppendJournalLine(e, line);
    JournalEntry again;
    if (line.empty() || line.back() != '\n' ||
        !ParseJournalLine(std::string_view(line).substr(0, line.size() - 1), again) || again != e)
      std::abort();
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  return {
      "20240105093000|편입|3007|2|005930|삼성전자|71000|70500|-1.25|12345678|1|0\n"
      "20240105093100|이탈|3007|2|005930|삼성전자|71000|70500|-1.25|12345678|1|0\n",
      "20240105093000|알람|3010|0|000660|하이닉스|500|500|0.00|0|0|0\n20240105093",
      "garbage\n\n|||||||||||\n20240105093000|편입|3007|2|005930|\xC3|1|1|1.5|1|2|0\n",
      "20240105093000|편입|3007|2|005930|x|1|1|99999999999.99|1|0|1\n",
  };
}
