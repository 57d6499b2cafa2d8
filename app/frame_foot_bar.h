#pragma once
// The main frame's foot bar with the session's state on it: a coloured mark
// and the link text at the left, the server's clock and the packet rate at
// the right.

#include "app/foot_status.h"
#include "ui/foot_bar.h"

namespace velloran {

class CFrameFootBar : public CFootBar {
 public:
  static constexpr Color kText = Rgb(210, 210, 210);
  static constexpr Color kLive = Rgb(64, 200, 96);
  static constexpr Color kPending = Rgb(230, 180, 40);
  static constexpr Color kDown = Rgb(230, 60, 50);

  // Repaints only when something shown changed.
  void SetStatus(LinkState state, const FootTexts& texts);
  [[nodiscard]] const FootTexts& texts() const { return texts_; }

 protected:
  void OnPaint(DrawContext& dc) override;

 private:
  LinkState state_ = LinkState::kWaiting;
  FootTexts texts_;
};

}  // namespace velloran
