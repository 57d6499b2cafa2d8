#pragma once
// The stored form of the settings files ("qza.cfg", "sch.dat"): one packet
// text a line, UTF-16LE with a byte-order mark and CR LF line ends, in the data
// directory. Saves replace the file as a whole, never leaving half of one.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

inline constexpr char kSettingsFileName[] = "qza.cfg";
inline constexpr char kRecentFileName[] = "sch.dat";

// The lines of a stored text. UTF-16LE after its mark; a UTF-8 mark, or no
// mark, reads as UTF-8. A line ends at LF; the CRs before it are not kept. A
// last line without a line end counts, an empty last piece does not.
[[nodiscard]] std::vector<std::u16string> DecodeTextLines(std::string_view bytes);

// The mark, then every line followed by CR LF, as UTF-16LE.
[[nodiscard]] std::string EncodeTextLines(const std::vector<std::u16string_view>& lines);

// False when the file cannot be read; lines is then empty.
[[nodiscard]] bool ReadTextFile(const std::filesystem::path& path,
                                std::vector<std::u16string>& lines);
// False when the file could not be written; the old file is then kept.
[[nodiscard]] bool WriteTextFile(const std::filesystem::path& path,
                                 const std::vector<std::u16string_view>& lines);

// Where the settings live: override_dir when given (created when missing);
// else exe_dir when it is writable; else xdg_config_home/velloran, or
// home/.config/velloran without it (created). Empty when none of them works.
[[nodiscard]] std::filesystem::path ChooseDataDirectory(const std::filesystem::path& override_dir,
                                                        const std::filesystem::path& exe_dir,
                                                        std::string_view xdg_config_home,
                                                        std::string_view home);
// The same with the running executable's directory and the environment.
[[nodiscard]] std::filesystem::path DataDirectory(const std::filesystem::path& override_dir);

}  // namespace velloran
