#pragma once
// The demo server's HTTP pages: "login_koa.aspx", which checks a form of id,
// pwd and mac and answers with a packet naming the TCP session's address and
// port, or a refusal; "member/lost.aspx", the password-recovery page; and
// "qz2_hoga_data.aspx", a replay's first order-book block (a form of shcode,
// market, ymd and htime answered with a whole 3001 packet). Served by
// cpp-httplib on threads of its own.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "server/server_options.h"

namespace httplib {
class Server;
}

namespace velloran::server {

using Credentials = std::vector<std::pair<std::string, std::string>>;

// Texts of the login answer.
inline constexpr const char16_t* kLoginRefused = u"아이디 또는 비밀번호가 일치하지 않습니다.";
inline constexpr const char16_t* kLoginClosed =
    u"지금은 로그인할 수 없습니다. 잠시 후 다시 시도하십시오.";

// The password-recovery page (UTF-8 HTML) naming the demo's user IDs.
std::string RecoveryPage(const std::string& ids);

// The answer packet's UTF-8 text for a form body.
std::string LoginAnswer(std::string_view body, const Credentials& users, bool refuse,
                        const std::string& session_ip, std::uint16_t session_port);

// The UTF-8 text of the replay page's answer to a form body; called on the
// page's own threads.
using ReplayPage = std::function<std::string(std::string_view body)>;

class HttpPages {
 public:
  HttpPages();
  ~HttpPages();

  // Listens on bind:port (0 picks a free port); false with a message when it cannot.
  [[nodiscard]] bool Start(const std::string& bind, std::uint16_t port, Credentials users,
                           const FaultOptions& faults, std::uint16_t session_port,
                           ReplayPage replay, std::string& error);
  void Stop();
  [[nodiscard]] std::uint16_t port() const { return port_; }
  [[nodiscard]] std::uint64_t login_requests() const { return login_requests_.load(); }
  [[nodiscard]] std::uint64_t replay_requests() const { return replay_requests_.load(); }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::uint16_t port_ = 0;
  std::atomic<std::uint64_t> login_requests_{0};
  std::atomic<std::uint64_t> replay_requests_{0};
};

}  // namespace velloran::server
