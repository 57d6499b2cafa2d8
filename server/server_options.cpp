#include "server/server_options.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "server/calendar.h"
#include "server/user_book.h"

namespace velloran::server {
namespace {

template <typename T>
bool ParseNumber(const std::string& text, T& out, T lo, T hi) {
  T v{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseSpeed(const std::string& text, double& out) {
  try {
    std::size_t used = 0;
    const double v = std::stod(text, &used);
    if (used != text.size() || !(v >= 0) || v > 10000) return false;
    out = v;
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

std::string ServerUsage() {
  return "usage: velloran-server [options]\n"
         "  --bind ADDR          address to listen on (default 127.0.0.1)\n"
         "  --port N             session port, 0 picks a free one (default 0)\n"
         "  --http-port N        HTTP port of the login and replay pages, 0 picks a free one\n"
         "                       (default 0)\n"
         "  --seed N             market seed (default 1)\n"
         "  --stocks N           number of stocks, 10 to 20000 (default 2600)\n"
         "  --users FILE         \"ID PASSWORD\" lines (default: demo demo)\n"
         "  --clock sim|real     simulated trading day or the Seoul wall clock (default sim)\n"
         "  --speed X            sim: market seconds per second, 0 frozen (default 1)\n"
         "  --start HHMMSS       sim: time the day starts at, from 083000 (default 090000)\n"
         "  --open               the first ten minutes at a busy open's rate: every stock\n"
         "                       trading four times its pace, a watched book moving about\n"
         "                       250 times a second (starts at 085930 unless --start says)\n"
         "  --date YYYYMMDD      sim: the trading day (default today in Seoul)\n"
         "  --alarm-now          trade each login's first alarm stock at its alarm price at once\n"
         "  --fault-drop N       close every connection every N seconds\n"
         "  --fault-stall S      hold each connection's output for S seconds after start-up\n"
         "  --fault-garbage      random bytes between packets\n"
         "  --fault-split        the login answer and every 10th packet one byte per write\n"
         "  --fault-oversize     one packet over 16 MiB after the start-up data\n"
         "  --fault-refuse-login refuse every login\n"
         "  --fault-http-500     answer the login page with status 500\n"
         "  --fault-short-book   order books with fewer than ten levels a side\n"
         "  --fault-tiny-book    every third book update shorter than 20 characters\n"
         "  --fault-bar-book     book texts starting with \"|\"\n"
         "  --fault-bad-maps     empty and malformed HMAP and CMAP lines in snapshots\n"
         "  --fault-replay-cut   replay page: a Content-Length larger than the body sent, then close\n"
         "  --fault-replay-500   replay page: status 500\n"
         "  --fault-replay-unsized\n"
         "                       replay page: no Content-Length (chunked)\n"
         "  --fault-replay-drip  replay page: small pieces with pauses (about a second at most)\n"
         "  --fault-replay-bad-lines\n"
         "                       malformed lines in every replay HOGA block\n"
         "The first line printed is \"listening session=PORT http=PORT\".\n";
}

std::optional<ServerOptions> ParseServerArgs(const std::vector<std::string>& args,
                                             std::string& error, bool& help) {
  ServerOptions o;
  help = false;
  bool start_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    auto bad = [&]() {
      error = "bad value for " + a + ": \"" + v + "\"";
      return std::nullopt;
    };
    if (a == "--help" || a == "-h") {
      help = true;
      error = ServerUsage();
      return std::nullopt;
    } else if (a == "--bind") {
      if (!value(v)) return std::nullopt;
      if (v.empty()) return bad();
      o.bind = v;
    } else if (a == "--port" || a == "--http-port") {
      if (!value(v)) return std::nullopt;
      std::uint16_t port = 0;
      if (!ParseNumber<std::uint16_t>(v, port, 0, 65535)) return bad();
      (a == "--port" ? o.port : o.http_port) = port;
    } else if (a == "--seed") {
      if (!value(v)) return std::nullopt;
      if (!ParseNumber<std::uint64_t>(v, o.seed, 0, UINT64_MAX)) return bad();
    } else if (a == "--stocks") {
      if (!value(v)) return std::nullopt;
      if (!ParseNumber(v, o.stocks, 10, 20000)) return bad();
    } else if (a == "--users") {
      if (!value(v)) return std::nullopt;
      std::ifstream in(v, std::ios::binary);
      if (!in) {
        error = "cannot read users file \"" + v + "\"";
        return std::nullopt;
      }
      std::stringstream text;
      text << in.rdbuf();
      auto users = ParseUsers(text.str(), error);
      if (!users) return std::nullopt;
      if (users->empty()) {
        error = "users file \"" + v + "\" lists no user";
        return std::nullopt;
      }
      o.users = std::move(*users);
    } else if (a == "--clock") {
      if (!value(v)) return std::nullopt;
      if (v == "sim") {
        o.clock = ClockMode::kSim;
      } else if (v == "real") {
        o.clock = ClockMode::kReal;
      } else {
        return bad();
      }
    } else if (a == "--speed") {
      if (!value(v)) return std::nullopt;
      if (!ParseSpeed(v, o.speed)) return bad();
    } else if (a == "--start") {
      if (!value(v)) return std::nullopt;
      int t = 0;
      if (v.size() != 6 || !ParseNumber(v, t, 83000, 235959) || t / 100 % 100 > 59 || t % 100 > 59)
        return bad();
      o.start_time = t;
      start_given = true;
    } else if (a == "--open") {
      o.open_rush = true;
      if (!start_given) o.start_time = 85930;
    } else if (a == "--date") {
      if (!value(v)) return std::nullopt;
      int d = 0;
      if (v.size() != 8 || !ParseNumber(v, d, 19700101, 99991231) || !IsValidDate(d)) return bad();
      o.date = d;
    } else if (a == "--fault-drop") {
      if (!value(v)) return std::nullopt;
      if (!ParseNumber(v, o.faults.drop_every_s, 1, 86400)) return bad();
    } else if (a == "--fault-stall") {
      if (!value(v)) return std::nullopt;
      if (!ParseNumber(v, o.faults.stall_s, 1, 86400)) return bad();
    } else if (a == "--fault-garbage") {
      o.faults.garbage = true;
    } else if (a == "--fault-split") {
      o.faults.split = true;
    } else if (a == "--fault-oversize") {
      o.faults.oversize = true;
    } else if (a == "--fault-refuse-login") {
      o.faults.refuse_login = true;
    } else if (a == "--fault-http-500") {
      o.faults.http_500 = true;
    } else if (a == "--fault-short-book") {
      o.faults.short_book = true;
    } else if (a == "--fault-tiny-book") {
      o.faults.tiny_book = true;
    } else if (a == "--fault-bar-book") {
      o.faults.bar_book = true;
    } else if (a == "--fault-bad-maps") {
      o.faults.bad_maps = true;
    } else if (a == "--fault-replay-cut") {
      o.faults.replay_cut = true;
    } else if (a == "--fault-replay-500") {
      o.faults.replay_500 = true;
    } else if (a == "--fault-replay-unsized") {
      o.faults.replay_unsized = true;
    } else if (a == "--fault-replay-drip") {
      o.faults.replay_drip = true;
    } else if (a == "--fault-replay-bad-lines") {
      o.faults.replay_bad_lines = true;
    } else if (a == "--alarm-now") {
      o.alarm_now = true;
    } else {
      error = "unknown option \"" + a + "\"\n" + ServerUsage();
      return std::nullopt;
    }
  }
  return o;
}

}  // namespace velloran::server
