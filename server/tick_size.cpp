#include "server/tick_size.h"

#include <algorithm>
#include <cmath>

namespace velloran::server {

int TickSize(int price, int market, bool etf) {
  if (etf) return 5;
  if (market != 1 && market != 2) return 5;
  if (market == 1 && price >= 500000) return 1000;
  if (market == 1 && price >= 100000) return 500;
  if (price >= 50000) return 100;
  if (price >= 10000) return 50;
  if (price >= 5000) return 10;
  if (price >= 1000) return 5;
  return 1;
}

bool OnTickGrid(int price, int market, bool etf) {
  return price > 0 && price % TickSize(price, market, etf) == 0;
}

int FloorToTick(int value, int market, bool etf) {
  const int tick = TickSize(value, market, etf);
  return std::max(value - value % tick, TickSize(1, market, etf));
}

int CeilToTick(int value, int market, bool etf) {
  const int floor = FloorToTick(value, market, etf);
  return floor >= value ? floor : TickUp(floor, market, etf);
}

int RoundToTick(double value, int market, bool etf) {
  const double clamped = std::clamp(value, 1.0, 2.0e9);
  const int base = FloorToTick(static_cast<int>(clamped), market, etf);
  const int up = TickUp(base, market, etf);
  return (clamped - base < up - clamped) ? base : up;
}

int TickUp(int price, int market, bool etf) {
  return price + TickSize(price, market, etf);
}

int TickDown(int price, int market, bool etf) {
  // The step below a band boundary is the lower band's tick.
  const int down = price - TickSize(price - 1, market, etf);
  return std::max(down, TickSize(1, market, etf));
}

int GridOrdinal(int price, int market, bool etf) {
  if (etf || (market != 1 && market != 2)) return price / 5;
  // The lower bounds of the bands above the first, whose tick is 1.
  static constexpr int kBands[] = {1000, 5000, 10000, 50000, 100000, 500000};
  int ordinal = 0, from = 0;
  for (int bound : kBands) {
    if (market == 2 && bound > 50000) break;
    const int tick = TickSize(from, market, etf);
    if (price < bound) return ordinal + (price - from) / tick;
    ordinal += (bound - from) / tick;
    from = bound;
  }
  return ordinal + (price - from) / TickSize(from, market, etf);
}

}  // namespace velloran::server
