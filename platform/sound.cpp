#include "platform/sound.h"

#include <QApplication>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "platform/event_loop.h"

extern char** environ;

namespace velloran {
namespace {

std::function<void(const SoundPlaying&)>& Handler() {
  static std::function<void(const SoundPlaying&)> handler;
  return handler;
}

// Two short rising tones, 16-bit mono PCM in a WAV file.
std::string AlertWave() {
  constexpr int kRate = 22050;
  std::string samples;
  for (const double hz : {880.0, 1320.0}) {
    const int n = kRate * 12 / 100;
    for (int i = 0; i < n; ++i) {
      const double fade = std::min(1.0, std::min(i, n - i) / 200.0);
      const auto v = static_cast<std::int16_t>(12000 * fade * std::sin(2 * M_PI * hz * i / kRate));
      samples.push_back(static_cast<char>(v & 0xFF));
      samples.push_back(static_cast<char>((v >> 8) & 0xFF));
    }
  }
  auto u32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  auto u16 = [](std::uint16_t v) { return std::string{static_cast<char>(v), static_cast<char>(v >> 8)}; };
  const auto size = static_cast<std::uint32_t>(samples.size());
  return "RIFF" + u32(36 + size) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(kRate) +
         u32(kRate * 2) + u16(2) + u16(16) + "data" + u32(size) + samples;
}

bool HasSoundCard() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/snd", ec)) {
    if (entry.path().filename().string().rfind("pcm", 0) == 0) return true;
  }
  return false;
}

std::string FindProgram(const char* name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// The sound written once to a file of this user's for the player to read.
std::string WaveFile() {
  static std::once_flag once;
  static std::string file;
  std::call_once(once, [] {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::filesystem::path dir = runtime != nullptr && *runtime != '\0'
                                          ? std::filesystem::path(runtime)
                                          : std::filesystem::temp_directory_path();
    const auto path = dir / ("velloran-alert-" + std::to_string(::getuid()) + ".wav");
    // The directory may be the shared temporary one: the file is made anew,
    // never opened through a name someone else put there (a link to one of
    // this user's files would be overwritten). Another's file of that name
    // cannot be removed, and then there is no file.
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const std::string wave = AlertWave();
    std::size_t done = 0;
    while (done < wave.size()) {
      const ssize_t n = ::write(fd, wave.data() + done, wave.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (::close(fd) == 0 && done == wave.size()) file = path.string();
  });
  return file;
}

// Starts the player on the file; `playing` is cleared when it has ended.
bool SpawnPlayer(const std::string& player, const std::string& file, const SoundPlaying& playing) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {player.c_str(), "-q", file.c_str(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, player.c_str(), &actions, nullptr,
                             const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  playing->store(true);
  // The player ends by itself; its end is collected off the caller's thread.
  try {
    std::thread([pid, playing] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      playing->store(false);
    }).detach();
  } catch (const std::system_error&) {
    // No thread to wait with: the player is left to end unwatched, and the
    // next sound does not wait for it.
    playing->store(false);
  }
  return true;
}

void StartAlertSound(const SoundPlaying& playing) {
  if (Handler()) {
    Handler()(playing);
    return;
  }
  if (HasSoundCard()) {
    const std::string player = FindProgram("aplay");
    const std::string file = player.empty() ? std::string() : WaveFile();
    if (!file.empty() && SpawnPlayer(player, file, playing)) return;
  }
  QApplication::beep();
}

}  // namespace

void SetSoundHandler(std::function<void(const SoundPlaying&)> handler) {
  Handler() = std::move(handler);
}

AlertSound::AlertSound(EventLoop& loop) : loop_(loop) {}

AlertSound::~AlertSound() {
  Cancel();
}

void AlertSound::Play() {
  waiting_ = true;
  if (timer_ == 0) StartOrWait();
}

void AlertSound::Cancel() {
  waiting_ = false;
  if (timer_ != 0) loop_.StopTimer(timer_);
  timer_ = 0;
}

void AlertSound::StartOrWait() {
  const Clock::SteadyTime now = loop_.clock().Steady();
  std::chrono::milliseconds wait{0};
  if (played_any_ && now - last_start_ < kMinGap) {
    wait = std::chrono::ceil<std::chrono::milliseconds>(kMinGap - (now - last_start_));
  } else if (playing_ && playing_->load()) {
    wait = kRecheck;
  }
  if (wait.count() > 0) {
    timer_ = loop_.StartTimer(wait, false, [this] { OnTimer(); });
    return;
  }
  waiting_ = false;
  played_any_ = true;
  last_start_ = now;
  playing_ = std::make_shared<std::atomic<bool>>(false);
  StartAlertSound(playing_);
}

void AlertSound::OnTimer() {
  timer_ = 0;
  if (waiting_) StartOrWait();
}

}  // namespace velloran
