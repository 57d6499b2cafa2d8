// The report list and its header under the offscreen platform, worked with
// the mouse as a user would: header drags and divider drags, owner-drawn
// rows, scrolling through 3,000 rows, rows coming and going around the
// selection.

#include <gtest/gtest.h>

#include "platform/input_simulation.h"
#include "platform/list_ctrl.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using namespace testing_host;

constexpr int kListId = 700;
constexpr Point kListAt{10, 10};

// Keeps every notification of the list with its details.
class ListHost : public ControlHost {
 public:
  LResult WindowProc(WindowMessage& m) override {
    if (m.message == sys::kNotify && list != nullptr && static_cast<int>(m.wparam) == kListId) {
      notes.push_back(list->notification());
      if (on_note) on_note(notes.back());
      return 1;
    }
    return ControlHost::WindowProc(m);
  }
  [[nodiscard]] int CountOf(int code) const {
    int n = 0;
    for (const ListNotification& note : notes) n += note.code == code;
    return n;
  }
  ListCtrl* list = nullptr;
  std::vector<ListNotification> notes;
  std::function<void(const ListNotification&)> on_note;
};

// An owner-drawn list that notes what it was asked to paint.
class PaintedList : public ListCtrl {
 public:
  using ListCtrl::ListCtrl;
  struct Painted {
    int item;
    Rect rect;
    std::vector<Rect> cells;
    bool highlighted;
  };
  std::vector<Painted> painted;

 protected:
  void DrawItem(DrawContext& dc, const ListItemPaint& row) override {
    painted.push_back({row.item, row.rect, {row.cells.begin(), row.cells.end()}, row.highlighted});
    dc.FillRect(row.rect, row.highlighted ? Rgb(253, 239, 243) : Rgb(255, 255, 255));
  }
};

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host.Open(520, 420)); }
  void TearDown() override { Settle(); }
  // Creates the list at kListAt with four columns like the grid's first ones.
  void Build(ListCtrl& list, int width, int height) {
    host.list = &list;
    ASSERT_TRUE(list.Create(&host, kListId,
                            {kListAt.x, kListAt.y, kListAt.x + width, kListAt.y + height}, u""));
    list.InsertColumn(0, {u"종목코드", 60, ColumnAlign::kCenter});
    list.InsertColumn(1, {u"종목명", 100, ColumnAlign::kLeft});
    list.InsertColumn(2, {u"임박", 35, ColumnAlign::kCenter, true});
    list.InsertColumn(3, {u"현재가", 80, ColumnAlign::kRight});
  }
  // A point of the list in the host's coordinates.
  static Point At(int x, int y) { return {kListAt.x + x, kListAt.y + y}; }
  void Drag(Point from, Point to) {
    SimulateMouse(host, sys::kLButtonDown, from);
    SimulateMouse(host, sys::kMouseMove, {(from.x + to.x) / 2, (from.y + to.y) / 2},
                  sys::kLButtonFlag);
    SimulateMouse(host, sys::kMouseMove, to, sys::kLButtonFlag);
    SimulateMouse(host, sys::kLButtonUp, to);
  }
  Application& app_ = App();  // before the windows
  ListHost host;
};

