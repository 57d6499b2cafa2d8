// The stock search box as the user works it under the offscreen platform:
// typing names and codes (and Korean through the input method), the keys,
// the pick with its timers, the recent stocks behind "DN", and the
// message hook closing the list.

#include <gtest/gtest.h>

#include "net/text_util.h"
#include "tests/stock/search_fixture.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::AddMaster;
using testing::SearchRig;
using testing::Type;
using testing_host::Settle;

class StockSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Raw names sort "SKC" < "SK텔레콤" < "SNT" < "Sk하이닉스"; the search
    // compares upper case, where the three SK names lie together.
    AddMaster(rig.session, u"005930", u"삼성전자");
    AddMaster(rig.session, u"006400", u"삼성SDI");
    AddMaster(rig.session, u"028260", u"삼성물산");
    AddMaster(rig.session, u"003230", u"삼양식품");
    AddMaster(rig.session, u"011790", u"SKC");
    AddMaster(rig.session, u"017670", u"SK텔레콤");
    AddMaster(rig.session, u"036530", u"SNT");
    AddMaster(rig.session, u"000660", u"Sk하이닉스");
    // A name that starts with another stock's code, sorted before it.
    AddMaster(rig.session, u"900001", u"123456스팩");
    AddMaster(rig.session, u"123456", u"한빛전자");
    AddMaster(rig.session, u"777777", u"");  // a master line without a name
    ASSERT_TRUE(box.Create({20, 20, 110, 38}, &rig.host, 2540, 338, 337));
    box.SetSources(&rig.session);
    Settle();
  }
  void TearDown() override {
    box.Destroy();
    Settle();
  }
  std::vector<std::u16string> RowCodes() const {
    std::vector<std::u16string> codes;
    for (const auto& r : box.rows()) codes.push_back(r.code);
    return codes;
  }

  SearchRig rig;
  CStkWnd box;
};

