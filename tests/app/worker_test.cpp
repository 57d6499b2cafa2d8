// The worker thread: order, the history bound, the stop sequence, a stress
// run with a screen-switching and a reading thread beside it, and a record's
// bars shared by writers and a reader.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/window_messages.h"
#include "tests/app/session_fixture.h"
#include "tests/stock/quote_text.h"

namespace velloran {
namespace {

using testing::QuoteText;

std::unique_ptr<Packet> BatchEnd(int end) {
  auto p = std::make_unique<Packet>(3014);
  p->AddInt(u"END", end);
  return p;
}

class WorkerTest : public testing::SessionTest {};

TEST_F(WorkerTest, HandlesPacketsInArrivalOrder) {
  for (int i = 0; i < 300; ++i) session_->PushIncoming(BatchEnd(i));
  session_->StartWorker();
  session_->StartWorker();  // a second start does nothing
  for (int i = 300; i < 600; ++i) session_->PushIncoming(BatchEnd(i));
  ASSERT_TRUE(queue_.WaitForPending(600, std::chrono::seconds(30)));
  const auto got = Posted(qz_);
  ASSERT_EQ(got.size(), 600u);
  for (int i = 0; i < 600; ++i) EXPECT_EQ(got[i].lparam, i);
}

TEST_F(WorkerTest, HistoryKeepsTheNewestThousand) {
  session_->StartWorker();
  for (int i = 0; i < 1001; ++i) session_->PushIncoming(BatchEnd(i));
  ASSERT_TRUE(queue_.WaitForPending(1001, std::chrono::seconds(30)));
  // Once the next packet is posted, the 1001st is in the history and
  // trimmed; the worker files the posted one right after posting it.
  session_->PushIncoming(BatchEnd(1001));
  ASSERT_TRUE(queue_.WaitForPending(1002, std::chrono::seconds(30)));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (session_->history_size() != CSessionData::kHistoryLimit &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(session_->history_size(), CSessionData::kHistoryLimit);
}

// The history's texts are bounded by bytes too, the oldest going first:
// {packets, characters each, most kept}.
TEST(PacketHistoryTest, BoundedByBytes) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  const std::size_t rows[][3] = {{40, kMiB / 2, CPacketPipeline::kHistoryBytes / kMiB},
                                 {1, 9 * kMiB, 0}};
  ManualClock clock;
  for (const auto& [packets, chars, most] : rows) {
    CPacketPipeline pipeline(clock);
    for (std::size_t i = 0; i < packets; ++i)
      pipeline.PushHistory(std::make_unique<Packet>(std::u16string(chars, u'x')));
    EXPECT_LE(pipeline.history_bytes(), CPacketPipeline::kHistoryBytes);
    EXPECT_EQ(pipeline.history_size() + (most ? 1 : 0), most);  // no more go than need to
  }
}

// The worker sends a delayed post once its clock has passed it, handling the
// packets behind it meanwhile.
TEST_F(WorkerTest, DelayedPostsGoOutWhenTheClockHasPassedThem) {
  Dispatch(u"<PKT><GBN>1</GBN><RTN>OK</RTN><ALM>1|000007|d|1000|d1|1001</ALM></PKT>");
  Posted(top_);
  Posted(qz_);
  session_->StartWorker();
  session_->PushIncoming(std::make_unique<Packet>(
      u"<PKT><GBN>3010</GBN><SHCODE>000007</SHCODE><SEQ>1</SEQ></PKT>"));
  session_->PushIncoming(BatchEnd(7));
  ASSERT_TRUE(queue_.WaitForPending(1, std::chrono::seconds(30)));
  EXPECT_EQ(Posted(qz_).size(), 1u);
  clock_.Advance(std::chrono::milliseconds(100));
  ASSERT_TRUE(queue_.WaitForPending(1, std::chrono::seconds(30)));
  EXPECT_EQ(Posted(top_).size(), 1u);
}

// One thread dispatches hits of 3007 while another switches 3007 and 3004:
// right after a switch to 3004 the list never holds a stock of 3007.
TEST_F(WorkerTest, AHitOfTheScreenJustLeftNeverLandsInTheNewOne) {
  std::atomic<bool> switching{true};
  std::thread dispatcher([&] {
    for (int i = 0; switching.load(); ++i)
      Dispatch(u"<PKT><GBN>3007</GBN><SHCODE>" + FormatInt06(i % 50) + u"</SHCODE><CPKT>" +
               QuoteText(1000) + u"</CPKT></PKT>");
  });
  int found = 0;
  for (int i = 0; i < 3000; ++i) {
    (void)session_->SwitchScreen(3004);
    found += session_->Read()->records.empty() ? 0 : 1;
    (void)session_->SwitchScreen(3007);
  }
  switching = false;
  dispatcher.join();
  EXPECT_EQ(found, 0);
}

TEST_F(WorkerTest, StopFreesWhatIsStillWaiting) {
  for (int i = 0; i < 100; ++i) session_->PushIncoming(BatchEnd(i));
  session_->ClearIncoming();
  EXPECT_EQ(session_->incoming_size(), 0u);
  session_->StartWorker();
  for (int i = 0; i < 5000; ++i) session_->PushIncoming(BatchEnd(i));
  session_.reset();  // the leak checker sees any packet left behind
  queue_.DispatchPending();
}

// One thread pushes a quarter of a million packets while another switches
// screens (about a thousand times) and a third reads the records; the
// sanitizers watch the whole run.
TEST_F(WorkerTest, StressPushSwitchAndRead) {
  constexpr int kPackets = 250'000;
  Dispatch(u"<PKT><GBN>1</GBN><RTN>OK</RTN><ALM>1|000007|d|1000|d1|1001</ALM></PKT>");
  Posted(qz_);               // the login's posts
  session_->SetWindows({});  // nothing piles up in the stand-in queue
  session_->StartWorker();
  std::atomic<bool> pushing{true};

  std::thread pusher([&] {
    const std::u16string quote = QuoteText(1000, 990, 1010, 980, 100);
    for (int i = 0; i < kPackets; ++i) {
      const std::u16string code = FormatInt06(i % 50);
      std::unique_ptr<Packet> p;
      if (i % 3 == 0) {
        p = std::make_unique<Packet>(i % 6 == 0 ? 3007 : 3004);
        p->AddText(u"SHCODE", code);
        p->AddText(u"CPKT", quote);
        p->AddInt(u"PRC", 1000 + i % 20);
      } else {
        p = std::make_unique<Packet>(2002);
        p->AddText(u"RES", u"CPRC");
        p->AddText(u"STKCD", code);
        p->AddText(u"DATA", QuoteText(995 + i % 10));
      }
      session_->PushIncoming(std::move(p));
    }
    pushing = false;
  });
  std::thread switcher([&] {
    int screen = 3007;
    while (pushing.load()) {
      screen = screen == 3007 ? 3004 : 3007;
      (void)session_->SwitchScreen(screen);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  std::int64_t seen = 0;
  std::thread reader([&] {
    while (pushing.load()) {
      const auto store = session_->Read();
      for (const auto& [code, record] : store->records) {
        if (record->quote()) seen += record->quote()->Price();
        seen += record->IsImminent() ? 1 : 0;
        seen += record->bars().Count();
      }
    }
  });
  pusher.join();
  switcher.join();
  reader.join();

  // The worker drains what is left; a last batch end marks the end. It comes
  // from another producer, and the queue keeps order only per producer, so it
  // is pushed once the pusher's packets are gone.
  for (int waited_ms = 0; session_->incoming_size() > 0 && waited_ms < 600'000; ++waited_ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  session_->SetWindows({main_frame_.handle(), hoga_.handle(), qz_.handle(), top_.handle()});
  session_->PushIncoming(BatchEnd(-1));
  ASSERT_TRUE(queue_.WaitForPending(1, std::chrono::seconds(600)));
  EXPECT_THAT(Posted(qz_), ::testing::ElementsAre(RecordedMessage{msg::kNotify, 3014, -1}));
  EXPECT_EQ(session_->incoming_size(), 0u);
  EXPECT_LE(session_->history_size(), CSessionData::kHistoryLimit + 1);
  EXPECT_GE(seen, 0);
}

// A record's day bars, where the dispatcher's writes and the user-interface
// thread's reads meet: the records lock keeps every bar whole. Two writers
// and a reader, through the store's Writer and Reader.
class BarStoreConcurrency : public testing::SessionTest {};

TEST_F(BarStoreConcurrency, TwoMergingThreadsAndAReader) {
  std::u16string day;
  for (int i = 0; i < 130; ++i) {
    const int close = 10000 + i;
    day += FormatInt(20240105 - i) + u"|" + FormatInt(close) + u"|" + FormatInt(close) + u"|" +
           FormatInt(close) + u"|" + FormatInt(close) + u"|100\n";
  }
  Dispatch(u"<PKT><GBN>3007</GBN><SHCODE>005930</SHCODE><CPKT>" +
           QuoteText(10000, 10000, 10000, 10000) + u"</CPKT><DAY50>" + day + u"</DAY50></PKT>");
  CSessionStore& store = session_->store();
  ASSERT_EQ(session_->Read()->FindRecord(u"005930")->bars().Count(), 130);
  std::atomic<bool> stop{false};
  auto merge = [&](int offset) {
    for (int i = 0; i < 2000; ++i) {
      const int p = 10000 + offset + (i % 50) * 10;
      const Packet quote(u"<PKT><GBN>2002</GBN><RES>CPRC</RES><STKCD>005930</STKCD><DATA>" +
                         QuoteText(p, p - 5, p + 10, p - 10, i) + u"</DATA></PKT>");
      store.Write()->FindRecord(u"005930")->UpdatePrice(quote, store);
    }
  };
  std::thread reader([&] {
    while (!stop.load()) {
      const auto data = session_->Read();
      const CChartData& bars = data->FindRecord(u"005930")->bars();
      const TICK bar = bars.Bar(0);
      // Every merge writes the five fields of one quote together.
      if (bar.close != 10000) {
        ASSERT_EQ(bar.high, bar.close + 10);
        ASSERT_EQ(bar.low, bar.close - 10);
        ASSERT_EQ(bar.open, bar.close - 5);
      }
      ASSERT_EQ(bars.Bars().size(), 130u);
      ASSERT_LE(bars.Bottom(), bars.Top());
    }
  });
  std::thread a(merge, 0), b(merge, 3);
  a.join();
  b.join();
  stop = true;
  reader.join();
  EXPECT_EQ(session_->Read()->FindRecord(u"005930")->bars().Count(), 130);
}

}  // namespace
}  // namespace velloran
