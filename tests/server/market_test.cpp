#include "server/market.h"

#include <gtest/gtest.h>

#include <set>

#include "server/book_replies.h"
#include "server/calendar.h"
#include "server/past_day.h"
#include "server/tick_size.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

constexpr int kDate = 20260105;

MarketConfig Config(std::uint64_t seed, int stocks = 300) {
  return {seed, stocks, kDate};
}

TEST(MarketTest, TheSameSeedGivesTheSameDayHoweverTheClockSteps) {
  Market fine(Config(7)), coarse(Config(7)), other(Config(8));
  MarketEvents events_fine, events_coarse, scratch;
  for (int t = Market::kPreOpen + 1; t <= 10 * 3600; t += 7) fine.AdvanceTo(t, events_fine);
  fine.AdvanceTo(10 * 3600, events_fine);
  coarse.AdvanceTo(10 * 3600, events_coarse);
  other.AdvanceTo(10 * 3600, scratch);
  ASSERT_EQ(fine.now(), coarse.now());
  ASSERT_EQ(events_fine.trades.size(), events_coarse.trades.size());
  ASSERT_FALSE(events_fine.trades.empty());
  EXPECT_EQ(events_fine.minutes, events_coarse.minutes);
  EXPECT_EQ(events_fine.phase_changes, (std::vector<int>{Market::kPhaseOpen}));
  for (std::size_t k = 0; k < events_fine.trades.size(); k += 97) {
    EXPECT_EQ(events_fine.trades[k].stock, events_coarse.trades[k].stock);
    EXPECT_EQ(QuoteText(events_fine.trades[k].quote), QuoteText(events_coarse.trades[k].quote));
  }
  int differ = 0;
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(MasterLine(fine.stock(i)), MasterLine(coarse.stock(i)));
    EXPECT_EQ(QuoteText(fine.stock(i).quote), QuoteText(coarse.stock(i).quote));
    EXPECT_EQ(fine.stock(i).minutes.size(), 60u);
    differ += fine.stock(i).code != other.stock(i).code;
  }
  EXPECT_GT(differ, 250);  // another seed, another market
}

TEST(MarketTest, TradesComeInTimeOrderAndOnlyWhileTheMarketIsOpen) {
  Market m(Config(3));
  MarketEvents events;
  m.AdvanceTo(Market::kEndOfDay, events);
  ASSERT_FALSE(events.trades.empty());
  for (std::size_t k = 1; k < events.trades.size(); ++k)
    ASSERT_LE(events.trades[k - 1].seconds, events.trades[k].seconds);
  EXPECT_GE(events.trades.front().seconds, Market::kOpen);
  EXPECT_LT(events.trades.back().seconds, Market::kClose);
  EXPECT_EQ(events.phase_changes, (std::vector<int>{Market::kPhaseOpen, Market::kPhaseClosed}));
  EXPECT_EQ(events.minutes.front(), Market::kPreOpen + 60);
  EXPECT_EQ(events.minutes.back(), 23 * 3600 + 59 * 60);
  EXPECT_EQ(m.phase(), Market::kPhaseClosed);
}

TEST(MarketTest, CodesAndNamesAreUniqueAndTheMarketsSplitLikeTheExchange) {
  Market m(MarketConfig{11, 2600, kDate});
  std::set<std::string> codes;
  std::set<std::u16string> names;
  int kospi = 0, kosdaq = 0, etfs = 0;
  for (const Stock& s : m.stocks()) {
    ASSERT_EQ(s.code.size(), 6u);
    ASSERT_TRUE(std::all_of(s.code.begin(), s.code.end(), ::isdigit)) << s.code;
    codes.insert(s.code);
    names.insert(s.name);
    kospi += s.market == 1;
    kosdaq += s.market == 2;
    etfs += s.etf;
    EXPECT_TRUE(!s.etf || s.market == 1);
    EXPECT_EQ(m.Find(s.code), &s - m.stocks().data());
  }
  EXPECT_EQ(codes.size(), 2600u);
  EXPECT_EQ(names.size(), 2600u);
  EXPECT_EQ(kospi, 950);
  EXPECT_EQ(kosdaq, 1650);
  EXPECT_EQ(etfs, 100);
  EXPECT_EQ(m.Find("12345"), -1);
  EXPECT_EQ(m.Find("999999x"), -1);
}

