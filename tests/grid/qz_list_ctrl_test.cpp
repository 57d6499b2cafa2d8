// The screening grid over a real session store: rows painted from the
// records and read back pixel by pixel, the three-state sort by header
// clicks, the top bar told of a chosen row, batches of the same list keeping
// what the user set up, and a live quote repainting one row.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "net/stock_code.h"
#include "platform/bitmap_resources.h"
#include "tests/grid/grid_rig.h"

namespace velloran {
namespace {

using ::testing::ElementsAre;
using namespace grid_testing;

// Columns of list 3004.
enum Col {
  kCode,
  kName,
  kImminent,
  kReverse,
  kPrice,
  kCapture,
  kRate,
  kChange,
  kVolume,
  kStrength
};

constexpr Color kWhite = CQZListCtrl::kRowBackground;

class GridPaintTest : public GridTest {
 protected:
  // The cell of a rendered grid, in the grid's coordinates.
  Rect Cell(int item, int column) { return grid->SubItemRect(item, column); }
  void ExpectText(const Bitmap& shot, int item, int column, const std::u16string& text,
                  TextAlign align, Color color, Color background = kWhite) {
    const Rect cell = Cell(item, column);
    EXPECT_EQ(DifferingPixels(shot, cell, ExpectedCell(cell, text, align, color, background)), 0)
        << "row " << item << " column " << column;
  }
  // The badge's pixel at its fill colour, where the grid centres the image.
  Point BadgeSpot(int item, int column) {
    const Rect cell = Cell(item, column);
    return {cell.left + (cell.width() - 32) / 2 + 4, cell.top + 8};
  }
  static Color StripPixel(int image) {
    return LoadBitmapResource(CQZListCtrl::kImageStrip).PixelAt(image * 30 + 4, 8);
  }
};

TEST_F(GridPaintTest, RowsShowTheRecordsWithSignColoursBlanksAndBadges) {
  Show(3004);
  // 1.0 % above the capture price: 임박. Bids 100, asks 200: not 역상.
  Hit(u"000010", u"가나전자", 10000, {10100, 2, 100, 1.0, 0, 200, 250}, 100, 200);
  // Just over 1 %: no 임박. Asks 201: 역상. Falling.
  Hit(u"000020", u"다라화학", 10000, {10101, 5, -150, -1.5, 1234567, 0, 0}, 100, 201);
  // Capture price 0 and no bids: neither value is finite, no badge.
  Hit(u"000030", u"마바", 0, {5000, 3, 0, 0, 10, 0, 0}, 0, 500);
  Hit(u"000040", u"사아", 7000, {7000, 3, 0, 0, 10, 200, 190}, 300, 100);
  grid->Refresh(*session, 3004);
  ASSERT_EQ(grid->ItemCount(), 4);

  const Bitmap shot = grid->Render();
  ASSERT_TRUE(shot.SavePng(::testing::TempDir() + "grid_rows.png"));
  using grid_colors::kFall;
  using grid_colors::kRise;
  using grid_colors::kText;
  ExpectText(shot, 0, kCode, u"000010", TextAlign::kLeft, kText);
  ExpectText(shot, 0, kName, u"가나전자", TextAlign::kLeft, kText);
  ExpectText(shot, 0, kPrice, u"10,100", TextAlign::kRight, kRise);
  ExpectText(shot, 0, kCapture, u"10,000", TextAlign::kRight, kText);
  ExpectText(shot, 0, kRate, u"1.00", TextAlign::kRight, kRise);
  ExpectText(shot, 0, kVolume, u" ", TextAlign::kRight, kText);  // 0 is a blank
  ExpectText(shot, 0, kStrength, u"125.00", TextAlign::kRight, kText);
  ExpectText(shot, 1, kPrice, u"10,101", TextAlign::kRight, kFall);
  ExpectText(shot, 1, kChange, u"150", TextAlign::kRight, kFall);
  ExpectText(shot, 1, kRate, u"-1.50", TextAlign::kRight, kFall);
  ExpectText(shot, 1, kVolume, u"1,234,567", TextAlign::kRight, kText);
  ExpectText(shot, 1, kStrength, u"-", TextAlign::kRight, kText);
  ExpectText(shot, 2, kPrice, u"5,000", TextAlign::kRight, kText);  // unchanged: plain
  ExpectText(shot, 3, kStrength, u"95.00", TextAlign::kRight, kText);

  // Badges: 임박 on the first row only, 역상 on the second only.
  const Point imminent = BadgeSpot(0, kImminent);
  EXPECT_EQ(shot.PixelAt(imminent.x, imminent.y), StripPixel(kImminentBadge));
  EXPECT_NE(StripPixel(kImminentBadge), kWhite);
  const Point reverse = BadgeSpot(1, kReverse);
  EXPECT_EQ(shot.PixelAt(reverse.x, reverse.y), StripPixel(kReverseBadge));
  for (const auto& [item, column] :
       {std::pair{0, kReverse}, {1, kImminent}, {2, kImminent}, {2, kReverse}, {3, kReverse}})
    ExpectText(shot, item, column, u"", TextAlign::kLeft, kText);
  // The values the cells stored.
  {
    const auto data = session->Read();
    EXPECT_DOUBLE_EQ(data->FindRecord(u"000010")->imminence(), 1.0);
    EXPECT_DOUBLE_EQ(data->FindRecord(u"000020")->reverse_ratio(), 2.01);
    EXPECT_FALSE(std::isfinite(data->FindRecord(u"000030")->reverse_ratio()));
  }

  // The header: grey cells, the capture price in lilac.
  const Rect capture = grid->header().ItemRect(kCapture);
  EXPECT_EQ(shot.PixelAt(capture.left + 2, 2), CQZHeaderCtrl::kPriceFace);
  const Rect name = grid->header().ItemRect(kName);
  EXPECT_EQ(shot.PixelAt(name.left + 2, 2), CQZHeaderCtrl::kCellFace);

  // A selected row with the focus in its colour; the sorted column's cells
  // in theirs, with the arrow in its header cell.
  Click(CellCentre(1, kName));
  grid->ClickColumn(kVolume);
  const Bitmap marked = grid->Render();
  ASSERT_TRUE(marked.SavePng(::testing::TempDir() + "grid_marked.png"));
  // Volumes 0, 10, 10, 1,234,567.
  ASSERT_EQ(grid->RowCode(1), u"000030");
  const int selected = grid->SelectedItem();
  ASSERT_EQ(selected, 3);
  ASSERT_EQ(grid->RowCode(selected), u"000020");
  ExpectText(marked, selected, kName, u"다라화학", TextAlign::kLeft, kText,
             CQZListCtrl::kHighlightBackground);
  ExpectText(marked, selected, kVolume, u"1,234,567", TextAlign::kRight, kText,
             CQZListCtrl::kHighlightBackground);
  ExpectText(marked, 1, kVolume, u"10", TextAlign::kRight, kText, CQZListCtrl::kSortedBackground);
  ExpectText(marked, 0, kVolume, u" ", TextAlign::kRight, kText, CQZListCtrl::kSortedBackground);
  ExpectText(marked, 1, kName, u"마바", TextAlign::kLeft, kText);
  const Rect volume = grid->header().ItemRect(kVolume);
  int arrow = 0;
  for (int x = volume.right - 16; x < volume.right; ++x)
    for (int y = 0; y < 20; ++y) arrow += marked.PixelAt(x, y) == CQZHeaderCtrl::kMarkColor;
  EXPECT_EQ(arrow, 16);  // 1 + 3 + 5 + 7

  // The records dropped under rows that were not cleared: backgrounds only.
  (void)session->SwitchScreen(3004);
  const Bitmap dropped = grid->Render();
  ExpectText(dropped, 0, kName, u"", TextAlign::kLeft, kText);
  grid->Clear();
  EXPECT_EQ(grid->ItemCount(), 0);
}

class GridSortTest : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    Show(3004);
    // Three equal prices around a lower one; strengths 95, 60, 150, 100.
    Hit(u"000001", u"A", 5000, {5000, 2, 0, 0, 1, 100, 95}, 0, 50);  // no bids
    Hit(u"000002", u"B", 0, {4000, 2, 0, 0, 1, 100, 60});
    Hit(u"000003", u"C", 5000, {5000, 2, 0, 0, 1, 100, 150});
    Hit(u"000004", u"D", 5020, {5000, 2, 0, 0, 1, 100, 100});
    grid->Refresh(*session, 3004);
  }
};

