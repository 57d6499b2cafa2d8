#pragma once
// The readers of the replay's 3001 replies: a reply packet, decoded when it
// came encoded, turned into what the player keeps - the day's time line of
// order-book totals (TYPE "TOT"), or a block of order-book snapshots and
// trades (TYPE "HOGA") - with what the reply echoes of its request.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hoga/hoga_snapshot.h"
#include "hoga/koa_samples.h"
#include "net/quote.h"

namespace velloran {

class CDecoder;
class Packet;

enum class ReplayKind { kUnknown, kTimeLine, kBlock };

// What the reply says of the request it answers, when it says it; the
// player drops a reply that answers a request it no longer waits for.
struct ReplayEcho {
  std::optional<std::u16string> stock;  // SHCODE
  std::optional<std::u16string> ymd;    // YMD
  std::optional<std::u16string> htime;  // HTIME
  std::u16string type;                  // TYPE, empty when absent
};

struct ReplayReply {
  ReplayKind kind = ReplayKind::kUnknown;
  ReplayEcho echo;
  // kTimeLine: the samples in order, and SOC (empty when absent).
  std::vector<KOA> time_line;
  std::u16string soc;
  // kBlock: the snapshots and trades in order, IX (0 when absent: the first
  // block of a day carries none), and how many DATA lines the block had,
  // dropped ones included.
  std::vector<HogaSnapshot> snapshots;
  std::vector<CPKT> trades;
  int ix = 0;
  std::size_t data_lines = 0;
};

// What a decoded value may grow to, as UTF-8: far above a whole busy day.
// Beyond it only the whole lines within it are kept.
inline constexpr std::size_t kMaxReplayDecodedBytes = 64u << 20;

// Reads a 3001 reply. DATA and CDATA go through the decoder first unless ZIP
// is "NO" (a missing ZIP counts as encoded). A reply of another TYPE gives
// kUnknown with its echo.
[[nodiscard]] ReplayReply ReadReplayReply(const Packet& reply, const CDecoder& decoder);

// The lines of a DATA or CDATA text, in order: pieces between "\r\n", empty
// ones skipped, the first trimmed of white space at both ends, and a leading
// "^" left out of each.
[[nodiscard]] std::vector<std::u16string_view> ReplayLines(std::u16string_view text);

// One line of each kind, its fields separated by "^" (a line of ReplayLines).
// False for a line that is not one, whose record is not to be kept:
// - a TOT line: "YYYYMMDDhhmmss^ask total^bid total", its key a number above
//   1000 (missing totals read as 0);
// - a DATA line: nine fields, the second (the time) 1 to 6 digits;
// - a CDATA line: a quote record of 26 fields whose time is 1 to 6 digits.
[[nodiscard]] bool ReadTimeLineLine(std::u16string_view line, KOA& sample);
[[nodiscard]] bool ReadSnapshotLine(std::u16string_view line, HogaSnapshot& snapshot);
[[nodiscard]] bool ReadTradeLine(std::u16string_view line, CPKT& trade);

}  // namespace velloran
