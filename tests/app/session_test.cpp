// The store's own operations: screen switch, server clock, market state, and
// the settings and recent-stock lists it loads and saves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "app/settings_files.h"
#include "net/text_util.h"
#include "tests/app/session_fixture.h"

namespace velloran {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SessionDataTest : public testing::SessionTest {
 protected:
  // Replaces a file while no store is open (the store saves at exit), then opens one.
  void WriteFileAndOpen(const char* name, const std::vector<std::u16string_view>& lines) {
    session_.reset();
    ASSERT_TRUE(WriteTextFile(dir_ / name, lines));
    Open();
  }
  std::vector<std::u16string> ReadFile(const char* name) {
    std::vector<std::u16string> lines;
    EXPECT_EQ(ReadTextFile(dir_ / name, lines), ReadOutcome::kRead);
    return lines;
  }
  static Packet MasterPacket(int i) {
    Packet p(3002);
    p.AddText(u"SHCODE", FormatInt06(i));
    p.AddText(u"HNAME", u"종목" + FormatInt(i));
    p.AddInt(u"MARKET", 1 + i % 2);
    p.AddText(u"ETFGUBUN", u"0");
    p.AddText(u"ET_SJKRATE", u"1.5");
    p.AddInt(u"KPRC", 1000 + i);
    return p;
  }
  std::vector<std::u16string> RecentCodes() {
    std::vector<std::u16string> out;
    for (const auto& p : session_->recent()) out.push_back(p->GetText(u"SHCODE", u""));
    return out;
  }
};

TEST_F(SessionDataTest, InitialValuesComeFromTheClock) {
  EXPECT_EQ(session_->current_screen(), 3007);
  EXPECT_EQ(session_->TradingDate(), 20240105);
  EXPECT_EQ(session_->date_limit(), 20240107);
  EXPECT_EQ(session_->ServerHour(), 10);
  EXPECT_EQ(session_->market_filter(), 2);
  EXPECT_EQ(session_->screening_check(), 1);
  EXPECT_FALSE(session_->CheckMarketState());
}

TEST_F(SessionDataTest, SwitchScreenDropsRecordsAndWaitingPackets) {
  for (const std::u16string code : {u"000660", u"005930"}) {
    Dispatch(u"<PKT><GBN>3007</GBN><SHCODE>" + code + u"</SHCODE><CPKT></CPKT></PKT>");
  }
  for (int i = 0; i < 3; ++i) {
    session_->PushIncoming(std::make_unique<Packet>(u"<PKT><GBN>3014</GBN></PKT>"));
  }
  // What is not the old screen's waits on: the stock master must not be lost
  // to a switch made right after the login.
  session_->PushIncoming(std::make_unique<Packet>(u"<PKT><GBN>3002</GBN><DATA></DATA></PKT>"));
  session_->PushIncoming(std::make_unique<Packet>(u"<PKT><GBN>3007</GBN><SHCODE>1</SHCODE></PKT>"));
  EXPECT_EQ(session_->SwitchScreen(3004), u"000660|005930|");
  EXPECT_EQ(session_->current_screen(), 3004);
  EXPECT_EQ(session_->history_size(), 4u);
  const auto waiting = session_->TakeIncoming();
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_EQ(waiting[0]->GetInt(u"GBN", 0), 3002);
  EXPECT_EQ(session_->SwitchScreen(3005), u"");
  session_->StartWorker();  // the moved packets are never dispatched
  session_->PushIncoming(std::make_unique<Packet>(u"<PKT><GBN>3014</GBN><END>9</END></PKT>"));
  ASSERT_TRUE(queue_.WaitForPending(1, std::chrono::seconds(10)));
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{2027, 3014, 9}));
}

