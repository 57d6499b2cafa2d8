#pragma once
// The columns of the screening grid as descriptor packets (TXT, ALIGN,
// FIXED, WIDTH, IORDER): the default set of each screening list, and the
// layout file "grid_<instance>_<list>.grd" that keeps the user's widths and
// order, one descriptor text a line. No windows here: the grid builds its
// header from what these give.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/packet.h"
#include "platform/header_ctrl.h"

namespace velloran {

using ColumnDescriptors = std::vector<std::unique_ptr<Packet>>;

// One descriptor as the header takes it.
struct ColumnLayout {
  std::u16string title;
  int width = 0;
  ColumnAlign align = ColumnAlign::kLeft;
  bool fixed = false;
  int order = 0;  // IORDER; a negative one reads as the column's own index
};

namespace grid_columns {

// A layout file lists at most this many columns; the rest are not read
// (the program writes at most eleven).
inline constexpr int kMaxColumns = 64;
// Widths are kept to 0 .. kMaxWidth, wider than any column's text needs.
inline constexpr int kMaxWidth = 1000;
// Of a layout file only this much is read: eleven lines take 2 KiB.
inline constexpr std::size_t kMaxFileBytes = std::size_t{64} << 10;

// The default descriptors of a list, in column order: none for a list of 0
// or below; 3007 and 3016 without "임박" and "포착가"; 3006 with "재료일자"
// in place of "포착가".
[[nodiscard]] ColumnDescriptors Defaults(int list_id);

// The descriptors of a layout file's lines: each line trimmed of blanks,
// tabs and line ends; empty lines skipped; any other line one descriptor as
// it stands. None when no line has the title of a column the grid shows:
// such a file is no layout, and the list's defaults serve.
[[nodiscard]] ColumnDescriptors FromLines(const std::vector<std::u16string>& lines);
// The same from the file's bytes (UTF-16LE with its mark, or any text the
// settings files accept).
[[nodiscard]] ColumnDescriptors FromBytes(std::string_view bytes);

struct StoredLayout {
  ColumnDescriptors columns;  // none: the list's defaults
  // What the file held would be lost to a save (bytes that are not text,
  // lines left out, no layout at all): it is kept aside first.
  bool keep_original = false;
};
// The layout file at path, read to at most kMaxFileBytes. A missing or
// unreadable file gives no columns and nothing to keep.
[[nodiscard]] StoredLayout ReadFile(const std::filesystem::path& path);

// A descriptor read with the defaults of a bad line: empty title, width 0,
// left, not fixed, position 0. Widths are kept to 0 .. kMaxWidth, positions
// to 0 .. kMaxColumns.
[[nodiscard]] ColumnLayout LayoutOf(const Packet& descriptor, int index);

// The display order the descriptors ask for (order[position] = column
// index): columns by IORDER, ties in column order. Always a permutation,
// whatever the file held; a saved order comes back as it was.
[[nodiscard]] std::vector<int> DisplayOrder(const std::vector<ColumnLayout>& layouts);

// Sets WIDTH and IORDER of each descriptor (replacing what it had) and
// gives the lines to write: widths and positions by column index.
[[nodiscard]] std::vector<std::u16string> SaveLines(const ColumnDescriptors& descriptors,
                                                    const std::vector<int>& widths,
                                                    const std::vector<int>& positions);

// "<dir>/grid_<instance>_<list>.grd".
[[nodiscard]] std::filesystem::path FilePath(const std::filesystem::path& dir, int instance,
                                             int list_id);

}  // namespace grid_columns
}  // namespace velloran
