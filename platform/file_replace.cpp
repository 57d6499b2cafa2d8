#include "platform/file_replace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace velloran {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string TemporaryOf(const std::filesystem::path& path) {
  return path.string() + std::string(kTemporarySuffix);
}

// Copies what is left of `from` to `to`, a piece at a time.
bool CopyAll(int from, int to) {
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(from, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, std::string_view(chunk, static_cast<std::size_t>(n)))) return false;
  }
}

}  // namespace

void RemoveStaleTemporary(const std::filesystem::path& path) {
  ::unlink(TemporaryOf(path).c_str());
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::size_t limit,
                   bool* cut) {
  bytes.clear();
  if (cut != nullptr) *cut = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char chunk[1 << 16];
  bool ok = true;
  for (;;) {
    // One byte past the limit tells whether there is more.
    const std::size_t left = limit - bytes.size();
    const ssize_t n = ::read(fd, chunk, left < sizeof chunk ? left + 1 : sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
    if (bytes.size() > limit) {
      bytes.resize(limit);
      if (cut != nullptr) *cut = true;
      break;
    }
  }
  ::close(fd);
  return ok;
}

bool KeepBeside(const std::filesystem::path& path, std::string_view suffix) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return !ec;
  // Copied a piece at a time: a damaged file may be of any size.
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  bool ok = false;
  for (int n = 0; n < 1000; ++n) {
    const std::string name =
        path.string() + std::string(suffix) + (n == 0 ? std::string() : std::to_string(n));
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      break;
    }
    ok = CopyAll(in, fd) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) ::unlink(name.c_str());
    break;
  }
  ::close(in);
  return ok;
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
  const std::string temp = TemporaryOf(path);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the directory.
  const std::string dir = path.has_parent_path() ? path.parent_path().string() : ".";
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

bool IsWritableDirectory(const std::filesystem::path& directory) {
  std::error_code ec;
  if (!std::filesystem::is_directory(directory, ec)) return false;
  const std::string probe = (directory / ".velloran-write-test").string();
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno == EEXIST && ::access(directory.c_str(), W_OK) == 0;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

}  // namespace velloran
