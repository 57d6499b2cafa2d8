// The dispatcher, code by code: what the store holds afterwards and exactly
// which messages reach which window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "net/message_codes.h"
#include "net/stock_code.h"
#include "platform/window_messages.h"
#include "tests/app/session_fixture.h"
#include "tests/stock/quote_text.h"

namespace velloran {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::QuoteText;
using Msgs = std::vector<RecordedMessage>;

class DispatchTest : public testing::SessionTest {
 protected:
  void LoginOk(std::u16string extra = u"") {
    Dispatch(u"<PKT><GBN>1</GBN><RTN>OK</RTN>" + extra + u"</PKT>");
  }
  void Master(const std::u16string& lines) {
    Dispatch(u"<PKT><GBN>3002</GBN><DATA>" + Encode(lines) + u"</DATA></PKT>");
  }
  void Hit(int code, const std::u16string& shcode, std::u16string extra) {
    Dispatch(u"<PKT><GBN>" + FormatInt(code) + u"</GBN><SHCODE>" + shcode + u"</SHCODE>" + extra +
             u"</PKT>");
  }
  // Steps the clock through the pauses of n delayed posts: none goes out
  // before its time.
  void StepPosts(int n) {
    for (int i = 0; i < n; ++i) {
      const std::size_t before = queue_.PendingCount();
      for (const int ms : {99, 1}) {
        EXPECT_EQ(queue_.PendingCount(), before) << "a post before its pause";
        clock_.Advance(std::chrono::milliseconds(ms));
        session_->RunDuePosts();
      }
      EXPECT_GT(queue_.PendingCount(), before) << "no post after its pause";
    }
  }
  void Cprc(const std::u16string& shcode, int price) {
    Dispatch(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>" + shcode + u"</STKCD><DATA>" +
             QuoteText(price) + u"</DATA></PKT>");
  }
};

TEST_F(DispatchTest, LoginRefusedTellsOnlyTheMainFrame) {
  for (const std::u16string answer : {u"<PKT><GBN>1</GBN><DT>20240105093000</DT></PKT>",
                                      u"<PKT><GBN>1</GBN><RTN>NO</RTN><JIF>1|21</JIF></PKT>",
                                      u"<PKT><GBN>1</GBN><RTN></RTN></PKT>"}) {
    Dispatch(answer);
    EXPECT_THAT(Posted(main_frame_), ElementsAre(RecordedMessage{msg::kNotify, 1, 0}));
  }
  EXPECT_THAT(Posted(top_), IsEmpty());
  EXPECT_THAT(Posted(qz_), IsEmpty());
  EXPECT_EQ(session_->server_date(), 0);
  EXPECT_FALSE(session_->CheckMarketState());
  EXPECT_EQ(session_->first_login(), 1);
}

TEST_F(DispatchTest, LoginAnswerFillsTheStoreAndTellsTopBarAndWorkArea) {
  LoginOk(
      u"<DT>20240105093000</DT><JIF>|1|21\n3|5\n</JIF>"
      u"<MYS>1|2|grp|005930|\n|0|3|g2|000660|</MYS>"
      u"<ALM>1|005930|d|1000|d1|1100</ALM>"
      u"<JONGA>005930|4|20240105\n|000660|5|20240104</JONGA>"
      u"<MEMO>" +
      Encode(u"005930첫 메모$@$000660둘째") + u"</MEMO>");
  EXPECT_EQ(session_->server_date(), 20240105);
  EXPECT_EQ(session_->server_time_of_day(), 93000);
  EXPECT_TRUE(session_->CheckMarketState());
  EXPECT_EQ(session_->MarketFlag(3, -1), 5);
  ASSERT_EQ(session_->Read()->saved_screens.size(), 2u);
  EXPECT_EQ(session_->Read()->saved_screens[1]->Text(),
            u"<PKT><GBN>3009</GBN><SEQ>0</SEQ><SRT>3</SRT><GRP>g2</GRP><SHCODES>000660</SHCODES>"
            u"</PKT>");
  ASSERT_NE(session_->Read()->FindAlarm(u"005930"), nullptr);
  EXPECT_EQ(session_->Read()->FindAlarm(u"005930")->second_price(), 1100);
  ASSERT_EQ(session_->Read()->closing_list.size(), 2u);
  EXPECT_EQ(session_->Read()->closing_list[1]->GetText(u"SHCODE", u""), u"000660");
  EXPECT_EQ(session_->Read()->closing_list[1]->GetInt(u"SRT", 0), 5);
  EXPECT_EQ(session_->Read()->Memo(u"005930"), u"첫 메모");
  EXPECT_EQ(session_->Read()->Memo(u"000660"), u"둘째");
  EXPECT_THAT(Posted(top_), ElementsAre(RecordedMessage{msg::kNotify, 1, 1}));
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kNotify, 1, 1}));
  EXPECT_THAT(Posted(main_frame_), IsEmpty());
  EXPECT_EQ(session_->first_login(), 0);
  EXPECT_EQ(session_->logged_in(), 1);

  // A reconnection's answer: lParam 0; a long MYS replaces the list, an
  // existing alarm is re-parsed with its hits kept.
  Cprc(u"005930", 1000);
  EXPECT_EQ(session_->Read()->FindAlarm(u"005930")->first_hit(), 1);
  Posted(hoga_);
  LoginOk(u"<MYS>9|1|g|x</MYS><ALM>2|005930|d|1200|d1|1300</ALM>"
          u"<JONGA>005930|4|20240105</JONGA><MEMO>" +
          Encode(u"005930새 메모") + u"</MEMO>");
  EXPECT_EQ(session_->Read()->saved_screens.size(), 1u);
  EXPECT_EQ(session_->Read()->FindAlarm(u"005930")->first_price(), 1200);
  EXPECT_EQ(session_->Read()->FindAlarm(u"005930")->first_hit(), 1);
  // The closing list and the memos are the new answer's, not added to the old.
  ASSERT_EQ(session_->Read()->closing_list.size(), 1u);
  EXPECT_EQ(session_->Read()->Memo(u"005930"), u"새 메모");
  EXPECT_EQ(session_->Read()->Memo(u"000660"), u"");
  EXPECT_THAT(Posted(top_), ElementsAre(RecordedMessage{msg::kNotify, 1, 0}));
}