TEST_F(SessionDataTest, ServerTimeSetsDateLimitAndIgnoresShortTexts) {
  session_->SetServerTime(u"2024013015300");  // 13 characters
  EXPECT_EQ(session_->server_date(), 0);
  session_->SetServerTime(u"20240130153000");
  EXPECT_EQ(session_->server_date(), 20240130);
  EXPECT_EQ(session_->server_time_of_day(), 153000);
  EXPECT_EQ(session_->date_limit(), 20240201);
  EXPECT_EQ(session_->ServerHour(), 15);
  EXPECT_EQ(session_->Read()->server_time_text, u"20240130153000");
  session_->SetServerTime(u"20231231235959xyz");
  EXPECT_EQ(session_->date_limit(), 20240102);
  session_->SetServerTime(u"abcdefghijklmn");  // garbage: no crash, numbers 0
  EXPECT_EQ(session_->server_date(), 0);
}

TEST_F(SessionDataTest, MarketStateFollowsFlagOne) {
  for (const auto& [value, open] : std::vector<std::pair<int, bool>>{
           {21, true}, {42, true}, {44, true}, {45, false}, {60, false}, {61, true}, {0, false}}) {
    Dispatch(u"<PKT><GBN>2002</GBN><RES>JIF</RES><DATA>1|" + FormatInt(value) + u"</DATA></PKT>");
    EXPECT_EQ(session_->CheckMarketState(), open) << value;
  }
}

TEST_F(SessionDataTest, LoginSettingsAreMadeOnceAndSavedAtExit) {
  EXPECT_THAT(session_->settings(), IsEmpty());
  Packet* login = session_->GetLoginSettings();
  EXPECT_EQ(login->Text(), u"<PKT><GBN>0</GBN><CFG>1</CFG></PKT>");
  login->SetText(u"ID", u"trader");
  login->SetInt(u"CHK", 1);
  EXPECT_EQ(session_->GetLoginSettings(), login);
  Reopen();
  EXPECT_THAT(ReadFile(kSettingsFileName),
              ElementsAre(u"<PKT><GBN>0</GBN><CFG>1</CFG><ID>trader</ID><CHK>1</CHK></PKT>"));
  EXPECT_EQ(session_->GetLoginSettings()->GetText(u"ID", u""), u"trader");
}

TEST_F(SessionDataTest, SettingsLinesStayAsTheyWereIncludingBlankAndForeignOnes) {
  WriteFileAndOpen(kSettingsFileName,
                   {u"<PKT><GBN>0</GBN><CFG>2</CFG></PKT>", u"", u"not a packet 5%",
                    u"<PKT><GBN>0</GBN><CFG>1</CFG><ID>a</ID></PKT>"});
  ASSERT_EQ(session_->settings().size(), 4u);
  EXPECT_EQ(session_->settings()[2]->Text(), u"not a packet 5％");
  EXPECT_EQ(session_->GetLoginSettings(), session_->settings()[3].get());
  Reopen();
  EXPECT_THAT(ReadFile(kSettingsFileName),
              ElementsAre(u"<PKT><GBN>0</GBN><CFG>2</CFG></PKT>", u"", u"not a packet 5％",
                          u"<PKT><GBN>0</GBN><CFG>1</CFG><ID>a</ID></PKT>"));
}

TEST_F(SessionDataTest, FilesThatCannotBeReadWholeSurviveTheExitSave) {
  session_.reset();
  // A settings "file" that is a directory: no abort, nothing loaded, and the
  // save cannot replace it.
  std::filesystem::remove(dir_ / "qza.cfg");
  std::filesystem::create_directory(dir_ / "qza.cfg");
  // A recent list with a stray NUL byte: the lines around it load, and the
  // file as it was is kept beside the saved one.
  const std::string damaged = "<PKT><GBN>0</GBN><SHCODE>005930</SHCODE></PKT>\r\n" +
                              std::string(1, '\0') +
                              "\x01<PKT><GBN>0</GBN><SHCODE>000660</SHCODE></PKT>\r\n";
  std::ofstream(dir_ / "sch.dat", std::ios::binary) << damaged;
  // Left by saves that were killed, and files of others.
  for (const char* name : {"sch.dat.tmp", "grid_0_3004.grd.tmp", "grid_x.grd.tmp", "notes.tmp"})
    std::ofstream(dir_ / name, std::ios::binary) << "half";
  Open();
  for (const auto& [name, kept] : {std::pair{"sch.dat.tmp", false},
                                   {"grid_0_3004.grd.tmp", false},
                                   {"grid_x.grd.tmp", true},
                                   {"notes.tmp", true}})
    EXPECT_EQ(std::filesystem::exists(dir_ / name), kept) << name;
  EXPECT_THAT(session_->settings(), IsEmpty());
  EXPECT_THAT(RecentCodes(), ElementsAre(u"005930", u"000660"));
  Reopen();
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "qza.cfg"));
  std::ifstream kept(dir_ / "sch.dat.bad", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), damaged);
  EXPECT_THAT(ReadFile("sch.dat"),
              ElementsAre(u"<PKT><GBN>0</GBN><SHCODE>005930</SHCODE></PKT>",
                          u"\x01<PKT><GBN>0</GBN><SHCODE>000660</SHCODE></PKT>"));
  // The file is whole again: the next save keeps nothing more.
  Reopen();
  EXPECT_FALSE(std::filesystem::exists(dir_ / "sch.dat.bad1"));
}

