#include "grid/qz_tile.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "grid/screen_text.h"
#include "net/message_codes.h"
#include "platform/window_events.h"

namespace velloran {
namespace {

// One tile's sort key, read under the store's lock.
struct SortEntry {
  bool eligible = false;  // tiles of invalid records (or without a quote, for 3 and 4) stay behind
  std::u16string text;
  double number = 0;
};

SortEntry EntryFor(const CQZData* record, int key) {
  SortEntry e;
  if (record == nullptr || record->valid() != 1) return e;
  const CPKT* quote = record->quote();
  switch (key) {
    case kSortName:
      e.text = record->name();
      break;
    case kSortReverse:
      (void)record->IsReverse();  // brings the ratio up to date
      e.number = record->reverse_ratio();
      // Without totals there is no ratio (0 / 0 is not a number, and would
      // stop the sort from moving anything past it): such tiles stay behind.
      if (!std::isfinite(e.number)) return e;
      break;
    case kSortRate:
      if (quote == nullptr) return e;
      e.number = quote->Rate();
      break;
    case kSortVolume:
      if (quote == nullptr) return e;
      e.number = quote->Volume();
      break;
    case kSortRegistered:
      e.text = record->registration_date();
      break;
    default:
      return e;
  }
  e.eligible = true;
  return e;
}

bool Before(const SortEntry& a, const SortEntry& b, int key, bool ascending) {
  const bool text = key == kSortName || key == kSortRegistered;
  if (ascending) return text ? a.text < b.text : a.number < b.number;
  return text ? a.text > b.text : a.number > b.number;
}

}  // namespace

CQZTile::CQZTile(CSessionData& session) : session_(session) {
  SetBackgroundColor(kBackground);
}

CQZTile::~CQZTile() = default;

bool CQZTile::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

int CQZTile::OnCreate() {
  const Rect c = ClientRect();
  if (!bar_.Create(this, kScrollBarId, {c.right - kBarWidth, 0, c.right, c.bottom}, true,
                   {.visible = false}))
    return -1;
  for (int i = 0; i < kPremadeTiles; ++i) {
    CSTKItem* tile = TakeTile();
    if (tile == nullptr) return -1;
    Retire(tile);
  }
  // Blank tiles until the first result.
  codes_.assign(kPremadeTiles, std::u16string());
  Place();
  return 0;
}

void CQZTile::SetTargets(WindowHandle top_bar, WindowHandle work_area) {
  top_bar_ = std::move(top_bar);
  work_area_ = std::move(work_area);
  for (const auto& tile : tiles_) tile->SetTargets(top_bar_, work_area_);
}

bool CQZTile::VisitRecord(std::u16string_view code, const RecordVisit& visit) const {
  const auto data = session_.Read();
  const CQZData* record = data->FindRecord(code);
  if (record == nullptr) return false;
  visit(*record);
  return true;
}

CSTKItem* CQZTile::TakeTile() {
  if (!spares_.empty()) {
    CSTKItem* tile = spares_.back();
    spares_.pop_back();
    tile->Show(true);
    return tile;
  }
  auto tile = std::make_unique<CSTKItem>(*this);
  if (!tile->Create(this, kTileId, {0, 0, kTileWidth, kTileHeight - 5})) return nullptr;
  tile->SetTargets(top_bar_, work_area_);
  bar_.BringToTop();
  tiles_.push_back(std::move(tile));
  return tiles_.back().get();
}

void CQZTile::Retire(CSTKItem* tile) {
  tile->Show(false);
  if (!tile->code().empty()) {
    session_.store().SetTileWindow(tile->code(), WindowHandle());
    tile->SetData(u"");
  }
  spares_.push_back(tile);
}

void CQZTile::Rebuild(bool fresh) {
  ui_thread_.Check();
  screen_ = session_.current_screen();
  source_mode_ = screen_ == code::kScreenNews;
  if (fresh) scroller_.ScrollTo(0);
  codes_.clear();
  {
    const auto data = session_.Read();
    codes_.reserve(data->records.size());
    for (const auto& entry : data->records) codes_.push_back(entry.first);
  }
  // Each record went to the front of those before it.
  std::reverse(codes_.begin(), codes_.end());
  Sort();
  Place(true);
  if (codes_.empty()) Invalidate();
}

void CQZTile::SetSort(int key, bool ascending) {
  sort_key_ = key;
  ascending_ = ascending;
}

void CQZTile::Layout() {
  Sort();
  Place(true);
}

void CQZTile::Sort() {
  int key = sort_key_;
  bool ascending = ascending_;
  // The news screen lists by registration date unless asked otherwise.
  if (screen_ == code::kScreenNews && key == kSortNone) {
    key = kSortRegistered;
    ascending = true;
  }
  if (key == kSortNone) return;
  std::vector<SortEntry> entries;
  entries.reserve(codes_.size());
  {
    const auto data = session_.Read();
    for (const std::u16string& code : codes_)
      entries.push_back(EntryFor(code.empty() ? nullptr : data->FindRecord(code), key));
  }
  // The records that take part by the key, equal ones in the order they
  // had; the others behind them, in theirs.
  std::vector<std::size_t> order(codes_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto part =
      std::stable_partition(order.begin(), order.end(), [&](std::size_t i) { return entries[i].eligible; });
  std::stable_sort(order.begin(), part, [&](std::size_t a, std::size_t b) {
    return Before(entries[a], entries[b], key, ascending);
  });
  std::vector<std::u16string> sorted;
  sorted.reserve(codes_.size());
  for (const std::size_t i : order) sorted.push_back(std::move(codes_[i]));
  codes_ = std::move(sorted);
}

int CQZTile::RowHeight() const {
  return screen_ == code::kScreenNews ? kNewsTileHeight : kTileHeight;
}

int CQZTile::PerRow(int width) const {
  return width >= kMargin + kTileWidth ? (width - kMargin - kTileWidth) / (kTileWidth + kGapX) + 1
                                       : 1;
}

void CQZTile::Place(bool repaint) {
  const Rect c = ClientRect();
  const int tile_height = RowHeight() - 5;
  const int count = static_cast<int>(codes_.size());
  const auto content_height = [&](int width) {
    const int rows = (count + PerRow(width) - 1) / PerRow(width);
    return rows == 0 ? 0 : kMargin + (rows - 1) * (tile_height + kGapY) + tile_height;
  };
  // The bar takes its width only when the tiles need it.
  int width = c.width();
  const bool needs_bar = content_height(width) + 20 > c.height();
  if (needs_bar) width -= kBarWidth;
  const int content = content_height(width);
  scroller_.SetSizes({width, c.height()}, {width - 10, content + 20});
  const int max = scroller_.content().height;
  bar_.SetScrollInfo(0, std::max(max - 1, 0), c.height(), scroller_.y());
  bar_.Move({c.right - kBarWidth, 0, c.right, c.bottom});
  bar_.Show(needs_bar);

  // The rows in view: row r spans kMargin + r * pitch - y for tile_height.
  const int per_row = PerRow(width);
  const int pitch = tile_height + kGapY;
  const int y = scroller_.y();
  const int above = y - kMargin - tile_height;  // a row is in view below this
  const int below = y + c.height() - kMargin;   // and starts above this
  const std::size_t first_row = above < 0 ? 0 : above / pitch + 1;
  const std::size_t end_row = below > 0 ? (below - 1) / pitch + 1 : 0;
  const std::size_t first = std::min(first_row * per_row, codes_.size());
  const std::size_t end = std::max(first, std::min(end_row * per_row, codes_.size()));

  // Tiles that stay on a record in view keep it; the others make room.
  std::unordered_map<std::u16string, CSTKItem*> by_code;
  for (CSTKItem* tile : shown_) {
    if (tile->code().empty() || !by_code.emplace(tile->code(), tile).second) Retire(tile);
  }
  std::vector<CSTKItem*> shown;
  shown.reserve(end - first);
  for (std::size_t i = first; i < end; ++i) {
    const std::u16string& code = codes_[i];
    if (const auto kept = code.empty() ? by_code.end() : by_code.find(code);
        kept != by_code.end()) {
      shown.push_back(kept->second);
      by_code.erase(kept);
      continue;
    }
    shown.push_back(nullptr);
  }
  for (const auto& [code, tile] : by_code) Retire(tile);
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const std::u16string& code = codes_[first + k];
    CSTKItem*& tile = shown[k];
    const bool fresh = tile == nullptr;
    if (fresh && (tile = TakeTile()) == nullptr) continue;
    tile->SetSourceMode(source_mode_);
    // A new binding paints; a kept one when the batch may have brought new bars.
    if (fresh || repaint) tile->SetData(code);
    if (!code.empty()) session_.store().SetTileWindow(code, tile->handle());
    const int i = static_cast<int>(first + k);
    const int tx = kMargin + (i % per_row) * (kTileWidth + kGapX);
    const int ty = kMargin + (i / per_row) * pitch - y;
    tile->Move({tx, ty, tx + kTileWidth, ty + tile_height});
  }
  std::erase(shown, nullptr);
  shown_ = std::move(shown);
}

void CQZTile::ScrollTo(int y) {
  if (scroller_.ScrollTo(y)) Place();
}

void CQZTile::SetEmptyText(std::u16string text) {
  if (text == empty_text_) return;
  empty_text_ = std::move(text);
  Invalidate();
}

void CQZTile::OnPaint(DrawContext& dc) {
  if (const Rect cursor = CursorRect(); !cursor.IsEmpty() && HasFocus()) {
    dc.FrameRect(cursor, kCursorColor);
    dc.FrameRect(cursor.Deflated(1, 1), kCursorColor);
  }
  if (!codes_.empty() || empty_text_.empty()) return;
  dc.SetFont(Font::Points(u"굴림", 10));
  dc.SetTextColor(kEmptyResultColor);
  dc.SetTransparentBackground(true);
  const Rect c = ClientRect();
  dc.DrawText(empty_text_, {c.left + 10, c.top + 40, c.right - 10, c.top + 70},
              text_flag::kSingleLine | text_flag::kVCenter | text_flag::kCenter |
                  text_flag::kNoPrefix | text_flag::kEndEllipsis);
}

void CQZTile::OnSize(int, int) {
  if (bar_.IsCreated()) Place();
}

void CQZTile::OnLButtonDown(Point, WParam) {
  SetFocus();
}

void CQZTile::OnMouseWheel(int delta, Point, WParam) {
  if (scroller_.Wheel(delta)) Place();
}

LResult CQZTile::WindowProc(WindowMessage& m) {
  if (m.message == sys::kVScroll && m.lparam == static_cast<LParam>(bar_.handle().id())) {
    const int code = sys::LowWord(static_cast<std::intptr_t>(m.wparam));
    if (scroller_.Scroll(code, bar_.TrackPos())) Place();
    return 0;
  }
  return Window::WindowProc(m);
}

}  // namespace velloran
