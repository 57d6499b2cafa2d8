#include "grid/grid_columns.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "app/settings_files.h"
#include "grid/grid_cells.h"
#include "net/message_codes.h"

namespace velloran::grid_columns {

namespace {

struct DefaultColumn {
  const char16_t* title;
  int width;
  int fixed;
  bool (*shown)(int list_id);
};

bool Always(int) {
  return true;
}
bool NotPlainReverse(int id) {
  return id != code::kScreenPastReverse && id != code::kScreenReverse;
}
bool OnlyNews(int id) {
  return id == code::kScreenNews;
}
bool CapturePriceShown(int id) {
  return id != code::kScreenNews && NotPlainReverse(id);
}

constexpr DefaultColumn kDefaults[] = {
    {u"종목코드", 60, 0, Always},
    {u"종목명", 100, 0, Always},
    {u"임박", 35, 1, NotPlainReverse},
    {u"역상", 35, 1, Always},
    {u"현재가", 80, 0, Always},
    {u"재료일자", 80, 0, OnlyNews},
    {u"포착가", 80, 0, CapturePriceShown},
    {u"등락률", 80, 0, Always},
    {u"대비", 60, 0, Always},
    {u"거래량", 80, 0, Always},
    {u"매수강도", 80, 0, Always},
};

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string_view Trimmed(std::u16string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

}  // namespace

ColumnDescriptors Defaults(int list_id) {
  ColumnDescriptors out;
  if (list_id <= 0) return out;
  for (const DefaultColumn& c : kDefaults) {
    if (!c.shown(list_id)) continue;
    auto p = std::make_unique<Packet>(code::kLocal);
    p->AddText(u"TXT", c.title);
    p->AddInt(u"ALIGN", static_cast<int>(ColumnAlign::kCenter));
    p->AddInt(u"FIXED", c.fixed);
    p->AddInt(u"WIDTH", c.width);
    p->AddInt(u"IORDER", static_cast<int>(out.size()));
    out.push_back(std::move(p));
  }
  return out;
}

ColumnDescriptors FromLines(const std::vector<std::u16string>& lines) {
  ColumnDescriptors out;
  bool known = false;
  for (const std::u16string& line : lines) {
    const std::u16string_view text = Trimmed(line);
    if (text.empty()) continue;
    if (static_cast<int>(out.size()) == kMaxColumns) break;
    out.push_back(std::make_unique<Packet>(std::u16string(text)));
    known = known || CellOfTitle(out.back()->GetText(u"TXT", u"")) != GridCell::kNone;
  }
  if (!known) out.clear();
  return out;
}

ColumnDescriptors FromBytes(std::string_view bytes) {
  return FromLines(DecodeStoredText(bytes).lines);
}

StoredLayout ReadFile(const std::filesystem::path& path) {
  StoredLayout out;
  std::vector<std::u16string> lines;
  const ReadOutcome read = ReadTextFile(path, lines, kMaxFileBytes);
  if (read != ReadOutcome::kRead && read != ReadOutcome::kLossy) return out;
  out.columns = FromLines(lines);
  const bool blank = std::all_of(lines.begin(), lines.end(),
                                 [](const std::u16string& line) { return Trimmed(line).empty(); });
  out.keep_original = read == ReadOutcome::kLossy || (out.columns.empty() && !blank);
  return out;
}

ColumnLayout LayoutOf(const Packet& descriptor, int index) {
  ColumnLayout s;
  s.title = descriptor.GetText(u"TXT", u"");
  s.width = std::clamp(descriptor.GetInt(u"WIDTH", 0), 0, kMaxWidth);
  const int align = descriptor.GetInt(u"ALIGN", 0);
  s.align = align == 1   ? ColumnAlign::kRight
            : align == 2 ? ColumnAlign::kCenter
                         : ColumnAlign::kLeft;
  s.fixed = descriptor.GetInt(u"FIXED", 0) == 1;
  const int order = descriptor.GetInt(u"IORDER", 0);
  s.order = order < 0 ? index : std::min(order, kMaxColumns);
  return s;
}

std::vector<int> DisplayOrder(const std::vector<ColumnLayout>& layouts) {
  std::vector<int> order(layouts.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&layouts](int a, int b) { return layouts[a].order < layouts[b].order; });
  return order;
}

std::vector<std::u16string> SaveLines(const ColumnDescriptors& descriptors,
                                      const std::vector<int>& widths,
                                      const std::vector<int>& positions) {
  std::vector<std::u16string> lines;
  lines.reserve(descriptors.size());
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    Packet& d = *descriptors[i];
    const std::u16string before = d.Text();
    if (i < widths.size()) d.SetInt(u"WIDTH", widths[i]);
    if (i < positions.size()) d.SetInt(u"IORDER", positions[i]);
    // A line that is no descriptor can lose an element without taking the
    // new one: it is written as it reads back (trimmed), and never empty,
    // so that the next start finds the same columns. A line that the new
    // elements would take past what a reader keeps stays as it was read.
    std::u16string text(Trimmed(d.Text()));
    if (text.empty()) text = before;
    if (text.size() > kMaxStoredLine) text = Trimmed(before);
    if (text != d.Text()) d.SetWholeText(text);
    lines.push_back(std::move(text));
  }
  return lines;
}

std::filesystem::path FilePath(const std::filesystem::path& dir, int instance, int list_id) {
  return dir / GridLayoutFileName(instance, list_id);
}

}  // namespace velloran::grid_columns
