// The grid's layout file as stored text: any bytes give columns (none means
// the defaults: noise, endless lines and unknown titles give none), each read
// as the header takes it, in a display order that places every column once;
// what is saved reads back as the same lines.
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "app/settings_files.h"
#include "fuzz/fuzz_seeds.h"
#include "grid/grid_cells.h"
#include "grid/grid_columns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velloran;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ColumnDescriptors columns = grid_columns::FromBytes(bytes);
  if (columns.size() > static_cast<std::size_t>(grid_columns::kMaxColumns)) std::abort();
  if (columns.empty()) columns = grid_columns::Defaults(3004);

  std::vector<ColumnLayout> layouts;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    layouts.push_back(grid_columns::LayoutOf(*columns[i], static_cast<int>(i)));
    if (layouts.back().width < 0 || layouts.back().width > grid_columns::kMaxWidth) std::abort();
  }
  const std::vector<int> order = grid_columns::DisplayOrder(layouts);
  std::vector<int> positions(columns.size(), -1);
  for (std::size_t p = 0; p < order.size(); ++p) {
    const int i = order[p];
    if (i < 0 || i >= static_cast<int>(columns.size()) || positions[i] != -1) std::abort();
    positions[i] = static_cast<int>(p);
  }
  std::vector<int> widths;
  for (const ColumnLayout& s : layouts) widths.push_back(s.width);

  const std::vector<std::u16string> lines = grid_columns::SaveLines(columns, widths, positions);
  const std::vector<std::u16string_view> views(lines.begin(), lines.end());
  const ColumnDescriptors again = grid_columns::FromBytes(EncodeTextLines(views));
  // A save can take a title away with the width it replaces (a TXT inside a
  // WIDTH): then no column the grid knows is left, and the defaults serve.
  const bool known = std::any_of(lines.begin(), lines.end(), [](const std::u16string& line) {
    return CellOfTitle(Packet(line).GetText(u"TXT", u"")) != GridCell::kNone;
  });
  if (again.size() != (known ? columns.size() : 0)) std::abort();
  for (std::size_t i = 0; i < again.size(); ++i)
    if (again[i]->Text() != lines[i]) std::abort();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  using velloran::EncodeTextLines;
  return {
      EncodeTextLines({u"<PKT><GBN>0</GBN><TXT>종목코드</TXT><ALIGN>2</ALIGN><FIXED>0</FIXED>"
                       u"<WIDTH>60</WIDTH><IORDER>2</IORDER></PKT>",
                       u"<PKT><GBN>0</GBN><TXT>종목명</TXT><ALIGN>2</ALIGN><FIXED>0</FIXED>"
                       u"<WIDTH>130</WIDTH><IORDER>0</IORDER></PKT>",
                       u"<PKT><GBN>0</GBN><TXT>역상</TXT><ALIGN>2</ALIGN><FIXED>1</FIXED>"
                       u"<WIDTH>35</WIDTH><IORDER>1</IORDER></PKT>"}),
      EncodeTextLines({u"", u"  \t", u"\r"}),
      EncodeTextLines({u"<PKT><TXT>알람가1</TXT><WIDTH>-7</WIDTH><IORDER>-1</IORDER></PKT>",
                       u"not a packet", u"<PKT><WIDTH>5</WIDTH><WIDTH>7</WIDTH></PKT>",
                       u"<PKT><IORDER>99999999999</IORDER><WIDTH>2147483647</WIDTH></PKT>"}),
      "\xEF\xBB\xBF<PKT><TXT>%</TXT></PKT>\r\n \r\n",
      std::string("\xFF\xFE<\0P\0K\0T\0>\0\r\0\n\0\x41", 15),
      std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
      // Damaged files: random bytes, one line too long to be a column, titles
      // the grid does not know, widths and positions far out of range.
      [] {
        std::string noise(std::size_t{64} << 10, '\0');
        std::uint32_t x = 28;
        for (char& c : noise) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
        return noise;
      }(),
      std::string(velloran::kMaxStoredLine * 2 + 2, 'a'),
      EncodeTextLines(
          {u"<PKT><TXT>종목명</TXT></PKT>", std::u16string(velloran::kMaxStoredLine + 1, u'x')}),
      // A line a reader keeps that its saved width and position would
      // take past the limit.
      EncodeTextLines(
          {u"<PKT><TXT>종목명</TXT></PKT>", std::u16string(velloran::kMaxStoredLine - 4, u'x')}),
      EncodeTextLines({u"<PKT><TXT>없는열</TXT></PKT>", u"<PKT></PKT>"}),
      EncodeTextLines({u"<PKT><TXT>종목명</TXT><WIDTH>999999999</WIDTH>"
                       u"<IORDER>2147483647</IORDER></PKT>"}),
      EncodeTextLines({u"<PKT><WIDTH><TXT>역상</TXT></WIDTH></PKT>"}),
  };
}
