// The screen journal: which results make entries and exits, and its day file
// (append, read back after a kill, damaged lines, old days).
#include "app/screen_journal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "net/text_util.h"
#include "net/utf8.h"
#include "tests/app/session_fixture.h"
#include "tests/stock/quote_text.h"

namespace velloran {
namespace {

using ::testing::ElementsAreArray;
using testing::QuoteText;

constexpr std::int32_t kToday = 20240105;  // the fixture's clock

class ScreenJournalTest : public testing::SessionTest {
 protected:
  // One batch: a hit per code, in the market given, then its end.
  void Batch(int screen, const std::vector<std::u16string>& codes, int market = 2) {
    for (const auto& code : codes) {
      Dispatch(u"<PKT><GBN>" + FormatInt(screen) + u"</GBN><SHCODE>" + code +
               u"</SHCODE><HNAME>종목" + code + u"</HNAME><MARKET>" + FormatInt(market) +
               u"</MARKET><PRC>1000</PRC><CPKT>" + QuoteText(1005, 0, 0, 0, 777) + u"</CPKT></PKT>");
    }
    End();
  }
  void End() { Dispatch(u"<PKT><GBN>3014</GBN><END>1</END><DT>20240105100500</DT></PKT>"); }
  // "+"/"-"/"!" code@screen/market for each entry since the last call.
  std::vector<std::string> Taken() {
    std::vector<std::string> out;
    const auto all = session_->journal().Entries();
    for (std::size_t i = seen_; i < all.size(); ++i) {
      const JournalEntry& e = all[i];
      const char* mark = e.event == JournalEvent::kEnter ? "+" : e.event == JournalEvent::kLeave ? "-" : "!";
      out.push_back(mark + Utf16ToUtf8(e.code) + "@" + std::to_string(e.screen) + "/" +
                    std::to_string(e.market));
    }
    seen_ = all.size();
    return out;
  }
  std::size_t seen_ = 0;
};

TEST_F(ScreenJournalTest, ResultsAreComparedWithTheScreensPreviousResultUnderTheSameFilter) {
  const std::u16string a = u"000010", b = u"000020", c = u"000030";
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> expect;
  };
  const std::vector<Step> steps = {
      {"the first result enters whole", [&] { Batch(3007, {a, b}); }, {"+000010@3007/2", "+000020@3007/2"}},
      {"the minute refresh adds one", [&] { Batch(3007, {c}); }, {"+000030@3007/2"}},
      {"the same result again records nothing", [&] { End(); }, {}},
      {"hits of another screen make no result", [&] { Batch(3004, {a}); }, {}},
      {"a switch: the old request's end is not the new result",
       [&] {
         (void)session_->SwitchScreen(3004);
         End();
       },
       {}},
      {"the new screen has a result of its own", [&] { Batch(3004, {a}); }, {"+000010@3004/2"}},
      {"back: compared with this screen's last result, after the old end",
       [&] {
         (void)session_->SwitchScreen(3007);
         End();
         Batch(3007, {a, c});
       },
       {"-000020@3007/2"}},
      {"another filter keeps a result of its own",
       [&] {
         session_->set_market_filter(1);
         (void)session_->SwitchScreen(3007);
         Batch(3007, {b}, 1);
       },
       {"+000020@3007/1"}},
      {"the time machine's past views are not recorded",
       [&] {
         (void)session_->SwitchScreen(3016);
         Batch(3016, {a, b, c}, 1);
         Batch(3016, {}, 1);
       },
       {}},
      {"a reconnection's first result is compared with the one before the loss",
       [&] {
         session_->set_market_filter(2);
         Dispatch(u"<PKT><GBN>1</GBN><RTN>OK</RTN></PKT>");
         (void)session_->SwitchScreen(3007);
         Batch(3007, {c, b});
       },
       {"+000020@3007/2", "-000010@3007/2"}},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_THAT(Taken(), ElementsAreArray(step.expect)) << step.what;
  }

