#include "app/stock_menu.h"

namespace velloran {

MenuEntries StockMenuEntries(bool can_export) {
  return {
      {kCopyStockCommand, u"종목 복사", u"Ctrl+C", true},
      {0, u"", u"", true},
      {kReplayCommand, u"호가 리플레이", u"", true},
      {kChartsCommand, u"차트 보기", u"", true},
      {0, u"", u"", true},
      {kExportCommand, u"CSV로 내보내기", u"Ctrl+S", can_export},
  };
}

std::u16string StockClipboardText(const std::u16string& code, const std::u16string& name) {
  return name.empty() || name == code ? code : code + u"\t" + name;
}

std::filesystem::path ExportDirectory(const std::filesystem::path& data_dir) {
  return data_dir.empty() ? std::filesystem::path() : data_dir / "export";
}

}  // namespace velloran
