#include "app/key_map.h"

#include <array>

#include "platform/window_events.h"

namespace velloran {
namespace {

constexpr WParam kF1 = 0x70;
constexpr WParam F(int n) {
  return kF1 + static_cast<WParam>(n - 1);
}
constexpr WParam kShift = sys::kShiftFlag;

constexpr std::array kTable = {
    KeyBinding{F(1), 0, KeyAction::kKeyList, KeyScope::kMainWindow, true, u"F1", u"키 목록"},
    KeyBinding{F(2), 0, KeyAction::kSurging, KeyScope::kMainWindow, true, u"F2", u"급등주"},
    KeyBinding{F(3), 0, KeyAction::kBoxRange, KeyScope::kMainWindow, true, u"F3", u"박스권"},
    KeyBinding{F(4), 0, KeyAction::kNews, KeyScope::kMainWindow, true, u"F4", u"재료주"},
    KeyBinding{F(5), 0, KeyAction::kReverse, KeyScope::kMainWindow, true, u"F5", u"현재역상"},
    KeyBinding{F(6), 0, KeyAction::kTile, KeyScope::kMainWindow, true, u"F6", u"타일 보기 (TILE)"},
    KeyBinding{F(7), 0, KeyAction::kGrid, KeyScope::kMainWindow, true, u"F7", u"그리드 보기 (GRID)"},
    KeyBinding{F(8), 0, KeyAction::kNameBox, KeyScope::kMainWindow, true, u"F8", u"종목명 입력"},
    KeyBinding{'0', 0, KeyAction::kCodeDigit, KeyScope::kMainWindow, false, u"0 - 9",
               u"종목코드 입력 (어디서나)"},
    KeyBinding{F(9), 0, KeyAction::kReplay, KeyScope::kMainWindow, true, u"F9", u"리플레이 (PLAY)"},
    KeyBinding{F(10), 0, KeyAction::kAlarms, KeyScope::kMainWindow, true, u"F10", u"오늘의 알람"},
    KeyBinding{F(11), 0, KeyAction::kJournal, KeyScope::kMainWindow, true, u"F11", u"화면 일지"},
    KeyBinding{sys::kVkTab, 0, KeyAction::kNextPane, KeyScope::kMainWindow, false, u"Tab",
               u"다음 창"},
    KeyBinding{sys::kVkTab, kShift, KeyAction::kPreviousPane, KeyScope::kMainWindow, false,
               u"Shift+Tab", u"이전 창"},
    KeyBinding{sys::kVkEscape, 0, KeyAction::kBack, KeyScope::kMainWindow, false, u"Esc",
               u"뒤로 (창 닫기, 작업 영역으로)"},
    KeyBinding{0, 0, KeyAction::kInPane, KeyScope::kMainWindow, false, u"↑ ↓ ← →",
               u"그리드·타일에서 이동"},
    KeyBinding{0, 0, KeyAction::kInPane, KeyScope::kMainWindow, false, u"Enter",
               u"그리드·타일에서 종목 선택"},
    KeyBinding{sys::kVkEnd, 0, KeyAction::kNewestBar, KeyScope::kCharts, false, u"End",
               u"차트: 최신 봉으로"},
    KeyBinding{0, 0, KeyAction::kInPane, KeyScope::kCharts, false, u"휠", u"차트: 커서 위치 확대·축소"},
    KeyBinding{0, 0, KeyAction::kInPane, KeyScope::kCharts, false, u"Shift+휠", u"차트: 앞뒤로 이동"},
    KeyBinding{sys::kVkSpace, 0, KeyAction::kPlayPause, KeyScope::kReplay, false, u"Space",
               u"리플레이: 재생·일시정지"},
    KeyBinding{sys::kVkLeft, 0, KeyAction::kMinuteBack, KeyScope::kReplay, false, u"←",
               u"리플레이: 1분 뒤로"},
    KeyBinding{sys::kVkRight, 0, KeyAction::kMinuteOn, KeyScope::kReplay, false, u"→",
               u"리플레이: 1분 앞으로"},
    KeyBinding{sys::kVkLeft, kShift, KeyAction::kTenBack, KeyScope::kReplay, false, u"Shift+←",
               u"리플레이: 10분 뒤로"},
    KeyBinding{sys::kVkRight, kShift, KeyAction::kTenOn, KeyScope::kReplay, false, u"Shift+→",
               u"리플레이: 10분 앞으로"},
    KeyBinding{sys::kVkAdd, 0, KeyAction::kFaster, KeyScope::kReplay, false, u"+",
               u"리플레이: 빠르게 (FF)"},
    KeyBinding{sys::kVkSubtract, 0, KeyAction::kSlower, KeyScope::kReplay, false, u"-",
               u"리플레이: 느리게 (RF)"},
    KeyBinding{sys::kVkHome, 0, KeyAction::kToOpen, KeyScope::kReplay, false, u"Home",
               u"리플레이: 09:00으로"},
};

}  // namespace

std::span<const KeyBinding> KeyTable() {
  return kTable;
}

std::optional<KeyAction> FindKeyAction(WParam key, WParam modifiers, const KeyContext& where) {
  if (key == 0) return std::nullopt;
  // + is a shifted key on most layouts: with or without Shift it is +.
  if (key == sys::kVkAdd || key == sys::kVkSubtract) modifiers &= ~kShift;
  for (const KeyBinding& b : kTable) {
    if (b.action == KeyAction::kInPane || b.modifiers != modifiers) continue;
    if ((b.scope == KeyScope::kReplay) != where.in_replay) continue;
    const bool digit = b.action == KeyAction::kCodeDigit;
    if (digit ? (key < '0' || key > '9') : key != b.key) continue;
    if (where.in_text_box && !b.from_text_box) continue;
    if (b.scope == KeyScope::kCharts && !where.in_charts) continue;
    return b.action;
  }
  return std::nullopt;
}

}  // namespace velloran
