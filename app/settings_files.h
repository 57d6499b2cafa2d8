#pragma once
// The stored form of the settings files ("qza.cfg", "sch.dat"): one packet
// text a line, UTF-16LE with a byte-order mark and CR LF line ends, in the data
// directory. Saves replace the file as a whole, never leaving half of one.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velloran {

inline constexpr char kSettingsFileName[] = "qza.cfg";
inline constexpr char kRecentFileName[] = "sch.dat";

// Every entry of these files is one short packet: a longer line is damage,
// and so is a file larger than the reader takes.
inline constexpr std::size_t kMaxStoredLine = 8192;  // code units
inline constexpr std::size_t kMaxStoredFileBytes = std::size_t{1} << 20;

// "grid_<instance>_<list>.grd": the grid's layout file of one list.
[[nodiscard]] std::string GridLayoutFileName(int instance, int list_id);

struct StoredText {
  std::vector<std::u16string> lines;
  // Part of the bytes could not be read as text (ill-formed UTF-8, NUL bytes
  // in UTF-8, an odd last byte of UTF-16) or was left out (a line longer than
  // kMaxStoredLine, a file cut at its reader's limit): saving the lines would
  // lose it.
  bool lossy = false;
};

// The lines of a stored text. UTF-16LE or UTF-16BE after its mark, UTF-8
// after its mark; without a mark, UTF-16 of either order where its NUL bytes
// say so, else UTF-8. A line ends at LF; the CRs before it are not kept. A
// last line without a line end counts, an empty last piece does not. Lines
// longer than kMaxStoredLine are dropped. With whole false the bytes stop
// short of the file's end, and a last line without its end is dropped too.
[[nodiscard]] StoredText DecodeStoredText(std::string_view bytes, bool whole = true);
[[nodiscard]] std::vector<std::u16string> DecodeTextLines(std::string_view bytes);

// The mark, then every line followed by CR LF, as UTF-16LE.
[[nodiscard]] std::string EncodeTextLines(const std::vector<std::u16string_view>& lines);

enum class ReadOutcome {
  kRead,        // read whole
  kLossy,       // read, but part of it was not text or was left out (StoredText::lossy)
  kMissing,     // there is no such file
  kUnreadable,  // it exists but could not be read (a directory, an I/O error)
};
// lines is empty unless the file was read. Only the first max_bytes of the
// file are read (a larger file reads as lossy).
[[nodiscard]] ReadOutcome ReadTextFile(const std::filesystem::path& path,
                                       std::vector<std::u16string>& lines,
                                       std::size_t max_bytes = kMaxStoredFileBytes);
// False when the file could not be written; the old file is then kept. With
// keep_original, the file as it is on disk is first copied beside it
// ("qza.cfg.bad", or ".bad1" ... when that exists) and nothing is written
// unless the copy succeeded: for a file whose load lost something.
[[nodiscard]] bool WriteTextFile(const std::filesystem::path& path,
                                 const std::vector<std::u16string_view>& lines,
                                 bool keep_original = false);

// Removes what saves killed midway left in the data directory: the
// temporary files of "qza.cfg", "sch.dat" and every grid layout file. Other
// files (the directory may be the executable's) are not touched.
void RemoveStaleTemporaries(const std::filesystem::path& dir);

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
