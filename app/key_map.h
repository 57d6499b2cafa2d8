#pragma once
// The main window's keys in one table: what each key does, where it works,
// and how the key list names it. The frame's dispatch and the key list
// window both read this table, so what is shown is what the keys do.

#include <optional>
#include <span>
#include <string_view>

#include "platform/message_window.h"

namespace velloran {

enum class KeyAction {
  kKeyList,      // the key list window
  kSurging,      // 급등주
  kBoxRange,     // 박스권
  kNews,         // 재료주
  kReverse,      // 현재역상
  kTile,         // TILE
  kGrid,         // GRID
  kNameBox,      // the focus to the name box
  kCodeDigit,    // a digit starts a code in the code box
  kNextPane,     // Tab
  kPreviousPane, // Shift+Tab
  kBack,         // Esc
  kReplay,       // PLAY
  kAlarms,       // the day's alarms
  kJournal,      // the screen journal
  kNewestBar,    // the chart with the focus to its newest bar
  kPlayPause,    // the replay: play or pause
  kMinuteBack,   // the replay: a seek a minute back
  kMinuteOn,     // and a minute on
  kTenBack,      // ten minutes back
  kTenOn,        // ten minutes on
  kFaster,       // FF
  kSlower,       // RF
  kToOpen,       // a seek to 09:00
  kInPane,       // shown only: the pane with the focus handles it
};

// Where a key works. kCharts: only while the focus lies in the charts' pane;
// kReplay: in the replay's frame, where no other key works.
enum class KeyScope { kMainWindow, kCharts, kReplay };

struct KeyBinding {
  WParam key = 0;        // kKeyDown code; for kCodeDigit any of '0'-'9'
  WParam modifiers = 0;  // sys::kShiftFlag, kControlFlag, kAltFlag, exactly
  KeyAction action = KeyAction::kInPane;
  KeyScope scope = KeyScope::kMainWindow;
  // A text box has no use for function keys: those work there too. Every
  // other key stays with the text box while it has the focus.
  bool from_text_box = false;
  std::u16string_view key_name;  // as the key list shows it
  std::u16string_view what;
};

[[nodiscard]] std::span<const KeyBinding> KeyTable();

struct KeyContext {
  bool in_text_box = false;
  bool in_charts = false;
  bool in_replay = false;
};

// The action of a key press, or none when the key is not the frame's here
// (it then goes on to the window with the focus).
[[nodiscard]] std::optional<KeyAction> FindKeyAction(WParam key, WParam modifiers,
                                                     const KeyContext& where);

}  // namespace velloran
