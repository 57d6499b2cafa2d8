#pragma once
// Answers a replay's 3001 requests from any thread: keeps the day tapes of
// the last few stocks asked for, runs today's on as the market moves, and
// makes each answer from them. The market is only read where it never
// changes after construction (see Market::DayStart).

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "net/packet.h"
#include "server/day_tape.h"
#include "server/replay_replies.h"

namespace velloran::server {

class ReplayDesk {
 public:
  static constexpr std::size_t kKeptTapes = 4;

  explicit ReplayDesk(const Market& market, int block_lines = kReplayBlockLines)
      : market_(market), block_lines_(block_lines) {}

  // The answer to a request, today's tape run to now_seconds. A TOT request
  // for an earlier day also gives that day's master data (3018) in info.
  Packet Answer(const ReplayRequest& request, int now_seconds, std::u16string_view memo,
                bool bad_lines, std::optional<Packet>* info = nullptr);

 private:
  // The tape of the stock and day, run to now for today; none when there is none.
  const DayTape* Tape(int index, int date, int now_seconds);

  const Market& market_;
  const int block_lines_;
  std::mutex mutex_;  // guards tapes_ and every tape in it
  std::list<std::unique_ptr<DayTape>> tapes_;  // the most recently used first
};

}  // namespace velloran::server
