#pragma once
// The HTTP download of a replayed day's first order-book block, without a
// window: the POST the block request becomes, the progress counted in blocks
// of the answer, and what a finished exchange gave - the reply packet, or the
// short line that tells the user why there is none.

#include <cstdint>
#include <memory>
#include <string>

#include "net/packet.h"
#include "platform/http_post.h"

namespace velloran {

inline constexpr char kReplayDataPage[] = "qz2_hoga_data.aspx";
inline constexpr char kReplayAgent[] = "QZ SESSION";
// The progress counts the answer in blocks of this many bytes; an answer
// that does not announce its length is counted against kUnknownBlocks.
inline constexpr std::int64_t kDownloadBlockBytes = 1023;
inline constexpr std::int64_t kUnknownBlocks = 1000;

// The POST of a 3001 block request to "<data_url>qz2_hoga_data.aspx": the
// form "shcode=%s&market=%s&ymd=%s&htime=%s" of its SHCODE, MARKET, YMD and
// HTIME (empty when absent), each value percent-encoded.
[[nodiscard]] HttpPostRequest ReplayDownloadRequest(const std::string& data_url,
                                                    const Packet& request);

struct DownloadProgress {
  std::int64_t total = 0;  // blocks
  std::int64_t done = 0;   // blocks read before the last one
  friend bool operator==(const DownloadProgress&, const DownloadProgress&) = default;
};
// The progress once `bytes` of an answer announced as `length` bytes (-1 or
// 0: not announced) have been read.
[[nodiscard]] DownloadProgress BlockProgress(std::int64_t length, std::int64_t bytes);

struct DownloadOutcome {
  std::unique_ptr<Packet> reply;  // null after a failure
  std::u16string failure;         // why, for the user; empty on success
};
// Only a whole answer counts: a status other than 200, an answer that broke
// off or outgrew its bound, one that does not end its packet, and one without
// DATA are failures, never a part of the day taken for all of it.
[[nodiscard]] DownloadOutcome ReadReplayDownload(const HttpPostResult& result);

}  // namespace velloran
