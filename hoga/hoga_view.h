#pragma once
// CHogaView, the live order book of the stock the user picked, in the main
// frame's upper left pane. Its model and thread (CHogaFeed) take the packets
// the session socket routes to the book; after each change the thread posts
// the window a copy of the book and the quotes it parsed, and the window
// paints what differs from what it shows, at most once a display frame.
// Beside the canvas it holds the memo, the trade list, the stock's tile
// (bound to the view's own record of the stock), a price tool tip, and the
// replay window it opens.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/frame_pane.h"
#include "hoga/book_frame.h"
#include "hoga/frame_pacer.h"
#include "hoga/hoga_canvas.h"
#include "hoga/hoga_che.h"
#include "hoga/hoga_feed.h"
#include "hoga/hoga_memo.h"
#include "stock/stk_item.h"
#include "stock/tile_source.h"
#include "platform/tool_tip_control.h"
#include "platform/window.h"

namespace velloran {

class CQZData;
class CSessionData;

class CHogaView : public Window, public FramePane, public TileSource {
 public:
  // Makes and opens the replay window: a top-level window titled for the
  // task bar that takes 2026 with a packed stock code and the replay's
  // replies (2027), and sends 2031 to book when it closes. Null when it
  // could not be opened. The main frame hands one in: the replay lies above
  // the order book's layer.
  using ReplayFactory =
      std::function<std::unique_ptr<Window>(const WindowHandle& book, const std::u16string& title)>;

  static constexpr Color kBackground = Rgb(58, 58, 58);
  static constexpr int kMemoId = 100;
  static constexpr int kTradeListId = 101;
  static constexpr int kTileId = 102;
  static constexpr int kFrameTimer = 10010;
  // The pacing of repaints: a burst of changes costs one repaint, and a
  // change that comes after a quiet period is painted at once. With the
  // timer's millisecond of slack a change waits less than a 120 Hz display's
  // frame (8.3 ms); at the open's 200 changes a second that is about 170
  // repaints of a tenth of a millisecond.
  static constexpr std::chrono::milliseconds kFramePeriod{6};
  static constexpr int kTipDelayMs = 100;
  // Where the children sit on the canvas (scaled with it).
  static constexpr Rect kMemoRect = CHogaCanvas::kMemoRect;
  static constexpr Rect kTradeListRect = CHogaCanvas::kTradeListRect;
  static constexpr Rect kTileRect{5, 545, 235, 715};

  explicit CHogaView(CSessionData& session);
  // Stops the thread before anything it posts to goes.
  ~CHogaView() override;

  // TileSource: the own record, for the tile (on the user-interface thread).
  bool VisitRecord(std::u16string_view code, const RecordVisit& visit) const override;
  [[nodiscard]] std::int32_t TradingDate() const override;
  [[nodiscard]] int CurrentScreen() const override;
  // FramePane: the windows that follow the book.
  void SetRelations(const FrameRelations& relations) override;
  void SetLive(const FeedMark& mark) override;

  // The top bar's PLAY: the replay window of the shown stock, brought to the
  // front when it is open. Nothing without a factory.
  void OpenReplay();
  // Opens the replay (or brings it up) on that stock; the replay frame, or
  // null when none could be made.
  Window* OpenReplayOf(const std::u16string& code);
  void SetReplayFactory(ReplayFactory factory) { replay_factory_ = std::move(factory); }

  // The link the session socket routes the book's packets to.
  [[nodiscard]] CHogaFeed& feed() { return feed_; }
  [[nodiscard]] const CHogaCanvas& canvas() const { return canvas_; }
  // The book the window shows, or will at the next frame.
  [[nodiscard]] const BookFrame& book() const { return latest_; }
  [[nodiscard]] CHogaChe& trades() { return trades_; }
  [[nodiscard]] CHogaMemo& memo() { return memo_; }
  [[nodiscard]] CSTKItem& tile() { return tile_; }
  [[nodiscard]] ToolTipControl& tip() { return tip_; }
  [[nodiscard]] const CQZData* own_record() const { return record_.get(); }
  [[nodiscard]] Window* replay() { return replay_.get(); }
  [[nodiscard]] double scale() const { return scale_; }
  // The book time of the frame the window last put on the screen.
  [[nodiscard]] const std::u16string& screen_book_time() const { return screen_book_time_; }
  // Changes the thread handed the window since creation.
  [[nodiscard]] long changes() const { return changes_; }
  // Frames painted since creation, and whether one waits for its time.
  [[nodiscard]] long frames() const { return pacer_.frames(); }
  [[nodiscard]] bool frame_pending() const { return pacer_.pending(); }

  LResult WindowProc(WindowMessage& m) override;

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
  void Take(std::unique_ptr<HogaChange> change);
  // A snapshot's record of the stock becomes the view's own; its bars are
  // scaled, then it takes the quote.
  void UpdateRecord(std::unique_ptr<CQZData> record, const CPKT& quote);
  void PaintFrame();
  void Layout();
  void UpdateTargets();
  // The replay window opened from the view; a null handle when none.
  [[nodiscard]] WindowHandle ReplayWindow() const;
  [[nodiscard]] Rect ToClient(const Rect& canvas_rect) const;
  [[nodiscard]] std::u16string TipText(Point client_point) const;
  // The tip of the row under the mouse, as the book now stands.
  void UpdateTip();

  CSessionData& session_;
  CHogaFeed feed_;
  CHogaCanvas canvas_;
  CHogaMemo memo_;
  CHogaChe trades_;
  std::unique_ptr<CQZData> record_;  // the shown stock's own record, which its tile shows
  CSTKItem tile_{*this};
  ToolTipControl tip_;
  ReplayFactory replay_factory_;
  std::unique_ptr<Window> replay_;
  FrameRelations relations_;
  std::u16string shown_code_;   // the stock the window shows
  BookFrame latest_;
  bool full_pending_ = true;
  FramePacer pacer_{*this, kFrameTimer, FramePacer::Due::kAtOnce, [this] { PaintFrame(); },
                    kFramePeriod};
  std::u16string screen_book_time_;
  long changes_ = 0;
  double scale_ = 1.0;
  std::optional<Point> mouse_;  // over the view, for the tip
};

}  // namespace velloran