TEST_F(GridSortTest, HeaderClicksCycleThroughThreeStatesAndEqualRowsKeepTheirOrder) {
  Click(HeaderCentre(kPrice));
  EXPECT_EQ(grid->sort_direction(), 1);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000002", u"000001", u"000003", u"000004"));
  Click(HeaderCentre(kPrice));
  EXPECT_EQ(grid->sort_direction(), -1);
  // Descending reverses the order of keys, not of equal rows.
  EXPECT_THAT(RowCodes(), ElementsAre(u"000001", u"000003", u"000004", u"000002"));
  Click(HeaderCentre(kPrice));
  EXPECT_EQ(grid->sort_direction(), 0);
  EXPECT_EQ(grid->sort_column(), -1);
  EXPECT_EQ(grid->grid_header().sort_column(), -1);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000001", u"000003", u"000004", u"000002"));
  for (int round = 0; round < 3; ++round) {
    Click(HeaderCentre(kPrice));
    Click(HeaderCentre(kPrice));
    EXPECT_THAT(RowCodes(), ElementsAre(u"000001", u"000003", u"000004", u"000002"));
    Click(HeaderCentre(kPrice));
  }

  // 임박: the row with capture price 0 has no finite distance and goes last
  // either way.
  grid->ClickColumn(kImminent);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000001", u"000003", u"000004", u"000002"));
  grid->ClickColumn(kImminent);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000004", u"000001", u"000003", u"000002"));

  // 역상: no bids, no finite ratio: last either way.
  grid->ClickColumn(kReverse);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000004", u"000003", u"000002", u"000001"));
  grid->ClickColumn(kReverse);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000004", u"000003", u"000002", u"000001"));

  // Another column takes the mark; strength sorts by the value shown, not a
  // whole-number quotient (which would tie 60 and 95).
  grid->ClickColumn(kStrength);
  EXPECT_EQ(grid->grid_header().sort_column(), kStrength);
  EXPECT_EQ(grid->grid_header().sort_direction(), 1);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000002", u"000001", u"000004", u"000003"));
  grid->ClickColumn(kName);
  grid->ClickColumn(kName);
  EXPECT_THAT(RowCodes(), ElementsAre(u"000004", u"000003", u"000002", u"000001"));
}

