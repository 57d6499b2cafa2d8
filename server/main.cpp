// velloran-server: the demo market as a program. Prints
// "listening session=PORT http=PORT" once both ports listen, then serves
// until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "server/demo_server.h"
#include "server/server_options.h"

int main(int argc, char** argv) {
  using namespace velloran::server;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  bool help = false;
  std::optional<ServerOptions> options = ParseServerArgs(args, error, help);
  if (!options) {
    (help ? std::cout : std::cerr) << error << (error.ends_with('\n') ? "" : "\n");
    return help ? 0 : 2;
  }

  // Every thread inherits the blocked signals; only sigwait below takes them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  DemoServer server(*options);
  if (!server.Start(error)) {
    std::cerr << "velloran-server: " << error << "\n";
    return 1;
  }
  std::printf("listening session=%u http=%u\n", static_cast<unsigned>(server.session_port()),
              static_cast<unsigned>(server.http_port()));
  std::fflush(stdout);

  int signal = 0;
  sigwait(&stop_signals, &signal);
  server.Stop();
  return 0;
}
