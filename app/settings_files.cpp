#include "app/settings_files.h"

#include <algorithm>
#include <cstdlib>

#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/file_replace.h"
#include "platform/shared_library.h"

namespace velloran {
namespace {

enum class Encoding { kUtf8, kUtf16Le, kUtf16Be };

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian, bool& lossy) {
  std::u16string text(bytes.size() / 2, u'\0');
  const int low = big_endian ? 1 : 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i + low]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1 - low]) << 8));
  }
  if (bytes.size() % 2 != 0) lossy = true;  // the odd last byte is dropped
  return text;
}

// UTF-8 read past its NUL bytes, which are dropped; every ill-formed sequence
// becomes U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes, bool& lossy) {
  std::u16string text;
  text.reserve(bytes.size());
  std::size_t replacements_sent = 0;  // U+FFFD written as such in the bytes
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t nul = bytes.find('\0', at);
    if (nul == std::string_view::npos) nul = bytes.size();
    const std::string_view piece = bytes.substr(at, nul - at);
    AppendUtf8AsUtf16(piece.data(), piece.size(), text);
    for (std::size_t k = piece.find("\xEF\xBF\xBD"); k != std::string_view::npos;
         k = piece.find("\xEF\xBF\xBD", k + 3)) {
      ++replacements_sent;
    }
    if (nul < bytes.size()) lossy = true;
    at = nul + 1;
  }
  const auto replacements = static_cast<std::size_t>(std::count(text.begin(), text.end(), 0xFFFD));
  if (replacements > replacements_sent) lossy = true;
  return text;
}

// Without a mark: UTF-16 text of mostly Latin characters (packet tags) has a
// NUL in every other byte, UTF-8 text has none but by accident.
Encoding GuessEncoding(std::string_view bytes) {
  std::size_t even = 0, odd = 0;
  const std::size_t n = std::min<std::size_t>(bytes.size(), 1 << 16);
  for (std::size_t i = 0; i < n; ++i) {
    if (bytes[i] != '\0') continue;
    ++((i % 2 == 0) ? even : odd);
  }
  if (even + odd == 0) return Encoding::kUtf8;
  const std::size_t quarter_of_pairs = (n / 2 + 3) / 4;
  if (odd >= quarter_of_pairs && odd >= 4 * even) return Encoding::kUtf16Le;
  if (even >= quarter_of_pairs && even >= 4 * odd) return Encoding::kUtf16Be;
  return Encoding::kUtf8;
}

// "qza.cfg", "sch.dat" or "grid_<digits>_<digits>.grd".
bool IsSettingsFileName(std::string_view name) {
  if (name == kSettingsFileName || name == kRecentFileName) return true;
  constexpr std::string_view kPrefix = "grid_", kSuffix = ".grd";
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
  name = name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  const std::size_t cut = name.find('_');
  return cut != std::string_view::npos && AllDigits(name.substr(0, cut)) &&
         AllDigits(name.substr(cut + 1));
}

void AppendUtf16Le(std::u16string_view text, std::string& out) {
  for (const char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
}

}  // namespace

StoredText DecodeStoredText(std::string_view bytes, bool whole) {
  StoredText out;
  std::u16string text;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    text = DecodeUtf16(bytes.substr(2), false, out.lossy);
  } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    text = DecodeUtf16(bytes.substr(2), true, out.lossy);
  } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    text = DecodeUtf8(bytes.substr(3), out.lossy);
  } else {
    const Encoding guess = GuessEncoding(bytes);
    text = guess == Encoding::kUtf8 ? DecodeUtf8(bytes, out.lossy)
                                    : DecodeUtf16(bytes, guess == Encoding::kUtf16Be, out.lossy);
  }
  std::vector<std::u16string>& lines = out.lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u'\n', start);
    const std::size_t next = end == std::u16string::npos ? text.size() : end + 1;
    if (end == std::u16string::npos) {
      if (!whole) {
        out.lossy = true;
        break;
      }
      end = text.size();
    }
    std::size_t cut = end;
    while (cut > start && text[cut - 1] == u'\r') --cut;
    if (cut - start <= kMaxStoredLine) {
      lines.emplace_back(text, start, cut - start);
    } else {
      out.lossy = true;
    }
    start = next;
  }
  return out;
}

std::vector<std::u16string> DecodeTextLines(std::string_view bytes) {
  return DecodeStoredText(bytes).lines;
}

std::string EncodeTextLines(const std::vector<std::u16string_view>& lines) {
  std::string out = "\xFF\xFE";
  for (const auto line : lines) {
    AppendUtf16Le(line, out);
    AppendUtf16Le(u"\r\n", out);
  }
  return out;
}

std::string GridLayoutFileName(int instance, int list_id) {
  return "grid_" + std::to_string(instance) + "_" + std::to_string(list_id) + ".grd";
}

ReadOutcome ReadTextFile(const std::filesystem::path& path, std::vector<std::u16string>& lines,
                         std::size_t max_bytes) {
  lines.clear();
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return ReadOutcome::kMissing;
  if (ec || status.type() != std::filesystem::file_type::regular) return ReadOutcome::kUnreadable;
  std::string bytes;
  bool cut = false;
  if (!ReadWholeFile(path, bytes, max_bytes, &cut)) return ReadOutcome::kUnreadable;
  StoredText text = DecodeStoredText(bytes, !cut);
  lines = std::move(text.lines);
  return text.lossy || cut ? ReadOutcome::kLossy : ReadOutcome::kRead;
}

void RemoveStaleTemporaries(const std::filesystem::path& dir) {
  std::error_code ec;
  std::vector<std::filesystem::path> saved;
  for (auto it = std::filesystem::directory_iterator(dir, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.ends_with(kTemporarySuffix)) continue;
    const std::string_view of =
        std::string_view(name).substr(0, name.size() - kTemporarySuffix.size());
    if (IsSettingsFileName(of)) saved.push_back(dir / of);
  }
  // Removed once the listing is done, which removing would disturb.
  for (const auto& path : saved) RemoveStaleTemporary(path);
}

bool WriteTextFile(const std::filesystem::path& path, const std::vector<std::u16string_view>& lines,
                   bool keep_original) {
  if (keep_original && !KeepBeside(path, ".bad")) return false;
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
