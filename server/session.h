#pragma once
// One client connection of the demo server: reads the byte stream, cuts it
// into packets with the client's own receive buffer and hands them to its
// host; sends framed packets in order, with the faults a reliability test
// asked for. Everything runs on the server's one network thread.

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <asio.hpp>

#include "net/packet.h"
#include "net/receive_buffer.h"
#include "server/screens.h"
#include "server/server_options.h"
#include "server/sim_random.h"

namespace velloran::server {

class Session;

class SessionHost {
 public:
  virtual ~SessionHost() = default;
  virtual void OnPacket(Session& session, const Packet& packet) = 0;
  virtual void OnClosed(Session& session) = 0;
};

class Session : public std::enable_shared_from_this<Session> {
 public:
  // A client that does not read gets dropped once this much waits for it.
  static constexpr std::size_t kMaxQueuedBytes = std::size_t{64} << 20;

  Session(asio::ip::tcp::socket socket, SessionHost& host, const FaultOptions& faults,
          std::uint64_t seed);

  void Start();
  void Send(const Packet& packet);
  // One packet already framed (its UTF-8 text and the NUL), shared between clients.
  void SendWire(std::shared_ptr<const std::string> wire);
  // Called once the start-up data is queued: the faults that follow it.
  void AfterStartup();
  void Close();
  [[nodiscard]] bool closed() const { return closed_; }
  [[nodiscard]] std::uint64_t packets_sent() const { return packets_sent_; }

  // What the host keeps for this client.
  UserData* user = nullptr;
  ScreenRequest request;              // the last screening request; screen 0 before any
  std::vector<std::uint8_t> listed;   // per stock: sent as a hit of the current screen
  std::vector<std::uint8_t> alarmed;  // per stock: one of the user's alarm stocks
  int subscribed = -1;                // stock whose book the client watches, or -1

 private:
  struct Out {
    std::shared_ptr<const std::string> bytes;
    std::size_t offset = 0;
    bool split = false;
  };

  void ReadNext();
  void WriteNext();
  void Queue(std::shared_ptr<const std::string> bytes, bool split);

  asio::ip::tcp::socket socket_;
  SessionHost& host_;
  FaultOptions faults_;
  asio::steady_timer drop_timer_;
  asio::steady_timer stall_timer_;
  std::unique_ptr<CMyQueue> queue_;
  std::array<char, 4096> chunk_{};
  static constexpr std::size_t kMaxGather = 256;
  static constexpr std::size_t kMaxGatherBytes = std::size_t{1} << 20;
  std::deque<Out> out_;
  std::vector<asio::const_buffer> write_buffers_;  // of the write in progress
  std::size_t queued_bytes_ = 0;
  bool writing_ = false;
  bool stalled_ = false;
  bool closed_ = false;
  SimRandom rng_;
  std::uint64_t packets_sent_ = 0;
};

}  // namespace velloran::server
