// The screen journal end to end against the demo market: screens switched
// and minutes passed; the journal holds the entries and exits the results
// imply, survives a kill, and its window shows, filters, exports, picks and
// replays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

#include "app/journal_wnd.h"
#include "grid/top_bar.h"
#include "net/utf8.h"
#include "platform/control_codes.h"
#include "platform/file_replace.h"
#include "platform/input_simulation.h"
#include "platform/window_events.h"
#include "tests/app/frame_rig.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing_host::RunUntil;

// The result of each (screen, filter) that the entries imply.
std::map<std::pair<int, int>, std::set<std::u16string>> Implied(const std::vector<JournalEntry>& entries) {
  std::map<std::pair<int, int>, std::set<std::u16string>> results;
  for (const JournalEntry& e : entries) {
    auto& r = results[{e.screen, e.market}];
    if (e.event == JournalEvent::kEnter) {
      EXPECT_TRUE(r.insert(e.code).second) << "entered twice";
    }
    if (e.event == JournalEvent::kLeave) {
      EXPECT_EQ(r.erase(e.code), 1u) << "left unseen";
    }
  }
  return results;
}

class JournalWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.frame.CreateFrame(testing::kLargeWork, testing::kLargeScreen));
    rig.frame.ShowNormal();
    rig.Step(milliseconds(1100));  // the session starts
  }
  CScreenJournal& journal() { return rig.session.journal(); }
  // The records of the shown screen once the batch that filled them ended.
  std::set<std::u16string> Shown() {
    std::set<std::u16string> codes;
    for (const auto& [code, record] : rig.session.Read()->records) codes.insert(code);
    return codes;
  }
  void Settled(std::uint64_t generation) {
    RunUntil([&] { return journal().generation() != generation; }, 5000);
    rig.Step(milliseconds(10));
  }
  void PickScreen(int id) {
    const std::uint64_t g = journal().generation();
    SendMessage(rig.frame.top_bar().handle(), sys::kCommand,
                sys::MakeWParam(id, ctl::kButtonClicked), 0);
    Settled(g);
  }
  void Minutes(int n) {
    const std::uint64_t g = journal().generation();
    market->Advance(60 * n);
    Settled(g);
  }
  void Click(Window& w, const Rect& r) {
    const Point at{r.left + 3, r.top + 3};
    SimulateMouse(w, sys::kLButtonDown, at);
    SimulateMouse(w, sys::kLButtonUp, at);
    testing_host::Settle();
  }

  testing::DemoMarket market{{}, 600};
  testing::FrameRig rig{market.endpoint()};
};

TEST_F(JournalWindowTest, RecordsWhatTheScreensReturnSurvivesAKillAndShowsIt) {
  ASSERT_TRUE(RunUntil([&] { return !journal().Entries().empty(); }, 10000));
  for (int id : {CTopBar::kSurgingId, CTopBar::kBoxRangeId, CTopBar::kReverseId}) {
    PickScreen(id);
    Minutes(15);
  }
  PickScreen(CTopBar::kSurgingId);
  Minutes(30);
  ASSERT_TRUE(RunUntil([&] {
    const auto implied = Implied(journal().Entries());
    const auto it = implied.find({rig.session.current_screen(), rig.session.market_filter()});
    return it != implied.end() && it->second == Shown();
  }, 5000)) << "the journal's result is not the screen's";
  const std::vector<JournalEntry> entries = journal().Entries();
  std::set<int> screens;
  for (const auto& e : entries) screens.insert(e.screen);
  EXPECT_GE(screens.size(), 2u);

  // A kill leaves the file as written so far: a fresh journal reads it all.
  journal().Flush();
  const CScreenJournal again(JournalOptions{rig.dir, entries.front().date()});
  EXPECT_EQ(again.Entries().size(), entries.size());
  EXPECT_EQ(again.skipped_lines(), 0u);

  // The window: from the foot bar, newest first, filtered, exported.
  CFrameFootBar& bar = rig.frame.foot_bar();
  const Rect mark = bar.JournalRect();
  const Point at = rig.frame.ScreenToClient(bar.ClientToScreen({mark.left + 5, mark.top + 5}));
  SimulateMouse(rig.frame, sys::kLButtonDown, at);
  SimulateMouse(rig.frame, sys::kLButtonUp, at);
  testing_host::Settle();
  CJournalWnd* wnd = rig.frame.journal();
  ASSERT_NE(wnd, nullptr);
  ASSERT_TRUE(wnd->IsVisible());
  ASSERT_EQ(wnd->view().rows().size(), entries.size());
  EXPECT_EQ(*wnd->view().rows().front(), entries.back());
  if (const char* pictures = std::getenv("VELLORAN_PICTURES")) {
    EXPECT_TRUE(wnd->SaveScreenshot(std::string(pictures) + "/journal.png"));
  }
  Click(*wnd, wnd->EventChip(1));  // 편입
  for (const JournalEntry* e : wnd->view().rows()) EXPECT_EQ(e->event, JournalEvent::kEnter);
  const std::u16string prefix = entries.back().code.substr(0, 4);
  wnd->search().SetText(prefix);
  testing_host::Settle();
  ASSERT_FALSE(wnd->view().rows().empty());
  for (const JournalEntry* e : wnd->view().rows()) EXPECT_TRUE(e->code.starts_with(prefix));
  Click(*wnd, wnd->ExportRect());
  std::string csv;
  ASSERT_TRUE(ReadWholeFile(rig.dir / ("journal_" + std::to_string(entries.back().date()) + ".csv"), csv));
  EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
  EXPECT_EQ(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')),
            wnd->view().rows().size() + 1);

  // A row picks its stock; "이 시점부터 재생" asks for that day's replay.
  const JournalEntry picked = *wnd->view().rows().front();
  Click(*wnd, wnd->RowRect(0));
  EXPECT_TRUE(RunUntil([&] {
    for (const auto& t : market->ReceivedTexts(code::kOrderBook))
      if (t.find(picked.code) != std::u16string::npos) return true;
    return false;
  }, 5000));
  Click(*wnd, wnd->ReplayRect());
  EXPECT_TRUE(RunUntil([&] {
    rig.Step(milliseconds(10));
    for (const auto& t : market->ReceivedTexts(code::kReplayData))
      if (t.find(picked.code) != std::u16string::npos) return true;
    return false;
  }, 5000));
}

}  // namespace
}  // namespace velloran
