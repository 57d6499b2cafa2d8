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
// operations may be called from any other thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <asio.hpp>

#include "server/http_pages.h"
#include "server/market.h"
#include "server/screens.h"
#include "server/server_options.h"
#include "server/session.h"
#include "server/sim_clock.h"
#include "server/user_book.h"

namespace velloran::server {

struct ServerStats {
  std::uint64_t connections = 0;  // accepted so far
  std::uint64_t open_sessions = 0;
  std::uint64_t logins = 0;  // hellos answered with "OK"
  std::uint64_t refused_logins = 0;
  std::uint64_t login_pages = 0;  // login page requests
  std::uint64_t packets_sent = 0;
  std::map<int, std::uint64_t> received;  // packets received, by code
  int market_seconds = 0;                 // second of the day the market has reached
  std::uint64_t steps = 0;                // clock steps run
  double max_step_ms = 0;                 // longest step (market and sending)
  double total_step_ms = 0;
  std::uint64_t late_steps = 0;  // steps that took longer than the step period
};

class DemoServer : private SessionHost {
 public:
  static constexpr std::chrono::milliseconds kStepPeriod{100};

  explicit DemoServer(ServerOptions options);
  ~DemoServer() override;
  DemoServer(const DemoServer&) = delete;
  DemoServer& operator=(const DemoServer&) = delete;

  // Builds the market, listens and starts the threads; false with a message
  // when an address cannot be used.
  [[nodiscard]] bool Start(std::string& error);
  // Closes every connection and ends the threads; safe to call twice.
  void Stop();

  [[nodiscard]] std::uint16_t session_port() const { return session_port_; }
  [[nodiscard]] std::uint16_t http_port() const { return http_port_; }
  [[nodiscard]] int market_date() const { return date_; }

  // Moves the simulated clock forward by market seconds and waits until the
  // market has reached it and every update it caused is queued to the clients.
  void Advance(int seconds);
  [[nodiscard]] ServerStats Stats();
  // Runs fn on the network thread, where the market may be read safely.
  void WithMarket(const std::function<void(const Market&)>& fn);

 private:
  void OnPacket(Session& session, const Packet& packet) override;
  void OnClosed(Session& session) override;

  void Accept();
  void ScheduleStep();
  void Step();
  void Dispatch(const MarketEvents& events);
  void RunOnNetwork(const std::function<void()>& fn);

  void Hello(Session& session, const Packet& packet);
  void ScreenRequested(Session& session, const Packet& packet);
  void SendHits(Session& session, const std::vector<Hit>& hits);
  void SendNewHits(Session& session);
  void SendSavedResults(Session& session, bool with_list);
  void CheckAlarms(const MarketEvents::Trade& trade);
  Packet IndexPacket(int market) const;
  Packet EndOfBatch() const;
  std::u16string NowText() const;

  ServerOptions options_;
  int date_ = 0;
  std::unique_ptr<Market> market_;
  std::unique_ptr<UserBook> users_;
  std::unique_ptr<SimClock> clock_;
  SavedResults saved_;
  std::shared_ptr<const std::string> master_wire_, dates_wire_;
  // Per stock: (user, alarm) pairs watching it.
  std::vector<std::vector<std::pair<int, int>>> alarm_watch_;

  asio::io_context io_;
  asio::ip::tcp::acceptor acceptor_{io_};
  asio::steady_timer step_timer_{io_};
  std::chrono::steady_clock::time_point next_step_;
  std::vector<std::shared_ptr<Session>> sessions_;
  std::thread network_thread_;
  HttpPages http_;
  std::uint16_t session_port_ = 0, http_port_ = 0;
  std::atomic<bool> running_{false};
  std::uint64_t session_seq_ = 0;
  ServerStats stats_;  // network thread only
  MarketEvents events_;
};

}  // namespace velloran::server
