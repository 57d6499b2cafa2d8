#pragma once
// The notification codes and messages the standard controls exchange with
// their parent: kCommand codes (high word of wParam), scroll codes of
// kHScroll / kVScroll, and the colour and owner-draw requests a control sends
// before it paints. Numbers lie below 0x400 like the window layer's own.

#include <cstdint>

#include "platform/draw_context.h"
#include "platform/geometry.h"

namespace velloran::ctl {

// kCommand codes of an edit field.
inline constexpr int kEditSetFocus = 0x0100;
inline constexpr int kEditKillFocus = 0x0200;
inline constexpr int kEditChange = 0x0300;  // the text changed (typed or set)

// kCommand codes of a button.
inline constexpr int kButtonClicked = 0;

// kCommand codes of a combo box.
inline constexpr int kComboSelChange = 1;
inline constexpr int kComboSetFocus = 3;
inline constexpr int kComboKillFocus = 4;
inline constexpr int kComboDropDown = 7;  // the list opens
inline constexpr int kComboCloseUp = 8;   // the list closes

// kCommand codes of a list box.
inline constexpr int kListSelChange = 1;
inline constexpr int kListDblClk = 2;

// Low word of a kHScroll / kVScroll wParam (the high word carries the position
// for kThumbPosition and kThumbTrack); lParam is the sending control's
// handle().id(). Scroll bars and sliders share them.
inline constexpr int kLineUp = 0;  // left for horizontal controls
inline constexpr int kLineDown = 1;
inline constexpr int kPageUp = 2;
inline constexpr int kPageDown = 3;
inline constexpr int kThumbPosition = 4;
inline constexpr int kThumbTrack = 5;
inline constexpr int kTop = 6;
inline constexpr int kBottom = 7;
inline constexpr int kEndScroll = 8;

// Sent by an edit, list or check box to itself and then to its parent before
// painting: wParam ControlColors*, lParam the control's handle().id(). An
// answer of nonzero means the colours were filled in.
inline constexpr std::uint32_t kControlColor = 0x0133;
// Sent by an owner-drawn button or combo box to its parent when the control
// does not draw itself: wParam the control id, lParam DrawItem*.
inline constexpr std::uint32_t kDrawItem = 0x002B;

}  // namespace velloran::ctl

namespace velloran {

struct ControlColors {
  Color text = Rgb(0, 0, 0);
  Color background = Rgb(255, 255, 255);
};

// What an owner-drawn control asks its painter to draw.
struct DrawItem {
  DrawContext& dc;
  Rect rect;  // the control's client rectangle
  int id = 0;
  int item = -1;  // a combo box face: the selected index, -1 for none
  bool pressed = false;
  bool checked = false;
  bool focused = false;
  bool disabled = false;
  bool hot = false;  // the mouse is over the control
};

}  // namespace velloran
