#pragma once
// The exchange's price grid: the tick size of a price by market and ETF flag,
// and the moves along it. Every price the demo market quotes lies on it.

namespace velloran::server {

// 5 for ETFs; KOSPI (market 1): 1000 from 500,000, 500 from 100,000, 100 from
// 50,000, 50 from 10,000, 10 from 5,000, 5 from 1,000, else 1; KOSDAQ
// (market 2) the same without the two highest bands; any other market 5.
int TickSize(int price, int market, bool etf);

[[nodiscard]] bool OnTickGrid(int price, int market, bool etf);
// The grid price nearest to value (at least one tick).
int RoundToTick(double value, int market, bool etf);
// The grid price one tick above or below a grid price (below never under one tick).
int TickUp(int price, int market, bool etf);
int TickDown(int price, int market, bool etf);
// The highest grid price not above value / the lowest not below it.
int FloorToTick(int value, int market, bool etf);
int CeilToTick(int value, int market, bool etf);
// The position of a grid price on its grid (consecutive grid prices have
// consecutive ordinals), for tables kept per price level.
int GridOrdinal(int price, int market, bool etf);

}  // namespace velloran::server
