#pragma once
// The demo server's options, from the command line of velloran-server or set
// directly by a program that runs the server in-process.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velloran::server {

enum class ClockMode { kSim, kReal };

// Faults a reliability test turns on; all off by default.
struct FaultOptions {
  int drop_every_s = 0;       // close each connection every N seconds
  int stall_s = 0;            // each connection goes silent for S seconds after its start-up data
  bool garbage = false;       // random bytes between packets now and then
  bool split = false;         // the login answer and every 10th packet in one-byte writes
  bool oversize = false;      // one packet of more than 16 MiB after the start-up data
  bool refuse_login = false;  // the login page and the hello refuse everyone
  bool http_500 = false;      // the login page answers with status 500
  // Order books: fewer than ten levels a side; every third update's text cut
  // under 20 characters; book texts that start with "|"; empty and malformed
  // lines among the snapshot's HMAP and CMAP lines.
  bool short_book = false;
  bool tiny_book = false;
  bool bar_book = false;
  bool bad_maps = false;
  // The replay page "qz2_hoga_data.aspx": an answer cut short (a length
  // larger than the body sent, then the connection closed); status 500; an
  // answer without a length (chunked); a slow drip of small pieces with
  // pauses (about a second at most); and malformed lines mixed into every
  // HOGA block, over the page and the session alike.
  bool replay_cut = false;
  bool replay_500 = false;
  bool replay_unsized = false;
  bool replay_drip = false;
  bool replay_bad_lines = false;
};

struct ServerOptions {
  std::string bind = "127.0.0.1";
  std::uint16_t port = 0;       // 0 picks a free port
  std::uint16_t http_port = 0;  // 0 picks a free port
  std::uint64_t seed = 1;
  int stocks = 2600;
  std::vector<std::pair<std::string, std::string>> users;  // empty: demo/demo
  ClockMode clock = ClockMode::kSim;
  double speed = 1.0;      // sim: market seconds per wall second; 0 moves only by Advance
  int start_time = 90000;  // sim: hhmmss the day starts at (08:30:00 to 23:59:59)
  int date = 0;            // sim: YYYYMMDD; 0 is today in Seoul (a weekend gives the Friday)
  // The open's first minutes at the rate of a busy open (market.h).
  bool open_rush = false;
  // After a login's start-up data, the market trades the user's first alarm
  // stock whose first price has not been reached at exactly that price: the
  // alarm fires at once (for tests).
  bool alarm_now = false;
  FaultOptions faults;
};

// Parses the program's arguments (argv[0] skipped). On failure returns none
// with a message in error; "--help" returns none with the usage in error and
// help set.
[[nodiscard]] std::optional<ServerOptions> ParseServerArgs(const std::vector<std::string>& args,
                                                           std::string& error, bool& help);
std::string ServerUsage();

}  // namespace velloran::server
