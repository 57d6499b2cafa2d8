#include "platform/socket_api.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velloran::sock {

const int kWouldBlock = EWOULDBLOCK;
const int kAlready = EALREADY;
const int kNotInitialised = ENXIO;
const int kHostNotFound = EHOSTUNREACH;
const int kInProgress = EINPROGRESS;

int LastError() {
  return errno;
}
void SetLastError(int error) {
  errno = error;
}

int OpenStream() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  return fd < 0 ? kInvalid : fd;
}

void Close(int fd) {
  if (fd >= 0) ::close(fd);
}

bool BindAny(int fd) {
  sockaddr_in any{};
  any.sin_family = AF_INET;
  any.sin_addr.s_addr = htonl(INADDR_ANY);
  any.sin_port = 0;
  return ::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) == 0;
}

bool SetBufferSizes(int fd, int send_bytes, int receive_bytes) {
  return ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &send_bytes, sizeof send_bytes) == 0 &&
         ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_bytes, sizeof receive_bytes) == 0;
}

bool SetKeepAlive(int fd, int idle_s, int interval_s, int probes) {
  const int on = 1;
  return ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
         ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle_s, sizeof idle_s) == 0 &&
         ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval_s, sizeof interval_s) == 0 &&
         ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes) == 0;
}

bool ParseDotted(const std::string& host, std::uint32_t& address) {
  in_addr a{};
  if (::inet_pton(AF_INET, host.c_str(), &a) != 1) return false;
  address = a.s_addr;
  return true;
}

int ResolveIPv4(const std::string& host, std::uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
  if (rc != 0 || result == nullptr) {
    if (result) ::freeaddrinfo(result);
    return rc == EAI_SYSTEM && errno != 0 ? errno : kHostNotFound;
  }
  address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(result);
  return 0;
}

int Connect(int fd, std::uint32_t address, int port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return 0;
  return errno;
}

int PendingError(int fd) {
  int error = 0;
  socklen_t len = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
  return error;
}

long BytesReadable(int fd) {
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return -1;
  return n;
}

long Receive(int fd, void* buffer, std::size_t size) {
  return ::recv(fd, buffer, size, 0);
}

long Send(int fd, const void* buffer, std::size_t size) {
  return ::send(fd, buffer, size, MSG_NOSIGNAL);
}

}  // namespace velloran::sock
