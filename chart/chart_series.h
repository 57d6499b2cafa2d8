#pragma once
// The bars one chart shows, without the window that draws them: the stock
// code and chart type, the view the user chose, the bar store, the last
// quote, the merge of live trades by chart type and the bookkeeping of the
// 3011 requests sent and the replies that answer them. Each change says what
// it changed; the window decides what to redraw.

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <string_view>

#include "chart/bar_store.h"
#include "net/quote.h"
#include "net/session_requests.h"

namespace velloran {

// What a chart's session tells the merge: the trading date (YYYYMMDD, 0 not
// known yet), the hour of the server's clock, whether the market trades,
// and the number of the current connection.
struct ChartSession {
  std::int32_t trading_date = 0;
  int server_hour = 0;
  bool market_open = false;
  std::uint64_t connection = 0;
};

class CChartSeries {
 public:
  // What a merge or a reply changed; flags, or-ed together.
  enum Change : unsigned {
    kNoChange = 0,
    kNewestVolume = 1u << 0,  // the newest bar's volume moved, its price did not
    kNewestBar = 1u << 1,     // the newest bar took a new price
    kNewBars = 1u << 2,       // bars were put in front
    kWholeSeries = 1u << 3,   // every bar was replaced
    kAskAgain = 1u << 4,      // the bars are of an earlier period: request them again
  };

  static constexpr int kFullCount = kChartFullCount;  // CNT of "D" and "m1" requests
  static constexpr std::size_t kMaxPending = 16;
  static constexpr int kMinuteView = 400;  // bars a minute type shows at first
  static constexpr int kPeriodView = 60;   // and a day, week or month type

  CChartSeries() = default;

  // A new code drops the bars and the quote of the old one; true when it
  // was new.
  bool SetCode(std::u16string code);
  [[nodiscard]] const std::u16string& code() const { return code_; }
  // The type for the store; the view stays as it is.
  void ChangeType(std::u16string type);
  // The type, with the view of its first showing: the newest 400 bars of a
  // minute type, the newest 60 of the others.
  void SetType(std::u16string type);
  [[nodiscard]] const std::u16string& type() const { return type_; }
  [[nodiscard]] bool minute() const { return !type_.empty() && type_[0] == u'm'; }

  // The view the user chose (bars from the newest: exclusive end, start).
  [[nodiscard]] int visible_end() const { return visible_end_; }
  [[nodiscard]] int visible_start() const { return visible_start_; }
  // Stores the view and sets the store's.
  void SetVisible(int end, int start);
  // Empties the bars until the next reply; the view keeps as many bars,
  // from the newest.
  void DropBars();

  // A request went out over the connection asking for bars (kFullCount when
  // it named no count). A server that never answers keeps at most
  // kMaxPending of them.
  void Sent(std::uint64_t connection, int bars);
  // A request of the connection waits for its reply.
  [[nodiscard]] bool RequestPending(std::uint64_t connection) const;
  // Takes a reply off the requests. When it answers the newest request and
  // that is for the current code and type, the bars that request asked for;
  // otherwise 0. An echoed code or type (empty when the server does not
  // echo) picks the request it answers; otherwise replies answer requests
  // in the order they went out. Requests of other connections are dropped.
  [[nodiscard]] int AcceptReply(std::u16string_view echoed_code, std::u16string_view echoed_type,
                                std::uint64_t connection);

  // Installs a reply: the decoded DATA text and the CPKT text. Bars past
  // max_bars (the oldest, as the text lists the newest first) are not kept.
  // The reply's quote is merged as a trade the bars already hold.
  unsigned InstallReply(std::u16string_view data, std::u16string_view quote,
                        const ChartSession& session,
                        int max_bars = std::numeric_limits<int>::max());
  // Takes a live quote and merges it into a day chart's newest bar; the
  // next MergeTrade tells what that changed.
  void TakeQuote(const CPKT& quote, const ChartSession& session);
  // Merges the current quote into the newest bar for the type. kAskAgain,
  // when no request of the session's connection waits, for a minute chart
  // whose newest bar is older than the trading date while the market is
  // open, or a week or month chart whose newest bar is of an earlier week or
  // month than the trading date. live is false for the quote of a reply: a
  // week or month bar then takes the day's volume, and a minute bar, which
  // already holds that trade, no volume.
  unsigned MergeTrade(bool live, const ChartSession& session);

  [[nodiscard]] CChartData& data() { return data_; }
  [[nodiscard]] const CChartData& data() const { return data_; }
  [[nodiscard]] const CPKT& quote() const { return quote_; }

 private:
  struct PendingRequest {
    std::u16string code;
    std::u16string type;
    std::uint64_t connection = 0;
    int bars = kFullCount;  // asked for
  };

  unsigned MergeQuote(bool live, const ChartSession& session);
  unsigned MergeDay(std::int32_t trading_date);
  unsigned MergePeriod(bool live);
  unsigned MergeMinute(bool live);
  // kAskAgain unless a request of the connection waits.
  [[nodiscard]] unsigned AskAgain(std::uint64_t connection) const;
  void ForgetOtherConnections(std::uint64_t connection);

  std::u16string code_ = u"000000";
  std::u16string type_ = u"D";
  int visible_end_ = kPeriodView;
  int visible_start_ = 0;
  std::int32_t last_price_ = 0;
  unsigned untold_ = kNoChange;  // what TakeQuote changed, told by MergeTrade
  std::deque<PendingRequest> pending_;
  CChartData data_{u"000000"};
  CPKT quote_;
};

}  // namespace velloran
