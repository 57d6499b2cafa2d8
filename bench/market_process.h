#pragma once
// The demo market as a process of its own, for the benchmarks that measure
// the whole client: the client's processor time and memory are then its own,
// read with CpuSeconds and ResidentMiB. The program is VELLORAN_SERVER, which
// the benchmark's build defines.

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace velloran::bench {

// This process's processor time so far, user and system, in seconds.
inline double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// This process's resident memory (VmRSS) in MiB, 0 when unknown.
inline double ResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}

class MarketProcess {
 public:
  // args: the options after the program's name.
  explicit MarketProcess(const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // it goes with the benchmark, however that ends
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      std::vector<char*> argv{const_cast<char*>(VELLORAN_SERVER)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(VELLORAN_SERVER, argv.data());
      _exit(127);
    }
    close(out[1]);
    output_ = fdopen(out[0], "r");
    int session = 0, http = 0;
    if (output_ != nullptr &&
        std::fscanf(output_, "listening session=%d http=%d", &session, &http) == 2) {
      port_ = session;
      http_port_ = http;
    }
    // Whatever it prints later is read and dropped, so it never blocks on a
    // full pipe.
    drain_ = std::thread([this] {
      char sink[512];
      while (output_ != nullptr && std::fgets(sink, sizeof sink, output_) != nullptr) {
      }
    });
  }
  ~MarketProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (drain_.joinable()) drain_.join();
    if (output_ != nullptr) std::fclose(output_);
  }
  MarketProcess(const MarketProcess&) = delete;
  MarketProcess& operator=(const MarketProcess&) = delete;

  // The session port it listens on; 0 when it did not start.
  [[nodiscard]] int port() const { return port_; }
  // Its HTTP port (login, the replay's data page); 0 likewise.
  [[nodiscard]] int http_port() const { return http_port_; }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
  std::thread drain_;
  int port_ = 0;
  int http_port_ = 0;
};

}  // namespace velloran::bench
