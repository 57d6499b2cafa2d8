#include "replay/play_download.h"

#include "net/login.h"
#include "net/text_util.h"
#include "net/utf8.h"

namespace velloran {
namespace {

constexpr char16_t kFailed[] = u"DATA 다운로드 실패: ";

std::string FormValue(const Packet& request, std::u16string_view tag) {
  return PercentEncode(Utf16ToUtf8(request.GetText(tag, u"")));
}

DownloadOutcome Failure(std::u16string_view why) {
  DownloadOutcome out;
  out.failure = kFailed;
  out.failure += why;
  return out;
}

// The answer ends its packet: a close-delimited answer that broke off
// mid-way looks complete to the transfer.
bool EndsPacket(std::string_view answer) {
  while (!answer.empty() && (answer.back() == '\0' || answer.back() == ' ' ||
                             answer.back() == '\r' || answer.back() == '\n' ||
                             answer.back() == '\t'))
    answer.remove_suffix(1);
  constexpr std::string_view kEnd = "</PKT>";
  return answer.size() >= kEnd.size() && answer.substr(answer.size() - kEnd.size()) == kEnd;
}

}  // namespace

HttpPostRequest ReplayDownloadRequest(const std::string& data_url, const Packet& request) {
  HttpPostRequest post;
  post.url = data_url + kReplayDataPage;
  post.content_type = kFormContentType;
  post.agent = kReplayAgent;
  post.body = "shcode=" + FormValue(request, u"SHCODE") +
              "&market=" + FormValue(request, u"MARKET") + "&ymd=" + FormValue(request, u"YMD") +
              "&htime=" + FormValue(request, u"HTIME");
  // A busy day is megabytes: the bound is on a stalled link, not a slow one.
  post.timeout_ms = 120000;
  return post;
}

DownloadProgress BlockProgress(std::int64_t length, std::int64_t bytes) {
  DownloadProgress p;
  p.total = length > 0 ? (length + kDownloadBlockBytes - 1) / kDownloadBlockBytes : kUnknownBlocks;
  const std::int64_t read = bytes > 0 ? (bytes + kDownloadBlockBytes - 1) / kDownloadBlockBytes : 0;
  p.done = read > 0 ? read - 1 : 0;
  return p;
}

DownloadOutcome ReadReplayDownload(const HttpPostResult& result) {
  if (result.status == 0) return Failure(u"서버에 연결할 수 없습니다");
  if (result.status != 200) return Failure(u"서버 오류 " + FormatInt(result.status));
  if (result.too_long) return Failure(u"응답이 너무 큽니다");
  if (!result.error.empty() || !EndsPacket(result.answer)) return Failure(u"응답이 잘렸습니다");
  auto reply = std::make_unique<Packet>(Utf8ToUtf16(result.answer));
  std::u16string_view data;
  if (!reply->Find(u"DATA", data) || data.empty()) return Failure(u"데이터 없음");
  DownloadOutcome out;
  out.reply = std::move(reply);
  return out;
}

}  // namespace velloran
