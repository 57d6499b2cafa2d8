#pragma once
// An HTTP or HTTPS POST, as the login and the replay download use it: one
// fresh connection per call, closed before the call returns, certificates
// verified, the proxy taken from the system's settings (the http_proxy,
// https_proxy and no_proxy variables), nothing cached. HttpPost blocks its
// caller; HttpPostTask runs the same exchange off the user-interface thread
// and posts its progress and its result back.
//
// One lock (http_post.cpp), per task: the event loop the task posts to, which
// the loop's thread clears while the task's thread may still post.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velloran {

class EventLoop;

struct HttpPostRequest {
  std::string url;  // "http://..." or "https://..."; other schemes are refused
  std::string content_type;
  std::string agent;
  std::string body;
  // Bounds on how long the exchange may hold its caller; 0 means no bound.
  long connect_timeout_ms = 10000;
  long timeout_ms = 30000;
  // A longer answer ends the exchange with the bytes read up to the limit.
  std::size_t max_answer_bytes = 16 * 1024 * 1024;
  // Called as the answer arrives: the length the server announced (-1 when it
  // gave none) and the bytes read so far.
  std::function<void(std::int64_t total, std::int64_t done)> progress;
  // When set and true, the exchange is abandoned (checked while it waits too).
  const std::atomic<bool>* cancel = nullptr;
};

struct HttpPostResult {
  int status = 0;      // the HTTP status; 0 when no answer came
  std::string answer;  // the bytes read, also when the exchange broke off
  std::string error;   // empty when the exchange completed
  // The answer went past max_answer_bytes (error says so too): what was read
  // is its beginning only.
  bool too_long = false;
};

[[nodiscard]] HttpPostResult HttpPost(const HttpPostRequest& request);

// HttpPost on a thread of its own. Progress (the request's own progress is
// replaced) and the result are delivered on the loop's thread, progress
// coalesced to the latest while one report waits. Cancel, or destroying the
// task, abandons the transfer without waiting for it: no callback runs
// afterwards, and the thread ends by itself soon after.
class HttpPostTask {
 public:
  using Progress = std::function<void(std::int64_t total, std::int64_t done)>;
  using Done = std::function<void(const HttpPostResult& result)>;

  HttpPostTask(EventLoop& loop, HttpPostRequest request, Done done, Progress progress = {});
  ~HttpPostTask();
  HttpPostTask(const HttpPostTask&) = delete;
  HttpPostTask& operator=(const HttpPostTask&) = delete;

  void Cancel();
  // Until the result was delivered or the task cancelled.
  [[nodiscard]] bool running() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// A form value as "application/x-www-form-urlencoded" carries it: every byte
// but the unreserved A-Z a-z 0-9 - . _ ~ written as %XY.
[[nodiscard]] std::string PercentEncode(std::string_view bytes);

}  // namespace velloran