TEST_F(DispatchTest, ShortSavedScreenTextAppendsWithoutEmptying) {
  LoginOk(u"<MYS>1|2|g|a|</MYS>");
  LoginOk(u"<MYS>1|2|3</MYS>");  // 5 characters
  EXPECT_EQ(session_->Read()->saved_screens.size(), 2u);
  LoginOk(u"<MYS>4|5|6|7</MYS>");  // 7 characters
  EXPECT_EQ(session_->Read()->saved_screens.size(), 1u);
}

TEST_F(DispatchTest, UndecodableMemoGivesNoMemos) {
  LoginOk(u"<MEMO>@@not base64@@</MEMO>");
  EXPECT_EQ(session_->Read()->Memo(u""), u"");
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kNotify, 1, 1}));
}

TEST_F(DispatchTest, BatchEndTellsTheWorkArea) {
  Dispatch(u"<PKT><GBN>3014</GBN><END>1</END><DT>20240105</DT></PKT>");
  Dispatch(u"<PKT><GBN>3014</GBN></PKT>");
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kNotify, 3014, 1},
                                       RecordedMessage{msg::kNotify, 3014, 0}));
  EXPECT_EQ(session_->Read()->current_date_text, u"");
  EXPECT_THAT(Posted(top_), IsEmpty());
}

