#pragma once
// Appending to a log-like file: each call hands its bytes to the system at
// once, so a killed program loses nothing already appended (a crash of the
// machine itself may still lose what the disk had not taken).

#include <filesystem>
#include <string_view>

namespace velloran {

// Creates the file when missing and adds the bytes at its end; false when it
// could not be opened or not all bytes were written.
[[nodiscard]] bool AppendToFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace velloran
