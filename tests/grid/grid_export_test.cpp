// The grid as CSV: the builder's rules in tables, and a grid of a screen
// with a moved column written to a file and read back.

#include "grid/grid_export.h"

#include <gtest/gtest.h>

#include "grid/csv_table.h"
#include "net/utf8.h"
#include "platform/file_replace.h"
#include "tests/grid/grid_rig.h"

namespace velloran {
namespace {

TEST(CsvTableTest, QuotesOnlyWhatNeedsItBehindAUtf8Mark) {
  struct Case {
    CsvRow row;
    std::string line;
  } cases[] = {
      {{u"005930", u"삼성전자", u"71000"}, "005930,삼성전자,71000\r\n"},
      {{u"a,b", u"say \"hi\"", u"two\nlines", u"cr\r"}, "\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\"\r\n"},
      {{u"", u" lead", u""}, ", lead,\r\n"},
  };
  for (const Case& c : cases) {
    const std::string doc = CsvDocument({c.row});
    ASSERT_TRUE(doc.starts_with(kUtf8Mark));
    EXPECT_EQ(doc.substr(kUtf8Mark.size()), c.line);
  }
  EXPECT_EQ(CsvDocument({}), std::string(kUtf8Mark));
}

TEST(CsvTableTest, GroupSeparatorsLeaveNumbersAndNothingElse) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"1,234,567", u"1234567"}, {u"-1,500", u"-1500"},   {u"1,234.50", u"1234.50"},
      {u"12.50", u"12.50"},       {u"999", u"999"},        {u"1,23", u"1,23"},
      {u"12,3456", u"12,3456"},   {u",123", u",123"},      {u"1,234,", u"1,234,"},
      {u"가,나", u"가,나"},       {u"1,234.5x", u"1,234.5x"}, {u"", u""},
  };
  for (const auto& [shown, written] : cases) EXPECT_EQ(UngroupedNumber(shown), written) << Utf16ToUtf8(shown);
}

// An RFC 4180 reader for what the export wrote.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      rows.back().back() += c;
    }
  }
  rows.pop_back();  // after the last line end
  return rows;
}

class GridExportTest : public grid_testing::GridTest {};

TEST_F(GridExportTest, TheFileReadsBackAsTheRowsInTheColumnsShown) {
  Show(3005);
  Hit(u"000010", u"가나전자", 10000, {10100, 2, 100, 1.0, 1234567, 0, 0}, 100, 300);
  Hit(u"000020", u"다\"라\", 화학", 20000, {19000, 5, -1000, -5.0, 0, 0, 0});
  grid->Refresh(*session, 3005);
  ASSERT_EQ(grid->ItemCount(), 2);
  // The user moved the last column to the front.
  std::vector<int> order = grid->ColumnOrder();
  std::rotate(order.rbegin(), order.rbegin() + 1, order.rend());
  ASSERT_TRUE(grid->SetColumnOrder(order));

  std::tm at{};
  at.tm_year = 126;
  at.tm_mon = 11;
  at.tm_mday = 10;
  at.tm_hour = 9;
  at.tm_min = 35;
  at.tm_sec = 12;
  const std::filesystem::path file = ExportGrid(*grid, *session, dir / "export", u"박스권", at);
  ASSERT_EQ(file, dir / "export" / "박스권_20261210_093512.csv");
  // A second export of the same second keeps the first.
  EXPECT_EQ(ExportGrid(*grid, *session, dir / "export", u"박스권", at).filename(),
            "박스권_20261210_093512_2.csv");

  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file, bytes));
  ASSERT_TRUE(bytes.starts_with(kUtf8Mark));
  const auto rows = ReadCsv(std::string_view(bytes).substr(kUtf8Mark.size()));
  ASSERT_EQ(rows.size(), 3u);
  const std::vector<std::u16string> titles = ShownTitles();
  ASSERT_EQ(rows[0].size(), titles.size());
  for (std::size_t i = 0; i < titles.size(); ++i) EXPECT_EQ(rows[0][i], Utf16ToUtf8(titles[i]));
  auto cell = [&](std::size_t row, std::u16string_view title) {
    for (std::size_t i = 0; i < titles.size(); ++i)
      if (titles[i] == title) return rows[row].at(i);
    ADD_FAILURE() << "no column " << Utf16ToUtf8(title);
    return std::string();
  };
  for (std::size_t r = 1; r <= 2; ++r) {
    EXPECT_EQ(cell(r, u"종목코드"), Utf16ToUtf8(grid->RowCode(static_cast<int>(r - 1))));
  }
  const std::size_t first = grid->RowCode(0) == u"000010" ? 1 : 2;
  const std::size_t second = 3 - first;
  EXPECT_EQ(cell(first, u"종목명"), "가나전자");
  EXPECT_EQ(cell(first, u"현재가"), "10100");
  EXPECT_EQ(cell(first, u"거래량"), "1234567");
  EXPECT_EQ(cell(first, u"임박"), "임박");
  EXPECT_EQ(cell(first, u"역상"), "역상");
  EXPECT_EQ(cell(second, u"종목명"), "다\"라\", 화학");
  EXPECT_EQ(cell(second, u"현재가"), "19000");
  EXPECT_EQ(cell(second, u"등락률"), "-5.00");

  // The clipboard's row: the same cells, tab-separated.
  const std::u16string row = GridRowText(*grid, *session, static_cast<int>(first - 1));
  EXPECT_NE(row.find(u"000010\t가나전자"), std::u16string::npos);
  EXPECT_EQ(GridRowText(*grid, *session, 5), u"");
}

}  // namespace
}  // namespace velloran
