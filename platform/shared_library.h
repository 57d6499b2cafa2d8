#pragma once
// A dynamically loaded library, opened only by an absolute path, and the
// directory of the running executable that such paths start from.

#include <memory>
#include <string>

namespace velloran {

class SharedLibrary {
 public:
  // Null when the path is not absolute or the file does not load.
  [[nodiscard]] static std::unique_ptr<SharedLibrary> Open(const std::string& absolute_path);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // The address of an exported symbol, or null.
  [[nodiscard]] void* Symbol(const char* name) const;

  // The platform's file name for a library called name ("libname.so").
  [[nodiscard]] static std::string FileName(const std::string& name);

  // The absolute directory of the running executable (no trailing "/"),
  // empty when it cannot be found.
  [[nodiscard]] static std::string ExecutableDirectory();

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace velloran
