// The trader's habits in the main frame against the demo market: an alarm
// that reaches a desktop notification service while the window is behind
// another and comes back after a restart, and the grid's copy, context menu
// and export.

#include "app/frame_habits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/alarm_day_file.h"
#include "app/stock_menu.h"
#include "grid/qz_view.h"
#include "grid/top_bar.h"
#include "net/text_util.h"
#include "net/utf8.h"
#include "platform/clipboard.h"
#include "platform/context_menu.h"
#include "platform/control_codes.h"
#include "platform/desktop_notifier.h"
#include "platform/file_replace.h"
#include "platform/input_simulation.h"
#include "platform/window_events.h"
#include "tests/app/frame_rig.h"
#include "tests/platform/notification_bus.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::DemoMarket;
using testing::FrameRig;
using testing_host::RunUntil;

TEST(FrameAlarmHabitsTest, AnAlarmBehindAnotherWindowReachesTheDesktopAndSurvivesARestart) {
  testing_host::App();
  testing_bus::PrivateBus bus;
  if (!bus.running()) GTEST_SKIP() << "no dbus-daemon here";
  testing_bus::NotificationService service(bus.address());
  ASSERT_TRUE(service.registered());
  // Without a bus there is nothing to hand a notification to, and no fault.
  EXPECT_FALSE(DesktopNotifier("unix:path=/nonexistent/bus").Notify(u"s", u"b"));

  DemoMarket market{{}, 300, /*alarm_now=*/true};
  FrameRig rig{market.endpoint()};
  ASSERT_TRUE(rig.frame.CreateFrame(testing::kLargeWork, testing::kLargeScreen));
  rig.frame.ShowNormal();
  rig.frame.alarms().SetNotifier(std::make_unique<DesktopNotifier>(bus.address()));
  // Another program's window in front.
  Window other;
  WindowStyle top;
  top.kind = WindowKind::kTopLevel;
  ASSERT_TRUE(other.Create(nullptr, 0, {0, 0, 200, 100}, u"other", top));
  other.Activate();
  ASSERT_TRUE(RunUntil([&] { return !rig.frame.IsInActiveWindow(); }));

  rig.Step(milliseconds(1100));  // the session starts; the market makes an alarm reach
  CAlarmCenter& alarms = rig.frame.alarms();
  ASSERT_TRUE(RunUntil([&] { return alarms.book().waiting() >= 1; }, 10000));
  ASSERT_TRUE(RunUntil([&] { return !service.seen().empty(); }, 5000));
  const ReachedAlarm reached = alarms.book().entries().front();
  const auto note = service.seen().front();
  EXPECT_EQ(note.app, "Velloran");
  EXPECT_EQ(note.icon, "velloran");
  EXPECT_TRUE(note.summary.contains(QString::fromStdU16String(reached.name)));
  EXPECT_TRUE(note.summary.contains(QString::fromStdU16String(reached.code)));
  EXPECT_TRUE(note.body.contains(QString::fromStdU16String(u"알람가 " + FormatNumber(reached.alarm_price))));
  EXPECT_TRUE(note.body.contains(QString::fromStdU16String(u"현재가 " + FormatNumber(reached.price_now))));
  alarms.Acknowledge(0);

  // A restart on the same trading day: a new frame over the same settings.
  rig.frame.Destroy();
  other.Destroy();
  CMainFrame again(rig.session, market.endpoint());
  ASSERT_TRUE(again.CreateFrame(testing::kLargeWork, testing::kLargeScreen));
  rig.Step(milliseconds(1100));
  ASSERT_FALSE(again.alarms().book().entries().empty());
  const ReachedAlarm back = again.alarms().book().entries().front();
  EXPECT_EQ(back.code, reached.code);
  EXPECT_EQ(back.alarm_price, reached.alarm_price);
  EXPECT_TRUE(back.acknowledged);
  again.Destroy();
}

class FrameGridHabitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHandler([this](const std::u16string& text) { notices.push_back(text); });
    SetContextMenuChooser([this](const MenuEntries& entries) {
      offered = entries;
      return choice;
    });
    ASSERT_TRUE(rig.frame.CreateFrame(testing::kLargeWork, testing::kLargeScreen));
    rig.frame.ShowNormal();
    rig.Step(milliseconds(1100));
    rig.frame.top_bar().Send(sys::kCommand,
                             sys::MakeWParam(CTopBar::kGridId, ctl::kButtonClicked), 0);
    ASSERT_TRUE(RunUntil([&] { return view().grid().ItemCount() > 2; }, 10000));
    testing_host::Settle();
  }
  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    SetContextMenuChooser(nullptr);
  }
  CQZView& view() { return dynamic_cast<CQZView&>(rig.frame.qz_view()); }
  // A press of the right button on a row of the grid, in frame coordinates.
  void RightClickRow(int item) {
    CQZListCtrl& grid = view().grid();
    const Rect r = grid.SubItemRect(item, 1);
    const Point at = rig.frame.ScreenToClient(grid.ClientToScreen({r.left + 4, r.top + 4}));
    SimulateMouse(rig.frame, sys::kRButtonDown, at);
    SimulateMouse(rig.frame, sys::kRButtonUp, at);
    testing_host::Settle();
  }

  DemoMarket market{{}, 300};
  FrameRig rig{market.endpoint()};
  std::vector<std::u16string> notices;
  MenuEntries offered;
  int choice = 0;
};

TEST_F(FrameGridHabitsTest, TheRowMenuCopiesAndTheKeysCopyAndExport) {
  CQZListCtrl& grid = view().grid();
  const std::u16string code(grid.RowCode(1));
  // The menu offers copy, the replay, the charts and the export, for the row pressed.
  choice = kCopyStockCommand;
  RightClickRow(1);
  ASSERT_EQ(offered.size(), StockMenuEntries(true).size());
  EXPECT_EQ(grid.SelectedItem(), 1);
  const std::u16string copied = ClipboardText();
  EXPECT_TRUE(copied.starts_with(code + u"\t")) << Utf16ToUtf8(copied);
  EXPECT_GT(std::count(copied.begin(), copied.end(), u'\t'), 3);
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(RenderContextMenu(offered).SavePng(std::string(pictures) + "/context_menu.png"));
  }
  ASSERT_TRUE(RenderContextMenu(offered).SavePng(::testing::TempDir() + "context_menu.png"));

  // The charts of that stock: it is picked.
  choice = kChartsCommand;
  RightClickRow(2);
  rig.Step(milliseconds(100));
  ASSERT_FALSE(rig.session.recent().empty());
  EXPECT_EQ(rig.session.recent().back()->GetText(u"SHCODE", u""), grid.RowCode(2));

  // Ctrl+C on the grid copies the selected row; Ctrl+C on the book its stock.
  SetClipboardText(u"");
  SimulateKey(grid, 'C', 0, sys::kControlFlag);
  testing_host::Settle();
  EXPECT_TRUE(ClipboardText().starts_with(std::u16string(grid.RowCode(grid.SelectedItem())) + u"\t"));
  SimulateKey(rig.frame.hoga_view(), 'C', 0, sys::kControlFlag);
  testing_host::Settle();
  EXPECT_TRUE(ClipboardText().starts_with(std::u16string(grid.RowCode(2)) + u"\t"));
  SimulateKey(grid, 'C');  // C alone copies nothing
  testing_host::Settle();

  // Ctrl+S writes the grid into the export folder and says where.
  SimulateKey(grid, 'S', 0, sys::kControlFlag);
  testing_host::Settle();
  ASSERT_EQ(notices.size(), 1u);
  const std::filesystem::path folder = rig.dir / "export";
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  const auto file = std::filesystem::directory_iterator(folder)->path();
  EXPECT_NE(notices[0].find(Utf8ToUtf16(file.string())), std::u16string::npos);
  EXPECT_TRUE(file.filename().string().ends_with(".csv"));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file, bytes));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), grid.ItemCount() + 1);

  // On a tile the menu's copy is the stock's code and name.
  rig.frame.top_bar().Send(sys::kCommand, sys::MakeWParam(CTopBar::kTileId, ctl::kButtonClicked), 0);
  ASSERT_TRUE(RunUntil([&] {
    const auto& shown = view().tiles().shown();
    return !shown.empty() && !shown.front()->code().empty() && shown.front()->IsVisible();
  }, 10000));
  CSTKItem& tile = *view().tiles().shown().front();
  choice = kCopyStockCommand;
  offered.clear();
  const Point at = rig.frame.ScreenToClient(tile.ClientToScreen({20, 60}));
  SimulateMouse(rig.frame, sys::kRButtonDown, at);
  testing_host::Settle();
  ASSERT_FALSE(offered.empty());
  std::u16string name;
  {
    const auto data = rig.session.Read();
    name = data->FindMaster(tile.code())->GetText(u"HNAME", u"");
  }
  EXPECT_EQ(ClipboardText(), tile.code() + u"\t" + name);
}

}  // namespace
}  // namespace velloran