TEST_F(DispatchTest, StockMasterIsKeptByCodeAndSortedAfterTheFirstLogin) {
  Master(
      u"<PKT><GBN>3002</GBN><SHCODE>000002</SHCODE><HNAME>나</HNAME></PKT>\n"
      u"<PKT><GBN>3002</GBN><SHCODE>000001</SHCODE><HNAME>가 100%</HNAME></PKT>\n"
      u"no packet at all\n");
  EXPECT_EQ(session_->Read()->master.size(), 2u);
  ASSERT_EQ(session_->Read()->name_list.size(), 2u);  // before the login: in arrival order
  EXPECT_EQ(session_->Read()->name_list[0]->GetText(u"SHCODE", u""), u"000002");
  EXPECT_EQ(session_->Read()->FindMaster(u"000001")->GetText(u"HNAME", u""), u"가 100％");
  // The top bar hears of it: a stock the login answer named may be in now.
  EXPECT_THAT(Posted(top_), ElementsAre(RecordedMessage{msg::kNotify, 3002, 0}));

  LoginOk();
  Master(
      u"<PKT><GBN>3002</GBN><SHCODE>000003</SHCODE><HNAME>다</HNAME></PKT>\n"
      u"<PKT><GBN>3002</GBN><SHCODE>000004</SHCODE><HNAME>각</HNAME></PKT>\n"
      u"<PKT><GBN>3002</GBN><SHCODE>000001</SHCODE><HNAME>하</HNAME></PKT>");
  const Packet* replaced = session_->Read()->FindMaster(u"000001");
  EXPECT_EQ(replaced->GetText(u"HNAME", u""), u"하");
  EXPECT_EQ(session_->Read()->master_generation, 2u);  // the search's index is built again
  std::vector<std::u16string> order;
  for (const Packet* p : session_->Read()->name_list) order.push_back(p->GetText(u"SHCODE", u""));
  // 000004 goes before the first greater name (나); 000003 after everything;
  // the renamed 000001 stays where it was.
  EXPECT_THAT(order, ElementsAre(u"000004", u"000002", u"000001", u"000003"));
  EXPECT_EQ(session_->Read()->name_list[2], replaced);
}

TEST_F(DispatchTest, TradingDatesAndServerEvents) {
  Dispatch(u"<PKT><GBN>3012</GBN><DATA>20240104xx\n\n20240103</DATA></PKT>");
  EXPECT_THAT(session_->Read()->trading_dates, ElementsAre(u"20240104", u"20240103"));
  EXPECT_EQ(session_->TradingDate(), 20240104);
  Dispatch(u"<PKT><GBN>3012</GBN><DATA></DATA></PKT>");
  EXPECT_THAT(session_->Read()->trading_dates, IsEmpty());
  EXPECT_EQ(session_->TradingDate(), 20240104);

  Dispatch(u"<PKT><GBN>999</GBN><EVT>OPEN</EVT><DT>x</DT><SVRTIME>20240105100000</SVRTIME></PKT>");
  EXPECT_EQ(session_->Read()->current_date_text, u"");
  EXPECT_EQ(session_->server_date(), 0);
  Dispatch(
      u"<PKT><GBN>999</GBN><EVT>MINUTE</EVT><DT>20240105</DT>"
      u"<SVRTIME>20240105143000</SVRTIME></PKT>");
  EXPECT_EQ(session_->Read()->current_date_text, u"20240105");
  EXPECT_EQ(session_->server_time_of_day(), 143000);
  EXPECT_EQ(session_->ServerHour(), 14);
}

TEST_F(DispatchTest, RealtimeFlagsAndIndexPackets) {
  Dispatch(u"<PKT><GBN>2002</GBN><RES>JIF</RES><DATA>|1|43</DATA></PKT>");
  EXPECT_TRUE(session_->CheckMarketState());
  Dispatch(u"<PKT><GBN>2002</GBN><RES>jif</RES><DATA>1|50</DATA></PKT>");  // not JIF
  EXPECT_TRUE(session_->CheckMarketState());
  Dispatch(u"<PKT><GBN>2002</GBN><RES>JISU</RES><UPCODE>001</UPCODE><V>1</V></PKT>");
  const Packet* index = session_->Read()->FindIndex(u"001");
  Dispatch(u"<PKT><GBN>2002</GBN><RES>JISU</RES><UPCODE>001</UPCODE><V>2%</V></PKT>");
  EXPECT_EQ(session_->Read()->FindIndex(u"001"), index);
  EXPECT_EQ(index->GetText(u"V", u""), u"2％");
  EXPECT_EQ(index->GetInt(u"GBN", 0), 2002);
}

