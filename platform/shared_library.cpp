#include "platform/shared_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

namespace velloran {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& absolute_path) {
  // A path with a "/" is never searched for by the loader; an absolute one
  // does not depend on the working directory either.
  if (absolute_path.empty() || absolute_path.front() != '/') return nullptr;
  void* handle = dlopen(absolute_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary() {
  dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) const {
  return dlsym(handle_, name);
}

std::string SharedLibrary::FileName(const std::string& name) {
  return "lib" + name + ".so";
}

std::string SharedLibrary::ExecutableDirectory() {
  std::vector<char> path(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < path.size()) {
      std::string full(path.data(), static_cast<std::size_t>(n));
      const std::size_t slash = full.rfind('/');
      if (slash == std::string::npos) return {};
      return slash == 0 ? std::string("/") : full.substr(0, slash);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace velloran