TEST_F(StockSearchTest, TypingShowsContiguousMatchesAndACodePicksAtOnce) {
  // Lower-case Latin in a name does not hide it.
  Type(box.edit(), u"sk");
  EXPECT_EQ(box.edit().Text(), u"SK");
  EXPECT_EQ(RowCodes(), (std::vector<std::u16string>{u"011790", u"017670", u"000660"}));
  ASSERT_TRUE(box.list().IsShown());
  EXPECT_EQ(box.list().list().ItemText(2, 0), u"Sk하이닉스");
  EXPECT_EQ(box.list().list().ItemText(2, 1), u"000660");
  // The list sits 3 pixels under the edit, 230 x 200, and is registered.
  const Rect edit = box.edit().WindowRect();
  EXPECT_EQ(box.list().WindowRect(),
            (Rect{edit.left, edit.bottom + 3, edit.left + 230, edit.bottom + 203}));
  Settle();
  EXPECT_EQ(rig.host.popups, (std::vector<WParam>{box.list().handle().id()}));

  // Nothing matches: the list goes at once.
  Type(box.edit(), u"X");
  EXPECT_FALSE(box.list().IsShown());
  EXPECT_TRUE(box.rows().empty());

  // A code picks at once, though a name starts with the same characters;
  // the Enter that follows picks nothing more.
  box.edit().SetSel(0, -1);
  Type(box.edit(), u"123456");
  SimulateKey(box.edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(rig.host.picks, (std::vector<std::u16string>{u"123456"}));
  EXPECT_EQ(rig.host.pick_lparams, (std::vector<LParam>{0}));
  EXPECT_EQ(box.edit().Text(), u"123456");
  EXPECT_FALSE(box.list().IsShown());
  // The edit gets the focus back 200 ms later with its text selected.
  EditControl elsewhere;
  ASSERT_TRUE(elsewhere.Create(&rig.host, 1, {300, 20, 380, 38}));
  elsewhere.SetFocus();
  ASSERT_TRUE(elsewhere.HasFocus());
  rig.Step(milliseconds(199));
  EXPECT_FALSE(box.edit().HasFocus());
  rig.Step(milliseconds(1));
  EXPECT_TRUE(box.edit().HasFocus());
  EXPECT_EQ(box.edit().SelectionStart(), 0);
  EXPECT_EQ(box.edit().SelectionEnd(), 6);

  // A stock without a name is never picked, not even by its code.
  box.edit().SetSel(0, -1);
  Type(box.edit(), u"777777");
  Settle();
  EXPECT_EQ(rig.host.picks.size(), 1u);
}

TEST_F(StockSearchTest, KoreanComesThroughTheInputMethodAndSearchesOnCommit) {
  box.edit().SetFocus();
  // Composing changes no text: no search yet.
  SimulateInputMethod(box.edit(), u"ㅅ", u"");
  SimulateInputMethod(box.edit(), u"사", u"");
  EXPECT_FALSE(box.list().IsShown());
  SimulateInputMethod(box.edit(), u"", u"삼");
  EXPECT_EQ(box.edit().Text(), u"삼");
  EXPECT_EQ(RowCodes(), (std::vector<std::u16string>{u"006400", u"028260", u"005930", u"003230"}));
  SimulateInputMethod(box.edit(), u"", u"성");
  EXPECT_EQ(box.rows().size(), 3u);
  // The ASCII the field upper-cases comes through the same way.
  SimulateInputMethod(box.edit(), u"", u"s");
  EXPECT_EQ(box.edit().Text(), u"삼성S");
  EXPECT_EQ(RowCodes(), (std::vector<std::u16string>{u"006400"}));
}

TEST_F(StockSearchTest, KeysWorkTheListOnlyWhileItShows) {
  // Enter with no list picks nothing.
  SimulateKey(box.edit(), sys::kVkReturn);
  Settle();
  EXPECT_TRUE(rig.host.picks.empty());

  Type(box.edit(), u"삼");
  ASSERT_EQ(box.rows().size(), 4u);
  // Down selects row 0, then 1; the edit shows the name without searching.
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkDown);
  EXPECT_EQ(box.list().selected(), 1);
  EXPECT_EQ(box.edit().Text(), u"삼성물산");
  EXPECT_EQ(box.rows().size(), 4u);
  SimulateKey(box.edit(), sys::kVkEnd);
  EXPECT_EQ(box.list().selected(), 3);
  SimulateKey(box.edit(), sys::kVkPageDown);  // not past the last row
  EXPECT_EQ(box.list().selected(), 3);
  SimulateKey(box.edit(), sys::kVkHome);
  SimulateKey(box.edit(), sys::kVkPageUp);  // not above the first
  EXPECT_EQ(box.list().selected(), 0);
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkUp);
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(rig.host.picks, (std::vector<std::u16string>{u"028260"}));
  EXPECT_EQ(box.edit().Text(), u"028260");
  // Every close waits 200 ms; a second Enter meanwhile picks nothing.
  EXPECT_TRUE(box.list().IsShown());
  SimulateKey(box.edit(), sys::kVkReturn);
  rig.Step(milliseconds(200));
  EXPECT_FALSE(box.list().IsShown());
  EXPECT_EQ(rig.host.picks.size(), 1u);
  EXPECT_EQ(rig.host.popups.back(), 0u);

  // Enter with no selection picks the first row.
  box.edit().SetSel(0, -1);
  Type(box.edit(), u"삼성");
  SimulateKey(box.edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(rig.host.picks.back(), u"006400");

  // Closed, the arrows are the edit's own again: the caret moves.
  rig.Step(milliseconds(200));
  box.edit().SetCaretPosition(6);
  SimulateKey(box.edit(), sys::kVkHome);
  EXPECT_EQ(box.edit().CaretPosition(), 0);
}

TEST_F(StockSearchTest, RowsArePickedByClickAndTheListClosesBelowThem) {
  Type(box.edit(), u"삼");
  CStkListWnd& list = box.list();
  const Rect row2 = list.list().ItemRect(2);
  const Point in_list = list.ScreenToClient(list.list().ClientToScreen({10, row2.top + 5}));
  SimulateMouse(list, sys::kLButtonDown, in_list);
  SimulateMouse(list, sys::kLButtonUp, in_list);
  Settle();
  EXPECT_EQ(rig.host.picks, (std::vector<std::u16string>{u"005930"}));
  rig.Step(milliseconds(200));
  EXPECT_FALSE(list.IsShown());
  EXPECT_TRUE(box.edit().HasFocus());

  // A press below the last row (rows are 20 pixels) closes without a pick.
  box.edit().SetSel(0, -1);
  Type(box.edit(), u"삼성");
  ASSERT_TRUE(list.IsShown());
  const Point below = list.ScreenToClient(list.list().ClientToScreen({10, 3 * 20 + 10}));
  SimulateMouse(list, sys::kLButtonDown, below);
  SimulateMouse(list, sys::kLButtonUp, below);
  rig.Step(milliseconds(200));
  EXPECT_FALSE(list.IsShown());
  EXPECT_EQ(rig.host.picks.size(), 1u);

  // More rows than fit: a press on the list's scroll bar scrolls and keeps it.
  for (int i = 0; i < 15; ++i) AddMaster(rig.session, u"9000" + FormatInt(10 + i), u"대한" + FormatInt(i));
  box.edit().SetSel(0, -1);
  Type(box.edit(), u"대");
  ASSERT_EQ(box.rows().size(), 15u);
  list.list().SetFocus();
  const Rect bar = list.list().VerticalBar().WindowRect();
  ASSERT_FALSE(bar.IsEmpty());
  const Point trough = list.ScreenToClient({(bar.left + bar.right) / 2, bar.bottom - 25});
  SimulateMouse(list, sys::kLButtonDown, trough);
  SimulateMouse(list, sys::kLButtonUp, trough);
  rig.Step(milliseconds(200));
  EXPECT_TRUE(list.IsShown());
  EXPECT_GT(list.list().TopIndex(), 0);
}

