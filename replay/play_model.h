#pragma once
// CPlayModel, what the replay player decides, without a display: which stock
// and day play, the clock and its speed, which request is outstanding and
// which replies answer it, when the next block is fetched, what a seek shows,
// and which records each tick releases to the book. The player window owns
// the timers (all on the loop's clock), the sends and the painting; it calls
// in with the time elapsed and the replies' typed contents, and applies what
// comes back. Nothing here reads a clock.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hoga/hoga_snapshot.h"
#include "hoga/koa_samples.h"
#include "net/quote.h"
#include "replay/play_tape.h"

namespace velloran {

// A 3001 request the player is to send, by kind; the window builds the
// packet. htime is the HTIME value ("0" for the time line, "%06d" else);
// the first block goes by the HTTP download, the others over the session.
enum class PlayRequestKind { kNone, kTimeLine, kFirstBlock, kNextBlock, kSeekBlock };
struct PlayRequest {
  PlayRequestKind kind = PlayRequestKind::kNone;
  std::u16string code;    // SHCODE
  std::u16string market;  // MARKET
  std::u16string ymd;     // YMD
  std::int32_t htime = 0;
  int ix = 0;  // IX: 1 for the next block, 0 for a seek block (absent from the others)
  [[nodiscard]] bool empty() const { return kind == PlayRequestKind::kNone; }
};

// What a reply echoes of its request; a value the reply lacks stays empty
// and is not checked.
struct PlayEcho {
  std::optional<std::u16string> code;  // SHCODE
  std::optional<std::u16string> ymd;   // YMD
  std::optional<std::int32_t> htime;   // HTIME
};

// A time-line reply (TYPE "TOT"), read.
struct PlayTimeLine {
  PlayEcho echo;
  std::vector<KOA> samples;
  std::u16string soc;  // SOC, for the book
  std::u16string ymd;  // YMD, the book's date
};

// An order-book reply (TYPE "HOGA"), read. lines: the DATA lines the reply
// carried (a line that did not read as a snapshot still counts toward a full
// block); 0 means the count of snapshots.
enum class PlayBlockSource { kSession, kDownload };
struct PlayBlock {
  PlayEcho echo;
  int ix = 0;
  std::vector<HogaSnapshot> snapshots;
  std::vector<CPKT> trades;
  std::size_t lines = 0;
};

// Records handed to the book, as indexes into the tape (valid until the
// model's next call that empties it). clear_book: start the book and its
// trade list again before applying. snapshot: the one snapshot to show (the
// latest released; earlier ones are wholly replaced by it). Trades
// [trades_begin, trades_end) go to the trade list in order. quote_changed:
// the current quote changed, repaint the quote strip.
struct PlayRelease {
  bool clear_book = false;
  std::optional<std::size_t> snapshot;
  std::size_t trades_begin = 0;
  std::size_t trades_end = 0;
  bool quote_changed = false;
  [[nodiscard]] bool empty() const {
    return !clear_book && !snapshot && trades_begin == trades_end && !quote_changed;
  }
};

// What a seek did. start_seek_timer: seeks are held from now; the window
// starts its one-second timer and calls SeekAllowedAgain when it fires.
struct PlaySeekResult {
  bool accepted = false;  // false: held (or nothing to seek in), nothing changed
  bool start_seek_timer = false;
  bool stop_continuation = false;  // the window may kill its next-block timer
  PlayRelease release;             // within the data held
  PlayRequest request;             // a seek block, when outside it
};

struct PlayTimeLineResult {
  bool accepted = false;
  PlayRequest download;  // the first block, to download (HTIME 080000)
};

struct PlayBlockResult {
  bool accepted = false;
  // Start the one-second timer after which ContinueFetching is called.
  bool start_continuation = false;
  // After the first block: seek to this hhmmss (as the user's seek would).
  std::optional<std::int32_t> seek_to;
  // The clock moved to the first snapshot of a seek block.
  bool clock_moved = false;
};

class CPlayModel {
 public:
  CPlayModel() = default;

  // A new replay (or the same stock on another date): loaded off, tape empty,
  // fetching stopped, clock 0; returns the time-line request to send.
  [[nodiscard]] PlayRequest Start(std::u16string code, std::u16string market, std::u16string ymd);

  // A time-line reply. Taken only when it answers the outstanding time-line
  // request (code and date, when echoed); then the tape is emptied and the
  // first block is to be downloaded.
  [[nodiscard]] PlayTimeLineResult OnTimeLine(PlayTimeLine reply);
  // An order-book reply. Taken only when it answers the outstanding block
  // request (its source, kind, and the echoed code, date and HTIME); then
  // appended, loaded on.
  [[nodiscard]] PlayBlockResult OnBlock(PlayBlock reply, PlayBlockSource source);
  // The download came back empty: the player stays with what it had.
  void OnDownloadFailed();
  // The next-block timer fired: the request for the block after the last
  // snapshot held, or none when fetching has stopped since it was started.
  [[nodiscard]] PlayRequest ContinueFetching();

