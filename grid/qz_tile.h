#pragma once
// CQZTile, the wall of stock tiles in the work area: the screening records
// of the shown screen in rows, sorted as the header's sort boxes ask, and
// scrolled. Only the records in view have a tile window (a CSTKItem): a
// result of twenty thousand stocks costs the windows of the few rows shown,
// and scrolling binds the tiles that leave the view to the records that come
// into it. Tiles are bound to stock codes and read their records from the
// session store through this window (a TileSource). Tiles not needed wait
// hidden among the spares.

#include <memory>
#include <string>
#include <vector>

#include "app/session_data.h"
#include "grid/tile_scroller.h"
#include "platform/scroll_bar_control.h"
#include "platform/thread_owner.h"
#include "platform/window.h"
#include "stock/stk_item.h"
#include "stock/tile_source.h"

namespace velloran {

// Sort keys of the tile wall.
enum TileSortKey {
  kSortNone = 0,
  kSortName,
  kSortReverse,
  kSortRate,
  kSortVolume,
  kSortRegistered
};

class CQZTile : public Window, public TileSource {
 public:
  static constexpr int kTileId = 100;
  static constexpr int kScrollBarId = 101;
  static constexpr int kPremadeTiles = 10;
  static constexpr int kTileWidth = 160;
  static constexpr int kTileHeight = 190;      // a tile is 5 less
  static constexpr int kNewsTileHeight = 210;  // with the source band, screen 3006
  static constexpr int kMargin = 5;
  static constexpr int kGapX = 8;
  static constexpr int kGapY = 10;
  static constexpr int kBarWidth = 17;
  static constexpr Color kBackground = Rgb(255, 255, 255);
  static constexpr Color kCursorColor = Rgb(30, 40, 235);  // the keys' tile

  explicit CQZTile(CSessionData& session);
  ~CQZTile() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // The records of the shown screen, each put in front of those before it;
  // tiles in view that stay on their record are kept and repainted. Fresh (a
  // new result rather than the next batch of the same one) also returns to
  // the top.
  void Rebuild(bool fresh);
  // Sorts the records and places the tiles of those in view.
  void Layout();
  void SetSort(int key, bool ascending);
  // Where a tile press sends the stock (the top bar) and its price (the work area).
  void SetTargets(WindowHandle top_bar, WindowHandle work_area);
  void ScrollTo(int y);
  // What the wall says while the result has no record (none before the first).
  void SetEmptyText(std::u16string text);
  [[nodiscard]] const std::u16string& empty_text() const { return empty_text_; }

  // Every record's code in order (first is top left); before the first
  // result, ten blank places.
  [[nodiscard]] const std::vector<std::u16string>& codes() const { return codes_; }
  // The tiles in view, in the order of their records.
  [[nodiscard]] const std::vector<CSTKItem*>& shown() const { return shown_; }
  [[nodiscard]] std::size_t tile_count() const { return tiles_.size(); }
  [[nodiscard]] std::size_t spare_count() const { return spares_.size(); }
  [[nodiscard]] const CTileScroller& scroller() const { return scroller_; }
  [[nodiscard]] const ScrollBarControl& scroll_bar() const { return bar_; }
  // The tile the keys stand on (an index into codes(), -1 none): the arrows
  // move it, Enter picks its stock (grid/tile_keys.cpp).
  [[nodiscard]] int cursor() const { return cursor_; }

  // TileSource, over the session store.
  bool VisitRecord(std::u16string_view code, const RecordVisit& visit) const override;
  [[nodiscard]] std::int32_t TradingDate() const override { return session_.TradingDate(); }
  [[nodiscard]] int CurrentScreen() const override { return session_.current_screen(); }

  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnMouseWheel(int delta, Point p, WParam flags) override;
  void OnKeyDown(WParam key) override;
  void OnSetFocus() override;
  void OnKillFocus() override;

 private:
  [[nodiscard]] CSTKItem* TakeTile();
  void Retire(CSTKItem* tile);
  void Sort();
  // Sizes the scroller and gives the records in view by the scroll offset
  // their tiles; repaint also repaints the tiles that stay on their record.
  void Place(bool repaint = false);
  [[nodiscard]] int RowHeight() const;
  [[nodiscard]] int PerRow(int width) const;
  // The keys' cursor: moved (and scrolled into view), and its frame.
  void MoveCursor(int to);
  [[nodiscard]] Rect CursorRect() const;

  CSessionData& session_;
  ThreadOwner ui_thread_;  // the rebuild's, instead of a lock
  std::vector<std::unique_ptr<CSTKItem>> tiles_;
  std::vector<std::u16string> codes_;  // first is top left
  std::vector<CSTKItem*> shown_;       // the tiles of the records in view
  std::vector<CSTKItem*> spares_;
  bool source_mode_ = false;
  ScrollBarControl bar_;
  CTileScroller scroller_;
  int sort_key_ = kSortNone;
  bool ascending_ = true;
  int screen_ = 0;  // of the last rebuild
  WindowHandle top_bar_;
  WindowHandle work_area_;
  std::u16string empty_text_;
  int cursor_ = -1;
};

}  // namespace velloran
