// The replay player's model stepped through a day with no window and no
// clock of its own: what each tick releases, what a seek uses or asks for,
// when fetching goes on, which replies are taken, and the transport's
// mappings.

#include "replay/play_model.h"

#include <gtest/gtest.h>

#include "replay/play_time.h"

namespace velloran {
namespace {

constexpr char16_t kCode[] = u"005930";
constexpr char16_t kDay[] = u"20240105";

// A day of one snapshot a second and two trades every other second, from
// `open` for `seconds`; Block is the server's answer to a request: the
// records at (IX 0) or after (IX 1) its HTIME, trades up to the last
// snapshot sent. A trade's price is its number in the day.
struct Day {
  std::int64_t open_s, seconds;
  PlayBlock Block(const PlayRequest& r, std::size_t lines) const {
    PlayBlock b{{r.code, r.ymd, r.htime}, r.ix, {}, {}, 0};
    const std::int64_t from = std::max(HhmmssToMs(r.htime) / 1000 + r.ix, open_s);
    const std::int64_t last = std::min<std::int64_t>(from + lines, open_s + seconds);
    for (std::int64_t s = from; s < last; ++s) {
      b.snapshots.emplace_back().time = MsToHhmmss(s * 1000);
      for (int k = 0; k < 2 * ((s - open_s) % 2 == 0); ++k) {
        CPKT& t = b.trades.emplace_back();
        t.SetInt(static_cast<int>(QuoteField::kTime), MsToHhmmss(s * 1000));
        t.SetInt(static_cast<int>(QuoteField::kPrice), static_cast<int>(s - open_s + k));
      }
    }
    return b;
  }
};

// A model started on the day with its time line, first block and that
// block's seek taken; every block `lines` long.
struct Rig {
  CPlayModel model;
  Day day;
  std::size_t lines;
  explicit Rig(Day d, std::size_t block_lines = 300) : day(d), lines(block_lines) {
    const PlayRequest tot = model.Start(kCode, u"1", kDay);
    const PlayTimeLineResult line = model.OnTimeLine({{tot.code, tot.ymd, {}}, {}, u"1", kDay});
    const PlayBlockResult first = model.OnBlock(day.Block(line.download, lines), PlayBlockSource::kDownload);
    const PlaySeekResult seek = model.Seek(*first.seek_to);
    if (!seek.request.empty()) Take(seek.request);
  }
  bool Take(const PlayRequest& r) {
    return model.OnBlock(day.Block(r, lines), PlayBlockSource::kSession).accepted;
  }
};

// A day at 1x and 128x, fetched a second after each full block: after every
// tick each snapshot before the clock is out and none after it, the one
// shown is the latest due, and every trade comes once, in order.
TEST(PlayModelTest, DayReleasesWhatIsDueOnceAndInOrder) {
  for (const int speed : {1, 128}) {
    Rig rig({9 * 3600, 1800});
    while (rig.model.speed() < speed) rig.model.FastForward();
    std::vector<int> released;
    for (int tick = 1; tick < 200000 && released.size() < 1800; ++tick) {
      if (tick % 100 == 0 && rig.model.fetching()) {
        ASSERT_TRUE(rig.Take(rig.model.ContinueFetching()));
      }
      const PlayRelease r = rig.model.Tick(10);
      const CPlayTape& tape = rig.model.tape();
      const std::size_t next = rig.model.next_snapshot();
      ASSERT_TRUE(next == tape.snapshot_count() || tape.snapshot_ms(next) >= rig.model.clock_ms());
      ASSERT_TRUE(next > 0 && tape.snapshot_ms(next - 1) < rig.model.clock_ms());
      ASSERT_TRUE(!r.snapshot || *r.snapshot == next - 1);
      for (std::size_t i = r.trades_begin; i < r.trades_end; ++i) released.push_back(tape.trade(i).Price());
      ASSERT_TRUE(!r.quote_changed || rig.model.current_quote()->Price() == released.back());
    }
    ASSERT_EQ(released.size(), 1800u) << speed;
    for (std::size_t i = 0; i < released.size(); ++i) ASSERT_EQ(released[i], int(i)) << speed;
  }
}

// A seek strictly between the first and last snapshot held rebuilds the book
// there; at either end, or outside, it empties the tape and asks for the
// block of the target's minute.
TEST(PlayModelTest, SeekUsesWhatIsHeldOnlyStrictlyInside) {
  const struct {
    std::int32_t target, block_htime;  // 0: taken from the tape
  } cases[] = {{84000, 84000}, {90959, 90900}, {85500, 0}, {90001, 0}, {95000, 95000}};
  for (const auto& c : cases) {
    Rig rig({8 * 3600 + 40 * 60, 1800}, 2000);  // holds 08:40:00 to 09:09:59
    (void)rig.model.SeekAllowedAgain();
    const PlaySeekResult s = rig.model.Seek(c.target);
    ASSERT_TRUE(s.accepted && s.release.clear_book) << c.target;
    EXPECT_EQ(rig.model.clock_ms(), HhmmssToMs(c.target));
    EXPECT_EQ(s.request.htime, c.block_htime) << c.target;
    EXPECT_EQ(rig.model.tape().empty(), c.block_htime != 0);
    if (c.block_htime) continue;
    const CPlayTape& tape = rig.model.tape();
    EXPECT_EQ(tape.snapshot(*s.release.snapshot).time, c.target);
    EXPECT_EQ(s.release.trades_end - s.release.trades_begin, 10u);
    EXPECT_EQ(tape.trade(s.release.trades_end - 1).Time(), MsToHhmmss(HhmmssToMs(c.target) - 1000) / 2 * 2);
    EXPECT_EQ(rig.model.current_quote()->Time(), (c.target + 1) / 2 * 2);
  }
}

// Fetching goes on, from the last snapshot held, after a block of more than
// 10 lines whose last snapshot is before 15:30:00; otherwise it ends.
TEST(PlayModelTest, FullBlockBeforeTheCloseContinues) {
  const struct {
    std::int64_t open_s;
    std::size_t lines;
    bool continues;
  } cases[] = {{9 * 3600, 11, true}, {9 * 3600, 10, false}, {55789, 11, true}, {55790, 11, false}};
  for (const auto& c : cases) {
    Rig rig({c.open_s, 600}, c.lines);
    const PlayRequest next = rig.model.ContinueFetching();
    EXPECT_EQ(next.empty(), !c.continues) << c.open_s << " " << c.lines;
    EXPECT_EQ(next.htime, c.continues ? MsToHhmmss((c.open_s + 10) * 1000) : 0);
  }
}

// Seeks within a second of the last are held, the latest kept, and made
// when seeks are allowed again: a drag's end is not lost.
TEST(PlayModelTest, HeldSeekLandsOnTheLatestTarget) {
  Rig rig({8 * 3600 + 40 * 60, 1800}, 2000);
  EXPECT_FALSE(rig.model.Seek(85500).accepted);
  EXPECT_FALSE(rig.model.Seek(90000).accepted);
  EXPECT_EQ(rig.model.clock_ms(), HhmmssToMs(85000));
  EXPECT_TRUE(rig.model.SeekAllowedAgain().start_seek_timer);
  EXPECT_EQ(rig.model.clock_ms(), HhmmssToMs(90000));
  EXPECT_FALSE(rig.model.SeekAllowedAgain().accepted);
}

// The clock waits at the last snapshot held while the next block is on its
// way, and the speed it kept says so until it runs again; a tick after the
// loop stood still plays at most a second; a key's seek counts from the seek
// held, if any, and stays within 08:00-16:00.
TEST(PlayModelTest, ClockWaitsForTheNextBlockAndTellsTheSpeedKept) {
  Rig rig({9 * 3600, 1800});  // holds 09:00:00 to 09:04:59, fetching armed
  while (rig.model.speed() < 128) rig.model.FastForward();
  for (int tick = 0; tick < 400; ++tick) (void)rig.model.Tick(10);
  EXPECT_EQ(rig.model.clock_ms(), HhmmssToMs(90459));
  EXPECT_EQ(rig.model.reached_speed(), 0);
  ASSERT_TRUE(rig.Take(rig.model.ContinueFetching()));
  for (int tick = 0; tick < 200; ++tick) (void)rig.model.Tick(10);
  EXPECT_EQ(rig.model.reached_speed(), std::nullopt);
  ASSERT_TRUE(rig.Take(rig.model.ContinueFetching()));
  const std::int64_t before = rig.model.clock_ms();
  (void)rig.model.Tick(5000);
  EXPECT_EQ(rig.model.clock_ms() - before, 128 * CPlayModel::kMaxTickMs);

  const std::int32_t at = MsToHhmmss(rig.model.clock_ms());
  EXPECT_EQ(rig.model.SeekTargetBy(60), MsToHhmmss(HhmmssToMs(at) + 60000));
  (void)rig.model.SeekAllowedAgain();
  (void)rig.model.Seek(93000);
  EXPECT_FALSE(rig.model.Seek(rig.model.SeekTargetBy(-600)).accepted);  // held
  EXPECT_EQ(rig.model.SeekTargetBy(60), 92100);
  EXPECT_EQ(rig.model.SeekTargetBy(-86400), 80000);
  EXPECT_EQ(rig.model.SeekTargetBy(86400), 160000);
}

// Replies that do not answer the request outstanding change nothing.
TEST(PlayModelTest, StaleRepliesAreDropped) {
  using Stale = void (*)(CPlayModel&, PlayBlock&, PlayBlockSource&);
  const std::pair<const char*, Stale> cases[] = {
      {"other stock", [](CPlayModel&, PlayBlock& b, PlayBlockSource&) { b.echo.code = u"000660"; }},
      {"other date", [](CPlayModel&, PlayBlock& b, PlayBlockSource&) { b.echo.ymd = u"20240104"; }},
      {"other time", [](CPlayModel&, PlayBlock& b, PlayBlockSource&) { b.echo.htime = 91000; }},
      {"downloaded", [](CPlayModel&, PlayBlock&, PlayBlockSource& s) { s = PlayBlockSource::kDownload; }},
      {"none asked", [](CPlayModel& m, PlayBlock& b, PlayBlockSource& s) { (void)m.OnBlock(b, s); }},
      {"after a seek", [](CPlayModel& m, PlayBlock&, PlayBlockSource&) {
         (void)m.SeekAllowedAgain();
         (void)m.Seek(110000);
       }},
      {"after a start", [](CPlayModel& m, PlayBlock&, PlayBlockSource&) {
         (void)m.Start(kCode, u"1", u"20240108");
       }},
  };
  for (const auto& [what, stale] : cases) {
    Rig rig({9 * 3600, 1800});
    PlayBlock block = rig.day.Block(rig.model.ContinueFetching(), 300);
    PlayBlockSource source = PlayBlockSource::kSession;
    stale(rig.model, block, source);
    const std::size_t held = rig.model.tape().snapshot_count();
    EXPECT_FALSE(rig.model.OnBlock(block, source).accepted) << what;
    EXPECT_EQ(rig.model.tape().snapshot_count(), held) << what;
  }
  // A time line is taken without an echo, but only when one is asked for.
  CPlayModel model;
  EXPECT_FALSE(model.OnTimeLine({}).accepted);
  (void)model.Start(kCode, u"1", kDay);
  EXPECT_FALSE(model.OnTimeLine({{kCode, u"20240104", {}}, {}, {}, {}}).accepted);
  EXPECT_TRUE(model.OnTimeLine({}).accepted);
}

// Speed steps stop at 128 and 1; the day's mappings from the time line and
// the slider, and the clock's text.
TEST(PlayModelTest, TransportMappings) {
  CPlayModel model;
  for (int i = 0; i < 9; ++i) model.FastForward();
  EXPECT_EQ(model.speed(), 128);
  for (int i = 0; i < 9; ++i) model.Rewind();
  EXPECT_EQ(model.speed(), 1);
  for (const auto& [x, hhmmss] : {std::pair{145, 80000}, {745, 120000}, {1345, 160000}, {2000, 160000}}) {
    EXPECT_EQ(TimelineXToHhmmss(x, 145, 1200), hhmmss) << x;
  }
  EXPECT_EQ(SliderToHhmmss(3725), 90205);
  EXPECT_EQ(HhmmssToSlider(90205), 3725);
  EXPECT_EQ(ClockDisplayText(true, HhmmssToMs(90507) + 900), u"09:05:07");
  EXPECT_FALSE(ClockDisplayText(true, 0) || ClockDisplayText(false, 1000));
}

}  // namespace
}  // namespace velloran