TEST_F(GridSortTest, ChoosingARowTellsTheTopBarWhatTheStockIs) {
  Master(u"000002", u"B");
  Master(u"000003", u"C");
  Master(u"000004", u"D");  // 000001 is not in the master
  Click(CellCentre(1, kPrice));
  ASSERT_EQ(grid->SelectedItem(), 1);
  ASSERT_EQ(top_bar.heard.size(), 1u);
  EXPECT_EQ(UnpackStockCode(static_cast<std::intptr_t>(top_bar.heard[0].first)), u"000002");
  EXPECT_EQ(top_bar.heard[0].second, 3004);
  Click(CellCentre(1, kName));  // again: the top bar hears it again
  EXPECT_EQ(top_bar.heard.size(), 2u);
  SimulateKey(*grid, sys::kVkDown);
  Settle();
  EXPECT_EQ(grid->SelectedItem(), 2);
  ASSERT_EQ(top_bar.heard.size(), 3u);
  EXPECT_EQ(UnpackStockCode(static_cast<std::intptr_t>(top_bar.heard[2].first)), u"000003");
  SimulateKey(*grid, sys::kVkUp);
  SimulateKey(*grid, sys::kVkUp);  // 000001: no master, nothing
  Settle();
  EXPECT_EQ(grid->SelectedItem(), 0);
  EXPECT_EQ(top_bar.heard.size(), 4u);
  Click(CellCentre(0, kName), sys::kRButtonDown, sys::kRButtonUp);
  Click(At({50, 400}));  // below the rows
  EXPECT_EQ(top_bar.heard.size(), 4u);
}

TEST_F(GridSortTest, ABatchOfTheSameListKeepsSelectionSortAndScroll) {
  for (int i = 10; i < 70; ++i)
    Hit(u"0000" + FormatInt(i), u"N" + FormatInt(i), 1000, {1000 + i, 2, 0, 0, i});
  grid->Refresh(*session, 3004);
  ASSERT_EQ(grid->ItemCount(), 64);
  grid->ClickColumn(kVolume);
  grid->ClickColumn(kVolume);  // descending: 000069 first
  grid->SetTopIndex(20);
  grid->SelectItem(25);
  const std::u16string chosen(grid->RowCode(25));
  const std::size_t heard = top_bar.heard.size();

  // A minute later: one new stock, and the chosen one now trades most.
  Hit(u"000099", u"New", 1000, {1000, 2, 0, 0, 35});
  Hit(chosen, u"Chosen", 1000, {1000, 2, 0, 0, 900});
  grid->Refresh(*session, 3004);
  EXPECT_EQ(grid->ItemCount(), 65);
  EXPECT_EQ(grid->sort_column(), kVolume);
  EXPECT_EQ(grid->sort_direction(), -1);
  EXPECT_EQ(grid->RowCode(0), chosen);
  EXPECT_EQ(grid->RowCode(1), u"000069");
  EXPECT_EQ(grid->RowCode(grid->SelectedItem()), chosen);
  EXPECT_EQ(grid->TopIndex(), 20);
  EXPECT_EQ(top_bar.heard.size(), heard);  // nothing new was chosen

  // Another list starts afresh.
  grid->Clear();
  Show(3005);
  grid->Refresh(*session, 3005);
  EXPECT_EQ(grid->ItemCount(), 0);
  EXPECT_EQ(grid->sort_column(), -1);
  EXPECT_EQ(grid->SelectedItem(), -1);
  EXPECT_EQ(grid->TopIndex(), 0);
}

