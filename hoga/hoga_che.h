#pragma once
// CHogaChe, the order book's list of the latest trades: time, price and
// volume of each, newest on top, at most 50 rows, the price coloured by the
// direction of the day's change and the volume by the side that traded.

#include <deque>

#include "net/quote.h"
#include "platform/list_ctrl.h"

namespace velloran {

class CHogaChe : public ListCtrl {
 public:
  static constexpr int kMaxRows = 50;
  static constexpr Color kUp = Rgb(244, 35, 6);     // change sign 1-2
  static constexpr Color kFlat = Rgb(50, 50, 50);   // 3
  static constexpr Color kDown = Rgb(18, 73, 192);  // 4-5
  static constexpr Color kBuy = Rgb(231, 17, 14);   // a trade at the ask ("+")
  static constexpr Color kSell = Rgb(30, 40, 235);

  CHogaChe();
  // The list with its three columns: "시간", "가격", "체결량".
  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);

  // The trade as row `at` (0: the top); the last row goes past 50 rows.
  void AddTrade(const CPKT& trade, int at = 0);
  void Clear();
  // The colours of a row's price and volume; the text colour for no row.
  [[nodiscard]] Color PriceColor(int item) const;
  [[nodiscard]] Color VolumeColor(int item) const;

 protected:
  void DrawItem(DrawContext& dc, const ListItemPaint& row) override;

 private:
  struct RowColors {
    Color price;
    Color volume;
  };
  std::deque<RowColors> colors_;  // by row
};

}  // namespace velloran
