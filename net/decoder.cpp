#include "net/decoder.h"

#include "net/text_util.h"
#include "platform/shared_library.h"

namespace velloran {
namespace {
constexpr char kLibraryName[] = "QZCommDEC";
constexpr char kEntryName[] = "GB_DEC";
constexpr char kBoundedEntryName[] = "GB_DEC_MAX";
}  // namespace

CDecoder::CDecoder() = default;
CDecoder::~CDecoder() = default;

std::string CDecoder::LibraryFileName() {
  return SharedLibrary::FileName(kLibraryName);
}

DecoderLoad CDecoder::Load(const std::string& directory) {
  Unload();
  if (directory.empty() || directory.front() != '/') return DecoderLoad::kLibraryMissing;
  std::string path = directory;
  if (path.back() != '/') path += '/';
  path += LibraryFileName();
  std::unique_ptr<SharedLibrary> library = SharedLibrary::Open(path);
  if (!library) return DecoderLoad::kLibraryMissing;
  auto entry = reinterpret_cast<Entry>(library->Symbol(kEntryName));
  if (!entry) return DecoderLoad::kEntryMissing;
  bounded_entry_ = reinterpret_cast<BoundedEntry>(library->Symbol(kBoundedEntryName));
  library_ = std::move(library);
  entry_ = entry;
  return DecoderLoad::kOk;
}

DecoderLoad CDecoder::LoadBesideExecutable() {
  return Load(SharedLibrary::ExecutableDirectory());
}

std::u16string CDecoder::FailureMessage(DecoderLoad result) {
  switch (result) {
    case DecoderLoad::kOk:
      return {};
    case DecoderLoad::kLibraryMissing:
      return Widen(LibraryFileName()) + u" 를 찾을수 없습니다.";
    case DecoderLoad::kEntryMissing:
      return u"GB_DEC 함수를 찾을수 없습니다.";
  }
  return {};
}

void CDecoder::Unload() {
  entry_ = nullptr;
  bounded_entry_ = nullptr;
  library_.reset();
}

std::u16string CDecoder::Decode(const std::u16string& text) const {
  if (!entry_) return {};
  const char16_t* result = entry_(text.c_str());
  return result ? std::u16string(result) : std::u16string();
}

}  // namespace velloran

namespace velloran {

std::u16string CDecoder::Decode(const std::u16string& text, std::size_t max_bytes) const {
  if (!entry_) return {};
  if (!bounded_entry_) {
    std::u16string whole = Decode(text);
    if (whole.size() > max_bytes) {
      const std::size_t line_end = std::u16string_view(whole).substr(0, max_bytes).rfind(u'\n');
      whole.resize(line_end == std::u16string::npos ? 0 : line_end + 1);
    }
    return whole;
  }
  const char16_t* result = bounded_entry_(text.c_str(), max_bytes);
  return result ? std::u16string(result) : std::u16string();
}

}  // namespace velloran
