#include "app/command_line.h"

#include "platform/text_scale.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace velloran {
namespace {

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

// A number of seconds: finite, positive, at most a day.
std::optional<double> ParseSeconds(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(v) || v <= 0 || v > 86400) {
    return std::nullopt;
  }
  return v;
}

struct UrlOption {
  const char* name;
  const char* env;
  std::string AppOptions::*field;
};

constexpr UrlOption kUrlOptions[] = {
    {"--login-url", "VELLORAN_LOGIN_URL", &AppOptions::login_url},
    {"--data-url", "VELLORAN_DATA_URL", &AppOptions::data_url},
    {"--account-url", "VELLORAN_ACCOUNT_URL", &AppOptions::account_url},
};

}  // namespace

std::optional<std::string> NormalizeBaseUrl(const std::string& text) {
  std::size_t scheme = 0;
  if (StartsWith(text, "http://")) {
    scheme = 7;
  } else if (StartsWith(text, "https://")) {
    scheme = 8;
  } else {
    return std::nullopt;
  }
  if (text.size() == scheme || text[scheme] == '/') return std::nullopt;  // no host
  for (const char c : text) {
    // Control characters and blanks would end up in a request line.
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return std::nullopt;
  }
  if (text.find_first_of("?#") != std::string::npos) return std::nullopt;
  return text.back() == '/' ? text : text + "/";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             const std::function<const char*(const char*)>& env) {
  CommandLine result;
  AppOptions& o = result.options;
  auto fail = [&result](std::string message) {
    result.outcome = CommandLine::Outcome::kError;
    result.error = std::move(message);
    return result;
  };

  for (const UrlOption& u : kUrlOptions) {
    const char* value = env ? env(u.env) : nullptr;
    if (value == nullptr || *value == '\0') continue;
    const auto url = NormalizeBaseUrl(value);
    if (!url) return fail(std::string(u.env) + ": not an http:// or https:// address: " + value);
    o.*u.field = *url;
  }
  if (const char* dir = env ? env("VELLORAN_DATA_DIR") : nullptr; dir != nullptr && *dir) {
    o.data_dir = dir;
  }

  bool screenshot_after_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> inline_value;
    if (const auto eq = name.find('='); StartsWith(name, "--") && eq != std::string::npos) {
      inline_value = name.substr(eq + 1);
      name.resize(eq);
    }
    auto flag = [&]() { return !inline_value.has_value(); };
    auto value = [&](std::string& out) {
      if (inline_value) {
        out = *inline_value;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };

    if (name == "--help" || name == "-h") {
      if (!flag()) return fail(name + " takes no value");
      result.outcome = CommandLine::Outcome::kHelp;
      return result;
    }
    if (name == "--demo") {
      if (!flag()) return fail("--demo takes no value");
      o.demo = true;
      continue;
    }
    if (name == "--demo-open") {
      if (!flag()) return fail("--demo-open takes no value");
      o.demo_open = true;
      continue;
    }
    if (name == "--demo-speed") {
      std::string v;
      if (!value(v)) return fail("--demo-speed needs a number");
      const auto speed = ParseSeconds(v);
      if (!speed || *speed > 1000) return fail("--demo-speed: not a speed above 0 and up to 1000: " + v);
      o.demo_speed = *speed;
      continue;
    }
    if (name == "--auto-login") {
      if (!flag()) return fail("--auto-login takes no value");
      o.auto_login = true;
      continue;
    }
    bool matched = false;
    for (const UrlOption& u : kUrlOptions) {
      if (name != u.name) continue;
      matched = true;
      std::string v;
      if (!value(v)) return fail(name + " needs an address");
      const auto url = NormalizeBaseUrl(v);
      if (!url) return fail(name + ": not an http:// or https:// address: " + v);
      o.*u.field = *url;
    }
    if (matched) continue;
    if (name == "--data-dir") {
      if (!value(o.data_dir) || o.data_dir.empty()) return fail("--data-dir needs a directory");
      continue;
    }
    if (name == "--journal-days") {
      std::string v;
      if (!value(v) || v.empty() || v.size() > 4 || v.find_first_not_of("0123456789") != std::string::npos ||
          std::stoi(v) < 1)
        return fail("--journal-days needs a number of days, at least 1");
      o.journal_days = std::stoi(v);
      continue;
    }
    if (name == "--screenshot") {
      if (!value(o.screenshot) || o.screenshot.empty()) return fail("--screenshot needs a file");
      continue;
    }
    if (name == "--text-size") {
      std::string v;
      if (!value(v)) return fail("--text-size needs a percent");
      o.text_size = v == "100" ? 100 : v == "125" ? 125 : v == "150" ? 150 : 0;
      if (!IsTextScale(o.text_size)) return fail("--text-size: 100, 125 or 150, not " + v);
      continue;
    }
    if (name == "--screenshot-after" || name == "--quit-after") {
      std::string v;
      if (!value(v)) return fail(name + " needs a number of seconds");
      const auto seconds = ParseSeconds(v);
      if (!seconds) return fail(name + ": not a number of seconds between 0 and 86400: " + v);
      if (name == "--quit-after") {
        o.quit_after_s = *seconds;
      } else {
        o.screenshot_after_s = *seconds;
        screenshot_after_given = true;
      }
      continue;
    }
    return fail("unknown option: " + args[i] + " (see --help)");
  }
  if (o.auto_login && !o.demo) return fail("--auto-login needs --demo");
  if ((o.demo_open || o.demo_speed != 1) && !o.demo) return fail("--demo-speed and --demo-open need --demo");
  if (screenshot_after_given && o.screenshot.empty()) {
    return fail("--screenshot-after needs --screenshot FILE");
  }
  return result;
}

std::string Usage() {
  return "Usage: velloran [options]\n"
         "  --demo                  run against the built-in demo market on 127.0.0.1\n"
         "  --auto-login            with --demo: log the demo user in without waiting for Enter\n"
         "  --demo-speed X          with --demo: market seconds per second (default 1, up to 1000)\n"
         "  --demo-open             with --demo: start at 08:59:30 and run the first ten minutes\n"
         "                          at a busy open's rate\n"
         "  --login-url BASE        base address of the login page (BASE + login_koa.aspx)\n"
         "  --text-size PERCENT     size of text and controls: 100, 125 or 150 (kept for later runs)\n"
         "  --data-url BASE         base address of the replay data page\n"
         "  --account-url BASE      base address of the account pages\n"
         "  --data-dir DIR          where qza.cfg and sch.dat are kept\n"
         "  --journal-days N        days of screen journals kept (default 20)\n"
         "  --screenshot FILE       write a PNG of the main window\n"
         "  --screenshot-after S    ... S seconds after it appeared (default 5)\n"
         "  --quit-after S          close the program S seconds after the main window appeared\n"
         "  --help                  this text\n"
         "Environment: VELLORAN_LOGIN_URL, VELLORAN_DATA_URL, VELLORAN_ACCOUNT_URL,\n"
         "VELLORAN_DATA_DIR; the command line wins.\n";
}

}  // namespace velloran
