#pragma once
// A plain loopback client for the demo server's tests: a blocking TCP socket
// framed with the client's receive buffer, and a one-shot HTTP POST.

#include <cstdint>
#include <memory>
#include <string>

#include "net/packet.h"
#include "net/receive_buffer.h"
#include "server/server_options.h"

namespace velloran::server::testing {

class TestClient {
 public:
  TestClient() = default;
  ~TestClient();
  [[nodiscard]] bool Connect(int port);
  [[nodiscard]] bool Send(const Packet& packet);
  // The next packet, or none when nothing whole arrives within timeout_ms
  // or the server closed the connection.
  std::unique_ptr<Packet> Next(int timeout_ms = 5000);
  // The next packet with that code, skipping others; none on time-out.
  std::unique_ptr<Packet> NextWithCode(int code, int timeout_ms = 5000);
  // Sends the hello and reads up to the end of the start-up data.
  [[nodiscard]] bool LogIn(const std::string& id = "demo");
  // The hello's answer of the last LogIn, or none.
  [[nodiscard]] const Packet* login_answer() const { return login_answer_.get(); }
  [[nodiscard]] bool eof() const { return eof_; }
  [[nodiscard]] long long bytes_received() const { return bytes_; }
  // Waits until the server closes the connection; false on time-out.
  bool WaitClosed(int timeout_ms);

 private:
  bool Fill(int timeout_ms);
  int fd_ = -1;
  bool eof_ = false;
  long long bytes_ = 0;
  CMyQueue queue_;
  std::unique_ptr<Packet> login_answer_;
};

// A market of 300 stocks on that date from 09:00 that moves only when a test
// advances it.
ServerOptions SteppedMarket(int date, std::uint64_t seed = 5);

struct HttpReply {
  int status = 0;
  std::string headers;  // the status line and header lines as received
  std::string body;     // as received, not de-chunked
};
// POSTs a form body to 127.0.0.1:port/path; status 0 when the exchange failed.
HttpReply HttpPost(int port, const std::string& path, const std::string& body);

}  // namespace velloran::server::testing
