#pragma once
// The messages the window layer itself delivers to a window procedure (input,
// painting, timers, focus, life cycle, commands from child controls), with the
// helpers that pack and unpack their parameters. Their numbers lie below 0x400;
// the application's own messages (platform/window_messages.h) lie above it.

#include <cstdint>

#include "platform/geometry.h"
#include "platform/message_window.h"

namespace velloran::sys {

inline constexpr std::uint32_t kCreate = 0x0001;
inline constexpr std::uint32_t kDestroy = 0x0002;
inline constexpr std::uint32_t kSize = 0x0005;  // lParam: MakeLParam(width, height)
inline constexpr std::uint32_t kSetFocus = 0x0007;
inline constexpr std::uint32_t kKillFocus = 0x0008;
inline constexpr std::uint32_t kPaint = 0x000F;
inline constexpr std::uint32_t kClose = 0x0010;
inline constexpr std::uint32_t kEraseBackground = 0x0014;
inline constexpr std::uint32_t kSetCursor = 0x0020;  // lParam: hit code
inline constexpr std::uint32_t kNotify = 0x004E;     // wParam id, lParam code (signed)
inline constexpr std::uint32_t kKeyDown = 0x0100;    // wParam key code, lParam kShiftFlag | kControlFlag held
inline constexpr std::uint32_t kKeyUp = 0x0101;
inline constexpr std::uint32_t kChar = 0x0102;     // wParam UTF-16 unit
inline constexpr std::uint32_t kCommand = 0x0111;  // wParam MakeWParam(id, code), lParam child id()
inline constexpr std::uint32_t kTimer = 0x0113;    // wParam timer id
inline constexpr std::uint32_t kHScroll = 0x0114;
inline constexpr std::uint32_t kVScroll = 0x0115;
inline constexpr std::uint32_t kMouseMove = 0x0200;  // wParam key flags, lParam point
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kMButtonDown = 0x0207;
inline constexpr std::uint32_t kMButtonUp = 0x0208;
inline constexpr std::uint32_t kMButtonDblClk = 0x0209;
inline constexpr std::uint32_t kMouseWheel = 0x020A;  // wParam high word: signed delta
inline constexpr std::uint32_t kMouseHWheel = 0x020E;  // as kMouseWheel; above 0 to the right
inline constexpr std::uint32_t kMouseLeave = 0x02A3;
inline constexpr std::uint32_t kFirstApplicationMessage = 0x0400;

// Key flags in a mouse message's wParam.
inline constexpr WParam kLButtonFlag = 0x0001;
inline constexpr WParam kRButtonFlag = 0x0002;
inline constexpr WParam kShiftFlag = 0x0004;
inline constexpr WParam kControlFlag = 0x0008;
inline constexpr WParam kMButtonFlag = 0x0010;
inline constexpr WParam kAltFlag = 0x0020;  // key hooks only

// Key codes in kKeyDown / kKeyUp (letters and digits are their upper-case ASCII).
inline constexpr WParam kVkBack = 0x08;
inline constexpr WParam kVkTab = 0x09;
inline constexpr WParam kVkReturn = 0x0D;
inline constexpr WParam kVkEscape = 0x1B;
inline constexpr WParam kVkSpace = 0x20;
inline constexpr WParam kVkPageUp = 0x21;
inline constexpr WParam kVkPageDown = 0x22;
inline constexpr WParam kVkEnd = 0x23;
inline constexpr WParam kVkHome = 0x24;
inline constexpr WParam kVkLeft = 0x25;
inline constexpr WParam kVkUp = 0x26;
inline constexpr WParam kVkRight = 0x27;
inline constexpr WParam kVkDown = 0x28;
inline constexpr WParam kVkDelete = 0x2E;
inline constexpr WParam kVkAdd = 0x6B;       // + (the keypad's, and the main keys')
inline constexpr WParam kVkSubtract = 0x6D;  // - likewise

[[nodiscard]] constexpr LParam MakeLParam(int low, int high) {
  return static_cast<LParam>((static_cast<std::uint32_t>(high & 0xFFFF) << 16) |
                             static_cast<std::uint32_t>(low & 0xFFFF));
}
[[nodiscard]] constexpr WParam MakeWParam(int low, int high) {
  return static_cast<WParam>(static_cast<std::uint32_t>(MakeLParam(low, high)));
}
[[nodiscard]] constexpr int LowWord(std::intptr_t v) {
  return static_cast<std::int16_t>(v & 0xFFFF);
}
[[nodiscard]] constexpr int HighWord(std::intptr_t v) {
  return static_cast<std::int16_t>((v >> 16) & 0xFFFF);
}
// The point of a mouse message (signed client coordinates).
[[nodiscard]] constexpr Point PointFromLParam(LParam l) {
  return {LowWord(l), HighWord(l)};
}

}  // namespace velloran::sys

namespace velloran {

// Where a point lies on a window, as a frame's hit test answers.
enum class HitCode {
  kNowhere,
  kClient,
  kCaption,
  kLeft,
  kRight,
  kTop,
  kTopLeft,
  kTopRight,
  kBottom,
  kBottomLeft,
  kBottomRight,
  kBorder,
};

enum class CursorKind {
  kArrow,
  kHand,
  kSizeWE,
  kSizeNS,
  kSizeNWSE,
  kSizeNESW,
  kSplitRows,  // cursor resource 343: the bar between two rows
  kIBeam,
  kWait,
};

// The cursor behind a cursor resource number; the arrow for unknown numbers.
[[nodiscard]] constexpr CursorKind ResourceCursor(int id) {
  return id == 343 ? CursorKind::kSplitRows : CursorKind::kArrow;
}

}  // namespace velloran
