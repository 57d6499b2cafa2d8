// The stock search box as the user works it under the offscreen platform:
// typing names and codes (Korean through the input method), the keys and
// clicks of the list, the pick with its timers, and "DN".

#include <gtest/gtest.h>

#include "net/text_util.h"
#include "tests/stock/search_fixture.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using testing::AddMaster;
using testing::Type;
using testing_host::Settle;
using Codes = std::vector<std::u16string>;

class StockSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Raw names sort "SKC" < "SK텔레콤" < "SNT" < "Sk하이닉스"; compared in
    // upper case the three SK names lie together.
    for (const auto& [code, name] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"005930", u"삼성전자"}, {u"006400", u"삼성SDI"}, {u"028260", u"삼성물산"},
             {u"003230", u"삼양식품"}, {u"011790", u"SKC"}, {u"017670", u"SK텔레콤"},
             {u"036530", u"SNT"}, {u"000660", u"Sk하이닉스"},
             // A name that starts with another stock's code, sorted before it.
             {u"900001", u"123456스팩"}, {u"123456", u"한빛전자"},
             {u"777777", u""}}) {  // a master line without a name
      AddMaster(rig.session, code, name);
    }
    ASSERT_TRUE(box.Create({20, 20, 110, 38}, &rig.host, 2540, 338, 337));
    box.SetSources(&rig.session);
  }
  void TearDown() override { box.Destroy(); }
  Codes RowCodes() const {
    Codes codes;
    for (const auto& r : box.rows()) codes.push_back(r.code);
    return codes;
  }
  void Retype(std::u16string_view text) {
    box.edit().SetSel(0, -1);
    Type(box.edit(), text);
  }

  testing::SearchRig rig;
  CStkWnd box;
};