TEST(MarketTest, EveryPriceSitsOnTheTickGridWithinTheDayLimits) {
  Market m(Config(5));
  MarketEvents events;
  m.AdvanceTo(Market::kClose, events);
  for (const MarketEvents::Trade& t : events.trades) {
    const Stock& s = m.stock(t.stock);
    const Quote& q = t.quote;
    ASSERT_TRUE(OnTickGrid(q.price, s.market, s.etf)) << s.code << " " << q.price;
    ASSERT_GE(q.price, s.lower_limit);
    ASSERT_LE(q.price, s.upper_limit);
    ASSERT_LE(q.low, q.price);
    ASSERT_GE(q.high, q.price);
    ASSERT_EQ(q.change, q.price - s.prev_close);
  }
  for (int i = 0; i < 300; ++i) {
    const Stock& s = m.stock(i);
    EXPECT_TRUE(OnTickGrid(s.prev_close, s.market, s.etf));
    EXPECT_TRUE(OnTickGrid(s.upper_limit, s.market, s.etf));
    EXPECT_TRUE(OnTickGrid(s.lower_limit, s.market, s.etf));
    EXPECT_LE(s.upper_limit, s.prev_close * 1.3);
    EXPECT_GE(s.lower_limit, s.prev_close * 0.7);
    int bid_total = 0;
    for (int k = 0; k < 10; ++k) {
      if (s.book.ask_price[k]) {
        EXPECT_TRUE(OnTickGrid(s.book.ask_price[k], s.market, s.etf));
        if (k > 0) {
          EXPECT_EQ(s.book.ask_price[k], TickUp(s.book.ask_price[k - 1], s.market, s.etf));
        }
      }
      if (s.book.bid_price[k]) {
        EXPECT_TRUE(OnTickGrid(s.book.bid_price[k], s.market, s.etf));
      }
      bid_total += s.book.bid_qty[k];
    }
    EXPECT_EQ(bid_total, s.quote.bid_total);
    if (s.book.ask_price[0] && s.book.bid_price[0]) {
      EXPECT_EQ(s.book.ask_price[0], TickUp(s.book.bid_price[0], s.market, s.etf));
    }
  }
}

TEST(MarketTest, DayHistoryIsStableWeekdaysNewestFirstEndingAtThePreviousClose) {
  Market m(Config(9, 40));
  for (int i = 0; i < 40; i += 3) {
    const Stock& s = m.stock(i);
    const std::vector<DayBar> all = m.DayHistory(i, Market::kHistoryDays);
    ASSERT_EQ(all.size(), 1200u);
    const std::vector<DayBar> last = m.DayHistory(i, 50);
    for (std::size_t d = 0; d < last.size(); ++d) {
      EXPECT_EQ(last[d].close, all[d].close);
      EXPECT_EQ(last[d].date, all[d].date);
    }
    EXPECT_EQ(all[0].close, s.prev_close);
    EXPECT_EQ(all[0].volume, s.prev_volume);
    EXPECT_EQ(all[0].date, m.trading_dates()[1]);
    for (std::size_t d = 0; d < all.size(); ++d) {
      const DayBar& b = all[d];
      ASSERT_TRUE(OnTickGrid(b.close, s.market, s.etf) && OnTickGrid(b.open, s.market, s.etf));
      ASSERT_LE(b.low, std::min(b.open, b.close));
      ASSERT_GE(b.high, std::max(b.open, b.close));
      ASSERT_NE(Weekday(b.date), 0);
      ASSERT_NE(Weekday(b.date), 6);
      if (d > 0) {
        ASSERT_LT(b.date, all[d - 1].date);
      }
    }
  }
}

TEST(MarketTest, TotalsAtAPastMinuteAreTheBookAtThatMinute) {
  Market later(Config(4)), then(Config(4));
  MarketEvents scratch;
  later.AdvanceTo(11 * 3600, scratch);
  then.AdvanceTo(10 * 3600 + 15 * 60, scratch);
  for (int i = 0; i < 300; ++i) {
    int bid = 0, ask = 0, price = 0;
    later.TotalsAt(i, 10 * 3600 + 15 * 60, bid, ask, price);
    EXPECT_EQ(bid, then.stock(i).quote.bid_total);
    EXPECT_EQ(ask, then.stock(i).quote.ask_total);
    EXPECT_EQ(price, then.stock(i).quote.price);
    later.TotalsAt(i, 8 * 3600, bid, ask, price);
    EXPECT_EQ(bid, later.stock(i).open_bid_total);
  }
}

