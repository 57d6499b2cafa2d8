#include "grid/grid_export.h"

#include <cstdio>
#include <system_error>

#include "grid/grid_cells.h"
#include "grid/qz_list_ctrl.h"
#include "net/utf8.h"
#include "platform/file_replace.h"

namespace velloran {
namespace {

// The columns in the order shown, without the hidden ones.
std::vector<int> ShownColumns(const CQZListCtrl& grid) {
  std::vector<int> columns;
  for (const int column : grid.ColumnOrder())
    if (grid.ColumnWidth(column) > 0) columns.push_back(column);
  return columns;
}

std::u16string CellText(const CQZListCtrl& grid, const CQZData* record, int column) {
  if (record == nullptr) return {};
  CellContent content;
  ReadCell(grid.CellOfColumn(column), *record, content);
  if (content.badge == kImminentBadge) return u"임박";
  if (content.badge == kReverseBadge) return u"역상";
  return UngroupedNumber(content.text);
}

CsvRow RowCells(const CQZListCtrl& grid, const StoreData& data, const std::vector<int>& columns,
                int item) {
  const CQZData* record = data.FindRecord(grid.RowCode(item));
  CsvRow row;
  for (const int column : columns) row.push_back(CellText(grid, record, column));
  return row;
}

}  // namespace

std::vector<CsvRow> GridTable(const CQZListCtrl& grid, const CSessionData& session) {
  const std::vector<int> columns = ShownColumns(grid);
  std::vector<CsvRow> table;
  CsvRow titles;
  for (const int column : columns) {
    const HeaderItem* item = const_cast<CQZListCtrl&>(grid).grid_header().Item(column);
    titles.push_back(item == nullptr ? std::u16string() : item->title);
  }
  table.push_back(std::move(titles));
  const auto data = session.Read();
  for (int item = 0; item < grid.ItemCount(); ++item)
    table.push_back(RowCells(grid, *data, columns, item));
  return table;
}

std::u16string GridRowText(const CQZListCtrl& grid, const CSessionData& session, int item) {
  if (item < 0 || item >= grid.ItemCount()) return {};
  const auto data = session.Read();
  const CsvRow row = RowCells(grid, *data, ShownColumns(grid), item);
  std::u16string text;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i > 0) text += u'\t';
    text += row[i];
  }
  return text;
}

std::u16string ExportFileName(std::u16string_view screen, const std::tm& at) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d_%02d%02d%02d", at.tm_year + 1900,
                at.tm_mon + 1, at.tm_mday, at.tm_hour, at.tm_min, at.tm_sec);
  std::u16string name(screen);
  // A name is a file name: nothing of it may open a folder.
  for (char16_t& c : name)
    if (c == u'/' || c == u'\\' || c == u'\0') c = u'_';
  return name + Utf8ToUtf16(stamp) + u".csv";
}

std::filesystem::path ExportGrid(const CQZListCtrl& grid, const CSessionData& session,
                                 const std::filesystem::path& directory,
                                 std::u16string_view screen, const std::tm& at) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) return {};
  const std::u16string name = ExportFileName(screen, at);
  const std::string stem = Utf16ToUtf8(name.substr(0, name.size() - 4));
  std::filesystem::path path = directory / (stem + ".csv");
  for (int n = 2; std::filesystem::exists(path, error) && n < 100; ++n)
    path = directory / (stem + "_" + std::to_string(n) + ".csv");
  if (!ReplaceFileContents(path, CsvDocument(GridTable(grid, session)))) return {};
  return path;
}

}  // namespace velloran
