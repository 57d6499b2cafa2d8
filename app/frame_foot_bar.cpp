#include "app/frame_foot_bar.h"

namespace velloran {

void CFrameFootBar::SetStatus(LinkState state, const FootTexts& texts) {
  if (state == state_ && texts.link == texts_.link && texts.server_time == texts_.server_time &&
      texts.rate == texts_.rate) {
    return;
  }
  state_ = state;
  texts_ = texts;
  Invalidate();
}

void CFrameFootBar::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  const Color mark = state_ == LinkState::kConnected ? kLive
                     : state_ == LinkState::kLost    ? kDown
                                                     : kPending;
  const int mid = r.height() / 2;
  dc.FillRect({6, mid - 4, 14, mid + 4}, mark);
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTextColor(kText);
  dc.SetTransparentBackground(true);
  constexpr unsigned kLine = text_flag::kSingleLine | text_flag::kVCenter | text_flag::kEndEllipsis;
  dc.DrawText(texts_.link, {20, 0, r.right / 2, r.bottom}, kLine);
  dc.DrawText(texts_.rate, {r.right - 120, 0, r.right - 8, r.bottom}, kLine | text_flag::kRight);
  dc.DrawText(texts_.server_time, {r.right - 250, 0, r.right - 128, r.bottom},
              kLine | text_flag::kRight);
}

}  // namespace velloran
