#pragma once
// The screening grid as text, for the clipboard and for a CSV file: every
// column as shown, in the order shown (hidden columns left out), numbers
// without group separators and the badges as their words ("임박", "역상").
// Read from the records under the store's reader, like the grid's paint.

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "grid/csv_table.h"

namespace velloran {

class CQZListCtrl;
class CSessionData;

// The titles' row, then one row per grid row in the order shown.
[[nodiscard]] std::vector<CsvRow> GridTable(const CQZListCtrl& grid, const CSessionData& session);
// One row's cells, separated by tabs; empty for no row.
[[nodiscard]] std::u16string GridRowText(const CQZListCtrl& grid, const CSessionData& session,
                                         int item);

// "박스권_20261210_093512.csv" for the screen's name and the local time.
[[nodiscard]] std::u16string ExportFileName(std::u16string_view screen, const std::tm& at);

// Writes the grid of the screen shown into directory (made when missing) as
// a CSV file named for the screen and the time, as a whole or not at all;
// another export of the same second gets "_2", "_3" ... Returns the file, or
// an empty path when it could not be written.
[[nodiscard]] std::filesystem::path ExportGrid(const CQZListCtrl& grid, const CSessionData& session,
                                               const std::filesystem::path& directory,
                                               std::u16string_view screen, const std::tm& at);

}  // namespace velloran
