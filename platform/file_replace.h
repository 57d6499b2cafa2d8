#pragma once
// Saving a file so that a crash or a full disk never leaves it half written:
// the bytes go to a temporary file beside it, which is flushed to disk and
// then renamed over the old file.

#include <filesystem>
#include <string>
#include <string_view>

namespace velloran {

// False when any step failed; the old file is then unchanged and the
// temporary file removed.
[[nodiscard]] bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

// What a save's temporary file adds to the name of the file it replaces.
inline constexpr std::string_view kTemporarySuffix = ".tmp";

// Removes the temporary file a save of path left behind when the program was
// killed while saving.
void RemoveStaleTemporary(const std::filesystem::path& path);

// Reads a regular file whole, or its first `limit` bytes, and says in `cut`
// (when given) whether it held more; false on any failure (bytes may then
// hold part).
[[nodiscard]] bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes,
                                 std::size_t limit = static_cast<std::size_t>(-1),
                                 bool* cut = nullptr);

// Copies the file as it is to path + suffix, or path + suffix + "1", "2" ...
// when that exists, so an earlier copy is never overwritten. True when there
// was no file to keep or the copy reached the disk.
[[nodiscard]] bool KeepBeside(const std::filesystem::path& path, std::string_view suffix);

// True when a file can be created in the directory (it is tried and removed).
[[nodiscard]] bool IsWritableDirectory(const std::filesystem::path& directory);

}  // namespace velloran
