#include "server/http_pages.h"

#include <httplib.h>

#include "net/packet.h"
#include "server/form.h"
#include "server/wire_text.h"

namespace velloran::server {
namespace {

bool IsWildcard(const std::string& bind) {
  return bind == "0.0.0.0" || bind == "::" || bind.empty();
}

// The host part of a Host header ("127.0.0.1:8080", "[::1]:80").
std::string HostOf(const std::string& header) {
  if (!header.empty() && header[0] == '[') {
    const std::size_t end = header.find(']');
    return end == std::string::npos ? std::string() : header.substr(1, end - 1);
  }
  return header.substr(0, header.find(':'));
}

constexpr const char* kPacketType = "text/plain; charset=utf-8";
constexpr std::size_t kPiece = 64 * 1024;
// The drip fault: pieces this small with these pauses, the rest at once after kDripPieces.
constexpr std::size_t kDripPiece = 256;
constexpr int kDripPieces = 100;
constexpr auto kDripPause = std::chrono::milliseconds(10);

// Sends a replay answer as the faults ask.
void SendReplay(std::shared_ptr<const std::string> body, const FaultOptions& faults,
                httplib::Response& res) {
  if (faults.replay_unsized) {
    res.set_chunked_content_provider(kPacketType, [body](std::size_t offset, httplib::DataSink& sink) {
      if (offset < body->size()) {
        sink.write(body->data() + offset, std::min(kPiece, body->size() - offset));
      } else {
        sink.done();
      }
      return true;
    });
    return;
  }
  if (faults.replay_cut) {
    // The full length announced, half of it sent, then the connection closed.
    const std::size_t sent = body->size() / 2;
    res.set_content_provider(std::max<std::size_t>(body->size(), 16), kPacketType,
                             [body, sent](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                               if (offset >= sent) return false;
                               sink.write(body->data() + offset, std::min(kPiece, sent - offset));
                               return true;
                             });
    return;
  }
  if (faults.replay_drip) {
    auto pieces = std::make_shared<int>(0);
    res.set_content_provider(
        body->size(), kPacketType,
        [body, pieces](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          if (*pieces < kDripPieces) {
            ++*pieces;
            std::this_thread::sleep_for(kDripPause);
            sink.write(body->data() + offset, std::min(kDripPiece, length));
          } else {
            sink.write(body->data() + offset, length);
          }
          return true;
        });
    return;
  }
  res.set_content(*body, kPacketType);
}

}  // namespace

std::string LoginAnswer(std::string_view body, const Credentials& users, bool refuse,
                        const std::string& session_ip, std::uint16_t session_port) {
  const std::vector<FormField> form = ParseForm(body);
  const std::string id = FormValue(form, "id");
  const std::string pwd = FormValue(form, "pwd");
  Packet answer(0);
  bool ok = false;
  for (const auto& [user, password] : users)
    ok = ok || (!id.empty() && user == id && password == pwd);
  if (refuse) {
    answer.AddText(u"RTN", kLoginClosed);
  } else if (!ok) {
    answer.AddText(u"RTN", kLoginRefused);
  } else {
    answer.AddText(u"RTN", u"OK");
    answer.AddText(u"IP", Utf16(session_ip));
    answer.AddInt(u"PORT", session_port);
  }
  return Utf8(answer.Text());
}

std::string RecoveryPage(const std::string& ids) {
  std::string escaped;
  for (const char c : ids) {
    if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else if (c == '&') escaped += "&amp;";
    else escaped += c;
  }
  return "<!DOCTYPE html><html lang=\"ko\"><head><meta charset=\"utf-8\">"
         "<title>비밀번호 찾기</title></head><body><h1>비밀번호 찾기</h1>"
         "<p>데모 시장에는 계정 서비스가 없어 비밀번호를 다시 보낼 수 없습니다.</p>"
         "<p>데모 사용자 아이디: " +
         escaped +
         "</p><p>실제 서비스의 비밀번호는 회사로 문의해 주세요.</p></body></html>";
}

HttpPages::HttpPages() = default;
HttpPages::~HttpPages() {
  Stop();
}

bool HttpPages::Start(const std::string& bind, std::uint16_t port, Credentials users,
                      const FaultOptions& faults, std::uint16_t session_port, ReplayPage replay,
                      std::string& error) {
  server_ = std::make_unique<httplib::Server>();
  server_->new_task_queue = [] { return new httplib::ThreadPool(2); };
  server_->set_payload_max_length(64 * 1024);
  server_->set_read_timeout(5, 0);
  server_->set_write_timeout(5, 0);
  const Credentials users_copy = users;
  auto login = [this, users = std::move(users), faults, bind, session_port](
                   const httplib::Request& req, httplib::Response& res) {
    ++login_requests_;
    if (faults.http_500) {
      res.status = 500;
      res.set_content("internal error", "text/plain");
      return;
    }
    std::string ip = bind;
    if (IsWildcard(bind)) {
      ip = req.local_addr.empty() ? HostOf(req.get_header_value("Host")) : req.local_addr;
      if (ip.empty()) ip = "127.0.0.1";
    }
    res.set_content(LoginAnswer(req.body, users, faults.refuse_login, ip, session_port),
                    "text/plain; charset=utf-8");
  };
  server_->Post("/login_koa.aspx", login);
  server_->Post("/qz2_hoga_data.aspx", [this, faults, replay = std::move(replay)](
                                           const httplib::Request& req, httplib::Response& res) {
    ++replay_requests_;
    if (faults.replay_500 || !replay) {
      res.status = 500;
      res.set_content("internal error", "text/plain");
      return;
    }
    SendReplay(std::make_shared<const std::string>(replay(req.body)), faults, res);
  });
  // The account page the login dialog's 비밀번호 찾기 opens in the browser.
  std::string ids;
  for (const auto& [user, password] : users_copy) ids += (ids.empty() ? "" : ", ") + user;
  auto lost = [page = RecoveryPage(ids)](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html; charset=utf-8");
  };
  server_->Get("/member/lost.aspx", lost);
  server_->Post("/member/lost.aspx", lost);
  if (port == 0) {
    const int bound = server_->bind_to_any_port(bind);
    if (bound <= 0) {
      error = "cannot listen for HTTP on " + bind;
      return false;
    }
    port_ = static_cast<std::uint16_t>(bound);
  } else {
    if (!server_->bind_to_port(bind, port)) {
      error = "cannot listen for HTTP on " + bind + ":" + std::to_string(port);
      return false;
    }
    port_ = port;
  }
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  return true;
}

void HttpPages::Stop() {
  if (server_ && thread_.joinable()) {
    // A stop before the listening loop has begun would not end it.
    for (int i = 0; i < 2000 && !server_->is_running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    server_->stop();
  }
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

}  // namespace velloran::server
