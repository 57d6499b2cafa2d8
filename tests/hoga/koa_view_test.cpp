// The ask-bid ratio day: the lines the server sends it, and the bars it
// paints, read back from the rendered view.
#include "hoga/koa_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/book_quote.h"
#include "app/session_data.h"
#include "net/message_codes.h"
#include "net/packet_message.h"
#include "net/text_util.h"
#include "platform/window_messages.h"
#include "tests/platform/control_host.h"

namespace velloran {
namespace {

using testing_host::App;

TEST(KoaSamplesTest, LinesOfTheDay) {
  const std::vector<KOA> samples = ReadKoaLines(
      u"20170105093000|5000|2000\n"
      u"1000|1|2\n"             // not above 1000
      u"\n"                     // empty
      u"99999999999999999999|3\n"  // past 64 bits: read, clamped
      u"1234|7|8\n"             // a key too short for a time
      u"20170105093100|9000000000|x");
  ASSERT_EQ(samples.size(), 4u);
  EXPECT_EQ(samples[0].key, u"20170105093000");
  EXPECT_EQ(samples[0].time, 93000);
  EXPECT_EQ(samples[0].ask_total, 5000);
  EXPECT_EQ(samples[0].bid_total, 2000);
  EXPECT_EQ(samples[1].bid_total, 0);
  EXPECT_EQ(samples[2].time, 0);
  EXPECT_EQ(samples[3].ask_total, 9000000000);  // wider than 32 bits
  EXPECT_EQ(samples[3].bid_total, 0);
}

class KoaViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(700, 300));
    ASSERT_TRUE(view.Create(&host, 1, {0, 0, 600, 260}, u""));
  }
  void Day(const std::u16string& stock, const std::u16string& lines) {
    auto p = std::make_unique<Packet>(code::kChartUpdate);
    p->AddText(u"SHCODE", stock);
    p->AddText(u"DATA", lines);
    WindowMessage m{msg::kNotify, static_cast<WParam>(code::kChartUpdate), 0, nullptr};
    m.lparam = reinterpret_cast<LParam>(p.get());
    m.owned = std::make_unique<OwnedPayload<Packet>>(std::move(p));
    view.WindowProc(m);
  }
  void Book(const std::u16string& stock, const std::u16string& time, int ask, int bid,
            BookQuote::Change change = BookQuote::Change::kBook) {
    auto q = std::make_unique<BookQuote>();
    q->change = change;
    q->code = stock;
    q->book_time = time;
    q->total_ask = ask;
    q->total_bid = bid;
    WindowMessage m{msg::kHogaChanged, reinterpret_cast<WParam>(q.get()), 0, nullptr};
    m.owned = std::make_unique<OwnedPayload<BookQuote>>(std::move(q));
    view.WindowProc(m);
  }
  // The rows of column x painted in colour c, from the top.
  static std::pair<int, int> Span(const Bitmap& b, int x, Color c) {
    int first = -1, last = -1;
    for (int y = 0; y < b.height(); ++y) {
      if (b.PixelAt(x, y) != c) continue;
      if (first < 0) first = y;
      last = y;
    }
    return {first, last};
  }

  Application& app_ = App();
  CSessionData session{SessionOptions{}};
  testing_host::ControlHost host;
  CKOAView view{session};
};

TEST_F(KoaViewTest, BarsGrowByTheRatioAndStopAtTheOuterLines) {
  const CKOAView::Plot plot = CKOAView::PlotFor(view.ClientRect());
  const int u = static_cast<int>(plot.unit);
  Day(u"005930",
      u"20170105093000|5000|2000\n"     // asks 2.5 times the bids: red, 2.5 units up
      u"20170105100000|1000|4000\n"     // bids 4 times: blue, 4 units down
      u"20170105110000|3000|3000\n"     // equal: one red row above the centre
      u"20170105120000|100000|1000\n"   // 100 times: stopped at the outer line
      u"20170105085900|5000|1000\n"     // before the open: from its x to the plot's left + 1
      u"20170105160000|5000|1000\n");   // after the close: nothing shows
  ASSERT_EQ(view.samples().size(), 6u);
  const Bitmap shot = view.Render();
  ASSERT_TRUE(shot.SavePng(::testing::TempDir() + "koa_view.png"));

  const int x0930 = CKOAView::XOf(plot, 93000);
  EXPECT_EQ(Span(shot, x0930, CKOAView::kAsks),
            std::make_pair(plot.centre - static_cast<int>(plot.unit * 2.5), plot.centre - 1));
  const int x1000 = CKOAView::XOf(plot, 100000);
  EXPECT_EQ(Span(shot, x1000, CKOAView::kBids),
            std::make_pair(plot.centre, plot.centre + static_cast<int>(plot.unit * 4) - 1));
  const int x1100 = CKOAView::XOf(plot, 110000);
  EXPECT_EQ(Span(shot, x1100, CKOAView::kAsks), std::make_pair(plot.centre - 1, plot.centre - 1));
  const int x1200 = CKOAView::XOf(plot, 120000);
  EXPECT_EQ(Span(shot, x1200, CKOAView::kAsks), std::make_pair(plot.upper, plot.centre - 1));
  // 08:59 lies left of the plot and reaches to its left edge + 1.
  EXPECT_LT(CKOAView::XOf(plot, 85900), plot.rect.left);
  EXPECT_EQ(shot.PixelAt(plot.rect.left, plot.centre - 2), CKOAView::kAsks);
  // Nothing right of the plot.
  for (int x = plot.rect.right + 1; x < shot.width(); ++x)
    EXPECT_EQ(Span(shot, x, CKOAView::kAsks).first, -1) << x;
  // The grid: the centre line and the outer lines in grey, hour lines at 9 and 16.
  EXPECT_EQ(shot.PixelAt(plot.rect.left + 40, plot.centre), CKOAView::kGrid);
  EXPECT_EQ(shot.PixelAt(plot.rect.left + 40, plot.upper), CKOAView::kGrid);
  EXPECT_EQ(shot.PixelAt(plot.rect.left + 40, plot.lower), CKOAView::kGrid);
  EXPECT_EQ(plot.centre - plot.upper, (plot.steps - 1) * u);
}