TEST_F(GridPaintTest, ScrolledToTheEndTheLastRowAndColumnShowWholeAboveTheBar) {
  MakeGrid(500, 210);  // nine rows and 11 pixels
  Show(3004);
  for (int i = 0; i < 30; ++i)
    Hit(FormatInt06(100000 + i), u"S" + FormatInt(i), 10000, {10100, 2, 100, 1.0, 0, 200, 250});
  grid->Refresh(*session, 3004);
  ASSERT_TRUE(grid->HorizontalBar().IsVisible());
  grid->SetTopIndex(1000);
  grid->SetScrollX(100000);
  const Bitmap shot = grid->Render();
  ASSERT_TRUE(shot.SavePng(::testing::TempDir() + "grid_scrolled_end.png"));
  const Rect area = grid->RowsArea();
  const Rect last = Cell(29, kStrength);
  EXPECT_EQ(last.right, area.right);
  EXPECT_LE(last.bottom, area.bottom);
  ExpectText(shot, 29, kStrength, u"125.00", TextAlign::kRight, grid_colors::kText);
  // Under the last whole row, above the bar: background, no row in part.
  EXPECT_GT(area.bottom, last.bottom);
  EXPECT_EQ(shot.PixelAt(last.left + 20, area.bottom - 1), kWhite);
  // Mid-list the row that would be cut by the bar is not shown in part.
  grid->SetTopIndex(10);
  const Bitmap mid = grid->Render();
  const Rect cut = Cell(19, kStrength);
  ASSERT_GT(cut.bottom, area.bottom);
  for (int y = cut.top; y < area.bottom; ++y)
    for (int x = cut.left; x < cut.right - 1; ++x) ASSERT_EQ(mid.PixelAt(x, y), kWhite) << x << "," << y;
}

TEST_F(GridPaintTest, ALiveQuoteRepaintsOnlyItsRow) {
  Show(3004);
  for (int i = 0; i < 3000; ++i)
    Hit(FormatInt06(100000 + i), u"S" + FormatInt(i), 1000, {1000 + i % 50, 2, 5, 0.5, i});
  grid->Refresh(*session, 3004);
  ASSERT_EQ(grid->ItemCount(), 3000);
  grid->SetTopIndex(1000);
  Settle();
  grid->painted.clear();
  grid->UpdateNow();
  // Whole rows only: none is cut by the edge below.
  const int in_view = grid->RowsArea().height() / CQZListCtrl::kRowHeight;
  EXPECT_EQ(grid->painted.size(), static_cast<std::size_t>(in_view));

  // A trade of a stock in view: its row alone is painted again.
  grid->painted.clear();
  Dispatch(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>101005</STKCD><DATA>" +
           QuoteText({1234, 5, -10, -0.8, 77}) + u"</DATA></PKT>");
  grid->RedrawRecord(u"101005");
  Settle();
  EXPECT_THAT(grid->painted, ElementsAre(1005));
  const Bitmap shot = grid->Render();
  ExpectText(shot, 1005, kPrice, u"1,234", TextAlign::kRight, grid_colors::kFall);
  // A stock out of view, or gone: nothing.
  grid->painted.clear();
  grid->RedrawRecord(u"102500");
  grid->RedrawRecord(u"999999");
  Settle();
  EXPECT_TRUE(grid->painted.empty());

  // After a reorder, one repaint in the new order and no more.
  Drag(HeaderCentre(kVolume), HeaderCentre(kCode));
  Step(100);
  grid->painted.clear();
  Step(500);
  EXPECT_TRUE(grid->painted.empty());
}

}  // namespace
}  // namespace velloran
