#pragma once
// CHoga20, the replay player's twenty-level order book: the live book's
// canvas, memo box and trade list, with a price tip, driven by the player
// on the user-interface thread, many records a tick at high speed. Each
// operation only changes the model (CHoga20Book) and asks for a frame; the
// window paints what differs at most once a display frame. Lower than the
// canvas, the whole canvas is fitted to it in both directions.

#include <cstdint>
#include <optional>
#include <string>

#include "hoga/frame_pacer.h"
#include "hoga/hoga20_book.h"
#include "hoga/hoga_canvas.h"
#include "hoga/hoga_che.h"
#include "hoga/hoga_memo.h"
#include "hoga/hoga_snapshot.h"
#include "platform/tool_tip_control.h"
#include "platform/window.h"

namespace velloran {

class Packet;

class CHoga20 : public Window {
 public:
  static constexpr Color kBackground = Rgb(58, 58, 58);
  static constexpr int kMemoId = 100;
  static constexpr int kTradeListId = 101;
  static constexpr int kFrameTimer = 10010;
  static constexpr int kTipDelayMs = 100;

  CHoga20();

  // The memo box's text (the day's memo).
  void SetMemoText(const std::u16string& text);
  // One replayed snapshot: the whole book of its moment.
  void ApplyBook(const HogaSnapshot& snapshot);
  // A trade: the panel's open, high and low, and a row on top of the list.
  // A record that is no trade changes nothing.
  void ApplyQuote(const CPKT& quote);
  // The replayed stock's master packet, read at once (not kept).
  void SetMaster(const Packet& master);
  // The replayed day (YYYYMMDD): today's for the stamps.
  void SetDate(std::int32_t yyyymmdd);
  void ClearTrades();
  void ClearBook();

  [[nodiscard]] const CHoga20Book& book() const { return book_; }
  [[nodiscard]] const CHogaCanvas& canvas() const { return canvas_; }
  [[nodiscard]] CHogaChe& trades() { return trades_; }
  [[nodiscard]] CHogaMemo& memo() { return memo_; }
  [[nodiscard]] ToolTipControl& tip() { return tip_; }
  // Frames painted since creation, and whether one waits for its time.
  [[nodiscard]] long frames() const { return pacer_.frames(); }
  [[nodiscard]] bool frame_pending() const { return pacer_.pending(); }
  // The canvas's scale on the client area: 1 and 1 unless it is lower.
  [[nodiscard]] double scale_x() const { return scale_x_; }
  [[nodiscard]] double scale_y() const { return scale_y_; }

 protected:
  int OnCreate() override;
  void OnDestroy() override;
  void OnSize(int width, int height) override;
  bool OnEraseBackground(DrawContext& dc) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnMouseLeave() override;

 private:
  void PaintFrame();
  void Layout();
  [[nodiscard]] Rect ToClient(const Rect& canvas_rect) const;
  void UpdateTip();

  CHoga20Book book_;
  CHogaCanvas canvas_;
  CHogaMemo memo_;
  CHogaChe trades_;
  ToolTipControl tip_;
  FramePacer pacer_{*this, kFrameTimer, FramePacer::Due::kNextPass, [this] { PaintFrame(); }};
  double scale_x_ = 1.0, scale_y_ = 1.0;
  std::optional<Point> mouse_;  // over the window, for the tip
};

}  // namespace velloran