TEST_F(ListTest, HeaderDragReordersColumnsAndDividersResizeAllButFixedOnes) {
  ListStyle style;
  style.header_drag_drop = true;
  ListCtrl list(style);
  Build(list, 400, 200);
  int data = 0;
  list.header().SetItemData(1, &data);

  // "종목코드" (position 0) dropped on "임박" (position 2).
  Drag(At(30, 10), At(170, 10));
  EXPECT_EQ(list.ColumnOrder(), (std::vector<int>{1, 2, 0, 3}));
  ASSERT_EQ(host.CountOf(header_notify::kBeginDrag), 1);
  ASSERT_EQ(host.CountOf(header_notify::kEndDrag), 1);
  EXPECT_EQ(host.notes.back().header.item, 0);
  EXPECT_EQ(host.notes.back().header.position, 2);
  EXPECT_EQ(host.CountOf(header_notify::kItemClick), 0);  // a drag is no click
  // The cells follow the display order: 종목명 first, then 임박, then 종목코드.
  EXPECT_EQ(list.header().ItemRect(1), (Rect{0, 0, 100, 20}));
  EXPECT_EQ(list.SubItemRect(0, 0), Rect{});  // no rows yet
  list.InsertItem(0, u"005930");
  EXPECT_EQ(list.SubItemRect(0, 0), (Rect{135, 20, 195, 38}));
  EXPECT_EQ(list.header().Item(1)->data, &data);  // the data travels with its column

  // Back to the front by dragging it leftwards onto 종목명.
  Drag(At(160, 10), At(10, 10));
  EXPECT_EQ(list.ColumnOrder(), (std::vector<int>{0, 1, 2, 3}));

  // The divider after 종목명 (x 160) dragged 30 pixels right.
  host.notes.clear();
  Drag(At(160, 10), At(190, 10));
  EXPECT_EQ(list.ColumnWidth(1), 130);
  EXPECT_EQ(host.CountOf(header_notify::kBeginTrack), 1);
  EXPECT_GE(host.CountOf(header_notify::kItemChanged), 1);
  ASSERT_EQ(host.CountOf(header_notify::kEndTrack), 1);
  EXPECT_EQ(host.notes.back().header.width, 130);
  EXPECT_EQ(list.SubItemRect(0, 3).left, 225);  // the columns to the right moved along
  // The fixed column's divider (x 225) does not move; without drag and drop a
  // press and release on a cell is a column click.
  host.notes.clear();
  list.header().EnableDragDrop(false);
  Drag(At(223, 10), At(260, 10));
  EXPECT_EQ(list.ColumnWidth(2), 35);
  EXPECT_EQ(host.CountOf(header_notify::kBeginTrack), 0);
  SimulateMouse(host, sys::kLButtonDown, At(250, 10));
  SimulateMouse(host, sys::kLButtonUp, At(250, 10));
  ASSERT_EQ(host.CountOf(header_notify::kItemClick), 1);
  EXPECT_EQ(host.notes.back().header.item, 3);
  // A display order that is not a permutation is refused.
  EXPECT_FALSE(list.SetColumnOrder({0, 0, 1, 2}));
  EXPECT_FALSE(list.SetColumnOrder({0, 1, 2}));
  EXPECT_TRUE(list.SetColumnOrder({3, 2, 1, 0}));
  EXPECT_EQ(list.header().PositionOf(3), 0);
}

TEST_F(ListTest, OwnerDrawnRowsGetTheirCellsAndOnlyRowsInViewArePainted) {
  ListStyle style;
  style.show_selection_always = true;
  PaintedList list(style);
  Build(list, 300, 200);  // 180 pixels of rows: 10 rows of 18
  int records[3000];
  for (int i = 0; i < 3000; ++i) list.InsertItem(i, u"", &records[i]);
  list.SetColumnOrder({1, 0, 2, 3});
  list.SelectItem(2);
  list.painted.clear();
  (void)list.Render();
  ASSERT_EQ(list.painted.size(), 10u);
  EXPECT_EQ(list.painted.front().item, 0);
  EXPECT_EQ(list.painted.back().item, 9);
  const auto& row2 = list.painted[2];
  EXPECT_TRUE(row2.highlighted);
  EXPECT_FALSE(list.painted[1].highlighted);
  // The vertical bar takes 17 pixels: rows end at 283, the header's right edge
  // is 275, so the row reaches the area's edge.
  EXPECT_EQ(row2.rect, (Rect{0, 56, 283, 74}));
  ASSERT_EQ(row2.cells.size(), 4u);
  EXPECT_EQ(row2.cells[1], (Rect{0, 56, 100, 74}));  // shown first
  EXPECT_EQ(row2.cells[0], (Rect{100, 56, 160, 74}));
  EXPECT_EQ(row2.cells[2], (Rect{160, 56, 195, 74}));
  EXPECT_EQ(row2.cells[3], (Rect{195, 56, 275, 74}));
  EXPECT_TRUE(list.VerticalBar().IsVisible());
  EXPECT_FALSE(list.HorizontalBar().IsVisible());

  // One wheel notch scrolls three rows; the bar's lower arrow one more.
  list.Send(sys::kMouseWheel, sys::MakeWParam(0, -120), sys::MakeLParam(50, 50));
  EXPECT_EQ(list.TopIndex(), 3);
  SimulateMouse(host, sys::kLButtonDown, At(290, 195));
  SimulateMouse(host, sys::kLButtonUp, At(290, 195));
  EXPECT_EQ(list.TopIndex(), 4);
  list.painted.clear();
  (void)list.Render();
  ASSERT_EQ(list.painted.size(), 10u);
  EXPECT_EQ(list.painted.front().item, 4);
  EXPECT_EQ(list.painted.front().rect.top, 20);
  // The thumb dragged to the bottom shows the last full page.
  const Point bar_at = list.ScreenToClient(list.VerticalBar().ClientToScreen({0, 0}));
  const Rect thumb = list.VerticalBar().ThumbRect().Offset(bar_at.x, bar_at.y);
  Drag(At(290, thumb.top + 2), At(290, 400));
  EXPECT_EQ(list.TopIndex(), 2990);
  list.painted.clear();
  (void)list.Render();
  ASSERT_EQ(list.painted.size(), 10u);
  EXPECT_EQ(list.painted.back().item, 2999);
  // A click on a row in view selects it by its place on the screen.
  SimulateMouse(host, sys::kLButtonDown, At(50, 20 + 18 * 5 + 3));
  SimulateMouse(host, sys::kLButtonUp, At(50, 20 + 18 * 5 + 3));
  EXPECT_EQ(list.SelectedItem(), 2995);
  EXPECT_EQ(list.ItemData(2995), &records[2995]);
  ASSERT_FALSE(host.notes.empty());
  EXPECT_EQ(host.notes.back().code, list_notify::kClick);
  EXPECT_EQ(host.notes.back().sub_item, 1);  // x 50 lies in 종목명, shown first

  // Narrowed below the columns' width, a horizontal bar appears and moves the cells.
  list.Move({kListAt.x, kListAt.y, kListAt.x + 200, kListAt.y + 200});
  ASSERT_TRUE(list.HorizontalBar().IsVisible());
  list.SetScrollX(40);
  list.painted.clear();
  (void)list.Render();
  ASSERT_FALSE(list.painted.empty());
  EXPECT_EQ(list.painted.front().cells[1].left, -40);
  EXPECT_EQ(list.header().ItemRect(1).left, -40);
  // 163 pixels of rows: nine whole ones; the strip under them shows no row
  // cut by the bar and takes no click.
  EXPECT_EQ(list.painted.size(), 9u);
  EXPECT_EQ(list.HitTestItem({20, list.RowsArea().bottom - 1}).item, -1);
}

