#include "app/text_size.h"

#include <string>
#include <vector>

#include "app/settings_files.h"
#include "app/settings_lists.h"
#include "net/packet.h"
#include "platform/text_scale.h"

namespace velloran {

int StoredTextSize(const std::filesystem::path& data_dir) {
  if (data_dir.empty()) return 100;
  std::vector<std::u16string> lines;
  const ReadOutcome outcome = ReadTextFile(data_dir / kSettingsFileName, lines);
  if (outcome != ReadOutcome::kRead && outcome != ReadOutcome::kLossy) return 100;
  for (auto& line : lines) {
    const Packet settings(std::move(line));
    if (settings.GetInt(u"CFG", 0) != kTextSizeRecord) continue;
    const int percent = settings.GetInt(u"TEXTSIZE", 100);
    return IsTextScale(percent) ? percent : 100;
  }
  return 100;
}

void KeepTextSize(CSettingsLists& lists, int percent) {
  lists.GetSettings(kTextSizeRecord)->SetInt(u"TEXTSIZE", percent);
}

}  // namespace velloran
