// The grid against the demo market on 127.0.0.1: a real session socket and
// dispatcher, with a stand-in for the work area that does what the work area
// does for the grid (the first search, a refresh per batch, a row repaint per
// live quote). One row per record after the first batch, live quotes that
// repaint only their rows, a chosen row told to the top bar, and a dragged
// column found in its place after a restart.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "net/decoder.h"
#include "net/session_driver.h"
#include "net/stock_code.h"
#include "server/demo_server.h"
#include "tests/grid/grid_rig.h"

namespace velloran {
namespace {

using namespace grid_testing;
using std::chrono::milliseconds;
using testing_host::RunUntil;

// What the work area does for the grid, and no more.
class WorkAreaStandIn : public Window {
 public:
  explicit WorkAreaStandIn(CSessionData& session) : session_(session) {}

  LResult WindowProc(WindowMessage& m) override {
    if (m.message != msg::kNotify) return Window::WindowProc(m);
    switch (static_cast<int>(m.wparam)) {
      case code::kHello:  // the first login: the reverse screen (shown from the start), searched
        Research();
        break;
      case code::kScreenRequest:
        ++batches;
        grid.Refresh(session_, session_.current_screen());
        break;
      case code::kRealtime: {
        const std::u16string code = UnpackStockCode(m.lparam);
        quoted.insert(code);
        grid.RedrawRecord(code);
        break;
      }
      default:
        break;
    }
    return 0;
  }
  void Research() {
    Packet p(code::kScreenRequest);
    p.AddText(u"P_SHCODES", u"");
    p.AddInt(u"IDX", session_.current_screen());
    p.AddInt(u"MARKET", session_.market_filter());
    p.AddInt(u"CHK", session_.screening_check());
    (void)session_.Send(p);
  }

  CountingGrid grid;
  int batches = 0;
  std::set<std::u16string> quoted;

 protected:
  int OnCreate() override {
    const Rect r = ClientRect();
    return grid.Create(this, kGridId, r) ? 0 : -1;
  }

 private:
  CSessionData& session_;
};

struct DemoRig {
  DemoRig() {
    server::ServerOptions o;
    o.stocks = 400;
    o.speed = 0;  // the market moves when the test says
    market = std::make_unique<server::DemoServer>(o);
    std::string error;
    EXPECT_TRUE(market->Start(error)) << error;
    EXPECT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
    session.set_display_mode(1);   // grid
    session.set_market_filter(0);  // both markets
    EXPECT_TRUE(host.Open(800, 520));
    WindowStyle hidden;
    hidden.visible = false;
    EXPECT_TRUE(top_bar.Create(&host, 9, {0, 0, 1, 1}, u"", hidden));
    OpenWorkArea();
    driver = std::make_unique<CSessionDriver>(
        UiLoop(), session, SessionEndpoint{u"127.0.0.1", market->session_port(), u"demo"});
    driver->Start();
  }
  ~DemoRig() {
    driver.reset();
    session.SetWindows({});
    if (work) work->Destroy();
    market->Stop();
    UiLoop().SetClock(nullptr);
    Settle();
    std::filesystem::remove_all(dir);
  }
  // A new work area (and grid), as after a restart of the program.
  void OpenWorkArea() {
    if (work) work->Destroy();
    work = std::make_unique<WorkAreaStandIn>(session);
    EXPECT_TRUE(work->Create(&host, 1, {10, 10, 790, 510}, u""));
    work->grid.SetTopBar(top_bar.handle());
    session.SetWindows({host.handle(), {}, work->handle(), top_bar.handle()});
  }
  void Step(milliseconds d) {
    UiLoop().Advance(clock, d);
    Settle();
  }
  [[nodiscard]] std::size_t Records() const { return session.Read()->records.size(); }

