// The wheel's arithmetic over a chart: zooming keeps the bar under the
// cursor in place and stays within the bars; scrolling keeps the count;
// the newest bars come back with End.

#include <gtest/gtest.h>

#include "chart/chart_zoom.h"

namespace velloran {
namespace {

TEST(ChartZoomTest, ZoomKeepsTheBarUnderTheCursorAndStaysWithinTheBars) {
  const struct {
    const char* what;
    ChartRange view;
    int count;
    int anchor;
    int notches;
    ChartRange to;
  } cases[] = {
      {"in around the middle", {100, 0}, 500, 50, 1, {90, 10}},
      {"in at the newest bar stays at the right edge", {100, 0}, 500, 0, 1, {80, 0}},
      {"in at the oldest shown bar stays at the left", {100, 0}, 500, 99, 1, {100, 20}},
      {"two notches", {100, 0}, 500, 50, 2, {82, 18}},
      {"out around the middle", {120, 20}, 500, 70, -1, {132, 7}},
      {"out past the newest is cut at the newest", {100, 0}, 500, 10, -1, {125, 0}},
      {"out past every bar shows them all", {100, 0}, 110, 50, -3, {110, 0}},
      {"in stops at five bars", {6, 0}, 500, 3, 4, {6, 1}},
      {"out of a one-bar view shows five", {1, 0}, 500, 0, -1, {5, 0}},
      {"off the bars: around the middle", {100, 0}, 500, -1, 1, {90, 10}},
      {"a view past the bars is first cut to them", {400, 0}, 100, 50, 1, {90, 10}},
      {"no bars: nothing moves", {60, 0}, 0, 5, 1, {60, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(ZoomAround(c.view, c.count, c.anchor, c.notches), c.to) << c.what;
}

TEST(ChartZoomTest, ScrollingKeepsTheCountAndNewestComesBack) {
  const struct {
    const char* what;
    ChartRange view;
    int count;
    int bars;
    ChartRange to;
  } cases[] = {
      {"back in time", {60, 0}, 500, 6, {66, 6}},
      {"forward in time", {66, 6}, 500, -6, {60, 0}},
      {"not past the newest", {60, 3}, 500, -10, {57, 0}},
      {"not past the oldest", {500, 440}, 500, 10, {500, 440}},
      {"a view wider than the bars", {60, 0}, 40, 5, {40, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(ScrollBy(c.view, c.count, c.bars), c.to) << c.what;
  EXPECT_EQ(ScrollStep({60, 0}), 6);
  EXPECT_EQ(ScrollStep({5, 0}), 1);
  EXPECT_EQ(Newest({300, 240}, 500), (ChartRange{60, 0}));
}

}  // namespace
}  // namespace velloran
