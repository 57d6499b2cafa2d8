#pragma once
// Saving a file so that a crash or a full disk never leaves it half written:
// the bytes go to a temporary file beside it, which is flushed to disk and
// then renamed over the old file.

#include <filesystem>
#include <string_view>

namespace velloran {

// False when any step failed; the old file is then unchanged and the
// temporary file removed.
[[nodiscard]] bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

// True when a file can be created in the directory (it is tried and removed).
[[nodiscard]] bool IsWritableDirectory(const std::filesystem::path& directory);

}  // namespace velloran