TEST_F(ListTest, ARowRedrawnAlonePaintsThatRowAlone) {
  PaintedList list;
  Build(list, 300, 200);
  int records[100];
  for (int i = 0; i < 100; ++i) list.InsertItem(i, u"", &records[i]);
  list.SetTopIndex(20);
  Settle();
  list.painted.clear();
  list.RedrawItem(24);
  list.RedrawItem(90);  // out of view
  Settle();
  ASSERT_EQ(list.painted.size(), 1u);
  EXPECT_EQ(list.painted[0].item, 24);
  EXPECT_EQ(list.painted[0].rect.top, 20 + 4 * 18);
  // A paint of the whole window still paints every row in view.
  list.painted.clear();
  (void)list.Render();
  EXPECT_EQ(list.painted.size(), 10u);
}

TEST_F(ListTest, RowsInsertedAndDeletedAroundTheSelectionKeepItAndTheirData) {
  ListCtrl list;
  Build(list, 300, 200);
  int a = 1, b = 2, c = 3, d = 4;
  list.InsertItem(0, u"A", &a);
  list.InsertItem(1, u"C", &c);
  list.InsertItem(1, u"B", &b);   // between A and C
  list.InsertItem(99, u"D", &d);  // past the end: appended
  ASSERT_EQ(list.ItemCount(), 4);
  EXPECT_EQ(list.ItemText(1, 0), u"B");
  EXPECT_EQ(list.ItemData(3), &d);
  EXPECT_EQ(list.FindItem(&c), 2);
  EXPECT_TRUE(list.SetItemText(2, 3, u"10,100"));
  EXPECT_FALSE(list.SetItemText(2, 4, u"no such column"));

  // Texts are painted from a cache after their first paint: the picture stays
  // what a fresh list paints, also for a text first seen cut by the edge.
  const auto same = [](const Bitmap& x, const Bitmap& y) {
    for (int py = 0; py < x.height(); ++py)
      for (int px = 0; px < x.width(); ++px)
        if (x.PixelAt(px, py) != y.PixelAt(px, py)) return false;
    return x.size() == y.size();
  };
  list.Move({kListAt.x, kListAt.y, kListAt.x + 200, kListAt.y + 97});
  list.SetScrollX(50);
  EXPECT_TRUE(list.SetItemText(1, 3, u"20,200"));  // ends past the right edge
  EXPECT_TRUE(list.SetItemText(3, 1, u"가나다"));  // cut by the horizontal bar
  (void)list.Render();
  list.Move({kListAt.x, kListAt.y, kListAt.x + 300, kListAt.y + 200});
  EXPECT_EQ(list.ScrollX(), 0);
  (void)list.Render();
  ListCtrl twin;
  ASSERT_TRUE(twin.Create(&host, 0, {0, 210, 300, 410}, u""));
  for (int c = 0; c < 4; ++c) twin.InsertColumn(c, *list.header().Item(c));
  for (int i = 0; i < 4; ++i) {
    twin.InsertItem(i, list.ItemText(i, 0));
    for (int c = 1; c < 4; ++c) twin.SetItemText(i, c, list.ItemText(i, c));
  }
  const Bitmap fresh = twin.Render();
  EXPECT_TRUE(same(list.Render(), fresh));
  int inked = 0;
  for (int x = 195; x < 275; ++x)  // "20,200" in 현재가 of row 1
    for (int y = 38; y < 56; ++y) inked += fresh.PixelAt(x, y) != list.colors().background;
  EXPECT_GT(inked, 10);
  twin.Destroy();

  // Clicking C selects it; clicking B moves the selection: one change loses
  // it, one gains it.
  SimulateMouse(host, sys::kLButtonDown, At(30, 20 + 18 * 2 + 5));
  SimulateMouse(host, sys::kLButtonUp, At(30, 20 + 18 * 2 + 5));
  ASSERT_EQ(list.SelectedItem(), 2);
  host.notes.clear();
  SimulateMouse(host, sys::kLButtonDown, At(30, 20 + 18 + 5));
  SimulateMouse(host, sys::kLButtonUp, At(30, 20 + 18 + 5));
  ASSERT_EQ(host.CountOf(list_notify::kItemChanged), 2);
  EXPECT_EQ(host.notes[0].item, 2);
  EXPECT_TRUE(host.notes[0].old_state & list_state::kSelected);
  EXPECT_FALSE(host.notes[0].new_state & list_state::kSelected);
  EXPECT_EQ(host.notes[1].item, 1);
  EXPECT_TRUE(host.notes[1].new_state & list_state::kSelected);
  EXPECT_EQ(host.notes[2].code, list_notify::kClick);

  list.InsertItem(0, u"Z", nullptr);  // before the selection: it moves down with B
  EXPECT_EQ(list.SelectedItem(), 2);
  EXPECT_EQ(list.ItemData(list.SelectedItem()), &b);
  list.DeleteItem(0);
  EXPECT_EQ(list.SelectedItem(), 1);
  list.DeleteItem(3);  // after it: no change
  EXPECT_EQ(list.SelectedItem(), 1);
  EXPECT_EQ(list.ItemData(1), &b);
  list.DeleteItem(1);  // the selected row itself
  EXPECT_EQ(list.SelectedItem(), -1);
  EXPECT_EQ(list.ItemCount(), 2);
  EXPECT_EQ(list.ItemData(1), &c);
  EXPECT_FALSE(list.DeleteItem(2));
  EXPECT_FALSE(list.DeleteItem(-1));
  // A click below the last row clears the selection and reports no item.
  list.SelectItem(0);
  SimulateMouse(host, sys::kLButtonDown, At(30, 150));
  SimulateMouse(host, sys::kLButtonUp, At(30, 150));
  EXPECT_EQ(list.SelectedItem(), -1);
  EXPECT_EQ(host.notes.back().code, list_notify::kClick);
  EXPECT_EQ(host.notes.back().item, -1);

  // Sorting: the selection follows its row; rows comparing 0 keep their order;
  // a comparison that answers -1 both ways (equal keys) still ends in order.
  int keys[50];
  list.DeleteAllItems();
  for (int i = 0; i < 50; ++i) {
    keys[i] = (i * 37) % 50;
    list.InsertItem(i, u"", &keys[i]);
  }
  list.SelectItem(10);  // key 20
  list.SortItems(
      [](void* x, void* y) { return *static_cast<int*>(x) > *static_cast<int*>(y) ? 1 : -1; });
  for (int i = 0; i < 50; ++i) EXPECT_EQ(*static_cast<int*>(list.ItemData(i)), i);
  EXPECT_EQ(list.SelectedItem(), 20);
  list.SortItems([](void*, void*) { return 0; });
  EXPECT_EQ(*static_cast<int*>(list.ItemData(7)), 7);
  list.SortItems([](void*, void*) { return -1; });  // contradicts itself
  EXPECT_EQ(list.ItemCount(), 50);

  // The parent may delete rows while it hears of a selection change.
  host.on_note = [&](const ListNotification& note) {
    if (note.code == list_notify::kItemChanged && (note.old_state & list_state::kSelected))
      list.DeleteAllItems();
  };
  list.SelectItem(list.SelectedItem() == 49 ? 48 : 49);
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(list.SelectedItem(), -1);
  host.on_note = nullptr;
}

}  // namespace
}  // namespace velloran
