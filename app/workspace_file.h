#pragma once
// The workspace as the user left it ("workspace.cfg" in the data directory):
// the main window's place and size, the splitters' shares, the screen and
// its filters, the side charts' periods and averages, the replay frame's
// place and speed. Plain "key=value" lines of UTF-8; whatever is missing,
// damaged or out of range reads as its default, so a bad file never stops
// the program from starting.

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/geometry.h"

namespace velloran {

inline constexpr char kWorkspaceFileName[] = "workspace.cfg";
inline constexpr std::size_t kMaxWorkspaceBytes = 16 * 1024;

// A frame smaller than this is not restored: nobody leaves one so.
inline constexpr int kMinWorkspaceWidth = 400;
inline constexpr int kMinWorkspaceHeight = 300;

struct ChartWorkspace {
  // "D", "J", "M" or a minute type "m1" ... "m60"; empty: the chart's own.
  std::u16string type;
  int minute_index = 0;  // the period combo's item: 0 "1분" ... 5 "60분"
  std::array<bool, 5> averages = {true, false, true, false, false};  // 5, 10, 20, 60, 120
  bool operator==(const ChartWorkspace&) const = default;
};

struct Workspace {
  // The main window in screen coordinates; empty: placed by the start-up rule.
  Rect window;
  bool maximized = false;
  // The splitters' first track as a share of their room; below 0: the
  // design's. outer: the order book's column; left: the book's row over the
  // ratio view; right: the work area's row over the charts; charts: the day
  // chart beside the minute chart.
  double outer_share = -1;
  double left_share = -1;
  double right_share = -1;
  double charts_share = -1;
  int display_mode = 0;  // 0 tiles, 1 grid
  int screen = 3007;     // 3004 급등주, 3005 박스권, 3006 재료주, 3007 현재역상
  int market = 2;        // 0 전체, 1 코스피, 2 코스닥
  bool check = true;     // 매수강도적용
  std::array<ChartWorkspace, 2> charts{ChartWorkspace{u"D"}, ChartWorkspace{u"m1"}};
  // The replay frame in screen coordinates (empty: its own place) and its
  // speed as a multiple of real time.
  Rect replay;
  int replay_speed = 1;
  bool operator==(const Workspace&) const = default;
};

[[nodiscard]] std::string EncodeWorkspace(const Workspace& w);

// damaged: the text is not a workspace file (not UTF-8 text, a line without
// "=", longer than a workspace may be). Its values are then the defaults.
// Known keys with bad values take their own default and do not count as
// damage; unknown keys are skipped (a later version's).
[[nodiscard]] Workspace DecodeWorkspace(std::string_view bytes, bool* damaged = nullptr);

enum class WorkspaceLoad { kRead, kMissing, kDamaged };
// Reads the file; a damaged one is kept beside it as ".bad" (".bad1" ...)
// and the defaults are used.
[[nodiscard]] WorkspaceLoad LoadWorkspace(const std::filesystem::path& path, Workspace& w);
// Replaces the file as a whole; false when it could not be written.
[[nodiscard]] bool SaveWorkspace(const std::filesystem::path& path, const Workspace& w);

// A window saved on another screen, brought onto this work area: no larger
// than the area, moved in when it lies partly or wholly outside it. Empty
// when the window was empty or smaller than a frame is restored.
[[nodiscard]] Rect FitWorkspaceWindow(const Rect& window, const Rect& work_area);

}  // namespace velloran
