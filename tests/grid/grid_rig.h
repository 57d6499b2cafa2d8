#pragma once
// The screening grid in a host window on the offscreen platform, over a real
// session store fed by the dispatcher, with a stand-in for the top bar that
// keeps the 2026 messages it is posted, and a manual clock for the timers.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/session_data.h"
#include "grid/qz_list_ctrl.h"
#include "net/message_codes.h"
#include "net/text_util.h"
#include "platform/application.h"
#include "platform/event_loop.h"
#include "platform/input_simulation.h"
#include "platform/text_pictures.h"
#include "platform/window_messages.h"
#include "tests/platform/control_host.h"

namespace velloran::grid_testing {

using testing_host::App;
using testing_host::Settle;

inline std::filesystem::path FreshDirectory() {
  std::random_device random;
  auto dir = std::filesystem::temp_directory_path() /
             ("velloran-grid-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(dir);
  return dir;
}

// What the quote of a hit reports; the other fields are 0.
struct Quote {
  int price = 0;
  int sign = 3;
  int change = 0;
  double rate = 0;
  int volume = 0;
  int strength_base = 0;  // position 15
  int strength_part = 0;  // position 17
};

inline std::u16string QuoteText(const Quote& q) {
  std::u16string out;
  for (int pos = 0; pos < CPKT::kFieldCount; ++pos) {
    if (pos > 0) out += u'|';
    switch (pos) {
      case 0:
        out += u"93000";
        break;
      case 1:
        out += FormatInt(q.sign);
        break;
      case 2:
        out += FormatInt(q.change);
        break;
      case 3:
        out += FormatReal2(q.rate);
        break;
      case 4:
        out += FormatInt(q.price);
        break;
      case 13:
        out += FormatInt(q.volume);
        break;
      case 15:
        out += FormatInt(q.strength_base);
        break;
      case 17:
        out += FormatInt(q.strength_part);
        break;
      default:
        out += u"0";
    }
  }
  return out;
}

// Keeps the 2026 messages posted to it.
class TopBarStandIn : public Window {
 public:
  LResult WindowProc(WindowMessage& m) override {
    if (m.message == msg::kSelectStock) {
      heard.emplace_back(m.wparam, m.lparam);
      return 0;
    }
    return Window::WindowProc(m);
  }
  std::vector<std::pair<WParam, LParam>> heard;
};

// The grid, counting the rows it paints.
class CountingGrid : public CQZListCtrl {
 public:
  std::vector<int> painted;

 protected:
  void DrawItem(DrawContext& dc, const ListItemPaint& row) override {
    painted.push_back(row.item);
    CQZListCtrl::DrawItem(dc, row);
  }
};

inline constexpr int kGridId = 127;
inline constexpr Point kGridAt{10, 10};

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UiLoop().SetClock(&clock);
    session->set_market_filter(1);  // the market of the rig's stocks
    ASSERT_TRUE(host.Open(760, 440));
    WindowStyle hidden;
    hidden.visible = false;
    ASSERT_TRUE(top_bar.Create(&host, 9, {0, 0, 1, 1}, u"", hidden));
    MakeGrid();
  }
  void TearDown() override {
    if (grid && grid->IsCreated()) grid->Destroy();
    grid.reset();
    Settle();
    UiLoop().SetClock(nullptr);
  }
  ~GridTest() override {
    session.reset();
    std::filesystem::remove_all(dir);
  }

  // A new grid in the old one's place, as after a restart.
  void MakeGrid(int width = 740, int height = 420) {
    if (grid && grid->IsCreated()) grid->Destroy();
    grid = std::make_unique<CountingGrid>();
    ASSERT_TRUE(grid->Create(&host, kGridId,
                             {kGridAt.x, kGridAt.y, kGridAt.x + width, kGridAt.y + height}));
    grid->SetTopBar(top_bar.handle());
  }

