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
  return path.string() + ".tmp";
}

}  // namespace

void RemoveStaleTemporary(const std::filesystem::path& path) {
  ::unlink(TemporaryOf(path).c_str());
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char chunk[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return ok;
}

bool KeepBeside(const std::filesystem::path& path, std::string_view suffix) {
  std::string bytes;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return !ec;
  if (!ReadWholeFile(path, bytes)) return false;
  for (int n = 0; n < 1000; ++n) {
    const std::string name =
        path.string() + std::string(suffix) + (n == 0 ? std::string() : std::to_string(n));
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) ::unlink(name.c_str());
    return ok;
  }
  return false;
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
