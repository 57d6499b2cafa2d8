// The client program: reads the command line, starts the built-in demo
// market when asked, and runs the application object. Without a display it
// runs offscreen, logs the demo user in by itself and reports on the terminal
// what the foot bar shows.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/koa_app.h"
#include "app/main_frame.h"
#include "app/session_data.h"
#include "app/settings_files.h"
#include "app/text_size.h"
#include "net/stock_code.h"
#include "net/utf8.h"
#include "platform/window_messages.h"
#include "platform/application.h"
#include "platform/termination_signals.h"
#include "platform/text_scale.h"
#include "server/demo_server.h"

namespace {

using namespace velloran;
using Steady = std::chrono::steady_clock;

void Say(const std::string& line) {
  std::printf("velloran: %s\n", line.c_str());
  std::fflush(stdout);
}
void Say(const std::u16string& line) {
  Say(Utf16ToUtf8(line));
}

long ElapsedMs(Steady::time_point from, Steady::time_point to) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}

bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && *platform != '\0') return std::string(platform) != "offscreen";
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
}

// Resident memory of this process in MiB, 0 when unknown.
double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages_total = 0;
  long pages_resident = 0;
  if (!(statm >> pages_total >> pages_resident)) return 0;
  return static_cast<double>(pages_resident) * 4096.0 / (1024.0 * 1024.0);
}

std::unique_ptr<server::DemoServer> StartDemo(AppOptions& options) {
  server::ServerOptions demo;
  demo.speed = options.demo_speed;
  if (options.demo_open) {
    demo.open_rush = true;
    demo.start_time = 85930;
  }
  auto server = std::make_unique<server::DemoServer>(demo);
  std::string error;
  if (!server->Start(error)) {
    Say("the demo market did not start: " + error);
    return nullptr;
  }
  const std::string base = "http://127.0.0.1:" + std::to_string(server->http_port()) + "/";
  options.login_url = options.data_url = options.account_url = base;
  Say("demo market on 127.0.0.1, session port " + std::to_string(server->session_port()) +
      ", pages at " + base);
  return server;
}

// Watches the running client: link changes, the stock master arriving, the
// screenshot and the time to quit. Unattended (a demo without a display) it
// also picks the first stock of the screen, so that the picture shows a book.
class Reporter {
 public:
  Reporter(CKOAApp& app, const AppOptions& options, Steady::time_point started, bool unattended)
      : app_(app), options_(options), started_(started), unattended_(unattended) {
    CMainFrame& frame = *app.main_frame();
    if (app.login_shown_at() != Steady::time_point{}) {
      Say("login dialog shown " + std::to_string(ElapsedMs(started, app.login_shown_at())) +
          " ms after start");
    }
    frame.SetLinkObserver([this](const LinkStatus& link) { OnLink(link); });
    EventLoop& loop = UiLoop();
    poll_timer_ = loop.StartTimer(std::chrono::milliseconds(250), true, [this] { Poll(); });
    if (!options.screenshot.empty()) {
      screenshot_timer_ =
          loop.StartTimer(Seconds(options.screenshot_after_s), false, [this] { Screenshot(); });
    }
    if (options.quit_after_s > 0) {
      quit_timer_ = loop.StartTimer(Seconds(options.quit_after_s), false, [this] {
        if (CMainFrame* f = app_.main_frame(); f != nullptr && f->IsCreated()) f->Destroy();
      });
    }
  }
  ~Reporter() {
    for (const int id : {poll_timer_, screenshot_timer_, quit_timer_}) UiLoop().StopTimer(id);
  }

 private:
  static std::chrono::milliseconds Seconds(double s) {
    return std::chrono::milliseconds(static_cast<long long>(s * 1000));
  }

  void OnLink(const LinkStatus& link) {
    std::u16string line = LinkStateText(link.state);
    if (link.state == LinkState::kConnected || link.state == LinkState::kConnecting) {
      line += u" (" + app_.server_address() + u":" +
              Utf8ToUtf16(std::to_string(app_.server_port())) + u")";
    }
    Say(line);
  }

