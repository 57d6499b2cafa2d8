#pragma once
// The application window messages the windows exchange. The numbers appear
// here and nowhere else; receivers compare against these names.

#include <cstdint>

namespace velloran::msg {

// The socket layer's notification window.
inline constexpr std::uint32_t kSocketLayer = 1024;       // layer notification; unused
inline constexpr std::uint32_t kSocketLookupDone = 1025;  // wParam lookup task, lParam high word error
inline constexpr std::uint32_t kSocketEventBase = 1026;   // + slot: wParam handle, lParam event | error << 16

inline constexpr std::uint32_t kClosePopup = 1034;    // wParam 1 when Enter was pressed
inline constexpr std::uint32_t kSearchButton = 2025;  // no receiver acts on it
inline constexpr std::uint32_t kSelectStock =
    2026;  // wParam the stock's code (PackStockCode), lParam grid type
// wParam says what changed (1, 3014, 2002, ...). With 2002 to the work area
// lParam is the stock's code (PackStockCode), never a record pointer; the
// order-book family (3001, 3003, 3011, 3015, 3018) carries an owned packet
// (PostPacket), except the side charts' 3003, which carries the stock's code.
inline constexpr std::uint32_t kNotify = 2027;
inline constexpr std::uint32_t kHogaChanged =
    2028;  // wParam an owned copy of the order book's quote (BookQuote)
inline constexpr std::uint32_t kReplayClosed =
    2031;                                           // the order-book view forgets the replay frame
inline constexpr std::uint32_t kReplaySeek = 2032;  // wParam seek time hhmmss
inline constexpr std::uint32_t kScreenChanged =
    2127;  // saved-screen or alarm result of the shown screen
inline constexpr std::uint32_t kAlarmReached = 2132;    // carries an owned alarm packet
inline constexpr std::uint32_t kOpenReplay = 2140;      // the top bar's PLAY, to the order-book view
inline constexpr std::uint32_t kHogaBook = 2141;  // the order-book view's thread to its window: an owned copy of the book
// wParam the price, lParam the tile's stock code (PackStockCode).
inline constexpr std::uint32_t kTilePricePress = 2139;
inline constexpr std::uint32_t kRegisterPopup =
    2142;  // wParam WindowHandle::id() of the pop-up, or 0
inline constexpr std::uint32_t kSplitterMoved = 10779;  // re-layout after a splitter drag

}  // namespace velloran::msg