TEST_F(SessionDataTest, RecentFileSkipsLinesThatAreNoPacket) {
  // Written by hand: CR LF, a stray CR, blank lines and a line without "</PKT>".
  session_.reset();
  {
    std::ofstream out(dir_ / kRecentFileName, std::ios::binary);
    const std::u16string text =
        u"<PKT><SHCODE>000001</SHCODE></PKT>\r\n\r\n<PKT><SHCODE>x\r\n"
        u"<PKT><SHCODE>000002</SHCODE></PKT>\r\r\n";
    out << EncodeTextLines({}).substr(0, 2);
    for (const char16_t c : text) out << static_cast<char>(c & 0xFF) << static_cast<char>(c >> 8);
  }
  Open();
  EXPECT_THAT(RecentCodes(), ElementsAre(u"000001", u"000002"));
  Reopen();
  EXPECT_THAT(ReadFile(kRecentFileName), ElementsAre(u"<PKT><SHCODE>000001</SHCODE></PKT>",
                                                     u"<PKT><SHCODE>000002</SHCODE></PKT>"));
}

TEST_F(SessionDataTest, AddRecentMovesAddsAndCutsToThirty) {
  for (int i = 1; i <= 3; ++i) session_->AddRecent(MasterPacket(i));
  EXPECT_EQ(session_->recent()[0]->Text(),
            u"<PKT><GBN>0</GBN><SHCODE>000001</SHCODE><HNAME>종목1</HNAME><MARKET>2</MARKET>"
            u"<ETFGUBUN>0</ETFGUBUN><ET_SJKRATE>1.5</ET_SJKRATE></PKT>");
  Packet renamed = MasterPacket(1);
  renamed.SetText(u"HNAME", u"새이름");
  session_->AddRecent(renamed);  // moved to the end, tags not refreshed
  EXPECT_THAT(RecentCodes(), ElementsAre(u"000002", u"000003", u"000001"));
  EXPECT_EQ(session_->recent()[2]->GetText(u"HNAME", u""), u"종목1");

  for (int i = 4; i <= 31; ++i) session_->AddRecent(MasterPacket(i));
  EXPECT_EQ(session_->recent().size(), 30u);
  EXPECT_EQ(RecentCodes().front(), u"000003");
  EXPECT_EQ(session_->history_size(), 1u);  // the dropped entry waits there to be freed
}

TEST_F(SessionDataTest, MoreThanThirtyStoredEntriesLoadWholeAndCutOnTheNextPick) {
  std::vector<std::u16string> texts;
  for (int i = 0; i < 35; ++i) texts.push_back(MasterPacket(i).Text());
  WriteFileAndOpen(kRecentFileName, {texts.begin(), texts.end()});
  EXPECT_EQ(session_->recent().size(), 35u);
  session_->AddRecent(MasterPacket(3));
  EXPECT_EQ(session_->recent().size(), 30u);
  EXPECT_EQ(RecentCodes().back(), u"000003");
  EXPECT_EQ(RecentCodes().front(), u"000006");
}

}  // namespace
}  // namespace velloran