  void Poll() {
    const CMainFrame* frame = app_.main_frame();
    if (!paint_reported_ && frame != nullptr && frame->first_paint_at() != Steady::time_point{}) {
      paint_reported_ = true;
      Say("main window painted " + std::to_string(ElapsedMs(started_, frame->first_paint_at())) +
          " ms after start, " +
          std::to_string(ElapsedMs(app_.login_done_at(), frame->first_paint_at())) +
          " ms after the login");
    }
    CSessionData* session = app_.session();
    if (session == nullptr) return;
    if (unattended_ && !picked_ && frame != nullptr) PickFirstStock(*session);
    if (picked_ && !pick_reported_ && !session->recent().empty()) {
      pick_reported_ = true;
      Say(u"picked " + session->recent().back()->GetText(u"SHCODE", u"") +
          u", kept among the recent stocks");
    }
    if (master_reported_) return;
    const std::size_t count = session->Read()->master.size();
    if (count > 0 && count == last_master_count_) {
      master_reported_ = true;
      char mib[32];
      std::snprintf(mib, sizeof mib, "%.1f", ResidentMiB());
      Say(std::to_string(count) + " stocks in the master, resident memory " + mib + " MiB");
    }
    last_master_count_ = count;
  }

  void PickFirstStock(const CSessionData& session) {
    std::u16string code;
    {
      const auto store = session.Read();
      if (store->records.empty() || store->master.empty()) return;
      code = store->records.begin()->first;
    }
    picked_ = true;
    PostMessage(app_.main_frame()->top_bar().handle(), msg::kSelectStock,
                static_cast<WParam>(PackStockCode(code)), 0);
  }

  void Screenshot() {
    CMainFrame* frame = app_.main_frame();
    if (frame == nullptr || !frame->IsCreated()) return;
    if (frame->SaveScreenshot(options_.screenshot)) {
      Say("screenshot written to " + std::filesystem::absolute(options_.screenshot).string());
    } else {
      Say("could not write the screenshot to " + options_.screenshot);
    }
  }

  CKOAApp& app_;
  const AppOptions& options_;
  const Steady::time_point started_;
  int poll_timer_ = 0;
  int screenshot_timer_ = 0;
  int quit_timer_ = 0;
  bool paint_reported_ = false;
  std::size_t last_master_count_ = 0;
  bool master_reported_ = false;
  const bool unattended_;
  bool picked_ = false;
  bool pick_reported_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const Steady::time_point started = Steady::now();
  const CommandLine command =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc),
                       [](const char* name) -> const char* { return std::getenv(name); });
  if (command.outcome == CommandLine::Outcome::kHelp) {
    std::fputs(Usage().c_str(), stdout);
    return 0;
  }
  if (command.outcome == CommandLine::Outcome::kError) {
    std::fprintf(stderr, "velloran: %s\n", command.error.c_str());
    return 2;
  }
  AppOptions options = command.options;
  if (!options.demo && options.login_url.empty()) {
    std::fprintf(stderr,
                 "velloran: no login address: give --login-url BASE (or VELLORAN_LOGIN_URL), "
                 "or --demo\n");
    return 2;
  }

  const bool display = HasDisplay();
  if (!display && !options.demo) {
    std::fprintf(stderr,
                 "velloran: no display found: the login needs one (or run the demo with --demo)\n");
    return 2;
  }
  if (!display) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Say("no display found: running offscreen");
    if (options.screenshot.empty()) {
      options.screenshot = (std::filesystem::temp_directory_path() / "velloran-demo.png").string();
    }
  }

  // The toolkit takes its scale factor when it starts, never after.
  ApplyTextScale(options.text_size != 0 ? options.text_size
                                        : StoredTextSize(DataDirectory(options.data_dir)));

  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  Application application(qt_argc, qt_argv);
  if (!display) {
    // No one could press OK on a box: its text goes to the terminal.
    SetMessageBoxHandler([](const std::u16string& text) { Say(text); });
  }

  std::unique_ptr<server::DemoServer> demo;
  if (options.demo) {
    demo = StartDemo(options);
    if (!demo) return 1;
    Say("demo market ready " + std::to_string(ElapsedMs(started, Steady::now())) +
        " ms after start");
  }

  int exit_code = 1;
  {
    CKOAApp app(options);
    // Logout, shutdown or a terminal's Ctrl+C end the program as its close
    // does, with everything saved at exit.
    const TerminationSignals signals(UiLoop(), [&app](int) { app.RequestClose(); });
    if (demo) app.SetPresetLogin(u"demo", u"demo", !display || options.auto_login);
    // Offscreen, the frame opens as on a full-HD desktop.
    if (!display) app.SetScreenAreas({0, 0, 1920, 1040}, {0, 0, 1920, 1080});
    if (app.InitInstance()) {
      if (options.text_size != 0) KeepTextSize(app.session()->lists(), options.text_size);
      Reporter reporter(app, options, started, demo != nullptr && !display);
      exit_code = application.Run();
    } else if (app.login_cancelled()) {
      exit_code = 0;
    }
    app.ExitInstance();
  }
  if (demo) demo->Stop();
  return exit_code;
}
