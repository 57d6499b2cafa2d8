#pragma once
// A small blocking TCP server on 127.0.0.1 for the socket tests: it accepts
// connections on its own thread, keeps what each connection sent, and sends or
// closes on request.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/net/loopback_listen.h"

namespace velloran::testing {

class LoopbackServer {
 public:
  LoopbackServer() {
    listen_fd_ = ListenLoopback(64, port_);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    stop_ = true;
    thread_.join();
    ::close(listen_fd_);
    std::lock_guard<std::mutex> hold(lock_);
    for (auto& c : connections_) {
      if (c.fd >= 0) ::close(c.fd);
    }
  }

  int port() const { return port_; }

  // Waits until connection `index` exists and has sent at least `bytes` bytes.
  bool WaitReceived(std::size_t index, std::size_t bytes,
                    std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, timeout, [&] {
      return connections_.size() > index && connections_[index].received.size() >= bytes;
    });
  }
  std::string Received(std::size_t index) {
    std::lock_guard<std::mutex> hold(lock_);
    return index < connections_.size() ? connections_[index].received : std::string();
  }
  std::size_t connection_count() {
    std::lock_guard<std::mutex> hold(lock_);
    return connections_.size();
  }
  // Sends in pieces of `piece` bytes (0: all at once) with a pause between.
  void Send(std::size_t index, const std::string& bytes, std::size_t piece = 0) {
    const int fd = Fd(index);
    if (piece == 0) piece = bytes.size();
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      const std::size_t n = std::min(piece, bytes.size() - at);
      std::size_t done = 0;
      while (done < n) {
        const long w = ::send(fd, bytes.data() + at + done, n - done, MSG_NOSIGNAL);
        if (w <= 0) return;
        done += static_cast<std::size_t>(w);
      }
      if (piece < bytes.size()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  void CloseConnection(std::size_t index) {
    std::lock_guard<std::mutex> hold(lock_);
    if (index < connections_.size() && connections_[index].fd >= 0) {
      ::shutdown(connections_[index].fd, SHUT_RDWR);
    }
  }
  // Stops taking what connection `index` sends, so its receive buffer fills.
  void PauseReading(bool pause) { paused_ = pause; }

 private:
  struct Connection {
    int fd = -1;
    std::string received;
    bool ended = false;  // the client closed its side
  };

  int Fd(std::size_t index) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait_for(hold, std::chrono::seconds(5), [&] { return connections_.size() > index; });
    return index < connections_.size() ? connections_[index].fd : -1;
  }

  void Serve() {
    while (!stop_) {
      std::vector<pollfd> fds{{listen_fd_, POLLIN, 0}};
      {
        std::lock_guard<std::mutex> hold(lock_);
        for (auto& c : connections_) {
          fds.push_back({c.fd, static_cast<short>(paused_ || c.ended ? 0 : POLLIN), 0});
        }
      }
      if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
      if (fds[0].revents & POLLIN) {
        const int fd = ::accept(listen_fd_, nullptr, nullptr);
        std::lock_guard<std::mutex> hold(lock_);
        connections_.push_back({fd, {}});
        changed_.notify_all();
      }
      for (std::size_t i = 1; i < fds.size(); ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buf[4096];
        const long n = ::recv(fds[i].fd, buf, sizeof buf, MSG_DONTWAIT);
        std::lock_guard<std::mutex> hold(lock_);
        if (n > 0) connections_[i - 1].received.append(buf, static_cast<std::size_t>(n));
        if (n == 0) connections_[i - 1].ended = true;
        changed_.notify_all();
      }
    }
  }

  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> paused_{false};
  std::thread thread_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Connection> connections_;
};

}  // namespace velloran::testing
