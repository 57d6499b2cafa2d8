#pragma once
// A blocking HTTP or HTTPS POST, as the login and the replay download use it:
// one fresh connection per call, closed before the call returns, certificates
// verified, the proxy taken from the system's settings (the http_proxy,
// https_proxy and no_proxy variables), nothing cached.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velloran {

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
};

struct HttpPostResult {
  int status = 0;      // the HTTP status; 0 when no answer came
  std::string answer;  // the bytes read, also when the exchange broke off
  std::string error;   // empty when the exchange completed
};

[[nodiscard]] HttpPostResult HttpPost(const HttpPostRequest& request);

// A form value as "application/x-www-form-urlencoded" carries it: every byte
// but the unreserved A-Z a-z 0-9 - . _ ~ written as %XY.
[[nodiscard]] std::string PercentEncode(std::string_view bytes);

}  // namespace velloran
