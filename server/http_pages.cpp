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

HttpPages::HttpPages() = default;
HttpPages::~HttpPages() {
  Stop();
}

bool HttpPages::Start(const std::string& bind, std::uint16_t port, Credentials users,
                      const FaultOptions& faults, std::uint16_t session_port, std::string& error) {
  server_ = std::make_unique<httplib::Server>();
  server_->new_task_queue = [] { return new httplib::ThreadPool(2); };
  server_->set_payload_max_length(64 * 1024);
  server_->set_read_timeout(5, 0);
  server_->set_write_timeout(5, 0);
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
