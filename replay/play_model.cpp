#include "replay/play_model.h"

#include <algorithm>
#include <utility>

#include "replay/play_time.h"

namespace velloran {
namespace {

// A block is full, and another follows it, above this many lines.
constexpr std::size_t kFullBlockLines = 10;
// Blocks are fetched while the day's last snapshot held is before the close.
constexpr std::int32_t kFetchUntilHhmmss = 153000;
// Where the first block's seek goes: the pre-open's end when the block
// reaches past it, else early in the pre-open.
constexpr std::int32_t kOpeningHhmmss = 85000;
constexpr std::int32_t kEarlyHhmmss = 81000;
constexpr std::int32_t kFirstBlockHhmmss = 80000;
// Trades shown in the list after a seek, before the target.
constexpr std::size_t kSeekTradesShown = 10;
// The speed kept is measured over this much real time, and told when it
// falls below this share of the speed set.
constexpr std::int64_t kPaceWindowMs = 1000;
constexpr double kPaceShortfall = 0.9;

}  // namespace

PlayRequest CPlayModel::MakeRequest(PlayRequestKind kind, std::int32_t htime) const {
  PlayRequest request;
  request.kind = kind;
  request.code = code_;
  request.market = market_;
  request.ymd = ymd_;
  request.htime = htime;
  request.ix = kind == PlayRequestKind::kNextBlock ? 1 : 0;
  return request;
}

bool CPlayModel::Matches(const PlayEcho& echo) const {
  if (echo.code && *echo.code != code_) return false;
  if (echo.ymd && *echo.ymd != ymd_) return false;
  if (echo.htime && *echo.htime != outstanding_.htime) return false;
  return true;
}

const std::optional<CPKT>& CPlayModel::current_quote() const {
  if (quote_trade_) {
    quote_ = tape_.trade(*quote_trade_);
    quote_trade_.reset();
  }
  return quote_;
}

void CPlayModel::EmptyTape() {
  (void)current_quote();
  tape_.Clear();
  next_snapshot_ = 0;
  next_trade_ = 0;
}

PlayRequest CPlayModel::Start(std::u16string code, std::u16string market, std::u16string ymd) {
  code_ = std::move(code);
  market_ = std::move(market);
  ymd_ = std::move(ymd);
  started_ = true;
  loaded_ = false;
  EmptyTape();
  continuation_armed_ = false;
  pending_seek_.reset();
  clock_ms_ = 0;
  RestartPace();
  quote_.reset();
  quote_trade_.reset();
  time_line_.clear();
  outstanding_ = MakeRequest(PlayRequestKind::kTimeLine, 0);
  return outstanding_;
}

PlayTimeLineResult CPlayModel::OnTimeLine(PlayTimeLine reply) {
  PlayTimeLineResult result;
  if (outstanding_.kind != PlayRequestKind::kTimeLine || !Matches(reply.echo)) return result;
  EmptyTape();
  time_line_ = std::move(reply.samples);
  soc_ = std::move(reply.soc);
  book_date_ = std::move(reply.ymd);
  outstanding_ = MakeRequest(PlayRequestKind::kFirstBlock, kFirstBlockHhmmss);
  result.accepted = true;
  result.download = outstanding_;
  return result;
}

PlayBlockResult CPlayModel::OnBlock(PlayBlock reply, PlayBlockSource source) {
  PlayBlockResult result;
  const PlayRequestKind kind = outstanding_.kind;
  const bool block_asked = kind == PlayRequestKind::kFirstBlock ||
                           kind == PlayRequestKind::kNextBlock ||
                           kind == PlayRequestKind::kSeekBlock;
  const bool right_path =
      (kind == PlayRequestKind::kFirstBlock) == (source == PlayBlockSource::kDownload);
  if (!block_asked || !right_path || reply.ix != outstanding_.ix || !Matches(reply.echo)) {
    return result;
  }
  outstanding_ = PlayRequest{};
  result.accepted = true;

  const std::size_t lines = reply.lines ? reply.lines : reply.snapshots.size();
  const bool had_snapshots = tape_.snapshot_count() > 0;
  const std::int64_t last_before = had_snapshots ? tape_.snapshot_ms(tape_.snapshot_count() - 1) : -1;
  const std::size_t kept = tape_.AppendSnapshots(std::move(reply.snapshots));
  tape_.AppendTrades(std::move(reply.trades));

  const std::size_t count = tape_.snapshot_count();
  if (kept > 0) {
    const HogaSnapshot& last = tape_.snapshot(count - 1);
    // A block that ends where the last one did would be asked for again
    // and again; the day ends there.
    const bool progressed = tape_.snapshot_ms(count - 1) > last_before;
    if (lines > kFullBlockLines && last.time < kFetchUntilHhmmss && progressed) {
      continuation_armed_ = true;
      result.start_continuation = true;
    }
    if (reply.ix == 0) {
      if (kind == PlayRequestKind::kFirstBlock) {
        result.seek_to = last.time > kOpeningHhmmss ? kOpeningHhmmss : kEarlyHhmmss;
      } else {
        clock_ms_ = tape_.snapshot_ms(0);
        result.clock_moved = true;
      }
    }
  }
  loaded_ = true;
  return result;
}

void CPlayModel::OnDownloadFailed() {
  if (outstanding_.kind == PlayRequestKind::kFirstBlock) outstanding_ = PlayRequest{};
}

PlayRequest CPlayModel::ContinueFetching() {
  if (!continuation_armed_) return {};
  continuation_armed_ = false;
  if (outstanding_.kind != PlayRequestKind::kNone || tape_.snapshot_count() == 0) return {};
  outstanding_ = MakeRequest(PlayRequestKind::kNextBlock,
                             tape_.snapshot(tape_.snapshot_count() - 1).time);
  return outstanding_;
}

void CPlayModel::RestartPace() {
  pace_real_ms_ = 0;
  pace_clock_ms_ = 0;
  kept_speed_.reset();
}

std::optional<int> CPlayModel::reached_speed() const {
  if (!playing_ || !kept_speed_ || *kept_speed_ >= speed_ * kPaceShortfall) return std::nullopt;
  return static_cast<int>(*kept_speed_ + 0.5);
}

PlayRelease CPlayModel::Tick(std::int64_t elapsed_ms) {
  PlayRelease release;
  if (!playing_ || !loaded_ || elapsed_ms <= 0) return release;
  const std::int64_t before = clock_ms_;
  std::int64_t clock = before + speed_ * std::min(elapsed_ms, kMaxTickMs);
  const bool more_coming =
      continuation_armed_ || outstanding_.kind == PlayRequestKind::kNextBlock;
  if (more_coming && tape_.snapshot_count() > 0) {
    const std::int64_t last = tape_.snapshot_ms(tape_.snapshot_count() - 1);
    if (clock > last) clock = std::max(before, last);
  }
  clock_ms_ = clock;
  pace_real_ms_ += elapsed_ms;
  pace_clock_ms_ += clock - before;
  if (pace_real_ms_ >= kPaceWindowMs) {
    kept_speed_ = static_cast<double>(pace_clock_ms_) / static_cast<double>(pace_real_ms_);
    pace_real_ms_ = 0;
    pace_clock_ms_ = 0;
  }

  const std::size_t snapshots_end = tape_.SnapshotsDueEnd(next_snapshot_, clock_ms_);
  if (snapshots_end > next_snapshot_) {
    release.snapshot = snapshots_end - 1;
    next_snapshot_ = snapshots_end;
  }
  const std::size_t trades_end = tape_.TradesDueEnd(next_trade_, clock_ms_);
  if (trades_end > next_trade_) {
    release.trades_begin = next_trade_;
    release.trades_end = trades_end;
    next_trade_ = trades_end;
    SetQuote(trades_end - 1);
    release.quote_changed = true;
  }
  return release;
}

PlaySeekResult CPlayModel::Seek(std::int32_t hhmmss) {
  // Until the first block is in there is nothing to seek in, and a seek
  // block asked for then would displace the day's first requests.
  if (!started_ || outstanding_.kind == PlayRequestKind::kTimeLine ||
      outstanding_.kind == PlayRequestKind::kFirstBlock) {
    return {};
  }
  if (!seek_allowed_) {
    // Held, not lost: a drag's last position is where the user stopped.
    pending_seek_ = hhmmss;
    return {};
  }
  return SeekNow(hhmmss);
}

std::int32_t CPlayModel::SeekTargetBy(int seconds) const {
  const std::int64_t from = pending_seek_ ? HhmmssToMs(*pending_seek_) : clock_ms_;
  const std::int64_t first = HhmmssToMs(kPlayDayStartHhmmss);
  const std::int64_t last = first + std::int64_t{kPlayDaySpanSeconds} * 1000;
  return MsToHhmmss(std::clamp(from + std::int64_t{seconds} * 1000, first, last));
}

PlaySeekResult CPlayModel::SeekAllowedAgain() {
  seek_allowed_ = true;
  if (!pending_seek_) return {};
  const std::int32_t target = *pending_seek_;
  pending_seek_.reset();
  return Seek(target);
}

PlaySeekResult CPlayModel::SeekNow(std::int32_t hhmmss) {
  PlaySeekResult result;
  result.accepted = true;
  result.start_seek_timer = true;
  result.release.clear_book = true;
  seek_allowed_ = false;
  pending_seek_.reset();
  loaded_ = false;
  RestartPace();
  const std::int64_t target_ms = HhmmssToMs(hhmmss);

  if (tape_.Holds(target_ms)) {
    // Fetching goes on: the blocks still continue what is held.
    next_snapshot_ = tape_.FirstSnapshotAtOrAfter(target_ms);
    result.release.snapshot = next_snapshot_;
    next_trade_ = tape_.FirstTradeAtOrAfter(target_ms);
    result.release.trades_begin = next_trade_ - std::min(next_trade_, kSeekTradesShown);
    result.release.trades_end = next_trade_;
    if (tape_.trade_count() > 0) {
      SetQuote(std::min(next_trade_, tape_.trade_count() - 1));
      result.release.quote_changed = true;
    }
    loaded_ = true;
  } else {
    // What is held no longer continues to the target: a continuation's
    // block would be appended to the wrong place.
    EmptyTape();
    continuation_armed_ = false;
    result.stop_continuation = true;
    outstanding_ = MakeRequest(PlayRequestKind::kSeekBlock, hhmmss / 100 * 100);
    result.request = outstanding_;
  }
  clock_ms_ = target_ms;
  return result;
}

void CPlayModel::SetSpeed(int speed) {
  if (speed == speed_) return;
  speed_ = speed;
  RestartPace();
}

void CPlayModel::FastForward() { SetSpeed(FasterSpeed(speed_)); }

void CPlayModel::Rewind() { SetSpeed(SlowerSpeed(speed_)); }

void CPlayModel::TogglePlay() {
  playing_ = !playing_;
  RestartPace();
}

}  // namespace velloran
