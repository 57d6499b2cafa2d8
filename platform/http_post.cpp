#include "platform/http_post.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace velloran {
namespace {

void InitialiseCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
  const HttpPostRequest* request = nullptr;
  HttpPostResult* result = nullptr;
  CURL* curl = nullptr;
  bool too_long = false;
};

std::size_t Receive(char* data, std::size_t size, std::size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  std::string& answer = t.result->answer;
  const std::size_t room = t.request->max_answer_bytes - answer.size();
  answer.append(data, n < room ? n : room);
  if (n > room) {
    t.too_long = true;
    return 0;  // a short count ends the transfer
  }
  if (t.request->progress) {
    curl_off_t total = -1;
    if (curl_easy_getinfo(t.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total) != CURLE_OK)
      total = -1;
    t.request->progress(total, static_cast<std::int64_t>(answer.size()));
  }
  return n;
}

struct CurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

HttpPostResult HttpPost(const HttpPostRequest& request) {
  HttpPostResult result;
  if (request.url.rfind("http://", 0) != 0 && request.url.rfind("https://", 0) != 0) {
    result.error = "not an http or https address: " + request.url;
    return result;
  }
  InitialiseCurl();
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) {
    result.error = "cannot start an HTTP exchange";
    return result;
  }
  CURL* c = curl.get();
  // "Expect:" leaves out the "100-continue" round trip before the body.
  const std::string type = "Content-Type: " + request.content_type;
  std::unique_ptr<curl_slist, ListDeleter> headers;
  for (const char* h : {type.c_str(), "Cache-Control: no-cache", "Expect:"}) {
    curl_slist* grown = curl_slist_append(headers.get(), h);
    if (!grown) {
      result.error = "out of memory";
      return result;
    }
    (void)headers.release();  // grown is the same list, one longer
    headers.reset(grown);
  }

  Transfer transfer{&request, &result, c};
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, request.agent.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, request.connect_timeout_ms);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, request.timeout_ms);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Receive);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);

  const CURLcode code = curl_easy_perform(c);
  long status = 0;
  if (curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
    result.status = static_cast<int>(status);
  if (transfer.too_long) {
    result.error =
        "the answer is longer than " + std::to_string(request.max_answer_bytes) + " bytes";
  } else if (code != CURLE_OK) {
    result.error = error[0] ? error : curl_easy_strerror(code);
  }
  return result;
}

std::string PercentEncode(std::string_view bytes) {
  InitialiseCurl();
  std::string out;
  // curl_easy_escape takes an int length; encode long texts piecewise.
  constexpr std::size_t kPiece = 1 << 20;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    const std::string_view piece = bytes.substr(at, kPiece);
    char* escaped = curl_easy_escape(nullptr, piece.data(), static_cast<int>(piece.size()));
    if (!escaped) return {};
    out += escaped;
    curl_free(escaped);
  }
  return out;
}

}  // namespace velloran
