// The workspace file: what is saved reads back the same; a damaged file
// gives the defaults and is kept as .bad; a bad value gives its own default;
// a window saved on a larger screen is fitted onto the screen at hand. And
// the key table: which key does what where, never a text box's key.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/key_map.h"
#include "app/workspace_file.h"
#include "platform/window_events.h"
#include "tests/app/session_fixture.h"

namespace velloran {
namespace {

Workspace Changed() {
  Workspace w;
  w.window = {120, 80, 1120, 780};
  w.maximized = true;
  w.outer_share = 0.375;
  w.left_share = 0.6;
  w.right_share = 0.25;
  w.charts_share = 0.7;
  w.display_mode = 1;
  w.screen = 3005;
  w.market = 1;
  w.check = false;
  w.charts[0] = {u"J", 3, {false, true, false, true, true}};
  w.charts[1] = {u"m10", 3, {true, true, true, false, false}};
  w.replay = {300, 200, 1100, 900};
  w.replay_speed = 16;
  return w;
}

TEST(WorkspaceFileTest, ASavedWorkspaceReadsBackAsItWas) {
  const auto dir = testing::FreshDirectory();
  const auto path = dir / kWorkspaceFileName;
  Workspace read;
  EXPECT_EQ(LoadWorkspace(path, read), WorkspaceLoad::kMissing);
  EXPECT_EQ(read, Workspace{});
  ASSERT_TRUE(SaveWorkspace(path, Changed()));
  EXPECT_EQ(LoadWorkspace(path, read), WorkspaceLoad::kRead);
  EXPECT_EQ(read, Changed());
  EXPECT_FALSE(std::filesystem::exists(dir / "workspace.cfg.bad"));
  std::filesystem::remove_all(dir);
}

TEST(WorkspaceFileTest, ADamagedFileGivesTheDefaultsAndIsKept) {
  const std::string good = EncodeWorkspace(Changed());
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"binary", std::string("\x00\x01\xff\xfe", 4) + good},
      {"UTF-16", std::string("\xff\xfes\0c\0=\0" "1\0", 10)},
      {"a line without =", good + "garbage\n"},
      {"a line with no key", "=1\n" + good},
      {"larger than a workspace may be", good + std::string(kMaxWorkspaceBytes, '#')},
  };
  for (const auto& c : cases) {
    const auto dir = testing::FreshDirectory();
    const auto path = dir / kWorkspaceFileName;
    { std::ofstream(path, std::ios::binary) << c.bytes; }
    Workspace read = Changed();
    EXPECT_EQ(LoadWorkspace(path, read), WorkspaceLoad::kDamaged) << c.what;
    EXPECT_EQ(read, Workspace{}) << c.what;
    std::string kept;
    std::ifstream bad(dir / "workspace.cfg.bad", std::ios::binary);
    kept.assign(std::istreambuf_iterator<char>(bad), {});
    EXPECT_EQ(kept, c.bytes) << c.what;
    std::filesystem::remove_all(dir);
  }
}

TEST(WorkspaceFileTest, AValueOutOfRangeGivesItsOwnDefault) {
  const Workspace d;
  const struct {
    const char* line;
    bool (*is_default)(const Workspace&, const Workspace&);
  } cases[] = {
      {"window=10,10,0,500", [](const Workspace& w, const Workspace& d) { return w.window == d.window; }},
      {"window=10,10,900", [](const Workspace& w, const Workspace& d) { return w.window == d.window; }},
      {"window=1,2,3,999999", [](const Workspace& w, const Workspace& d) { return w.window == d.window; }},
      {"maximized=yes", [](const Workspace& w, const Workspace& d) { return w.maximized == d.maximized; }},
      {"split.outer=1001", [](const Workspace& w, const Workspace& d) { return w.outer_share == d.outer_share; }},
      {"split.left=-5", [](const Workspace& w, const Workspace& d) { return w.left_share == d.left_share; }},
      {"split.charts=0.5", [](const Workspace& w, const Workspace& d) { return w.charts_share == d.charts_share; }},
      {"mode=2", [](const Workspace& w, const Workspace& d) { return w.display_mode == d.display_mode; }},
      {"screen=3016", [](const Workspace& w, const Workspace& d) { return w.screen == d.screen; }},
      {"market=3", [](const Workspace& w, const Workspace& d) { return w.market == d.market; }},
      {"check=", [](const Workspace& w, const Workspace& d) { return w.check == d.check; }},
      {"chart1.type=m2", [](const Workspace& w, const Workspace& d) { return w.charts[0].type == d.charts[0].type; }},
      {"chart2.minutes=6", [](const Workspace& w, const Workspace& d) { return w.charts[1].minute_index == d.charts[1].minute_index; }},
      {"chart1.averages=1101", [](const Workspace& w, const Workspace& d) { return w.charts[0].averages == d.charts[0].averages; }},
      {"chart2.averages=11a01", [](const Workspace& w, const Workspace& d) { return w.charts[1].averages == d.charts[1].averages; }},
      {"replay.speed=3", [](const Workspace& w, const Workspace& d) { return w.replay_speed == d.replay_speed; }},
      {"replay.speed=256", [](const Workspace& w, const Workspace& d) { return w.replay_speed == d.replay_speed; }},
  };
  for (const auto& c : cases) {
    bool damaged = true;
    // The other values of the file still count; an unknown key is skipped.
    const Workspace w = DecodeWorkspace(std::string("replay.window=1,2,800,600\nlater.key=x\n") + c.line + "\n", &damaged);
    EXPECT_FALSE(damaged) << c.line;
    EXPECT_TRUE(c.is_default(w, d)) << c.line;
    EXPECT_EQ(w.replay, (Rect{1, 2, 801, 602})) << c.line;
  }
}