  Application& app = App();
  ManualClock clock;
  bool clock_set = (UiLoop().SetClock(&clock), true);
  std::filesystem::path dir = FreshDirectory();
  std::unique_ptr<server::DemoServer> market;
  CDecoder decoder;
  CSessionData session{SessionOptions{dir, nullptr, &decoder}};
  testing_host::ControlHost host;
  TopBarStandIn top_bar;
  std::unique_ptr<WorkAreaStandIn> work;
  std::unique_ptr<CSessionDriver> driver;
};

TEST(GridDemoTest, RowsOfTheDemoMarketLiveAndALayoutThatOutlivesARestart) {
  DemoRig rig;
  rig.Step(milliseconds(1100));  // the worker, then the connect
  ASSERT_TRUE(RunUntil([&] { return rig.work->batches > 0; }, 20000));
  // The stock master may still be arriving: a row is announced once it is there.
  ASSERT_TRUE(RunUntil([&] { return rig.session.Read()->master.size() == 400; }, 20000));
  CountingGrid& grid = rig.work->grid;
  EXPECT_EQ(grid.list_id(), code::kScreenReverse);
  ASSERT_GT(rig.Records(), 0u);
  EXPECT_EQ(static_cast<std::size_t>(grid.ItemCount()), rig.Records());
  {
    // One row per record, each its own stock.
    const auto data = rig.session.Read();
    std::set<std::u16string> codes;
    for (int i = 0; i < grid.ItemCount(); ++i) codes.emplace(grid.RowCode(i));
    EXPECT_EQ(codes.size(), data->records.size());
    for (const auto& code : codes) EXPECT_NE(data->FindRecord(code), nullptr);
  }

  // The market trades (within the first minute, which brings no new batch):
  // each live quote repaints its own row, no other.
  Settle();
  grid.painted.clear();
  rig.work->quoted.clear();
  const int batches_before = rig.work->batches;
  for (int s = 0; s < 15 && rig.work->quoted.empty(); ++s) {
    rig.market->Advance(3);
    RunUntil([&] { return !rig.work->quoted.empty(); }, 500);
  }
  ASSERT_FALSE(rig.work->quoted.empty());
  Settle();
  ASSERT_EQ(rig.work->batches, batches_before);
  for (const int item : grid.painted)
    EXPECT_EQ(rig.work->quoted.count(std::u16string(grid.RowCode(item))), 1u)
        << "row " << item << " was painted without a quote of its stock";

  // Sorted by volume, a row chosen: the top bar hears of its stock.
  grid.ClickColumn(6);  // 거래량
  grid.ClickColumn(6);
  const Rect cell = grid.SubItemRect(1, 1);
  const Point at{10 + (cell.left + cell.right) / 2, 10 + (cell.top + cell.bottom) / 2};
  SimulateMouse(rig.host, sys::kLButtonDown, at);
  SimulateMouse(rig.host, sys::kLButtonUp, at);
  Settle();
  ASSERT_EQ(rig.top_bar.heard.size(), 1u);
  EXPECT_EQ(UnpackStockCode(static_cast<std::intptr_t>(rig.top_bar.heard[0].first)),
            grid.RowCode(1));
  EXPECT_EQ(rig.top_bar.heard[0].second, code::kScreenReverse);

  // 종목코드 dragged behind 종목명; a second later the layout is on disk, and
  // a new grid shows it at the next batch.
  const Rect code_cell = grid.header().ItemRect(0);
  const Rect name_cell = grid.header().ItemRect(1);
  const Point from{10 + (code_cell.left + code_cell.right) / 2, 20};
  const Point to{10 + name_cell.right - 5, 20};
  SimulateMouse(rig.host, sys::kLButtonDown, from);
  SimulateMouse(rig.host, sys::kMouseMove, {(from.x + to.x) / 2, 20}, sys::kLButtonFlag);
  SimulateMouse(rig.host, sys::kMouseMove, to, sys::kLButtonFlag);
  SimulateMouse(rig.host, sys::kLButtonUp, to);
  Settle();
  const std::vector<int> order = grid.ColumnOrder();
  ASSERT_EQ(order[0], 1);
  ASSERT_EQ(order[1], 0);
  rig.Step(milliseconds(1000));
  ASSERT_TRUE(std::filesystem::exists(rig.dir / "grid_0_3007.grd"));

  rig.OpenWorkArea();
  const int batches = rig.work->batches;
  rig.work->Research();
  ASSERT_TRUE(RunUntil([&] { return rig.work->batches > batches; }, 10000));
  EXPECT_EQ(rig.work->grid.ColumnOrder(), order);
  EXPECT_EQ(static_cast<std::size_t>(rig.work->grid.ItemCount()), rig.Records());

  // A quarter of an hour on, the user switches to 박스권: its own columns,
  // one row per record, kept live; sorted by rate, highest first.
  rig.market->Advance(900);
  // The quarter hour's batches of 현재역상 are all in before the switch (a
  // batch's end does not say whose it is).
  ASSERT_TRUE(RunUntil(
      [&] { return rig.driver->Status().packets_received == rig.market->Stats().packets_sent; },
      10000));
  Settle();
  CountingGrid& box = rig.work->grid;
  box.Clear();
  (void)rig.session.SwitchScreen(code::kScreenBoxRange);
  rig.work->Research();
  ASSERT_TRUE(RunUntil(
      [&] {
        return box.list_id() == code::kScreenBoxRange && box.ItemCount() > 3 &&
               static_cast<std::size_t>(box.ItemCount()) == rig.Records();
      },
      10000));
  EXPECT_EQ(box.ColumnCount(), 10);
  rig.market->Advance(20);
  RunUntil([] { return false; }, 300);
  box.ClickColumn(6);  // 등락률
  box.ClickColumn(6);
  const Rect second = box.SubItemRect(2, 1);
  const Point click{10 + second.left + 5, 10 + second.top + 5};
  SimulateMouse(rig.host, sys::kLButtonDown, click);
  SimulateMouse(rig.host, sys::kLButtonUp, click);
  Settle();
  const Bitmap shot = rig.work->Render();
  ASSERT_TRUE(shot.SavePng(::testing::TempDir() + "grid_demo.png"));
}

}  // namespace
}  // namespace velloran