TEST(MarketTest, AWatchedBookIsTheSameWheneverWatchingStartedAndChangesNothingElse) {
  Market early(Config(6)), late(Config(6)), unwatched(Config(6));
  MarketEvents events, scratch;
  const int busy = [&] {
    for (int i = 0; i < 300; ++i)
      // Trading every few seconds: its book moves between trades.
      if (early.stock(i).mean_gap_s > 5 && !early.stock(i).etf) return i;
    return 0;
  }();
  early.Watch(busy);
  early.AdvanceTo(9 * 3600 + 600, events);
  late.AdvanceTo(9 * 3600 + 600, scratch);
  late.Watch(busy);
  unwatched.AdvanceTo(9 * 3600 + 600, scratch);
  EXPECT_EQ(early.LiveBook(busy), late.LiveBook(busy));
  EXPECT_EQ(early.LiveBookSeconds(busy), late.LiveBookSeconds(busy));
  EXPECT_NE(early.LiveBook(busy), early.stock(busy).book);  // it moved since the last trade
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(QuoteText(early.stock(i).quote), QuoteText(unwatched.stock(i).quote));
    ASSERT_EQ(early.stock(i).book, unwatched.stock(i).book);
  }
  // Only the watched stock's book moves, several times a second, in time
  // order; between trades its prices stay those of the last trade.
  ASSERT_GT(events.books.size(), 1500u);
  std::size_t t = 0;
  Book traded = events.books.front().book;  // the pre-open book, before any trade
  int last_trade_count = 0;
  for (std::size_t k = 0; k < events.books.size(); ++k) {
    const MarketEvents::BookChange& c = events.books[k];
    ASSERT_EQ(c.stock, busy);
    if (k > 0) {
      ASSERT_GE(c.seconds, events.books[k - 1].seconds);
    }
    while (t < events.trades.size() && events.trades[t].seconds <= c.seconds) {
      if (events.trades[t].stock == busy) {
        const Quote& q = events.trades[t].quote;
        EXPECT_EQ(c.seconds >= events.trades[t].seconds, true);
        traded.ask_price[0] = q.best_ask;
        traded.bid_price[0] = q.best_bid;
        ++last_trade_count;
      }
      ++t;
    }
    EXPECT_EQ(c.book.ask_price[0], traded.ask_price[0]);
    EXPECT_EQ(c.book.bid_price[0], traded.bid_price[0]);
    int asks = 0;
    for (int q : c.book.ask_qty) asks += q;
    EXPECT_EQ(asks, c.book.ask_total);
  }
  EXPECT_GT(last_trade_count, 30);
  early.Unwatch(busy);
  early.AdvanceTo(9 * 3600 + 660, events);
  EXPECT_EQ(early.LiveBook(busy), early.stock(busy).book);
}

// The open's rush: a watched book moves a couple of hundred times a second
// and the market trades about four times as often in the first ten minutes,
// then both go back to the usual pace; a late watcher still sees the same
// book.
TEST(MarketTest, TheOpensRushQuickensTheFirstTenMinutesOnly) {
  MarketConfig rushed_config = Config(6);
  rushed_config.open_rush = true;
  Market usual(Config(6)), rushed(rushed_config), late(rushed_config);
  const int watched = 3;
  usual.Watch(watched);
  rushed.Watch(watched);
  const auto run = [&](Market& m, int from_s, int to_s) {
    MarketEvents events;
    m.AdvanceTo(from_s, events);
    events.Clear();
    m.AdvanceTo(to_s, events);
    return std::pair<std::size_t, std::size_t>{events.books.size(), events.trades.size()};
  };
  const int open = Market::kOpen, rush_end = Market::kOpen + Market::kRushS;
  const auto [usual_books, usual_trades] = run(usual, open + 60, open + 120);
  const auto [rush_books, rush_trades] = run(rushed, open + 60, open + 120);
  EXPECT_GT(rush_books, 60u * 200u);
  EXPECT_LT(usual_books, 60u * 20u);
  EXPECT_GT(rush_trades, 3 * usual_trades);
  const auto [after_books, after_trades] = run(rushed, rush_end + 60, rush_end + 120);
  EXPECT_LT(after_books, 60u * 20u);
  EXPECT_LT(after_trades, rush_trades / 3);
  MarketEvents scratch;
  late.AdvanceTo(rush_end + 120, scratch);
  late.Watch(watched);
  EXPECT_EQ(late.LiveBook(watched), rushed.LiveBook(watched));
}

