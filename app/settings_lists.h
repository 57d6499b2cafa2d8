#pragma once
// The user's two small lists the store keeps on disk: the settings packets
// ("qza.cfg", among them the login settings) and the recent stock picks
// ("sch.dat", at most 30, oldest first). Loaded when the store is made,
// saved when it goes; changed only on the user-interface thread in between.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "net/packet.h"

namespace velloran {

class CPacketPipeline;

class CSettingsLists {
 public:
  static constexpr std::size_t kRecentLimit = 30;

  // data_dir empty: nothing is loaded or saved. Entries dropped from the
  // recent list go to the pipeline's history.
  CSettingsLists(std::filesystem::path data_dir, CPacketPipeline& history);

  void LoadSettings();
  void SaveSettings();
  // The first settings packet with "CFG" 1, made when there is none.
  [[nodiscard]] Packet* GetLoginSettings();
  // The settings packet with this "CFG", made (and kept) when there is none:
  // settings of the client's own beyond the login's.
  [[nodiscard]] Packet* GetSettings(int cfg);
  void LoadRecent();
  void SaveRecent();
  // The user picked this stock (a master packet, or a recent entry).
  void AddRecent(const Packet& master);

  [[nodiscard]] const std::filesystem::path& data_dir() const { return data_dir_; }
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& settings() const { return settings_; }
  [[nodiscard]] const std::vector<std::unique_ptr<Packet>>& recent() const { return recent_; }
  // The newest recent entry with this code, or null.
  [[nodiscard]] const Packet* FindRecent(std::u16string_view code) const;

 private:
  [[nodiscard]] std::filesystem::path FilePath(const char* name) const;
  // One of the two files: read (false when there is nothing to read), and
  // written back.
  [[nodiscard]] bool ReadLines(const char* name, std::vector<std::u16string>& lines);
  void WriteLines(const char* name, const std::vector<std::unique_ptr<Packet>>& list);

  std::filesystem::path data_dir_;
  CPacketPipeline& history_;
  std::vector<std::unique_ptr<Packet>> settings_;
  std::vector<std::unique_ptr<Packet>> recent_;
  // Per file ("qza.cfg", "sch.dat"): its load lost something, so its first
  // save keeps the original beside it.
  bool keep_original_[2] = {false, false};
};

}  // namespace velloran
