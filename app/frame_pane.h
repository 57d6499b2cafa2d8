#pragma once
// How the main frame's views learn of each other: a second after the frame
// appears (as the session starts) the frame gives every pane that wants them
// the handles of the others. Views talk to each other only by messages to
// these handles.

#include <string>

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

// Whether what the panes show is live: not while the session that fed them
// is lost (until a new one is made), nor while it delivers nothing in market
// hours, so that prices that stopped are not taken for prices that hold.
struct FeedMark {
  bool live = true;
  // While not live: why ("연결 끊김", "수신 지연") and since when the last
  // packet came ("12초 전"; empty before any came).
  std::u16string cause;
  std::u16string age;

  // "수신 지연 · 12초 전": what a pane's veil says.
  [[nodiscard]] std::u16string VeilLabel() const {
    return age.empty() ? cause : cause + u" · " + age;
  }
  // "연결 끊김 · 시세 멈춤": what a header beside a time says.
  [[nodiscard]] std::u16string StopText() const { return cause + u" · 시세 멈춤"; }
  friend bool operator==(const FeedMark&, const FeedMark&) = default;
};

class FramePane {
 public:
  virtual ~FramePane() = default;
  virtual void SetRelations(const FrameRelations& relations) = 0;
  // Told when the mark changes (every second while not live, for its age).
  virtual void SetLive(const FeedMark& /*mark*/) {}
};

}  // namespace velloran