TEST(MarketTest, TheLevelHistoryHoldsTheCurrentBookAndTheTradeListRebuildsEachQuote) {
  Market m(Config(2));
  MarketEvents events;
  m.AdvanceTo(9 * 3600 + 1200, events);
  std::vector<Quote> sent;  // the quotes of stock 7 as they went out
  const int busy = events.trades.front().stock;
  for (const MarketEvents::Trade& t : events.trades)
    if (t.stock == busy) sent.push_back(t.quote);
  const Stock& s = m.stock(busy);
  for (int k = 0; k < 10; ++k) {
    const LevelHistory::Level* ask = s.levels.Find(s.book.ask_price[k], s.market, s.etf);
    const LevelHistory::Level* bid = s.levels.Find(s.book.bid_price[k], s.market, s.etf);
    ASSERT_TRUE(ask && bid);
    EXPECT_EQ(ask->ask_qty, s.book.ask_qty[k]);
    EXPECT_EQ(bid->bid_qty, s.book.bid_qty[k]);
    EXPECT_EQ(ask->stamp, static_cast<int>(s.last_trade_s));
  }
  // Yesterday's deeper levels stay until today's book reaches them.
  int previous_day = 0;
  for (const LevelHistory::Level& l : s.levels.Levels())
    previous_day += l.stamp == LevelHistory::kPreviousDay;
  EXPECT_GT(previous_day, 0);
  const std::vector<Quote> rebuilt = RecentQuotes(s);
  ASSERT_EQ(rebuilt.size(), std::min<std::size_t>(50, sent.size()));
  for (std::size_t k = 0; k < rebuilt.size(); ++k)
    EXPECT_EQ(QuoteText(rebuilt[k]), QuoteText(sent[sent.size() - 1 - k])) << k;
}

TEST(MarketTest, APastDayAgreesWithItsDayBarMinuteByMinute) {
  Market m(Config(12, 60));
  for (int i = 0; i < 60; i += 2) {
    const std::vector<DayBar> days = m.DayHistory(i, 12);
    const Stock& s = m.stock(i);
    for (std::size_t d = 0; d + 1 < days.size(); ++d) {
      const DayBar& bar = days[d];
      const PastDay day(m, i, bar, days[d + 1].close);
      ASSERT_EQ(day.minutes().size(), 390u);
      int high = 0, low = INT32_MAX, last = bar.open;
      std::int64_t volume = 0;
      for (const PastMinute& minute : day.minutes()) {
        ASSERT_TRUE(OnTickGrid(minute.open, s.market, s.etf) &&
                    OnTickGrid(minute.high, s.market, s.etf));
        ASSERT_TRUE(OnTickGrid(minute.low, s.market, s.etf) &&
                    OnTickGrid(minute.close, s.market, s.etf));
        ASSERT_LE(minute.low, std::min(minute.open, minute.close));
        ASSERT_GE(minute.high, std::max(minute.open, minute.close));
        if (minute.volume == 0) {
          ASSERT_EQ(minute.open, last);  // no trade, no move
          ASSERT_EQ(minute.high, minute.low);
        }
        ASSERT_GT(minute.bid_total, 0);
        high = std::max(high, minute.high);
        low = std::min(low, minute.low);
        volume += minute.volume;
        last = minute.close;
      }
      EXPECT_EQ(day.minutes().front().open, bar.open);
      EXPECT_GT(day.minutes().front().volume, 0);
      EXPECT_EQ(last, bar.close);
      EXPECT_EQ(high, bar.high);
      EXPECT_EQ(low, bar.low);
      EXPECT_EQ(volume, bar.volume);

      // The same path every time; the totals alone agree with it.
      const PastDay again(m, i, bar, days[d + 1].close);
      EXPECT_EQ(again.minutes().back().ask_total, day.minutes().back().ask_total);
      for (int t : {8 * 3600, 9 * 3600 + 59, 11 * 3600 + 30 * 60, 16 * 3600}) {
        int bid = 0, ask = 0, price = 0, bid_alone = 0, ask_alone = 0;
        day.StateAt(t, bid, ask, price);
        PastDay::TotalsAt(m, i, bar.date, t, bid_alone, ask_alone);
        EXPECT_EQ(bid, bid_alone);
        EXPECT_EQ(ask, ask_alone);
        if (t < 9 * 3600 + 60) {
          EXPECT_EQ(price, days[d + 1].close);
        }
        if (t >= 15 * 3600 + 30 * 60) {
          EXPECT_EQ(price, bar.close);
        }
      }
    }
  }
}

}  // namespace
}  // namespace velloran::server
