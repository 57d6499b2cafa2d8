#pragma once
// The size of text and controls the user chose, kept in "qza.cfg" among the
// client's own settings. It is read before the windows' toolkit starts (the
// scale factor cannot change later), so straight from the file.

#include <cstdint>
#include <filesystem>

namespace velloran {

class CSettingsLists;

// The settings packet ("CFG") and its value ("TEXTSIZE", a percent).
inline constexpr int kTextSizeRecord = 3;

// The kept percent; 100 when none is kept, or the file holds no valid one.
[[nodiscard]] int StoredTextSize(const std::filesystem::path& data_dir);
// Keeps percent for the next start (written with the settings).
void KeepTextSize(CSettingsLists& lists, int percent);

}  // namespace velloran
