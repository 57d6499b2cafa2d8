#include "app/workspace_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <vector>

#include "platform/file_replace.h"

namespace velloran {
namespace {

constexpr std::array<std::u16string_view, 9> kChartTypes = {u"D",  u"J",   u"M",   u"m1", u"m3",
                                                            u"m5", u"m10", u"m30", u"m60"};
constexpr int kMinuteItems = 6;
constexpr int kMaxSpeed = 128;
// Coordinates beyond any screen are damage, not a place.
constexpr int kMaxCoordinate = 100000;

std::optional<int> ReadInt(std::string_view text) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<int> ReadIntIn(std::string_view text, int low, int high) {
  const std::optional<int> v = ReadInt(text);
  if (!v || *v < low || *v > high) return std::nullopt;
  return v;
}

// A share is written in thousandths: exact and locale-free.
std::optional<double> ReadShare(std::string_view text) {
  const std::optional<int> v = ReadIntIn(text, 0, 1000);
  if (!v) return std::nullopt;
  return *v / 1000.0;
}

// "left,top,width,height"; a rectangle with no room or off every screen is none.
std::optional<Rect> ReadRect(std::string_view text) {
  std::array<int, 4> v{};
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::size_t comma = i + 1 < v.size() ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return std::nullopt;
    const std::optional<int> n = ReadIntIn(text.substr(0, comma), -kMaxCoordinate, kMaxCoordinate);
    if (!n) return std::nullopt;
    v[i] = *n;
    text.remove_prefix(std::min(comma + 1, text.size()));
  }
  if (v[2] <= 0 || v[3] <= 0) return std::nullopt;
  return Rect{v[0], v[1], v[0] + v[2], v[1] + v[3]};
}

std::optional<bool> ReadBool(std::string_view text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

std::string RectText(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.width()) +
         "," + std::to_string(r.height());
}

std::string ShareText(double share) {
  return std::to_string(static_cast<int>(std::clamp(share, 0.0, 1.0) * 1000 + 0.5));
}

std::u16string Wide(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}

std::string Narrow(std::u16string_view ascii) {
  std::string out;
  for (const char16_t c : ascii) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// One key's value into the workspace; bad values leave the default.
void Apply(std::string_view key, std::string_view value, Workspace& w) {
  const auto take = [](auto parsed, auto& into) {
    if (parsed) into = *parsed;
  };
  if (key == "window") return take(ReadRect(value), w.window);
  if (key == "maximized") return take(ReadBool(value), w.maximized);
  if (key == "split.outer") return take(ReadShare(value), w.outer_share);
  if (key == "split.left") return take(ReadShare(value), w.left_share);
  if (key == "split.right") return take(ReadShare(value), w.right_share);
  if (key == "split.charts") return take(ReadShare(value), w.charts_share);
  if (key == "mode") return take(ReadIntIn(value, 0, 1), w.display_mode);
  if (key == "screen") return take(ReadIntIn(value, 3004, 3007), w.screen);
  if (key == "market") return take(ReadIntIn(value, 0, 2), w.market);
  if (key == "check") return take(ReadBool(value), w.check);
  if (key == "replay.window") return take(ReadRect(value), w.replay);
  if (key == "replay.speed") {
    const std::optional<int> speed = ReadIntIn(value, 1, kMaxSpeed);
    // The player's speeds are powers of two.
    if (speed && (*speed & (*speed - 1)) == 0) w.replay_speed = *speed;
    return;
  }
  for (std::size_t i = 0; i < w.charts.size(); ++i) {
    const std::string prefix = "chart" + std::to_string(i + 1) + ".";
    if (key.substr(0, prefix.size()) != prefix) continue;
    const std::string_view field = key.substr(prefix.size());
    ChartWorkspace& chart = w.charts[i];
    if (field == "type") {
      for (const std::u16string_view t : kChartTypes)
        if (Narrow(t) == value) chart.type = Wide(value);
    } else if (field == "minutes") {
      take(ReadIntIn(value, 0, kMinuteItems - 1), chart.minute_index);
    } else if (field == "averages" && value.size() == chart.averages.size() &&
               value.find_first_not_of("01") == std::string_view::npos) {
      for (std::size_t k = 0; k < chart.averages.size(); ++k) chart.averages[k] = value[k] == '1';
    }
  }
}

}  // namespace

std::string EncodeWorkspace(const Workspace& w) {
  std::vector<std::pair<std::string, std::string>> lines;
  if (!w.window.IsEmpty()) lines.emplace_back("window", RectText(w.window));
  lines.emplace_back("maximized", w.maximized ? "1" : "0");
  const std::pair<const char*, double> shares[] = {{"split.outer", w.outer_share},
                                                   {"split.left", w.left_share},
                                                   {"split.right", w.right_share},
                                                   {"split.charts", w.charts_share}};
  for (const auto& [key, share] : shares)
    if (share >= 0) lines.emplace_back(key, ShareText(share));
  lines.emplace_back("mode", std::to_string(w.display_mode));
  lines.emplace_back("screen", std::to_string(w.screen));
  lines.emplace_back("market", std::to_string(w.market));
  lines.emplace_back("check", w.check ? "1" : "0");
  for (std::size_t i = 0; i < w.charts.size(); ++i) {
    const std::string prefix = "chart" + std::to_string(i + 1) + ".";
    const ChartWorkspace& chart = w.charts[i];
    if (!chart.type.empty()) lines.emplace_back(prefix + "type", Narrow(chart.type));
    lines.emplace_back(prefix + "minutes", std::to_string(chart.minute_index));
    std::string averages;
    for (const bool on : chart.averages) averages += on ? '1' : '0';
    lines.emplace_back(prefix + "averages", averages);
  }
  if (!w.replay.IsEmpty()) lines.emplace_back("replay.window", RectText(w.replay));
  lines.emplace_back("replay.speed", std::to_string(w.replay_speed));

  std::string out = "# Velloran workspace\n";
  for (const auto& [key, value] : lines) out += key + "=" + value + "\n";
  return out;
}

Workspace DecodeWorkspace(std::string_view bytes, bool* damaged) {
  Workspace w;
  const auto fail = [&] {
    if (damaged != nullptr) *damaged = true;
    return Workspace{};
  };
  if (damaged != nullptr) *damaged = false;
  if (bytes.size() > kMaxWorkspaceBytes) return fail();
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Only printable ASCII is ever written.
    for (const char c : line)
      if (c < 0x20 || c > 0x7E) return fail();
    if (line.empty() || line.front() == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) return fail();
    Apply(line.substr(0, eq), line.substr(eq + 1), w);
  }
  return w;
}

