#include "hoga/hoga_che.h"

#include <algorithm>

#include "net/text_util.h"

namespace velloran {
namespace {

constexpr int kTimeMarginGain = 4;

ListStyle TradeListStyle() {
  ListStyle style;
  style.row_height = 18;
  style.header_height = 18;
  return style;
}

std::u16string TimeText(std::int32_t time) {
  const std::u16string t = FormatInt06(time);
  if (t.size() != 6) return t;
  return t.substr(0, 2) + u":" + t.substr(2, 2) + u":" + t.substr(4, 2);
}

}  // namespace

CHogaChe::CHogaChe() : ListCtrl(TradeListStyle()) {}

bool CHogaChe::Create(Window* parent, int id, const Rect& rect) {
  if (!Window::Create(parent, id, rect, u"")) return false;
  InsertColumn(0, {u"시간", 60, ColumnAlign::kLeft});
  InsertColumn(1, {u"가격", 80, ColumnAlign::kRight});
  InsertColumn(2, {u"체결량", 80, ColumnAlign::kRight});
  return true;
}

void CHogaChe::AddTrade(const CPKT& trade, int at) {
  at = std::clamp(at, 0, ItemCount());
  const int sign = trade.Sign();
  const Color price = sign == 1 || sign == 2 ? kUp : sign == 4 || sign == 5 ? kDown : kFlat;
  const Color volume = trade.Text(11) == u"+" ? kBuy : kSell;
  at = InsertItem(at, TimeText(trade.Time()));
  SetItemText(at, 1, FormatNumber(trade.Price()));
  SetItemText(at, 2, FormatNumber(trade.TradeVolume()));
  colors_.insert(colors_.begin() + at, RowColors{price, volume});
  while (ItemCount() > kMaxRows) {
    DeleteItem(ItemCount() - 1);
    colors_.pop_back();
  }
}

void CHogaChe::Clear() {
  DeleteAllItems();
  colors_.clear();
}

Color CHogaChe::PriceColor(int item) const {
  return item >= 0 && item < static_cast<int>(colors_.size()) ? colors_[item].price : kFlat;
}

Color CHogaChe::VolumeColor(int item) const {
  return item >= 0 && item < static_cast<int>(colors_.size()) ? colors_[item].volume : kFlat;
}

void CHogaChe::DrawItem(DrawContext& dc, const ListItemPaint& row) {
  const ListColors& c = colors();
  const Color fill = row.highlighted ? c.selected_background : c.background;
  dc.FillRect(row.rect, fill);
  for (int i = 0; i < static_cast<int>(row.cells.size()) && i < 3; ++i) {
    Color text = c.text;
    if (row.highlighted)
      text = c.selected_text;
    else if (i == 1)
      text = PriceColor(row.item);
    else if (i == 2)
      text = VolumeColor(row.item);
    // The time ("hh:mm:ss") needs more of its 60 pixels than the usual margins leave.
    Rect cell = row.cells[i];
    if (i == 0) cell = cell.Deflated(-kTimeMarginGain, 0);
    DrawCellText(dc, ItemText(row.item, i), cell, i == 0 ? ColumnAlign::kLeft : ColumnAlign::kRight,
                 text, fill);
  }
}

}  // namespace velloran