// A whole day, one sample a minute, as the server sends it: every bar lies
// within the plot, red above the centre or blue below it.
TEST_F(KoaViewTest, AWholeDayStaysInsideThePlot) {
  std::u16string lines;
  for (int m = 0; m < 390; ++m) {
    const int hhmm = (9 + m / 60) * 100 + m % 60;
    const double swing = std::sin(m / 37.0) * 2.6 + std::sin(m / 7.0) * 0.6;
    const int ask = swing > 0 ? static_cast<int>(10000 * (1 + swing)) : 10000;
    const int bid = swing > 0 ? 10000 : static_cast<int>(10000 * (1 - swing));
    lines += u"20261210" + FormatInt06(hhmm * 100) + u"|" + FormatInt(ask) + u"|" +
             FormatInt(bid) + u"\n";
  }
  Day(u"005930", lines);
  ASSERT_EQ(view.samples().size(), 390u);
  const Bitmap shot = view.Render();
  ASSERT_TRUE(shot.SavePng(::testing::TempDir() + "koa_day.png"));
  const CKOAView::Plot plot = CKOAView::PlotFor(view.ClientRect());
  int red = 0, blue = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const Color c = shot.PixelAt(x, y);
      const bool inside = x >= plot.rect.left && x <= plot.rect.right && y >= plot.upper &&
                          y <= plot.lower;
      if (c == CKOAView::kAsks) red += inside ? 1 : 1000000;
      if (c == CKOAView::kBids) blue += inside ? 1 : 1000000;
    }
  }
  EXPECT_GT(red, 100);
  EXPECT_GT(blue, 100);
  EXPECT_LT(red + blue, 1000000);  // none outside the plot
}

TEST_F(KoaViewTest, AFiftyPixelPlotHasThreeStepsAndARatioOfTenStopsAtTheSecondLine) {
  view.Move({0, 0, 600, 65});  // plot height 65 - 15 = 50
  const CKOAView::Plot plot = CKOAView::PlotFor(view.ClientRect());
  EXPECT_EQ(plot.rect.bottom - plot.rect.top, 50);
  EXPECT_EQ(plot.steps, 3);
  Day(u"005930", u"20170105093000|10000|1000\n");
  const Bitmap shot = view.Render();
  const int x = CKOAView::XOf(plot, 93000);
  EXPECT_EQ(Span(shot, x, CKOAView::kAsks).first, plot.centre - 2 * static_cast<int>(plot.unit));
}

TEST_F(KoaViewTest, LiveSamplesComeOneAMinuteAfterTheDayAndOnlyForItsStock) {
  Book(u"005930", u"093015", 10, 20);  // no day yet: nothing
  EXPECT_TRUE(view.samples().empty());
  Day(u"005930", u"20170105093000|5000|2000\n");
  Book(u"005930", u"093040", 10, 20);  // the minute already held
  Book(u"005930", u"093105", 11, 21);  // the next minute
  Book(u"005930", u"093159", 12, 22);  // the same minute again
  Book(u"000660", u"093205", 13, 23);  // another stock's book before its day
  Book(u"005930", u"093210", 14, 24, BookQuote::Change::kTrade);  // a trade is no book update
  Book(u"005930", u"093301", 15, 25);
  ASSERT_EQ(view.samples().size(), 3u);
  EXPECT_EQ(view.samples()[1].time, 93100);
  EXPECT_EQ(view.samples()[1].ask_total, 11);
  EXPECT_EQ(view.samples()[1].bid_total, 21);
  EXPECT_EQ(view.samples()[1].key, FormatInt(session.TradingDate()) + u"093100");
  EXPECT_EQ(view.samples()[2].time, 93300);

  // The book takes another stock: the day of the one before goes with it,
  // and the new one's day, when it comes, is shown.
  Book(u"005930", u"093400", 1, 2, BookQuote::Change::kSnapshot);  // the same stock again
  EXPECT_EQ(view.samples().size(), 3u);
  Book(u"000660", u"093400", 1, 2, BookQuote::Change::kSnapshot);
  EXPECT_TRUE(view.samples().empty());
  Book(u"000660", u"093405", 1, 2);
  EXPECT_TRUE(view.samples().empty());
  Day(u"000660", u"20170105093000|5000|2000\n");
  EXPECT_EQ(view.samples().size(), 1u);
}

}  // namespace
}  // namespace velloran
