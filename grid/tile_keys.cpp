// The tile wall by the keys: a cursor on one tile that the arrows move row
// by row and tile by tile, kept in view, and Enter that picks its stock as a
// press on the tile does.

#include <algorithm>

#include "grid/qz_tile.h"
#include "net/stock_code.h"
#include "platform/window_events.h"
#include "platform/window_messages.h"

namespace velloran {
namespace {
constexpr int kCursorOutset = 3;  // the frame stands in the gap around the tile
}  // namespace

Rect CQZTile::CursorRect() const {
  if (cursor_ < 0 || cursor_ >= static_cast<int>(codes_.size())) return {};
  const Rect c = ClientRect();
  const int width = bar_.IsCreated() && bar_.IsVisible() ? c.width() - kBarWidth : c.width();
  const int per_row = PerRow(width);
  const int tile_height = RowHeight() - 5;
  const int x = kMargin + (cursor_ % per_row) * (kTileWidth + kGapX);
  const int y = kMargin + (cursor_ / per_row) * (tile_height + kGapY) - scroller_.y();
  return Rect{x, y, x + kTileWidth, y + tile_height}.Deflated(-kCursorOutset, -kCursorOutset);
}

void CQZTile::MoveCursor(int to) {
  const int count = static_cast<int>(codes_.size());
  if (count == 0) return;
  Invalidate(CursorRect());
  cursor_ = std::clamp(to, 0, count - 1);
  // Into view: the row's top below the wall's top, its bottom above its bottom.
  const Rect r = CursorRect().Deflated(kCursorOutset, kCursorOutset);
  const Rect c = ClientRect();
  if (r.top < kMargin) {
    ScrollTo(scroller_.y() + r.top - kMargin);
  } else if (r.bottom > c.bottom) {
    ScrollTo(scroller_.y() + r.bottom - c.bottom + kMargin);
  }
  Invalidate(CursorRect());
}

void CQZTile::OnKeyDown(WParam key) {
  const Rect c = ClientRect();
  const int width = bar_.IsCreated() && bar_.IsVisible() ? c.width() - kBarWidth : c.width();
  const int per_row = PerRow(width);
  const int at = std::max(cursor_, 0);
  switch (key) {
    case sys::kVkLeft:
      return MoveCursor(at - 1);
    case sys::kVkRight:
      return MoveCursor(cursor_ < 0 ? 0 : at + 1);
    case sys::kVkUp:
      return MoveCursor(at - per_row);
    case sys::kVkDown:
      return MoveCursor(cursor_ < 0 ? 0 : at + per_row);
    case sys::kVkHome:
      return MoveCursor(0);
    case sys::kVkEnd:
      return MoveCursor(static_cast<int>(codes_.size()) - 1);
    case sys::kVkReturn:
      if (cursor_ >= 0 && cursor_ < static_cast<int>(codes_.size()) && !codes_[cursor_].empty()) {
        PostMessage(top_bar_, msg::kSelectStock,
                    static_cast<WParam>(PackStockCode(codes_[cursor_])), 0);
      }
      return;
    default:
      return;
  }
}

void CQZTile::OnSetFocus() {
  if (cursor_ < 0 || cursor_ >= static_cast<int>(codes_.size())) cursor_ = codes_.empty() ? -1 : 0;
  Invalidate(CursorRect());
}

void CQZTile::OnKillFocus() {
  Invalidate(CursorRect());
}

}  // namespace velloran
