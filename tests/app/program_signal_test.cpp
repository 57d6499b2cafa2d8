// The real velloran program, offscreen on its demo market, told to end by
// the signals a desktop session (SIGTERM at logout), a terminal (SIGINT) or
// its loss (SIGHUP) sends: it ends as when its window is closed, with what
// it saves at exit saved, and says so with an exit code of 0.

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings_files.h"
#include "net/utf8.h"

extern char** environ;

namespace velloran {
namespace {

// One run of the program, its output read through a pipe. It quits by
// itself after two minutes, which bounds every read.
struct ProgramRun {
  int signal = 0;
  std::filesystem::path dir;
  pid_t pid = -1;
  int out = -1;
  std::string said;

  bool Start() {
    char dir_template[] = "/tmp/velloran-signal-XXXXXX";
    if (::mkdtemp(dir_template) == nullptr) return false;
    dir = dir_template;
    int fds[2];
    if (::pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string args[] = {VELLORAN_PROGRAM,     "--demo",
                          "--data-dir",         dir.string(),
                          "--screenshot",       (dir / "shot.png").string(),
                          "--screenshot-after", "600",
                          "--quit-after",       "120"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int rc = posix_spawn(&pid, VELLORAN_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out = fds[0];
    return rc == 0;
  }
  // Reads until `text` was said; false when the output ended first.
  bool WaitFor(const std::string& text) {
    char buffer[4096];
    while (said.find(text) == std::string::npos) {
      const ssize_t n = ::read(out, buffer, sizeof buffer);
      if (n <= 0) return false;
      said.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
  }
  // The exit status once the output ended; -1 when it did not exit by itself.
  int Wait() {
    (void)WaitFor(std::string(1, '\0'));
    ::close(out);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST(ProgramSignalTest, TermIntAndHupEndItAsItsCloseDoesWithTheExitSave) {
  std::vector<ProgramRun> runs(3);
  const int signals[] = {SIGTERM, SIGINT, SIGHUP};
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i].signal = signals[i];
    ASSERT_TRUE(runs[i].Start());
  }
  // Unattended, the demo logs in and picks the first stock of the screen,
  // which joins the recent stocks that only the exit save keeps.
  const std::string picked = "velloran: picked ";
  for (ProgramRun& run : runs) {
    ASSERT_TRUE(run.WaitFor(", kept among the recent stocks")) << run.said;
    ASSERT_EQ(::kill(run.pid, run.signal), 0);
  }
  for (ProgramRun& run : runs) {
    SCOPED_TRACE(strsignal(run.signal));
    EXPECT_EQ(run.Wait(), 0) << run.said;
    const std::size_t at = run.said.find(picked);
    ASSERT_NE(at, std::string::npos);
    const std::u16string code = Utf8ToUtf16(run.said.substr(at + picked.size(), 6));
    std::vector<std::u16string> lines;
    ASSERT_EQ(ReadTextFile(run.dir / "sch.dat", lines), ReadOutcome::kRead) << run.said;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::u16string& line) {
      return line.find(u"<SHCODE>" + code + u"</SHCODE>") != std::u16string::npos;
    })) << run.said;
    EXPECT_TRUE(std::filesystem::exists(run.dir / "qza.cfg"));
    std::filesystem::remove_all(run.dir);
  }
}

}  // namespace
}  // namespace velloran