  void Master(const std::u16string& code, const std::u16string& name) {
    session->store().Write()->master[code] =
        std::make_unique<Packet>(u"<PKT><GBN>0</GBN><SHCODE>" + code + u"</SHCODE><HNAME>" + name +
                                 u"</HNAME><MARKET>1</MARKET><KPRC>1000</KPRC></PKT>");
  }
  // A screening hit of the shown screen through the dispatcher.
  void Hit(const std::u16string& code, const std::u16string& name, int capture, const Quote& q,
           int bid_total = 100, int ask_total = 100, const std::u16string& end_date = u"") {
    Dispatch(u"<PKT><GBN>" + FormatInt(session->current_screen()) + u"</GBN><SHCODE>" + code +
             u"</SHCODE><HNAME>" + name + u"</HNAME><MARKET>1</MARKET><PRC>" + FormatInt(capture) +
             u"</PRC><ED_YMD>" + end_date + u"</ED_YMD><CPKT>" + QuoteText(q) + u"</CPKT><BTOT>" +
             FormatInt(bid_total) + u"</BTOT><STOT>" + FormatInt(ask_total) + u"</STOT></PKT>");
  }
  void Dispatch(std::u16string text) {
    Packet p(std::move(text));
    session->Dispatch(p);
  }
  void Show(int screen) { (void)session->SwitchScreen(screen); }

  // Points of the grid in the host's coordinates.
  static Point At(Point p) { return {kGridAt.x + p.x, kGridAt.y + p.y}; }
  Point HeaderCentre(int column) {
    const Rect r = grid->header().ItemRect(column);
    return At({(r.left + r.right) / 2, 10});
  }
  Point CellCentre(int item, int column) {
    const Rect r = grid->SubItemRect(item, column);
    return At({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  void Click(Point p, std::uint32_t down = sys::kLButtonDown, std::uint32_t up = sys::kLButtonUp) {
    SimulateMouse(host, down, p);
    SimulateMouse(host, up, p);
    Settle();
  }
  void Drag(Point from, Point to) {
    SimulateMouse(host, sys::kLButtonDown, from);
    SimulateMouse(host, sys::kMouseMove, {(from.x + to.x) / 2, from.y}, sys::kLButtonFlag);
    SimulateMouse(host, sys::kMouseMove, to, sys::kLButtonFlag);
    SimulateMouse(host, sys::kLButtonUp, to);
    Settle();
  }
  void Step(int ms) {
    UiLoop().Advance(clock, std::chrono::milliseconds(ms));
    Settle();
  }
  std::vector<std::u16string> Titles() {
    std::vector<std::u16string> out;
    for (int i = 0; i < grid->ColumnCount(); ++i) out.push_back(grid->header().Item(i)->title);
    return out;
  }
  // Titles in the order the user sees them.
  std::vector<std::u16string> ShownTitles() {
    std::vector<std::u16string> out;
    for (const int i : grid->ColumnOrder()) out.push_back(grid->header().Item(i)->title);
    return out;
  }
  std::vector<std::u16string> RowCodes() {
    std::vector<std::u16string> out;
    for (int i = 0; i < grid->ItemCount(); ++i) out.emplace_back(grid->RowCode(i));
    return out;
  }

  Application& app_ = App();  // before the windows
  ManualClock clock;
  std::filesystem::path dir = FreshDirectory();
  std::unique_ptr<CSessionData> session =
      std::make_unique<CSessionData>(SessionOptions{dir, &clock, nullptr});
  testing_host::ControlHost host;
  TopBarStandIn top_bar;
  std::unique_ptr<CountingGrid> grid;
};

// A cell as the grid must paint it: its background, and the text drawn as
// the list draws cell text (6 pixels in from either side).
inline Bitmap ExpectedCell(const Rect& cell, const std::u16string& text, TextAlign align,
                           Color color, Color background) {
  Bitmap b(cell.width(), cell.height(), background);
  DrawContext dc(b);
  dc.SetFont(Font::Points(u"굴림", 9));
  dc.SetTransparentBackground(true);
  TextPictures pictures;
  pictures.Draw(dc, text, {6, 0, cell.width() - 6, cell.height()}, align, color, background);
  dc.Finish();
  return b;
}

// The pixels of a cell of a rendered grid that differ from the expected
// ones, less the cell's last column and row (the grid lines).
inline int DifferingPixels(const Bitmap& shot, const Rect& cell, const Bitmap& expected) {
  int n = 0;
  for (int y = 0; y < cell.height() - 1; ++y)
    for (int x = 0; x < cell.width() - 1; ++x)
      n += shot.PixelAt(cell.left + x, cell.top + y) != expected.PixelAt(x, y);
  return n;
}

}  // namespace velloran::grid_testing
