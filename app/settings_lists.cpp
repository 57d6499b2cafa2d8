#include "app/settings_lists.h"

#include <algorithm>

#include "app/packet_pipeline.h"
#include "app/settings_files.h"
#include "net/message_codes.h"

namespace velloran {
namespace {

int FileIndex(const char* name) {
  return std::string_view(name) == kSettingsFileName ? 0 : 1;
}

}  // namespace

CSettingsLists::CSettingsLists(std::filesystem::path data_dir, CPacketPipeline& history)
    : data_dir_(std::move(data_dir)), history_(history) {
  // A program killed while saving leaves its temporary files behind: these
  // lists' and the grid's.
  if (!data_dir_.empty()) RemoveStaleTemporaries(data_dir_);
}

std::filesystem::path CSettingsLists::FilePath(const char* name) const {
  return data_dir_.empty() ? std::filesystem::path() : data_dir_ / name;
}

bool CSettingsLists::ReadLines(const char* name, std::vector<std::u16string>& lines) {
  const ReadOutcome outcome = ReadTextFile(FilePath(name), lines);
  // What could not be read must survive the save that replaces the file.
  keep_original_[FileIndex(name)] =
      outcome == ReadOutcome::kLossy || outcome == ReadOutcome::kUnreadable;
  return outcome == ReadOutcome::kRead || outcome == ReadOutcome::kLossy;
}

void CSettingsLists::WriteLines(const char* name,
                                const std::vector<std::unique_ptr<Packet>>& list) {
  std::vector<std::u16string_view> lines;
  for (const auto& p : list) lines.push_back(p->Text());
  bool& keep = keep_original_[FileIndex(name)];
  // A failure keeps the old file.
  if (WriteTextFile(FilePath(name), lines, keep)) keep = false;
}

void CSettingsLists::LoadSettings() {
  settings_.clear();
  std::vector<std::u16string> lines;
  if (data_dir_.empty() || !ReadLines(kSettingsFileName, lines)) return;
  for (auto& line : lines) settings_.push_back(std::make_unique<Packet>(std::move(line)));
}

void CSettingsLists::SaveSettings() {
  if (!data_dir_.empty()) WriteLines(kSettingsFileName, settings_);
}

Packet* CSettingsLists::GetLoginSettings() {
  return GetSettings(1);
}

Packet* CSettingsLists::GetSettings(int cfg) {
  for (const auto& p : settings_) {
    if (p->GetInt(u"CFG", 0) == cfg) return p.get();
  }
  auto made = std::make_unique<Packet>(code::kLocal);
  made->AddInt(u"CFG", cfg);
  settings_.push_back(std::move(made));
  return settings_.back().get();
}

void CSettingsLists::LoadRecent() {
  recent_.clear();
  std::vector<std::u16string> lines;
  if (data_dir_.empty() || !ReadLines(kRecentFileName, lines)) return;
  for (auto& line : lines) {
    if (line.empty() || line.find(u"</PKT>") == std::u16string::npos) continue;
    recent_.push_back(std::make_unique<Packet>(std::move(line)));
  }
}

void CSettingsLists::SaveRecent() {
  if (!data_dir_.empty()) WriteLines(kRecentFileName, recent_);
}

const Packet* CSettingsLists::FindRecent(std::u16string_view code) const {
  for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
    std::u16string_view other;
    if ((*it)->Find(u"SHCODE", other) && other == code) return it->get();
  }
  return nullptr;
}

void CSettingsLists::AddRecent(const Packet& master) {
  const std::u16string code = master.GetText(u"SHCODE", u"");
  const auto found = std::find_if(recent_.rbegin(), recent_.rend(), [&](const auto& entry) {
    std::u16string_view other;
    return entry->Find(u"SHCODE", other) ? other == code : code.empty();
  });
  if (found != recent_.rend()) {
    auto entry = std::move(*found);
    recent_.erase(std::next(found).base());
    recent_.push_back(std::move(entry));
  } else {
    auto entry = std::make_unique<Packet>(code::kLocal);
    for (const std::u16string_view tag :
         {u"SHCODE", u"HNAME", u"MARKET", u"ETFGUBUN", u"ET_SJKRATE"}) {
      entry->SetText(tag, master.GetText(tag, u""));
    }
    recent_.push_back(std::move(entry));
  }
  while (recent_.size() > kRecentLimit) {
    history_.PushHistory(std::move(recent_.front()));
    recent_.erase(recent_.begin());
  }
}

}  // namespace velloran