TEST_F(StockSearchTest, TypingFindsEveryNameOfThePrefixAndACodePicksAtOnce) {
  Type(box.edit(), u"sk");
  EXPECT_EQ(box.edit().Text(), u"SK");
  EXPECT_EQ(RowCodes(), (Codes{u"011790", u"017670", u"000660"}));
  EXPECT_EQ(box.list().list().ItemText(2, 0), u"Sk하이닉스");
  const Rect edit = box.edit().WindowRect();
  EXPECT_EQ(box.list().WindowRect(),
            (Rect{edit.left, edit.bottom + 3, edit.left + 230, edit.bottom + 203}));
  EXPECT_EQ(rig.host.popups, (std::vector<WParam>{box.list().handle().id()}));
  Type(box.edit(), u"X");
  EXPECT_FALSE(box.list().IsShown());

  // Korean: composing over the selection empties the text and lists
  // nothing; the commit searches.
  box.edit().SetSel(0, -1);
  SimulateInputMethod(box.edit(), u"사", u"");
  EXPECT_FALSE(box.list().IsShown());
  EXPECT_TRUE(box.rows().empty());
  SimulateInputMethod(box.edit(), u"", u"삼");
  EXPECT_EQ(RowCodes(), (Codes{u"006400", u"028260", u"005930", u"003230"}));

  // A code picks at once though a name starts with it; its Enter picks
  // nothing more; the edit has the focus back 200 ms later.
  EditControl elsewhere;
  ASSERT_TRUE(elsewhere.Create(&rig.host, 1, {300, 20, 380, 38}));
  Retype(u"123456");
  elsewhere.SetFocus();
  SimulateKey(box.edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(rig.host.picks, (Codes{u"123456"}));
  EXPECT_FALSE(box.list().IsShown());
  rig.Step(milliseconds(199));
  EXPECT_FALSE(box.edit().HasFocus());
  rig.Step(milliseconds(1));
  EXPECT_TRUE(box.edit().HasFocus());
  EXPECT_EQ(box.edit().SelectionEnd() - box.edit().SelectionStart(), 6);
  // A stock without a name is never picked.
  Retype(u"777777");
  EXPECT_EQ(rig.host.picks.size(), 1u);

  // A master sent again renames a stock without changing their number: the
  // search finds it by its new name.
  {
    auto data = rig.session.store().Write();
    data->master.at(u"000660")->SetWholeText(testing::MasterPacket(u"000660", u"SK스퀘어")->Text());
    ++data->master_generation;
  }
  Retype(u"sk스");
  EXPECT_EQ(RowCodes(), (Codes{u"000660"}));
}

TEST_F(StockSearchTest, KeysAndClicksWorkTheListOnlyWhileItShows) {
  SimulateKey(box.edit(), sys::kVkReturn);  // no list: nothing
  Type(box.edit(), u"삼");
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkDown);
  EXPECT_EQ(box.list().selected(), 1);
  EXPECT_EQ(box.edit().Text(), u"삼성물산");  // shown, not searched
  EXPECT_EQ(box.rows().size(), 4u);
  for (const WParam key : {sys::kVkEnd, sys::kVkPageDown}) SimulateKey(box.edit(), key);
  EXPECT_EQ(box.list().selected(), 3);
  for (const WParam key : {sys::kVkHome, sys::kVkPageUp, sys::kVkDown})
    SimulateKey(box.edit(), key);
  SimulateKey(box.edit(), sys::kVkReturn);
  SimulateKey(box.edit(), sys::kVkReturn);  // the list is on its way out
  rig.Step(milliseconds(200));
  EXPECT_EQ(rig.host.picks, (Codes{u"028260"}));
  EXPECT_FALSE(box.list().IsShown());
  EXPECT_EQ(rig.host.popups.back(), 0u);

  // Enter with no selection picks the first row; Escape closes.
  Retype(u"삼성");
  SimulateKey(box.edit(), sys::kVkReturn);
  Retype(u"삼");
  SimulateKey(box.edit(), sys::kVkEscape);
  rig.Step(milliseconds(200));
  EXPECT_FALSE(box.list().IsShown());
  EXPECT_EQ(rig.host.picks.back(), u"006400");

  // A click picks its row; a press below the last row closes.
  Retype(u"삼");
  CStkListWnd& list = box.list();
  auto at = [&](int y) { return list.ScreenToClient(list.list().ClientToScreen({10, y})); };
  SimulateMouse(list, sys::kLButtonDown, at(2 * 20 + 5));
  SimulateMouse(list, sys::kLButtonUp, at(2 * 20 + 5));
  Settle();
  EXPECT_EQ(rig.host.picks.back(), u"005930");
  rig.Step(milliseconds(200));
  Retype(u"삼성");
  SimulateMouse(list, sys::kLButtonDown, at(3 * 20 + 10));
  SimulateMouse(list, sys::kLButtonUp, at(3 * 20 + 10));
  rig.Step(milliseconds(200));
  EXPECT_FALSE(list.IsShown());
  EXPECT_EQ(rig.host.picks.size(), 3u);

  // A press on the list's own scroll bar scrolls and keeps it.
  for (int i = 0; i < 15; ++i)
    AddMaster(rig.session, u"9000" + FormatInt(10 + i), u"대한" + FormatInt(i));
  Retype(u"대");
  list.list().SetFocus();
  const Rect bar = list.list().VerticalBar().WindowRect();
  const Point trough = list.ScreenToClient({(bar.left + bar.right) / 2, bar.bottom - 25});
  SimulateMouse(list, sys::kLButtonDown, trough);
  SimulateMouse(list, sys::kLButtonUp, trough);
  rig.Step(milliseconds(200));
  EXPECT_TRUE(list.IsShown());
  EXPECT_GT(list.list().TopIndex(), 0);
}