TEST(WorkspaceFileTest, AWindowFromALargerScreenIsFittedOntoThisOne) {
  const Rect work{0, 0, 1366, 728};
  const struct {
    const char* what;
    Rect saved;
    Rect fitted;
  } cases[] = {
      {"fits as it is", {100, 50, 1100, 650}, {100, 50, 1100, 650}},
      {"too wide and too high", {200, 100, 2000, 1150}, {0, 0, 1366, 728}},
      {"off the right and the bottom", {1500, 900, 2500, 1500}, {366, 128, 1366, 728}},
      {"above and left of the screen", {-400, -300, 600, 400}, {0, 0, 1000, 700}},
      {"too small to be a frame", {10, 10, 300, 200}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(FitWorkspaceWindow(c.saved, work), c.fitted) << c.what;
}

TEST(KeyMapTest, KeysDoTheirTableActionButNeverTakeATextBoxsKeys) {
  constexpr WParam kF1 = 0x70;
  const KeyContext pane;
  const KeyContext text{.in_text_box = true};
  const KeyContext charts{.in_charts = true};
  const KeyContext replay{.in_replay = true};
  const KeyContext replay_text{.in_text_box = true, .in_replay = true};
  const struct {
    WParam key;
    WParam modifiers;
    KeyContext where;
    std::optional<KeyAction> action;
  } cases[] = {
      {kF1, 0, pane, KeyAction::kKeyList},
      {kF1 + 1, 0, pane, KeyAction::kSurging},
      {kF1 + 4, 0, text, KeyAction::kReverse},  // function keys work in a text box
      {kF1 + 6, 0, pane, KeyAction::kGrid},
      {kF1 + 6, sys::kShiftFlag, pane, std::nullopt},  // the modifiers must match
      {kF1 + 7, 0, pane, KeyAction::kNameBox},
      {kF1 + 8, 0, pane, KeyAction::kReplay},
      {kF1 + 9, 0, pane, KeyAction::kAlarms},
      {'0', 0, pane, KeyAction::kCodeDigit},
      {'7', 0, pane, KeyAction::kCodeDigit},
      {'7', 0, text, std::nullopt},
      {'7', sys::kControlFlag, pane, std::nullopt},
      {'A', 0, pane, std::nullopt},
      {sys::kVkTab, 0, pane, KeyAction::kNextPane},
      {sys::kVkTab, sys::kShiftFlag, pane, KeyAction::kPreviousPane},
      {sys::kVkTab, 0, text, std::nullopt},
      {sys::kVkEscape, 0, pane, KeyAction::kBack},
      {sys::kVkEscape, 0, text, std::nullopt},
      {sys::kVkEnd, 0, charts, KeyAction::kNewestBar},
      {sys::kVkEnd, 0, pane, std::nullopt},  // the grid's End stays the grid's
      {sys::kVkReturn, 0, pane, std::nullopt},
      {sys::kVkDown, 0, pane, std::nullopt},
      // The replay frame has its own keys and only those.
      {sys::kVkSpace, 0, replay, KeyAction::kPlayPause},
      {sys::kVkSpace, 0, pane, std::nullopt},
      {sys::kVkRight, sys::kShiftFlag, replay, KeyAction::kTenOn},
      {sys::kVkAdd, sys::kShiftFlag, replay, KeyAction::kFaster},  // + is a shifted key
      {sys::kVkHome, 0, replay_text, std::nullopt},
      {kF1 + 1, 0, replay, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindKeyAction(c.key, c.modifiers, c.where), c.action)
        << "key " << c.key << " modifiers " << c.modifiers;
  }
}

}  // namespace
}  // namespace velloran