TEST_F(DispatchTest, QuotesReachTheRecordAndTheWindowOfTheMode) {
  Hit(3007, u"005930", u"<CPKT>" + QuoteText(1000) + u"</CPKT><PRC>1000</PRC>");
  const CQZData* record = session_->Read()->FindRecord(u"005930");
  ASSERT_NE(record, nullptr);

  Cprc(u"005930", 1010);  // mode 0, no tile
  EXPECT_EQ(record->last_price(), 1010);
  RecordingWindow tile(queue_);
  session_->store().SetTileWindow(u"005930", tile.handle());
  Cprc(u"005930", 1020);  // tile hidden
  EXPECT_THAT(Posted(tile), IsEmpty());
  tile.SetVisible(true);
  Cprc(u"005930", 1030);
  EXPECT_THAT(Posted(tile), ElementsAre(RecordedMessage{msg::kNotify, 2002, 0}));
  EXPECT_THAT(Posted(qz_), IsEmpty());

  session_->set_display_mode(1);
  Cprc(u"005930", 1040);
  Cprc(u"000660", 1040);  // no record: nothing
  EXPECT_THAT(Posted(qz_),
              ElementsAre(RecordedMessage{msg::kNotify, 2002, PackStockCode(u"005930")}));
  EXPECT_THAT(Posted(tile), IsEmpty());
  EXPECT_EQ(record->last_price(), 1040);
}

TEST_F(DispatchTest, AlarmPricesPostAnOwnedPacketToTheMainFrame) {
  LoginOk(u"<ALM>1|000660|d|500|d1|600</ALM>");
  Posted(main_frame_);
  Cprc(u"000660", 500);
  Cprc(u"000660", 500);
  Cprc(u"000660", 600);
  const Msgs got = Posted(main_frame_);
  ASSERT_EQ(got.size(), 2u);
  ASSERT_EQ(main_frame_.payloads.size(), 2u);
  ASSERT_NE(main_frame_.Owned<Packet>(1), nullptr);
  EXPECT_EQ(got[0], (RecordedMessage{msg::kAlarmReached,
                                     reinterpret_cast<WParam>(main_frame_.Owned<Packet>(0)), 0}));
  EXPECT_EQ(main_frame_.Owned<Packet>(1)->Text(),
            u"<PKT><GBN>0</GBN><IDX>3010</IDX><SHCODE>000660</SHCODE><PRC>600</PRC></PKT>");
  EXPECT_THAT(Posted(hoga_), IsEmpty());

  // Without a frame the alarm packet is freed, not leaked.
  session_->SetWindows({{}, hoga_.handle(), qz_.handle(), top_.handle()});
  LoginOk(u"<ALM>2|000270|d|700|d1|800</ALM>");
  Cprc(u"000270", 700);
  EXPECT_EQ(session_->Read()->FindAlarm(u"000270")->first_hit(), 1);
}

TEST_F(DispatchTest, SavedScreenListReplacementReadsSrtFirst) {
  LoginOk(u"<MYS>1|2|g|a|\n2|2|g|b|</MYS>");
  Posted(qz_);
  Dispatch(u"<PKT><GBN>3023</GBN><IDX>3010</IDX><DATA>1|2|3|4</DATA></PKT>");
  EXPECT_EQ(session_->Read()->saved_screens.size(), 2u);
  Dispatch(u"<PKT><GBN>3023</GBN><IDX>3009</IDX><DATA>|7|15|g|005930|</DATA></PKT>");
  ASSERT_EQ(session_->Read()->saved_screens.size(), 1u);
  EXPECT_EQ(session_->Read()->saved_screens[0]->Text(),
            u"<PKT><GBN>3009</GBN><SRT>7</SRT><SEQ>15</SEQ><GRP>g</GRP><SHCODES>005930</SHCODES>"
            u"</PKT>");
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kNotify, 3023, 3009}));
}

