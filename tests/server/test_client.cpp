#include "tests/server/test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "net/message_codes.h"

namespace velloran::server::testing {
namespace {

int ConnectLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool SendAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

ServerOptions SteppedMarket(int date, std::uint64_t seed) {
  ServerOptions o;
  o.stocks = 300;
  o.seed = seed;
  o.speed = 0;
  o.date = date;
  o.start_time = 90000;
  return o;
}

TestClient::~TestClient() {
  if (fd_ >= 0) ::close(fd_);
}

bool TestClient::Connect(int port) {
  fd_ = ConnectLoopback(port);
  return fd_ >= 0;
}

bool TestClient::Send(const Packet& packet) {
  return fd_ >= 0 && SendAll(fd_, packet.ToWire());
}

bool TestClient::Fill(int timeout_ms) {
  if (fd_ < 0 || eof_) return false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, timeout_ms) <= 0) return false;
  char chunk[4096];
  const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
  if (n <= 0) {
    eof_ = true;
    return false;
  }
  bytes_ += n;
  queue_.Append(chunk, static_cast<int>(n));
  return true;
}

std::unique_ptr<Packet> TestClient::Next(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (true) {
    if (auto p = queue_.GetPacket()) return p;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0 || !Fill(static_cast<int>(left))) {
      if (auto p = queue_.GetPacket()) return p;
      if (eof_ || left <= 0) return nullptr;
    }
  }
}

std::unique_ptr<Packet> TestClient::NextWithCode(int code, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    std::unique_ptr<Packet> p = Next(static_cast<int>(std::max<long long>(1, left)));
    if (!p) return nullptr;
    if (p->GetInt(u"GBN", -1) == code) return p;
  }
  return nullptr;
}

bool TestClient::LogIn(const std::string& id) {
  Packet hello(code::kHello);
  hello.AddText(u"ID", std::u16string(id.begin(), id.end()));
  hello.AddInt(u"VER", 2);
  if (!Send(hello)) return false;
  // The start-up data ends with one 3009 per saved screen; the last is SEQ 3.
  while (auto p = Next()) {
    if (p->GetInt(u"GBN", 0) == code::kHello) {
      if (p->GetText(u"RTN", u"") != u"OK") return false;
      login_answer_ = std::move(p);
      continue;
    }
    if (p->GetInt(u"GBN", 0) == code::kSavedScreen && p->GetInt(u"SEQ", 0) == 3) return true;
  }
  return false;
}

bool TestClient::WaitClosed(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!eof_ && std::chrono::steady_clock::now() < deadline) {
    Fill(50);
    while (queue_.GetPacket()) {
    }
  }
  return eof_;
}

HttpReply HttpPost(int port, const std::string& path, const std::string& body) {
  HttpReply reply;
  const int fd = ConnectLoopback(port);
  if (fd < 0) return reply;
  const std::string request =
      "POST /" + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + "User-Agent: QZ SESSION\r\n" +
      "Content-Type: application/x-www-form-urlencoded\r\n" +
      "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  std::string raw;
  if (SendAll(fd, request)) {
    char chunk[4096];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0) {
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      raw.append(chunk, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  const std::size_t split = raw.find("\r\n\r\n");
  if (raw.rfind("HTTP/1.", 0) != 0 || split == std::string::npos) return reply;
  reply.status = std::stoi(raw.substr(9, 3));
  reply.headers = raw.substr(0, split);
  reply.body = raw.substr(split + 4);
  return reply;
}

}  // namespace velloran::server::testing