  // The clock's timer: elapsed_ms of real time have passed. While playing
  // and loaded the clock advances by speed x elapsed_ms and every record
  // due before it is released, however many: at 128x a tick spans 1.28 s of
  // the day, and releasing one of each per tick would leave the book ever
  // further behind the clock. The window paints once per frame regardless.
  // The clock waits at the last snapshot held while the day's next block is
  // on its way (the book never stands behind it), and a tick after the loop
  // stood still (a suspended machine) plays at most kMaxTickMs.
  static constexpr std::int64_t kMaxTickMs = 1000;
  [[nodiscard]] PlayRelease Tick(std::int64_t elapsed_ms);
  // The speed the clock really kept over the last second of play, when it
  // fell short of the speed set by a tenth or more (waiting for blocks, a
  // machine that does not keep up); none while it keeps up.
  [[nodiscard]] std::optional<int> reached_speed() const;

  // A seek to hhmmss (slider, time line, or the first block's seek_to).
  [[nodiscard]] PlaySeekResult Seek(std::int32_t hhmmss);
  // Where a seek by seconds (a key's minute back or on) goes: from the seek
  // held, if any, else from the clock; kept within the slider's 08:00-16:00.
  [[nodiscard]] std::int32_t SeekTargetBy(int seconds) const;
  // The seek timer fired: seeks are allowed again, and a seek held since the
  // last one is made now (to the latest target asked for).
  [[nodiscard]] PlaySeekResult SeekAllowedAgain();

  // The transport.
  void FastForward();  // doubles the speed up to 128
  void Rewind();       // halves it down to 1
  void TogglePlay();
  void set_playing(bool on) { playing_ = on; }

  [[nodiscard]] const std::u16string& code() const { return code_; }
  [[nodiscard]] const std::u16string& market() const { return market_; }
  [[nodiscard]] const std::u16string& ymd() const { return ymd_; }
  [[nodiscard]] std::int64_t clock_ms() const { return clock_ms_; }
  [[nodiscard]] int speed() const { return speed_; }
  [[nodiscard]] bool playing() const { return playing_; }
  [[nodiscard]] bool loaded() const { return loaded_; }
  [[nodiscard]] bool seek_allowed() const { return seek_allowed_; }
  [[nodiscard]] std::optional<std::int32_t> pending_seek() const { return pending_seek_; }
  [[nodiscard]] const PlayRequest& outstanding() const { return outstanding_; }
  [[nodiscard]] bool fetching() const { return continuation_armed_; }
  // The last trade released, or none yet this day.
  [[nodiscard]] const std::optional<CPKT>& current_quote() const;
  [[nodiscard]] const std::vector<KOA>& time_line() const { return time_line_; }
  [[nodiscard]] const std::u16string& soc() const { return soc_; }
  [[nodiscard]] const std::u16string& book_date() const { return book_date_; }
  [[nodiscard]] const CPlayTape& tape() const { return tape_; }
  // Indexes of the first snapshot and trade not yet released.
  [[nodiscard]] std::size_t next_snapshot() const { return next_snapshot_; }
  [[nodiscard]] std::size_t next_trade() const { return next_trade_; }

 private:
  [[nodiscard]] PlayRequest MakeRequest(PlayRequestKind kind, std::int32_t htime) const;
  [[nodiscard]] bool Matches(const PlayEcho& echo) const;
  [[nodiscard]] PlaySeekResult SeekNow(std::int32_t hhmmss);
  void EmptyTape();
  void SetQuote(std::size_t trade) { quote_trade_ = trade; }
  // The speed kept is measured again from now.
  void RestartPace();
  void SetSpeed(int speed);

  std::u16string code_ = u"000000";
  std::u16string market_ = u"1";
  std::u16string ymd_;
  bool started_ = false;
  std::int64_t clock_ms_ = 0;
  int speed_ = 1;
  bool playing_ = true;
  bool loaded_ = false;
  bool seek_allowed_ = true;
  std::optional<std::int32_t> pending_seek_;
  // The speed kept: real and replayed milliseconds of the second being
  // measured, and the last whole second's ratio.
  std::int64_t pace_real_ms_ = 0;
  std::int64_t pace_clock_ms_ = 0;
  std::optional<double> kept_speed_;
  PlayRequest outstanding_;
  bool continuation_armed_ = false;
  CPlayTape tape_;
  std::size_t next_snapshot_ = 0;
  std::size_t next_trade_ = 0;
  // The current quote is copied out of the tape when it is read or the tape
  // is emptied, not on every tick that moves it.
  mutable std::optional<CPKT> quote_;
  mutable std::optional<std::size_t> quote_trade_;
  std::vector<KOA> time_line_;
  std::u16string soc_;
  std::u16string book_date_;
};

}  // namespace velloran
