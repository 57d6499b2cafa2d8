#include "net/decoder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "decoder/qz_comm_dec.h"
#include "platform/shared_library.h"

namespace velloran {
namespace {

TEST(DecoderLoad, BuiltLibraryDecodesThroughDecode) {
  CDecoder decoder;
  EXPECT_EQ(decoder.Decode(u"anything"), u"") << "nothing loaded decodes to nothing";
  ASSERT_EQ(decoder.Load(VELLORAN_DECODER_DIR), DecoderLoad::kOk);
  EXPECT_TRUE(decoder.loaded());
  const std::u16string text = u"005930|삼성전자\n000660|SK하이닉스";
  EXPECT_EQ(decoder.Decode(GB_ENC(text.c_str())), text);
  EXPECT_EQ(decoder.Decode(u"%%garbage"), u"");
  EXPECT_EQ(decoder.Load(std::string(VELLORAN_DECODER_DIR) + "/"), DecoderLoad::kOk);
  decoder.Unload();
  EXPECT_FALSE(decoder.loaded());
  EXPECT_EQ(decoder.Decode(GB_ENC(text.c_str())), u"");
}

TEST(DecoderLoad, MissingLibraryAndMissingEntryEachGiveTheirMessage) {
  const std::filesystem::path empty = std::filesystem::path(VELLORAN_TEST_TMP) / "empty_dir";
  std::filesystem::create_directories(empty);
  CDecoder decoder;
  const DecoderLoad missing = decoder.Load(empty.string());
  EXPECT_EQ(missing, DecoderLoad::kLibraryMissing);
  EXPECT_EQ(CDecoder::FailureMessage(missing), u"libQZCommDEC.so 를 찾을수 없습니다.");

  const DecoderLoad no_entry = decoder.Load(VELLORAN_NO_ENTRY_DIR);
  EXPECT_EQ(no_entry, DecoderLoad::kEntryMissing);
  EXPECT_EQ(CDecoder::FailureMessage(no_entry), u"GB_DEC 함수를 찾을수 없습니다.");
  EXPECT_FALSE(decoder.loaded());
  EXPECT_EQ(CDecoder::FailureMessage(DecoderLoad::kOk), u"");
}

TEST(DecoderLoad, RelativeOrEmptyDirectoriesAreNeverSearched) {
  CDecoder decoder;
  // The working directory would hold the library in a build tree; a bare or
  // relative directory must not reach it.
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(VELLORAN_DECODER_DIR);
  EXPECT_EQ(decoder.Load(""), DecoderLoad::kLibraryMissing);
  EXPECT_EQ(decoder.Load("."), DecoderLoad::kLibraryMissing);
  EXPECT_EQ(decoder.Load("./"), DecoderLoad::kLibraryMissing);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(SharedLibrary::Open("libQZCommDEC.so"), nullptr);
}

TEST(DecoderLoad, ExecutableDirectoryIsAbsoluteAndHoldsThisProgram) {
  const std::string dir = SharedLibrary::ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / "decoder_tests"));
  CDecoder decoder;
  // The tests' own folder has no decoder library beside them.
  EXPECT_EQ(decoder.LoadBesideExecutable(), DecoderLoad::kLibraryMissing);
}

}  // namespace
}  // namespace velloran
