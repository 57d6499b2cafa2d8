#pragma once
// A small HTTP server on 127.0.0.1 (cpp-httplib, on threads of its own) that
// answers the login page (or another page a test names) with whatever a test
// sets, and keeps the requests it received, for the login exchange and
// dialog tests and the replay's download.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velloran::testing {

struct ReceivedLogin {
  std::string body, content_type, agent;
};

class LoginTestServer {
 public:
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

  LoginTestServer() : LoginTestServer(std::make_unique<httplib::Server>()) {}
  explicit LoginTestServer(std::string page)
      : LoginTestServer(std::make_unique<httplib::Server>(), page) {}
  explicit LoginTestServer(std::unique_ptr<httplib::Server> server,
                           const std::string& page = "/login_koa.aspx")
      : server_(std::move(server)) {
    server_->Post(page, [this](const httplib::Request& req, httplib::Response& res) {
      Handler handler;
      {
        std::lock_guard lock(mutex_);
        received_.push_back(
            {req.body, req.get_header_value("Content-Type"), req.get_header_value("User-Agent")});
        handler = handler_;
      }
      if (handler) handler(req, res);
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoginTestServer() {
    server_->stop();
    thread_.join();
  }

  // What the page answers from now on.
  void Answer(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
  }
  void AnswerText(const std::string& utf8, int status = 200) {
    Answer([utf8, status](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      res.set_content(utf8, "text/plain; charset=utf-8");
    });
  }
  [[nodiscard]] std::vector<ReceivedLogin> Received() {
    std::lock_guard lock(mutex_);
    return received_;
  }
  [[nodiscard]] std::string Base() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
  }
  [[nodiscard]] int port() const { return port_; }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  Handler handler_;
  std::vector<ReceivedLogin> received_;
};

// A port on 127.0.0.1 where nothing listens (bound once, then closed).
inline int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                     ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0;
  ::close(fd);
  return bound ? ntohs(a.sin_port) : 1;
}

}  // namespace velloran::testing
