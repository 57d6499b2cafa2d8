#include "grid/qz_tile.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

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
    shown_.push_back(tile);
  }
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
  std::lock_guard<std::recursive_mutex> hold(lock_);
  screen_ = session_.current_screen();
  const bool source_mode = screen_ == code::kScreenNews;
  if (fresh) scroller_.ScrollTo(0);
  std::vector<std::u16string> codes;
  {
    const auto data = session_.Read();
    codes.reserve(data->records.size());
    for (const auto& entry : data->records) codes.push_back(entry.first);
  }
  // The tiles of codes that stay keep their place among the windows; the
  // others make room. Each record's tile goes to the front, as ever.
  std::unordered_map<std::u16string, CSTKItem*> by_code;
  for (CSTKItem* tile : shown_) {
    if (tile->code().empty() || !by_code.emplace(tile->code(), tile).second) Retire(tile);
  }
  std::vector<CSTKItem*> shown;
  shown.reserve(codes.size());
  for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
    CSTKItem* tile = nullptr;
    if (const auto kept = by_code.find(*it); kept != by_code.end()) {
      tile = kept->second;
      by_code.erase(kept);
    } else {
      tile = TakeTile();
      if (tile == nullptr) continue;
    }
    tile->SetSourceMode(source_mode);
    tile->SetData(*it);  // repaints: the batch may have brought new bars
    session_.store().SetTileWindow(*it, tile->handle());
    shown.push_back(tile);
  }
  for (const auto& [code, tile] : by_code) Retire(tile);
  shown_ = std::move(shown);
  Layout();
}

void CQZTile::SetSort(int key, bool ascending) {
  sort_key_ = key;
  ascending_ = ascending;
}

void CQZTile::Layout() {
  Sort();
  Place();
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
  entries.reserve(shown_.size());
  {
    const auto data = session_.Read();
    for (const CSTKItem* tile : shown_)
      entries.push_back(EntryFor(data->FindRecord(tile->code()), key));
  }
  // Selection sort: each place takes the first best of the tiles after it.
  for (std::size_t i = 0; i < shown_.size(); ++i) {
    std::size_t best = shown_.size();
    for (std::size_t j = i; j < shown_.size(); ++j) {
      if (!entries[j].eligible) continue;
      if (best == shown_.size() || Before(entries[j], entries[best], key, ascending)) best = j;
    }
    if (best == shown_.size()) break;
    std::swap(shown_[i], shown_[best]);
    std::swap(entries[i], entries[best]);
  }
}

int CQZTile::RowHeight() const {
  return screen_ == code::kScreenNews ? kNewsTileHeight : kTileHeight;
}

void CQZTile::Place() {
  const Rect c = ClientRect();
  const int tile_height = RowHeight() - 5;
  const int count = static_cast<int>(shown_.size());
  const auto content_height = [&](int width) {
    const int per_row = width >= kMargin + kTileWidth
                            ? (width - kMargin - kTileWidth) / (kTileWidth + kGapX) + 1
                            : 1;
    const int rows = (count + per_row - 1) / per_row;
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

  int x = kMargin;
  int y = kMargin - scroller_.y();
  for (CSTKItem* tile : shown_) {
    if (x + kTileWidth > width && x > kMargin) {
      x = kMargin;
      y += tile_height + kGapY;
    }
    tile->Move({x, y, x + kTileWidth, y + tile_height});
    x += kTileWidth + kGapX;
  }
}

void CQZTile::ScrollTo(int y) {
  if (scroller_.ScrollTo(y)) Place();
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
