// The stored text form of the settings files and where they live.
#include "app/settings_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "platform/file_replace.h"
#include "tests/app/session_fixture.h"

namespace velloran {
namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(SettingsFilesTest, EncodingIsUtf16LeWithMarkAndCrLf) {
  EXPECT_EQ(EncodeTextLines({u"<A>", u"", u"가"}),
            std::string("\xFF\xFE<\0A\0>\0\r\0\n\0\r\0\n\0\x00\xAC\r\0\n\0", 22));
  EXPECT_EQ(EncodeTextLines({}), "\xFF\xFE");
}

TEST(SettingsFilesTest, DecodingCutsLinesAndDropsLineEndCarriageReturns) {
  const std::string bytes = EncodeTextLines({u"one", u"", u"two\r", u"th\rree"});
  EXPECT_THAT(DecodeTextLines(bytes), ElementsAre(u"one", u"", u"two", u"th\rree"));
  // A last line without its end, an odd last byte, UTF-8 with and without a mark.
  EXPECT_THAT(DecodeTextLines(std::string("\xFF\xFEx\0\n\0y\0z", 9)), ElementsAre(u"x", u"y"));
  EXPECT_THAT(DecodeTextLines("\xEF\xBB\xBF"
                              "a\r\n\xEA\xB0\x80"),
              ElementsAre(u"a", u"가"));
  EXPECT_THAT(DecodeTextLines("plain\n"), ElementsAre(u"plain"));
  EXPECT_TRUE(DecodeTextLines("").empty());
  EXPECT_TRUE(DecodeTextLines("\xFF\xFE").empty());
}

// Files another program wrote, or a disk damaged: what can be read is read,
// and whether anything could not be is said.
TEST(SettingsFilesTest, EveryUtf16OrderWithOrWithoutAMarkAndUtf8PastItsNuls) {
  const std::u16string packet = u"<PKT><GBN>0</GBN><CFG>1</CFG><ID>가나</ID></PKT>";
  std::string le, be;
  for (const char16_t c : packet + u"\r\n" + packet + u"\r\n") {
    le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  for (const std::string& bytes : {le, be, "\xFF\xFE" + le, "\xFE\xFF" + be}) {
    const StoredText text = DecodeStoredText(bytes);
    EXPECT_THAT(text.lines, ElementsAre(packet, packet));
    EXPECT_FALSE(text.lossy);
  }
  EXPECT_TRUE(DecodeStoredText("\xFF\xFE" + le + "x").lossy);  // an odd last byte

  const StoredText stray =
      DecodeStoredText(std::string("<A>1</A>\r\n<B>\0\0x</B>\r\n<C/>\r\n", 26));
  EXPECT_THAT(stray.lines, ElementsAre(u"<A>1</A>", u"<B>x</B>", u"<C/>"));
  EXPECT_TRUE(stray.lossy);
  EXPECT_TRUE(DecodeStoredText("ok\n\xC3(\n").lossy);
  EXPECT_FALSE(DecodeStoredText("\xEF\xBF\xBD is a character\n").lossy);
  EXPECT_FALSE(DecodeStoredText("plain\r\n").lossy);
}

class FileReplaceTest : public ::testing::Test {
 protected:
  FileReplaceTest() : dir_(testing::FreshDirectory()) {}
  ~FileReplaceTest() override {
    ::chmod(dir_.c_str(), 0755);
    fs::remove_all(dir_);
  }
  fs::path dir_;
};

TEST_F(FileReplaceTest, ReplacesWholeAndLeavesNoTemporaryFile) {
  const fs::path file = dir_ / "qza.cfg";
  ASSERT_TRUE(ReplaceFileContents(file, "first"));
  ASSERT_TRUE(ReplaceFileContents(file, "second"));
  EXPECT_EQ(Slurp(file), "second");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  EXPECT_FALSE(ReplaceFileContents(dir_ / "missing" / "qza.cfg", "x"));
}

TEST_F(FileReplaceTest, AFailedSaveKeepsThePreviousFile) {
  const fs::path file = dir_ / "sch.dat";
  ASSERT_TRUE(ReplaceFileContents(file, "kept"));
  // The temporary name taken by a directory makes the save fail midway.
  fs::create_directory(dir_ / "sch.dat.tmp");
  EXPECT_FALSE(ReplaceFileContents(file, "lost"));
  EXPECT_EQ(Slurp(file), "kept");
}

// A damaged file gives its short lines; the rest is left out and the read
// says so (the save that follows keeps the file as it was beside it).
TEST_F(FileReplaceTest, ReadsAreCutAtTheLimitAndDropOverlongLines) {
  const std::u16string in = u"<PKT><CFG>1</CFG></PKT>", longest(kMaxStoredLine, u'x');
  const std::string two = EncodeTextLines({in, in});
  const std::size_t all = kMaxStoredFileBytes;
  const struct {
    std::string bytes;
    std::size_t limit;
    std::vector<std::u16string> lines;
    ReadOutcome outcome;
  } cases[] = {
      {two, all, {in, in}, ReadOutcome::kRead},
      {two, two.size(), {in, in}, ReadOutcome::kRead},
      {EncodeTextLines({longest}), all, {longest}, ReadOutcome::kRead},
      {EncodeTextLines({in, longest + u"x", in}), all, {in, in}, ReadOutcome::kLossy},
      {EncodeTextLines({in}) + std::string(kMaxStoredFileBytes, 'y'),
       all,
       {in},
       ReadOutcome::kLossy},
      {two, two.size() - 6, {in}, ReadOutcome::kLossy},      // cut inside the second line
      {two, two.size() / 2 + 1, {in}, ReadOutcome::kLossy},  // cut right after the first
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(ReplaceFileContents(dir_ / "qza.cfg", c.bytes));
    std::vector<std::u16string> lines;
    EXPECT_EQ(ReadTextFile(dir_ / "qza.cfg", lines, c.limit), c.outcome) << c.bytes.size();
    EXPECT_TRUE(lines == c.lines) << c.bytes.size() << ": " << lines.size() << " lines";
  }
}

TEST_F(FileReplaceTest, DataDirectoryPrefersOverrideThenExecutableThenXdg) {
  const fs::path exe = dir_ / "bin";
  fs::create_directories(exe);
  EXPECT_EQ(ChooseDataDirectory(dir_ / "given", exe, "/x", "/h"), dir_ / "given");
  EXPECT_TRUE(fs::is_directory(dir_ / "given"));
  EXPECT_EQ(ChooseDataDirectory({}, exe, (dir_ / "xdg").string(), "/h"), exe);
  EXPECT_TRUE(fs::is_empty(exe));  // the probe is gone
  EXPECT_EQ(ChooseDataDirectory({}, dir_ / "nowhere", (dir_ / "xdg").string(), "/h"),
            dir_ / "xdg" / "velloran");
  // A relative XDG_CONFIG_HOME is not used.
  EXPECT_EQ(ChooseDataDirectory({}, {}, "rel", dir_.string()), dir_ / ".config" / "velloran");
  EXPECT_EQ(ChooseDataDirectory({}, {}, "", ""), fs::path());
  if (::geteuid() != 0) {  // root writes anywhere
    ::chmod(exe.c_str(), 0555);
    EXPECT_EQ(ChooseDataDirectory({}, exe, (dir_ / "xdg").string(), "/h"),
              dir_ / "xdg" / "velloran");
    ::chmod(exe.c_str(), 0755);
  }
}

}  // namespace
}  // namespace velloran
