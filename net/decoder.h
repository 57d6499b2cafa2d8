#pragma once
// The client's side of the decoder library: loading it by absolute path from
// a directory (the executable's, or one a test names), finding GB_DEC, saying
// which of the two failed, and Decode, through which every caller passes an
// encoded packet value.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace velloran {

class SharedLibrary;

enum class DecoderLoad {
  kOk,
  kLibraryMissing,  // the file is absent or does not load
  kEntryMissing,    // the library has no GB_DEC
};

class CDecoder {
 public:
  using Entry = const char16_t* (*)(const char16_t*);
  using BoundedEntry = const char16_t* (*)(const char16_t*, std::size_t);

  CDecoder();
  ~CDecoder();
  CDecoder(const CDecoder&) = delete;
  CDecoder& operator=(const CDecoder&) = delete;

  // The library's file name on this platform: "libQZCommDEC.so".
  [[nodiscard]] static std::string LibraryFileName();

  // Loads "<directory>/<LibraryFileName()>". A relative or empty directory is
  // refused as kLibraryMissing: the library is never searched for by bare
  // name or in the working directory. Any library loaded before is released.
  [[nodiscard]] DecoderLoad Load(const std::string& directory);
  // Load from the directory of the running executable.
  [[nodiscard]] DecoderLoad LoadBesideExecutable();

  // The start-up message for a failure, empty for kOk:
  // "libQZCommDEC.so 를 찾을수 없습니다." or "GB_DEC 함수를 찾을수 없습니다.".
  [[nodiscard]] static std::u16string FailureMessage(DecoderLoad result);

  [[nodiscard]] bool loaded() const { return entry_ != nullptr; }
  void Unload();

  // The decoded value as a copy; empty when no library is loaded or the
  // value does not decode. The text ends at its first NUL. Safe to call from
  // several threads once loading has finished.
  [[nodiscard]] std::u16string Decode(const std::u16string& text) const;
  // At most max_bytes (as UTF-8) of a value made of lines: a longer one
  // gives its whole lines within them, and the library stops decoding there.
  // A library without GB_DEC_MAX decodes it whole first, and the lines are
  // then counted in characters.
  [[nodiscard]] std::u16string Decode(const std::u16string& text, std::size_t max_bytes) const;

 private:
  std::unique_ptr<SharedLibrary> library_;
  Entry entry_ = nullptr;
  BoundedEntry bounded_entry_ = nullptr;  // null when the library has none
};

}  // namespace velloran