TEST_F(DispatchTest, StockDetailSetsReverseDatesAndTellsTiles) {
  Hit(3007, u"005930", u"<CPKT></CPKT>");
  Hit(3007, u"000660", u"<CPKT></CPKT>");
  RecordingWindow tile(queue_);
  session_->store().SetTileWindow(u"000660", tile.handle());
  Dispatch(
      u"<PKT><GBN>3024</GBN><DATA>005930|20240101\n|000660|20240102\n000660|\n"
      u"999999|20240103</DATA></PKT>");
  EXPECT_EQ(session_->Read()->FindRecord(u"005930")->reverse_date(), u"20240101");
  EXPECT_EQ(session_->Read()->FindRecord(u"000660")->reverse_date(), u"20240102");
  EXPECT_THAT(Posted(tile), ElementsAre(RecordedMessage{msg::kNotify, 3024, 0}));
}

TEST_F(DispatchTest, HitsMakeRecordsOnlyForTheShownScreenWithAQuote) {
  LoginOk(u"<MEMO>" + Encode(u"005930메모") + u"</MEMO>");
  Hit(3004, u"005930", u"<CPKT></CPKT>");  // another screen
  Hit(3007, u"005930", u"<PRC>5</PRC>");   // no CPKT
  Hit(3007, u"", u"<CPKT></CPKT>");        // no code
  EXPECT_TRUE(session_->Read()->records.empty());
  Hit(3007, u"005930", u"<CPKT></CPKT><PRC>5</PRC>");
  Hit(3007, u"005930", u"<CPKT></CPKT><PRC>6</PRC>");
  const auto hold = session_->Read();
  ASSERT_EQ(hold->records.size(), 1u);
  EXPECT_EQ(hold->FindRecord(u"005930")->first_price(), 6);
  EXPECT_EQ(hold->FindRecord(u"005930")->memo(), u"메모");
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kNotify, 1, 1}));  // hits post nothing
}

TEST_F(DispatchTest, SavedScreenResultsReplaceMatchingEntriesWithAPauseEach) {
  LoginOk(u"<MYS>0|1|g|a|\n5|2|g|b|\n6|3|g|c|</MYS>");
  Posted(top_);
  Posted(qz_);
  const std::u16string result = u"<SEQ>5</SEQ><SHCODES>005930|</SHCODES><CPKT></CPKT>";
  Hit(3009, u"005930", result);  // shown screen is 3007
  EXPECT_EQ(clock_.slept(), std::chrono::milliseconds(0));  // the dispatcher goes on at once
  StepPosts(2);
  EXPECT_THAT(Posted(top_), ElementsAre(RecordedMessage{msg::kNotify, 3014, 3009},
                                        RecordedMessage{msg::kNotify, 3014, 3009}));
  EXPECT_THAT(Posted(qz_), IsEmpty());
  EXPECT_TRUE(session_->Read()->saved_screens[0]->Contains(u"005930|"));
  EXPECT_TRUE(session_->Read()->saved_screens[1]->Contains(u"005930|"));
  EXPECT_EQ(session_->Read()->saved_screens[2]->GetText(u"SHCODES", u""), u"c");
  EXPECT_TRUE(session_->Read()->records.empty());  // not the shown screen

  (void)session_->SwitchScreen(3009);
  Hit(3009, u"005930", result);
  StepPosts(2);
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kScreenChanged, 0, 0},
                                       RecordedMessage{msg::kScreenChanged, 0, 0}));
  EXPECT_THAT(Posted(top_), ElementsAre(RecordedMessage{msg::kScreenChanged, 3009, 0},
                                        RecordedMessage{msg::kScreenChanged, 3009, 0}));
  const auto hold = session_->Read();
  EXPECT_NE(hold->FindRecord(u"005930"), nullptr);
}