WorkspaceLoad LoadWorkspace(const std::filesystem::path& path, Workspace& w) {
  w = Workspace{};
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return WorkspaceLoad::kMissing;
  std::string bytes;
  bool cut = false;
  bool damaged = !ReadWholeFile(path, bytes, kMaxWorkspaceBytes, &cut) || cut;
  if (!damaged) w = DecodeWorkspace(bytes, &damaged);
  if (!damaged) return WorkspaceLoad::kRead;
  w = Workspace{};
  // The next save replaces it: what the user had stays for a look.
  (void)KeepBeside(path, ".bad");
  return WorkspaceLoad::kDamaged;
}

bool SaveWorkspace(const std::filesystem::path& path, const Workspace& w) {
  return ReplaceFileContents(path, EncodeWorkspace(w));
}

Rect FitWorkspaceWindow(const Rect& window, const Rect& work_area) {
  if (window.width() < kMinWorkspaceWidth || window.height() < kMinWorkspaceHeight) return {};
  if (work_area.IsEmpty()) return window;
  const int width = std::min(window.width(), work_area.width());
  const int height = std::min(window.height(), work_area.height());
  const int left = std::clamp(window.left, work_area.left, work_area.right - width);
  const int top = std::clamp(window.top, work_area.top, work_area.bottom - height);
  return {left, top, left + width, top + height};
}

}  // namespace velloran
