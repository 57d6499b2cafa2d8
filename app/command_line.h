#pragma once
// The client's command line: where the deployment's pages live, where the
// settings files go, the built-in demo market, and unattended screenshots.
// Each deployment value may also come from the environment; the command line
// wins.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velloran {

struct AppOptions {
  // Base addresses ("http://host/path/"), always ending in "/", to which the
  // page names are appended. Empty when not given.
  std::string login_url;    // + "login_koa.aspx"
  std::string data_url;     // + "qz2_hoga_data.aspx"
  std::string account_url;  // + "member/lost.aspx"
  std::string data_dir;     // empty: beside the executable, else the config directory
  int journal_days = 20;  // days of screen journals kept, today's included
  bool demo = false;
  bool auto_login = false;  // with demo: log the demo user in without waiting for Enter
  double demo_speed = 1;    // with demo: market seconds per second
  bool demo_open = false;   // with demo: start before the open and run it at a busy open's rate
  std::string screenshot;  // PNG of the main window, written after screenshot_after_s
  double screenshot_after_s = 5;
  double quit_after_s = 0;  // 0: run until the user closes the window
  int text_size = 0;        // percent of text and controls (100, 125, 150); 0: as kept

  [[nodiscard]] std::string LoginPage() const { return login_url + "login_koa.aspx"; }
  [[nodiscard]] std::string DataPage() const { return data_url + "qz2_hoga_data.aspx"; }
  // Empty when no account address was given: there is no page to open then.
  [[nodiscard]] std::string AccountPage() const {
    return account_url.empty() ? std::string() : account_url + "member/lost.aspx";
  }
};

struct CommandLine {
  enum class Outcome { kRun, kHelp, kError };
  Outcome outcome = Outcome::kRun;
  AppOptions options;
  std::string error;  // one line, for kError
};

// args without the program name; env looks up an environment variable (null
// when unset). Options take their value as the next argument or after "=".
[[nodiscard]] CommandLine ParseCommandLine(const std::vector<std::string>& args,
                                           const std::function<const char*(const char*)>& env);
[[nodiscard]] std::string Usage();

// "http://..." or "https://..." with a host; the result ends in "/". None for
// anything else.
[[nodiscard]] std::optional<std::string> NormalizeBaseUrl(const std::string& text);

}  // namespace velloran