TEST_F(DispatchTest, AlarmResultsUpdateTheAlarmAndTheShownRecord) {
  Hit(3010, u"005930", u"<SEQ>1</SEQ><PRC>1</PRC>");  // no alarm record: nothing at all
  EXPECT_EQ(clock_.slept(), std::chrono::milliseconds(0));
  LoginOk(u"<ALM>1|005930|d|1000|d1|1100</ALM>");
  Posted(top_);
  Posted(qz_);

  Hit(3010, u"005930", u"<SEQ>1</SEQ><PRC>1200</PRC><PRC1>1300</PRC1><CPKT></CPKT>");
  EXPECT_EQ(session_->Read()->FindAlarm(u"005930")->first_price(), 1200);
  StepPosts(1);
  EXPECT_THAT(Posted(top_), ElementsAre(RecordedMessage{msg::kNotify, 3014, 3010}));

  (void)session_->SwitchScreen(3010);
  Hit(3010, u"005930", u"<SEQ>0</SEQ><PRC>1</PRC><CPKT></CPKT>");  // SEQ 0: the alarm stays
  {
    const auto hold = session_->Read();
    const CQZData* record = hold->FindRecord(u"005930");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->first_price(), 1200);  // the alarm's prices, not the hit's
    EXPECT_EQ(record->second_price(), 1300);
  }
  EXPECT_THAT(Posted(qz_), IsEmpty());
  Hit(3010, u"005930", u"<SEQ>2</SEQ><PRC>1250</PRC><CPKT></CPKT>");
  EXPECT_EQ(session_->Read()->FindRecord(u"005930")->first_price(), 1250);
  StepPosts(1);
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kScreenChanged, 0, 0}));
  EXPECT_THAT(Posted(top_), IsEmpty());
}

// Twenty alarm results at the open: their posts keep their spacing, while
// the batch end and the quote behind them are handled at once.
TEST_F(DispatchTest, PausedResultsHoldBackNothingBehindThem) {
  std::u16string alarms;
  for (int i = 0; i < 20; ++i) alarms += u"1|" + FormatInt06(i) + u"|d|1000|d1|1100\n";
  LoginOk(u"<ALM>" + alarms + u"</ALM>");
  Posted(top_);
  Posted(qz_);
  for (int i = 0; i < 20; ++i) Hit(3010, FormatInt06(i), u"<SEQ>1</SEQ><PRC>1200</PRC>");
  Dispatch(u"<PKT><GBN>3014</GBN><END>1</END></PKT>");
  EXPECT_EQ(clock_.slept(), std::chrono::milliseconds(0));
  EXPECT_THAT(Posted(qz_), ElementsAre(RecordedMessage{msg::kNotify, 3014, 1}));
  EXPECT_THAT(Posted(top_), IsEmpty());
  StepPosts(20);
  EXPECT_EQ(Posted(top_), Msgs(20, RecordedMessage{msg::kNotify, 3014, 3010}));
}

// A hit names its market: one that the filter in force leaves out is a hit
// of a request before it. {filter, the hit's MARKET (-1: none), kept}.
TEST_F(DispatchTest, HitsOfAMarketTheFilterLeavesOutMakeNoRecord) {
  const int rows[][3] = {{2, 2, 1}, {2, 1, 0}, {1, 2, 0}, {1, 1, 1}, {0, 1, 1}, {2, -1, 1}};
  for (const auto& [filter, market, kept] : rows) {
    (void)session_->SwitchScreen(3007);
    session_->set_market_filter(filter);
    Hit(3007, u"005930",
        u"<CPKT></CPKT>" + (market < 0 ? u"" : u"<MARKET>" + FormatInt(market) + u"</MARKET>"));
    EXPECT_EQ(session_->Read()->FindRecord(u"005930") != nullptr, kept != 0)
        << filter << " " << market;
  }
}

TEST_F(DispatchTest, OtherCodesAreMarked) {
  Packet p(u"<PKT><GBN>4242</GBN></PKT>");
  session_->Dispatch(p);
  EXPECT_EQ(p.GetText(u"ERR", u""), u"이건머야");
  Packet chart(u"<PKT><GBN>3011</GBN><SHCODE>x</SHCODE></PKT>");
  session_->Dispatch(chart);
  EXPECT_FALSE(chart.Contains(u"ERR"));
}

}  // namespace
}  // namespace velloran
