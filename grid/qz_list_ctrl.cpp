#include "grid/qz_list_ctrl.h"

#include <algorithm>

#include "grid/screen_text.h"
#include "app/settings_files.h"
#include "net/stock_code.h"
#include "platform/bitmap_resources.h"
#include "platform/window_messages.h"

namespace velloran {

namespace {

ListStyle GridStyle() {
  ListStyle s;
  s.grid_lines = true;
  s.header_drag_drop = true;
  s.row_height = CQZListCtrl::kRowHeight;
  return s;
}

}  // namespace

CQZListCtrl::CQZListCtrl() : ListCtrl(GridStyle()) {}

CQZListCtrl::~CQZListCtrl() = default;

bool CQZListCtrl::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

std::unique_ptr<HeaderCtrl> CQZListCtrl::MakeHeader() {
  return std::make_unique<CQZHeaderCtrl>();
}

CQZHeaderCtrl& CQZListCtrl::grid_header() {
  return static_cast<CQZHeaderCtrl&>(header());
}

GridCell CQZListCtrl::CellOfColumn(int column) const {
  return column >= 0 && column < static_cast<int>(cells_.size()) ? cells_[column] : GridCell::kNone;
}

std::u16string_view CQZListCtrl::RowCode(int item) const {
  const auto* code = static_cast<const std::u16string*>(ItemData(item));
  return code ? std::u16string_view(*code) : std::u16string_view();
}

// ---- the work area's calls

void CQZListCtrl::Refresh(CSessionData& session, int screen) {
  session_ = &session;
  data_dir_ = session.data_dir();
  // A new batch of the list shown keeps what the user set up in it.
  const bool same = screen > 0 && screen == list_id_;
  const std::u16string selected(same ? RowCode(SelectedItem()) : std::u16string_view());
  const int top = TopIndex();
  const int scroll_x = ScrollX();

  // A batch changes no layout: only a switch saves the list it leaves.
  if (!same) SaveColumns();
  Clear();
  if (!same) LoadColumns(screen);
  FillRows();
  if (!same) return;
  if (sort_direction_ != 0) ApplySort();
  if (!selected.empty()) {
    for (int i = 0; i < ItemCount(); ++i) {
      if (RowCode(i) != selected) continue;
      // Restored quietly: the user chose nothing new.
      SelectItem(i);
      break;
    }
  }
  SetTopIndex(top);
  SetScrollX(scroll_x);
}

void CQZListCtrl::Clear() {
  DeleteAllItems();
  codes_.clear();
}

void CQZListCtrl::RedrawRecord(std::u16string_view code) {
  // Only a row in view needs paint; the others are painted when scrolled to.
  const int row = RowInView(code);
  if (row >= 0) RedrawItem(row);
}

int CQZListCtrl::RowInView(std::u16string_view code) const {
  const int first = TopIndex();
  const int last = std::min(ItemCount(), first + CountPerPage() + 1);
  for (int i = first; i < last; ++i) {
    if (RowCode(i) == code) return i;
  }
  return -1;
}

void CQZListCtrl::FillRows() {
  std::vector<std::u16string> codes;
  if (session_ != nullptr) {
    const auto data = session_->Read();
    codes.reserve(data->records.size());
    for (const auto& [code, record] : data->records) codes.push_back(code);
  }
  codes_ = std::move(codes);
  for (std::size_t i = 0; i < codes_.size(); ++i) InsertItem(static_cast<int>(i), u"", &codes_[i]);
}

// ---- columns

std::filesystem::path CQZListCtrl::LayoutPath(int list_id) const {
  return grid_columns::FilePath(data_dir_, kInstance, list_id);
}

void CQZListCtrl::LoadColumns(int list_id) {
  list_id_ = list_id;
  descriptors_.clear();
  keep_original_ = false;
  saved_lines_.clear();
  if (list_id > 0 && !data_dir_.empty()) {
    grid_columns::StoredLayout read = grid_columns::ReadFile(LayoutPath(list_id));
    descriptors_ = std::move(read.columns);
    keep_original_ = read.keep_original;
    if (!keep_original_)
      for (const auto& d : descriptors_) saved_lines_.push_back(d->Text());
  }
  BuildColumns();
}

void CQZListCtrl::BuildColumns() {
  while (ColumnCount() > 0) DeleteColumn(ColumnCount() - 1);
  if (descriptors_.empty() && list_id_ > 0) descriptors_ = grid_columns::Defaults(list_id_);
  std::vector<ColumnLayout> layouts;
  cells_.clear();
  for (std::size_t i = 0; i < descriptors_.size(); ++i) {
    ColumnLayout layout = grid_columns::LayoutOf(*descriptors_[i], static_cast<int>(i));
    InsertColumn(static_cast<int>(i),
                 {layout.title, layout.width, layout.align, layout.fixed, descriptors_[i].get()});
    cells_.push_back(CellOfTitle(layout.title));
    layouts.push_back(std::move(layout));
  }
  (void)SetColumnOrder(grid_columns::DisplayOrder(layouts));
  // A new column set has nothing sorted.
  sort_column_ = -1;
  sort_direction_ = 0;
  grid_header().SetSortMark(-1, 0);
}

void CQZListCtrl::SaveColumns() {
  save_pending_ = false;
  if (list_id_ <= 0 || data_dir_.empty()) return;
  std::vector<int> widths;
  std::vector<int> positions;
  for (int i = 0; i < ColumnCount(); ++i) {
    widths.push_back(ColumnWidth(i));
    positions.push_back(header().PositionOf(i));
  }
  std::vector<std::u16string> lines = grid_columns::SaveLines(descriptors_, widths, positions);
  if (lines == saved_lines_ && !keep_original_) return;  // the file holds it already
  const std::vector<std::u16string_view> views(lines.begin(), lines.end());
  // A file that held what these lines lose is copied aside before it is replaced.
  if (!WriteTextFile(LayoutPath(list_id_), views, keep_original_)) return;
  keep_original_ = false;
  saved_lines_ = std::move(lines);
}

// ---- sorting

void CQZListCtrl::ClickColumn(int column) {
  if (column < 0 || column >= ColumnCount()) return;
  int direction = 1;
  if (column == sort_column_) direction = sort_direction_ == 1 ? -1 : 0;
  sort_column_ = direction != 0 ? column : -1;
  sort_direction_ = direction;
  grid_header().SetSortMark(sort_column_, sort_direction_);
  // The third click only takes the mark away: the rows stay in their order.
  if (direction != 0) ApplySort();
  Invalidate();
}

void CQZListCtrl::ApplySort() {
  if (session_ == nullptr || sort_column_ < 0 || codes_.empty()) return;
  const GridCell cell = CellOfColumn(sort_column_);
  const auto data = session_->Read();  // held while the keys point into records
  std::vector<SortKey> keys(codes_.size());
  for (std::size_t i = 0; i < codes_.size(); ++i) {
    if (const CQZData* record = data->FindRecord(codes_[i])) keys[i] = SortKeyOf(cell, *record);
  }
  const std::u16string* base = codes_.data();
  const int direction = sort_direction_;
  SortItems([&keys, base, direction](void* a, void* b) {
    return CompareKeys(keys[static_cast<const std::u16string*>(a) - base],
                       keys[static_cast<const std::u16string*>(b) - base], direction);
  });
}

// ---- choosing a row

void CQZListCtrl::Announce(int item, bool strict) {
  const std::u16string_view code = RowCode(item);
  if (code.empty() || session_ == nullptr) return;
  {
    const auto data = session_->Read();
    const CQZData* record = data->FindRecord(code);
    if (record == nullptr || (strict ? record->valid() != 1 : record->valid() == 0)) return;
    if (data->FindMaster(code) == nullptr) return;
  }
  PostMessage(top_bar_, msg::kSelectStock, static_cast<WParam>(PackStockCode(code)), list_id_);
}

void CQZListCtrl::OnLButtonDown(Point p, WParam flags) {
  const int before = SelectedItem();
  ListCtrl::OnLButtonDown(p, flags);
  const int item = HitTestItem(p).item;
  if (item < 0 || item != SelectedItem()) return;
  // A newly selected row is announced once; a click on the selected row again.
  Announce(item, item != before);
}

void CQZListCtrl::OnKeyDown(WParam key) {
  const int before = SelectedItem();
  ListCtrl::OnKeyDown(key);
  const int after = SelectedItem();
  if (after >= 0 && after != before) Announce(after, true);
}

// ---- header

bool CQZListCtrl::OnNotify(int id, int code) {
  const HeaderNotification note = header().notification();
  const bool handled = ListCtrl::OnNotify(id, code);
  if (id != kHeaderId) return handled;
  switch (code) {
    case header_notify::kItemClick:
      ClickColumn(note.item);
      break;
    case header_notify::kItemChanged:
      header().Invalidate();
      Invalidate();
      // A burst of width changes is saved once, a second after the last.
      SetTimer(kSaveTimer, kSaveDelayMs);
      save_pending_ = true;
      break;
    case header_notify::kEndDrag:
      SetTimer(kReorderTimer, kReorderDelayMs);
      SetTimer(kSaveTimer, kSaveDelayMs);
      save_pending_ = true;
      break;
    default:
      break;
  }
  return handled;
}

void CQZListCtrl::OnTimer(int id) {
  if (id == kSaveTimer) {
    KillTimer(kSaveTimer);
    SaveColumns();
  } else if (id == kReorderTimer) {
    // One repaint in the new order is all it is for.
    KillTimer(kReorderTimer);
    Invalidate();
  }
}

void CQZListCtrl::OnDestroy() {
  KillTimer(kReorderTimer);
  KillTimer(kSaveTimer);
  // A change the timer had not saved yet is not lost.
  if (save_pending_) SaveColumns();
}

// ---- painting

void CQZListCtrl::SetEmptyText(std::u16string text) {
  if (text == empty_text_) return;
  empty_text_ = std::move(text);
  Invalidate();
}

void CQZListCtrl::OnPaint(DrawContext& dc) {
  if (session_ == nullptr) {
    ListCtrl::OnPaint(dc);
    return;
  }
  {
    const auto data = session_->Read();
    paint_data_ = &*data;
    ListCtrl::OnPaint(dc);
    paint_data_ = nullptr;
  }
  if (ItemCount() > 0 || empty_text_.empty()) return;
  const Rect rows = RowsArea();
  const Rect band{rows.left, rows.top + 10, rows.right, std::min(rows.bottom, rows.top + 40)};
  dc.FillRect(band, kRowBackground);  // the column lines stop under the text
  dc.SetFont(Font::Points(u"굴림", 10));
  dc.SetTextColor(kEmptyResultColor);
  dc.SetTransparentBackground(true);
  dc.DrawText(empty_text_, {band.left + 10, band.top, band.right - 10, band.bottom},
              text_flag::kSingleLine | text_flag::kVCenter | text_flag::kCenter |
                  text_flag::kNoPrefix | text_flag::kEndEllipsis);
}

void CQZListCtrl::DrawItem(DrawContext& dc, const ListItemPaint& row) {
  const auto* code = static_cast<const std::u16string*>(row.data);
  if (row_painted_ && code != nullptr) row_painted_(*code);
  const CQZData* record =
      paint_data_ != nullptr && code != nullptr ? paint_data_->FindRecord(*code) : nullptr;
  const Rect area = RowsArea();
  int columns_right = row.rect.left;
  for (const Rect& cell : row.cells) columns_right = std::max(columns_right, cell.right);
  // Every cell's background in one fill (a fill costs as much as the pixels
  // of a small cell); the sorted column's cells over it.
  const Color row_fill = row.highlighted ? kHighlightBackground : kRowBackground;
  dc.FillRect({row.rect.left, row.rect.top, columns_right, row.rect.bottom}, row_fill);
  if (columns_right < row.rect.right)
    dc.FillRect({columns_right, row.rect.top, row.rect.right, row.rect.bottom}, kRowBackground);
  for (int i = 0; i < static_cast<int>(row.cells.size()); ++i) {
    const Rect& cell = row.cells[i];
    if (cell.right <= area.left || cell.left >= area.right || cell.IsEmpty()) continue;
    Color fill = row_fill;
    if (!row.highlighted && i == sort_column_) {
      fill = kSortedBackground;
      dc.FillRect(cell, fill);
    }
    if (record == nullptr) continue;  // backgrounds only
    ReadCell(CellOfColumn(i), *record, content_);
    if (!content_.text.empty())
      DrawCellText(dc, content_.text, cell, content_.align, content_.color, fill);
    if (content_.badge >= 0) DrawBadge(dc, content_.badge, cell, fill);
  }
}

const Bitmap& CQZListCtrl::Badge(int image, Color background) {
  for (const BadgePicture& b : badges_)
    if (b.image == image && b.background == background) return b.picture;
  // The strip's white is transparent: the image is laid over the cell's
  // colour once, and copied from then on.
  const Bitmap& strip = LoadBitmapResource(kImageStrip);
  const int height = strip.IsNull() ? 16 : strip.height();
  Bitmap picture(kImageWidth, height, background);
  if (!strip.IsNull()) {
    DrawContext dc(picture);
    dc.TransparentBitmap(strip, {image * kImageWidth, 0, (image + 1) * kImageWidth, height},
                         {0, 0, kImageWidth, height}, Rgb(255, 255, 255));
    dc.Finish();
  }
  badges_.push_back({image, background, std::move(picture)});
  return badges_.back().picture;
}

void CQZListCtrl::DrawBadge(DrawContext& dc, int image, const Rect& cell, Color background) {
  const Bitmap& picture = Badge(image, background);
  // Centred as the image list draws it: as if 32 wide, at the cell's top.
  const int x = cell.left + (cell.width() - 32) / 2;
  const Rect whole{x, cell.top, x + picture.width(), cell.top + picture.height()};
  const Rect shown = whole.Intersect(cell);
  if (shown.IsEmpty()) return;
  if (shown == whole) {
    dc.DrawBitmap(picture, x, cell.top);
    return;
  }
  const Rect source{shown.left - x, shown.top - cell.top, shown.right - x, shown.bottom - cell.top};
  dc.StretchBitmap(picture, source, shown);
}

}  // namespace velloran