  // A restart reads the day back: the first result is compared with the
  // last one recorded, not taken as all new.
  session_->journal().Flush();
  Reopen();
  seen_ = session_->journal().Entries().size();
  EXPECT_EQ(seen_, 8u);
  Batch(3007, {b});
  EXPECT_THAT(Taken(), ElementsAreArray({"-000030@3007/2"}));
}

TEST_F(ScreenJournalTest, EntriesCarryTheMomentsValuesAndAlarmsAreRecorded) {
  Dispatch(u"<PKT><GBN>1</GBN><RTN>OK</RTN><ALM>1|000660|d|500|d1|600</ALM></PKT>");
  Dispatch(u"<PKT><GBN>3007</GBN><SHCODE>005930</SHCODE><HNAME>가|나</HNAME><MARKET>2</MARKET>"
           u"<PRC>1000</PRC><BTOT>10</BTOT><STOT>30</STOT><CPKT>" + QuoteText(1005, 0, 0, 0, 777) +
           u"</CPKT></PKT>");
  End();
  Dispatch(u"<PKT><GBN>999</GBN><EVT>MINUTE</EVT><SVRTIME>20240105100600</SVRTIME></PKT>");
  Dispatch(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>000660</STKCD><DATA>" + QuoteText(500) +
           u"</DATA></PKT>");
  session_->journal().Flush();
  const auto entries = session_->journal().Entries();
  ASSERT_EQ(entries.size(), 2u);
  const JournalEntry& in = entries[0];
  EXPECT_EQ(in.time, u"20240105100500");
  EXPECT_EQ(in.name, u"가|나");
  EXPECT_EQ(in.price, 1005);
  EXPECT_EQ(in.capture_price, 1000);
  EXPECT_EQ(in.volume, 777);
  EXPECT_TRUE(in.imminent);
  EXPECT_TRUE(in.reverse);
  EXPECT_EQ(entries[1].event, JournalEvent::kAlarm);
  EXPECT_EQ(entries[1].time, u"20240105100600");
  EXPECT_EQ(entries[1].price, 500);

  // The file holds the same; a "|" in a name is written as a space.
  const auto back = CJournalFile(dir_).LoadDay(kToday);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].name, u"가 나");
  EXPECT_EQ(back[1], entries[1]);
}

TEST(JournalFileTest, AppendsReadsBackSkipsDamageAndRemovesOldDays) {
  const auto dir = testing::FreshDirectory();
  JournalEntry e;
  e.time = u"20240105093000";
  e.screen = 3004;
  e.market = 1;
  e.code = u"005930";
  e.name = u"삼성전자";
  e.price = 71000;
  e.capture_price = 70500;
  e.rate = -1.25;
  e.volume = 12345678901;
  e.reverse = true;
  JournalEntry next = e;
  next.time = u"20240105093100";
  next.event = JournalEvent::kLeave;
  {
    CJournalFile file(dir);
    file.Append(std::make_shared<const std::vector<JournalEntry>>(1, e));
    file.Flush();
    // A kill leaves the last line cut short; a hand edit, a broken one.
    std::ofstream(CJournalFile::PathFor(dir, kToday), std::ios::app)
        << "garbage\n20240105093000|편입|3004|1|0059|x|1|1|0.00|1|0|0\n\n"
        << "20240105093000|편입|3004|1|00593\xF0|x|1|1|0.00|1|0|0\n";
    file.Append(std::make_shared<const std::vector<JournalEntry>>(1, next));
  }  // the writer ends after writing what is pending
  std::ofstream(CJournalFile::PathFor(dir, kToday), std::ios::app) << "20240105093200|편입|30";
  std::size_t skipped = 0;
  CJournalFile file(dir);
  EXPECT_THAT(file.LoadDay(kToday, &skipped), ElementsAreArray({e, next}));
  EXPECT_EQ(skipped, 4u);

  // Keeping three days: today and the two before stay.
  struct Day {
    std::int32_t date;
    bool kept;
  };
  const Day days[] = {{20231231, false}, {20240102, false}, {20240103, true}, {20240104, true}};
  for (const Day& d : days) std::ofstream(CJournalFile::PathFor(dir, d.date)) << "x\n";
  std::ofstream(dir / "journal_notadate.txt") << "x\n";
  file.RemoveOld(kToday, 3);
  for (const Day& d : days)
    EXPECT_EQ(std::filesystem::exists(CJournalFile::PathFor(dir, d.date)), d.kept) << d.date;
  EXPECT_TRUE(std::filesystem::exists(CJournalFile::PathFor(dir, kToday)));
  EXPECT_TRUE(std::filesystem::exists(dir / "journal_notadate.txt"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velloran
