#pragma once
// What the right button offers on a grid row or a stock tile, and the text
// Ctrl+C puts on the clipboard for a stock, without a display.

#include <filesystem>
#include <string>

#include "platform/menu_entries.h"

namespace velloran {

enum StockCommand {
  kCopyStockCommand = 1,
  kReplayCommand,
  kChartsCommand,
  kExportCommand,
};

// can_export: the grid has rows to write.
[[nodiscard]] MenuEntries StockMenuEntries(bool can_export);
// "005930\t삼성전자": pastes as two cells into a spreadsheet.
[[nodiscard]] std::u16string StockClipboardText(const std::u16string& code,
                                                const std::u16string& name);
// Exports go to "export" in the data directory; empty without one.
[[nodiscard]] std::filesystem::path ExportDirectory(const std::filesystem::path& data_dir);

}  // namespace velloran