TEST_F(StockSearchTest, DnShowsTheRecentStocksNewestFirstAndASecondPressClosesThem) {
  for (const auto& [code, name] : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"005930", u"삼성전자"}, {u"017670", u"SK텔레콤"}, {u"888888", u""}})
    rig.session.AddRecent(*testing::MasterPacket(code, name));
  CBitButton& dn = *box.list_button();
  rig.Click(dn, {5, 5});
  EXPECT_EQ(RowCodes(), (Codes{u"888888", u"017670", u"005930"}));

  // A slow second press: the main frame's 1034 for it comes while the button
  // is held and is ignored; the click closes the list, not reopening it.
  const Point p = rig.host.ScreenToClient(dn.ClientToScreen({5, 5}));
  SimulateMouse(rig.host, sys::kLButtonDown, p);
  PostMessage(box.list().handle(), msg::kClosePopup, 0, 0);
  rig.Step(milliseconds(300));
  EXPECT_TRUE(box.list().IsShown());
  SimulateMouse(rig.host, sys::kLButtonUp, p);
  rig.Step(milliseconds(200));
  EXPECT_FALSE(box.list().IsShown());
  // 1034 carrying the button's own handle is the button's business too.
  rig.Click(dn, {5, 5});
  SendMessage(box.list().handle(), msg::kClosePopup, dn.handle().id(), 0);
  rig.Step(milliseconds(200));
  ASSERT_TRUE(box.list().IsShown());

  // The entry without a name (the first row) is not picked.
  SimulateKey(box.edit(), sys::kVkReturn);
  rig.Step(milliseconds(200));
  EXPECT_TRUE(rig.host.picks.empty());
  // The rows are the list's own: picks that push the shown entries out of
  // the recent list leave them as they were.
  rig.Click(dn, {5, 5});
  for (int i = 0; i < 30; ++i)
    rig.session.AddRecent(*testing::MasterPacket(FormatInt(100000 + i), u"새 종목"));
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkDown);
  SimulateKey(box.edit(), sys::kVkReturn);
  Settle();
  EXPECT_EQ(rig.host.picks, (Codes{u"017670"}));
  rig.Click(*box.search_button(), {5, 5});
  EXPECT_EQ(rig.host.search_presses, 1);
}

// The magnifier opens the list of what the text names, or the recent stocks
// when it names none (the code on show); Esc drops what was typed and shows
// the stock on show again.
TEST_F(StockSearchTest, TheMagnifierListsWhatTheTextNamesAndEscapeRestoresTheStockOnShow) {
  for (const auto& code : {u"005930", u"017670"})
    rig.session.AddRecent(*testing::MasterPacket(code, u"최근"));
  box.ShowText(u"017670");
  struct Case {
    const char16_t* typed;  // null: the text on show
    Codes rows;
  };
  for (const Case& c : {Case{u"sk", {u"011790", u"017670", u"000660"}},
                        Case{nullptr, {u"017670", u"005930"}},
                        Case{u"zz", {u"017670", u"005930"}}}) {
    SCOPED_TRACE(c.typed ? std::string(c.typed, c.typed + 2) : "shown");
    if (c.typed != nullptr) Retype(c.typed);
    rig.Step(milliseconds(300));
    if (box.list().IsShown()) {
      box.list().Close();
      rig.Step(milliseconds(300));
    }
    rig.Click(*box.search_button(), {5, 5});
    EXPECT_TRUE(box.list().IsShown());
    EXPECT_EQ(RowCodes(), c.rows);
    rig.Click(*box.search_button(), {5, 5});  // a second press closes it
    rig.Step(milliseconds(300));
    EXPECT_FALSE(box.list().IsShown());
    SimulateKey(box.edit(), sys::kVkEscape);
    EXPECT_EQ(box.edit().Text(), u"017670");
  }
  EXPECT_TRUE(rig.host.picks.empty());
}

TEST_F(StockSearchTest, ANameTooLongForTheBoxShowsWholeInATip) {
  struct Case {
    std::u16string text;
    bool tip;
  };
  for (const Case& c : {Case{u"SKC", false}, Case{u"미래에셋글로벌인공지능액티브", true},
                        Case{u"", false}}) {
    box.ShowText(c.text);
    EXPECT_EQ(box.name_tip().tip_text(), c.tip ? c.text : u"") << box.Text().size();
  }
  // Resting on the edit brings the tip up with the whole name.
  box.ShowText(u"미래에셋글로벌인공지능액티브");
  const Point over = rig.host.ScreenToClient(box.edit().ClientToScreen({20, 8}));
  SimulateMouse(rig.host, sys::kMouseMove, over);
  rig.Step(std::chrono::milliseconds(400));
  ASSERT_TRUE(box.name_tip().IsVisible());
  EXPECT_GT(box.name_tip().WindowRect().width(), box.edit().WindowRect().width());
  ASSERT_TRUE(box.name_tip().SaveScreenshot(::testing::TempDir() + "name_tip.png"));
}

}  // namespace
}  // namespace velloran
