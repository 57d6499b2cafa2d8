#include "app/settings_files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "net/utf8.h"
#include "platform/file_replace.h"
#include "platform/shared_library.h"

namespace velloran {
namespace {

std::u16string DecodeUtf16Le(std::string_view bytes) {
  std::u16string text(bytes.size() / 2, u'\0');  // an odd last byte is dropped
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

void AppendUtf16Le(std::u16string_view text, std::string& out) {
  for (const char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

}  // namespace

std::vector<std::u16string> DecodeTextLines(std::string_view bytes) {
  std::u16string text;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    text = DecodeUtf16Le(bytes.substr(2));
  } else {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    text = Utf8ToUtf16(bytes);
  }
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u'\n', start);
    const std::size_t next = end == std::u16string::npos ? text.size() : end + 1;
    if (end == std::u16string::npos) end = text.size();
    std::size_t cut = end;
    while (cut > start && text[cut - 1] == u'\r') --cut;
    lines.emplace_back(text, start, cut - start);
    start = next;
  }
  return lines;
}

std::string EncodeTextLines(const std::vector<std::u16string_view>& lines) {
  std::string out = "\xFF\xFE";
  for (const auto line : lines) {
    AppendUtf16Le(line, out);
    AppendUtf16Le(u"\r\n", out);
  }
  return out;
}

bool ReadTextFile(const std::filesystem::path& path, std::vector<std::u16string>& lines) {
  lines.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  lines = DecodeTextLines(bytes);
  return true;
}

bool WriteTextFile(const std::filesystem::path& path,
                   const std::vector<std::u16string_view>& lines) {
  return ReplaceFileContents(path, EncodeTextLines(lines));
}

std::filesystem::path ChooseDataDirectory(const std::filesystem::path& override_dir,
                                          const std::filesystem::path& exe_dir,
                                          std::string_view xdg_config_home, std::string_view home) {
  std::error_code ec;
  if (!override_dir.empty()) {
    std::filesystem::create_directories(override_dir, ec);
    return std::filesystem::is_directory(override_dir, ec) ? override_dir : std::filesystem::path();
  }
  if (!exe_dir.empty() && IsWritableDirectory(exe_dir)) return exe_dir;
  std::filesystem::path config;
  if (!xdg_config_home.empty() && xdg_config_home.front() == '/') {
    config = std::filesystem::path(xdg_config_home);
  } else if (!home.empty()) {
    config = std::filesystem::path(home) / ".config";
  } else {
    return {};
  }
  const auto dir = config / "velloran";
  std::filesystem::create_directories(dir, ec);
  return std::filesystem::is_directory(dir, ec) ? dir : std::filesystem::path();
}

std::filesystem::path DataDirectory(const std::filesystem::path& override_dir) {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  return ChooseDataDirectory(override_dir, SharedLibrary::ExecutableDirectory(), xdg ? xdg : "",
                             home ? home : "");
}

}  // namespace velloran
