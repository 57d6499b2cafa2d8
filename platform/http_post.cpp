#include "platform/http_post.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/event_loop.h"

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

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto& t = *static_cast<Transfer*>(user);
  return t.request->cancel != nullptr && t.request->cancel->load() ? 1 : 0;
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
  if (request.cancel != nullptr) {
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  }

  const CURLcode code = curl_easy_perform(c);
  long status = 0;
  if (curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
    result.status = static_cast<int>(status);
  if (transfer.too_long) {
    result.too_long = true;
    result.error =
        "the answer is longer than " + std::to_string(request.max_answer_bytes) + " bytes";
  } else if (code != CURLE_OK) {
    result.error = error[0] ? error : curl_easy_strerror(code);
  }
  return result;
}

struct HttpPostTask::State {
  std::atomic<bool> cancelled{false};
  bool finished = false;  // on the loop's thread
  Done done;
  Progress progress;
  std::atomic<std::int64_t> total{-1};
  std::atomic<std::int64_t> got{0};
  std::atomic<bool> progress_waits{false};
  std::mutex lock;
  EventLoop* loop = nullptr;  // null once nothing may be posted

  void PostToLoop(EventLoop::Task task) {
    std::lock_guard<std::mutex> hold(lock);
    if (loop != nullptr) loop->Post(std::move(task));
  }
  static void Deliver(const std::shared_ptr<State>& state, HttpPostResult result) {
    state->PostToLoop([state, result = std::move(result)] {
      if (state->cancelled.load()) return;
      state->finished = true;
      // The callback may destroy the task: the state outlives it here.
      const Done done = std::move(state->done);
      if (done) done(result);
    });
  }
};

HttpPostTask::HttpPostTask(EventLoop& loop, HttpPostRequest request, Done done, Progress progress)
    : state_(std::make_shared<State>()) {
  state_->done = std::move(done);
  state_->progress = std::move(progress);
  state_->loop = &loop;
  const std::shared_ptr<State> state = state_;
  request.cancel = &state->cancelled;
  request.progress = [state](std::int64_t total, std::int64_t got) {
    state->total.store(total);
    state->got.store(got);
    if (state->progress_waits.exchange(true)) return;
    state->PostToLoop([state] {
      state->progress_waits.store(false);
      if (!state->cancelled.load() && state->progress)
        state->progress(state->total.load(), state->got.load());
    });
  };
  try {
    std::thread([state, request = std::move(request)] {
      State::Deliver(state, HttpPost(request));
    }).detach();
  } catch (const std::system_error&) {
    HttpPostResult failed;
    failed.error = "cannot start the exchange";
    State::Deliver(state, std::move(failed));
  }
}

HttpPostTask::~HttpPostTask() {
  Cancel();
}

void HttpPostTask::Cancel() {
  state_->cancelled.store(true);
  std::lock_guard<std::mutex> hold(state_->lock);
  state_->loop = nullptr;
}

bool HttpPostTask::running() const {
  return !state_->cancelled.load() && !state_->finished;
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
