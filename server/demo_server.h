#pragma once
// DemoServer, the demo market in one object: the simulated market, the TCP
// session server and the login page, on the given address only. The client's
// --demo and the tests run it in-process:
//
//   DemoServer server(options);
//   if (!server.Start(error)) ...;
//   connect to server.session_port(), log in at server.http_port() ...
//   server.Advance(60);   // with speed 0, the market moves only so
//   server.Stop();
//
// All market and session work runs on one network thread; the public
// operations may be called from any other thread. The networking stays in
// demo_server.cpp, so a program that includes this header sees none of it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "server/http_pages.h"
#include "server/market.h"
#include "server/screens.h"
#include "server/server_options.h"
#include "server/sim_clock.h"
#include "server/user_book.h"

namespace velloran::server {

struct ServerStats {
  std::uint64_t connections = 0;  // accepted so far
  std::uint64_t open_sessions = 0;
  std::uint64_t logins = 0;  // hellos answered with "OK"
  std::uint64_t refused_logins = 0;
  std::uint64_t login_pages = 0;  // login page requests
  std::uint64_t replay_pages = 0;  // replay page requests
  std::uint64_t packets_sent = 0;
  std::map<int, std::uint64_t> received;  // packets received, by code
  int market_seconds = 0;                 // second of the day the market has reached
  std::uint64_t steps = 0;                // clock steps run
  double max_step_ms = 0;                 // longest step (market and sending)
  double total_step_ms = 0;
  std::uint64_t late_steps = 0;  // steps that took longer than the step period
};

class DemoServer {
 public:
  // How often the market's clock is looked at: each second of the market is
  // simulated as the clock enters it, and its trades and book moves go out
  // as the clock reaches each one's moment.
  static constexpr std::chrono::milliseconds kStepPeriod{10};
  // ReceivedTexts keeps this many texts per code, each cut to kMaxKeptChars.
  static constexpr std::size_t kKeptTexts = 64;
  static constexpr std::size_t kMaxKeptChars = 8192;

  explicit DemoServer(ServerOptions options);
  ~DemoServer();
  DemoServer(const DemoServer&) = delete;
  DemoServer& operator=(const DemoServer&) = delete;

  // Builds the market, listens and starts the threads; false with a message
  // when an address cannot be used.
  [[nodiscard]] bool Start(std::string& error);
  // Closes every connection and ends the threads; safe to call twice.
  void Stop();

  [[nodiscard]] std::uint16_t session_port() const;
  [[nodiscard]] std::uint16_t http_port() const;
  [[nodiscard]] int market_date() const;

  // Moves the simulated clock forward by market seconds and waits until the
  // market has reached it and every update it caused is queued to the clients.
  void Advance(int seconds);
  [[nodiscard]] ServerStats Stats();
  // Runs fn on the network thread, where the market may be read safely.
  void WithMarket(const std::function<void(const Market&)>& fn);
  // The texts of the packets received with that code, oldest first: the last
  // kKeptTexts of them, from every connection.
  [[nodiscard]] std::vector<std::u16string> ReceivedTexts(int code);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velloran::server