TEST_F(StockSearchTest, DnShowsTheRecentStocksNewestFirstAndASecondPressClosesThem) {
  rig.session.AddRecent(*testing::MasterPacket(u"005930", u"삼성전자"));
  rig.session.AddRecent(*testing::MasterPacket(u"017670", u"SK텔레콤"));
  rig.session.AddRecent(*testing::MasterPacket(u"888888", u""));  // no name
  CBitButton& dn = *box.list_button();
  rig.Click(dn, {5, 5});
  Settle();
  ASSERT_TRUE(box.list().IsShown());
  EXPECT_EQ(RowCodes(), (std::vector<std::u16string>{u"888888", u"017670", u"005930"}));

  // A slow second press: the main frame's 1034 for it comes while the button
  // is held and is ignored; the click closes the list and does not reopen it.
  const Point at = rig.host.ScreenToClient(dn.ClientToScreen({5, 5}));
  SimulateMouse(rig.host, sys::kLButtonDown, at);
  PostMessage(box.list().handle(), msg::kClosePopup, 0, 0);
  rig.Step(milliseconds(300));
  EXPECT_TRUE(box.list().IsShown());
  SimulateMouse(rig.host, sys::kLButtonUp, at);
  rig.Step(milliseconds(200));
  EXPECT_FALSE(box.list().IsShown());
  // 1034 carrying the button's handle is the button's too.
  rig.Click(dn, {5, 5});
  SendMessage(box.list().handle(), msg::kClosePopup, dn.handle().id(), 0);
  rig.Step(milliseconds(200));
  EXPECT_TRUE(box.list().IsShown());

  // The entry without a name cannot be picked.
  SimulateKey(box.edit(), sys::kVkReturn);
  rig.Step(milliseconds(200));
  EXPECT_TRUE(rig.host.picks.empty());
  EXPECT_FALSE(box.list().IsShown());
  rig.Click(dn, {5, 5});
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(rig.host.picks, (std::vector<std::u16string>{u"017670"}));

  // "SCH" tells the owner.
  rig.Click(*box.search_button(), {5, 5});
  EXPECT_EQ(rig.host.search_presses, 1);
}

TEST_F(StockSearchTest, TheHookClosesTheListOnEscapeAndOnWorkElsewhere) {
  testing_host::ControlHost other_host;
  ASSERT_TRUE(other_host.Open(200, 100));
  Type(box.edit(), u"삼");
  ASSERT_TRUE(box.list().IsShown());
  SimulateKey(box.edit(), sys::kVkEscape);
  rig.Step(milliseconds(200));
  EXPECT_FALSE(box.list().IsShown());

  // The wheel or a right press in the list itself keeps it.
  box.edit().SetSel(0, -1);
  Type(box.edit(), u"삼");
  SimulateMouse(box.list(), sys::kRButtonDown, {20, 10});
  SimulateMouse(box.list(), sys::kRButtonUp, {20, 10});
  rig.Step(milliseconds(200));
  EXPECT_TRUE(box.list().IsShown());
  // A right press in another window closes it.
  SimulateMouse(other_host, sys::kRButtonDown, {20, 20});
  SimulateMouse(other_host, sys::kRButtonUp, {20, 20});
  rig.Step(milliseconds(200));
  EXPECT_FALSE(box.list().IsShown());
  other_host.Destroy();
}

TEST_F(StockSearchTest, ANameBoxHidesItselfAfterAPickAndOnLosingTheFocus) {
  CStkWnd name_box;
  ASSERT_TRUE(name_box.Create({120, 20, 210, 38}, &rig.host, 2539, 0, 0));
  name_box.SetSources(&rig.session);
  name_box.SetShowCode(false, 7);
  Type(name_box.edit(), u"005930");
  Settle();
  EXPECT_EQ(rig.host.picks, (std::vector<std::u16string>{u"005930"}));
  EXPECT_EQ(rig.host.pick_lparams, (std::vector<LParam>{7}));
  EXPECT_EQ(name_box.edit().Text(), u"삼성전자");
  EXPECT_FALSE(name_box.IsVisible());

  name_box.Show(true);
  name_box.edit().SetFocus();
  box.edit().SetFocus();
  EXPECT_FALSE(name_box.IsVisible());
  name_box.Destroy();
}

}  // namespace
}  // namespace velloran
