#pragma once
// How the main frame's views learn of each other: a second after the frame
// appears (as the session starts) the frame gives every pane that wants them
// the handles of the others. Views talk to each other only by messages to
// these handles.

#include "platform/message_window.h"

namespace velloran {

struct FrameRelations {
  WindowHandle main_frame;
  WindowHandle top_bar;
  WindowHandle hoga_view;   // the order book, upper left
  WindowHandle koa_view;    // the ask-bid ratio day, lower left
  WindowHandle qz_view;     // the work area, upper right
  WindowHandle chart_view;  // the side charts, lower right
};

class FramePane {
 public:
  virtual ~FramePane() = default;
  virtual void SetRelations(const FrameRelations& relations) = 0;
  // Whether what the pane shows is live: false while the session that fed
  // it is lost (until a new one is made), so that prices that stopped are
  // not taken for prices that hold.
  virtual void SetLive(bool /*live*/) {}
};

}  // namespace velloran
