// The grid's column sets and layout file: the defaults of each list, the
// file written and read back (restarts, reorders, blank and bad lines), and
// the display order any file gives.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "app/settings_files.h"
#include "platform/file_replace.h"
#include "tests/grid/grid_rig.h"

namespace velloran {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using namespace grid_testing;

std::vector<std::u16string> TitlesOf(const ColumnDescriptors& d) {
  std::vector<std::u16string> out;
  for (const auto& p : d) out.push_back(p->GetText(u"TXT", u"?"));
  return out;
}

int Count(std::u16string_view text, std::u16string_view part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::u16string_view::npos;
       at = text.find(part, at + 1))
    ++n;
  return n;
}

TEST(GridColumnsTest, DefaultSetsOfEachList) {
  const ColumnDescriptors reverse = grid_columns::Defaults(3007);
  EXPECT_THAT(TitlesOf(reverse), ElementsAre(u"종목코드", u"종목명", u"역상", u"현재가", u"등락률",
                                             u"대비", u"거래량", u"매수강도"));
  for (int i = 0; i < static_cast<int>(reverse.size()); ++i) {
    EXPECT_EQ(reverse[i]->GetInt(u"IORDER", -1), i);
    EXPECT_EQ(reverse[i]->GetInt(u"ALIGN", -1), 2);
  }
  EXPECT_EQ(TitlesOf(grid_columns::Defaults(3016)), TitlesOf(reverse));
  EXPECT_THAT(TitlesOf(grid_columns::Defaults(3006)),
              ElementsAre(u"종목코드", u"종목명", u"임박", u"역상", u"현재가", u"재료일자",
                          u"등락률", u"대비", u"거래량", u"매수강도"));
  const ColumnDescriptors surging = grid_columns::Defaults(3004);
  EXPECT_THAT(TitlesOf(surging),
              ElementsAre(u"종목코드", u"종목명", u"임박", u"역상", u"현재가", u"포착가", u"등락률",
                          u"대비", u"거래량", u"매수강도"));
  EXPECT_EQ(surging[2]->GetInt(u"FIXED", 0), 1);  // the badge columns
  EXPECT_EQ(surging[3]->GetInt(u"FIXED", 0), 1);
  EXPECT_EQ(surging[1]->GetInt(u"WIDTH", 0), 100);
  EXPECT_TRUE(grid_columns::Defaults(0).empty());
  EXPECT_TRUE(grid_columns::Defaults(-3007).empty());

  // As saved: WIDTH and IORDER last, and only once however often it is saved.
  const std::vector<int> widths{60, 100, 35, 35, 80, 80, 80, 60, 80, 80};
  const std::vector<int> positions{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  (void)grid_columns::SaveLines(surging, widths, positions);
  const auto lines = grid_columns::SaveLines(surging, widths, positions);
  EXPECT_EQ(lines[0],
            u"<PKT><GBN>0</GBN><TXT>종목코드</TXT><ALIGN>2</ALIGN><FIXED>0</FIXED><WIDTH>60</"
            u"WIDTH><IORDER>0</IORDER></PKT>");
  for (const auto& line : lines) {
    EXPECT_EQ(Count(line, u"<WIDTH>"), 1);
    EXPECT_EQ(Count(line, u"<IORDER>"), 1);
  }
  EXPECT_EQ(grid_columns::FilePath("/data", 0, 3004),
            std::filesystem::path("/data/grid_0_3004.grd"));
}

TEST(GridColumnsTest, LinesAndOrdersOfAnyFile) {
  // Lines are trimmed, blank ones skipped, anything else a column.
  const auto read = grid_columns::FromLines(
      {u"", u" \t\r", u"  <PKT><GBN>0</GBN><TXT>대비</TXT><WIDTH>70</WIDTH></PKT>\t", u"x%y"});
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0]->Text(), u"<PKT><GBN>0</GBN><TXT>대비</TXT><WIDTH>70</WIDTH></PKT>");
  EXPECT_EQ(read[1]->Text(), u"x％y");  // stored text makes a packet like any
  const ColumnLayout bad = grid_columns::LayoutOf(*read[1], 1);
  EXPECT_EQ(bad.title, u"");
  EXPECT_EQ(bad.width, 0);
  EXPECT_EQ(bad.align, ColumnAlign::kLeft);
  EXPECT_FALSE(bad.fixed);
  EXPECT_EQ(bad.order, 0);
  EXPECT_TRUE(grid_columns::FromLines({u"", u"  ", u"\r"}).empty());
  std::vector<std::u16string> many(500, u"<PKT><TXT>대비</TXT></PKT>");
  EXPECT_EQ(grid_columns::FromLines(many).size(),
            static_cast<std::size_t>(grid_columns::kMaxColumns));

  // Lines that are no descriptors keep their place through saves.
  const auto odd = grid_columns::FromLines(
      {u"<WIDTH>5</WIDTH> x", u"<IORDER>3</IORDER>", u"<PKT><TXT>대비</TXT></PKT>"});
  EXPECT_THAT(grid_columns::SaveLines(odd, {60, 70, 80}, {1, 0, 2}),
              ElementsAre(u"x", u"<IORDER>3</IORDER>",
                          u"<PKT><TXT>대비</TXT><WIDTH>80</WIDTH><IORDER>2</IORDER></PKT>"));
  EXPECT_EQ(grid_columns::FromLines(grid_columns::SaveLines(odd, {60, 70, 80}, {1, 0, 2})).size(),
            3u);

  auto layout = [](int order) { return ColumnLayout{u"", 10, ColumnAlign::kLeft, false, order}; };
  // A saved permutation comes back; negative positions are the own index;
  // duplicates and gaps still give each column one place.
  EXPECT_THAT(grid_columns::DisplayOrder({layout(2), layout(0), layout(1)}), ElementsAre(1, 2, 0));
  const Packet negative(u"<PKT><IORDER>-5</IORDER><WIDTH>99999</WIDTH><ALIGN>7</ALIGN></PKT>");
  const ColumnLayout own = grid_columns::LayoutOf(negative, 4);
  EXPECT_EQ(own.order, 4);
  EXPECT_EQ(own.width, grid_columns::kMaxWidth);
  EXPECT_EQ(own.align, ColumnAlign::kLeft);
  const Packet far(u"<PKT><IORDER>2147483647</IORDER></PKT>");
  EXPECT_EQ(grid_columns::LayoutOf(far, 0).order, grid_columns::kMaxColumns);
  EXPECT_THAT(grid_columns::DisplayOrder({layout(0), layout(0), layout(0)}), ElementsAre(0, 1, 2));
  EXPECT_THAT(grid_columns::DisplayOrder({layout(9), layout(0), layout(3)}), ElementsAre(1, 2, 0));
}

// A file that is no layout (noise, one endless line, titles the grid does
// not know) gives the defaults and is kept aside; what is read is bounded.
TEST(GridColumnsTest, DamagedFilesGiveTheDefaultsAndAreKept) {
  const auto file = FreshDirectory() / "grid_0_3004.grd";
  const std::u16string name = u"<PKT><TXT>종목명</TXT></PKT>";
  std::string noise(std::size_t{64} << 10, '\0'), endless(grid_columns::kMaxFileBytes, 'a');
  std::mt19937 random(28);
  for (char& c : noise) c = static_cast<char>(random());
  const struct {
    std::string bytes;  // empty: no file
    std::size_t columns;
    bool keep;
  } cases[] = {
      {"", 0, false},
      {EncodeTextLines({name, u"<PKT><TXT>역상</TXT></PKT>"}), 2, false},
      {EncodeTextLines({u"", u"  "}), 0, false},
      {noise, 0, true},
      {endless + "a", 0, true},
      {EncodeTextLines({u"<PKT><TXT>없는열</TXT></PKT>", u"<PKT></PKT>"}), 0, true},
      {EncodeTextLines({name}) + endless, 1, true},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(file);
    if (!c.bytes.empty()) {
      ASSERT_TRUE(ReplaceFileContents(file, c.bytes));
    }
    const grid_columns::StoredLayout read = grid_columns::ReadFile(file);
    EXPECT_EQ(read.columns.size(), c.columns) << c.bytes.size();
    EXPECT_EQ(read.keep_original, c.keep) << c.bytes.size();
  }
  std::filesystem::remove_all(file.parent_path());
}

class GridLayoutTest : public GridTest {};

// Batches and switches that change nothing leave the file alone.
TEST_F(GridLayoutTest, TheFileIsWrittenOnlyWhenTheLayoutChanged) {
  Show(3004);
  grid->Refresh(*session, 3004);
  auto widen = [&] {
    Drag(At({60 + grid->ColumnWidth(1), 10}), At({70 + grid->ColumnWidth(1), 10}));
  };
  auto batch = [&] { grid->Refresh(*session, 3004); };
  auto away_and_back = [&] {
    Show(3005);
    grid->Refresh(*session, 3005);
    Show(3004);
    batch();
  };
  widen();
  Step(1000);
  const std::pair<std::function<void()>, bool> steps[] = {
      {[&] { batch(), batch(), Step(1000); }, false},
      {away_and_back, false},
      {[&] { widen(), Step(999); }, false},
      {[&] { Step(1); }, true},
      {[&] { widen(), batch(); }, false},
      {[&] { Step(1000); }, true},
      {[&] { widen(), away_and_back(); }, true},
  };
  const auto file = dir / "grid_0_3004.grd";
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    // A blank line more reads the same: whether the grid wrote again shows in the bytes.
    std::string before, after;
    ASSERT_TRUE(ReadWholeFile(file, before));
    ASSERT_TRUE(ReplaceFileContents(file, before += std::string("\r\0\n\0", 4)));
    steps[i].first();
    ASSERT_TRUE(ReadWholeFile(file, after));
    EXPECT_EQ(after != before, steps[i].second) << "step " << i;
  }
  EXPECT_EQ(grid->ColumnWidth(1), 140);
}

TEST_F(GridLayoutTest, AReorderedLayoutSurvivesARestart) {
  Show(3007);
  grid->Refresh(*session, 3007);
  EXPECT_EQ(grid->list_id(), 3007);
  EXPECT_THAT(Titles(), ElementsAre(u"종목코드", u"종목명", u"역상", u"현재가", u"등락률", u"대비",
                                    u"거래량", u"매수강도"));
  EXPECT_THAT(grid->ColumnOrder(), ElementsAre(0, 1, 2, 3, 4, 5, 6, 7));

  // 종목코드 dragged onto 역상, then 종목명's divider (now at x 100) 30
  // pixels to the right.
  Drag(HeaderCentre(0), HeaderCentre(2));
  EXPECT_THAT(ShownTitles(), ElementsAre(u"종목명", u"역상", u"종목코드", u"현재가", u"등락률",
                                         u"대비", u"거래량", u"매수강도"));
  Drag(At({100, 10}), At({130, 10}));
  EXPECT_EQ(grid->ColumnWidth(1), 130);
  // Saved once, a second after the last change.
  const auto file = dir / "grid_0_3007.grd";
  Step(999);
  EXPECT_FALSE(std::filesystem::exists(file));
  Step(1);
  ASSERT_TRUE(std::filesystem::exists(file));

  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(file, bytes));
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  const std::string crlf("\r\0\n\0", 4);
  int line_ends = 0;
  for (std::size_t at = bytes.find(crlf); at != std::string::npos; at = bytes.find(crlf, at + 2))
    ++line_ends;
  EXPECT_EQ(line_ends, 8);
  const auto lines = DecodeTextLines(bytes);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0],
            u"<PKT><GBN>0</GBN><TXT>종목코드</TXT><ALIGN>2</ALIGN><FIXED>0</FIXED><WIDTH>60</"
            u"WIDTH><IORDER>2</IORDER></PKT>");
  EXPECT_EQ(lines[1],
            u"<PKT><GBN>0</GBN><TXT>종목명</TXT><ALIGN>2</ALIGN><FIXED>0</FIXED><WIDTH>130</"
            u"WIDTH><IORDER>0</IORDER></PKT>");

  // A restart reads it back; a new batch of the same list saves it again,
  // once per element.
  MakeGrid();
  grid->Refresh(*session, 3007);
  EXPECT_THAT(ShownTitles(), ElementsAre(u"종목명", u"역상", u"종목코드", u"현재가", u"등락률",
                                         u"대비", u"거래량", u"매수강도"));
  EXPECT_EQ(grid->ColumnWidth(1), 130);
  grid->Refresh(*session, 3007);
  grid->Refresh(*session, 3007);
  ASSERT_TRUE(ReadWholeFile(file, bytes));
  for (const auto& line : DecodeTextLines(bytes)) {
    EXPECT_EQ(Count(line, u"<WIDTH>"), 1) << std::string(line.begin(), line.end());
    EXPECT_EQ(Count(line, u"<IORDER>"), 1);
  }

  // Another list has its own set; coming back finds this one as it was.
  Show(3006);
  grid->Refresh(*session, 3006);
  ASSERT_EQ(grid->ColumnCount(), 10);
  EXPECT_EQ(grid->header().Item(5)->title, u"재료일자");
  EXPECT_EQ(grid->ColumnOrder()[5], 5);
  Show(3007);
  grid->Refresh(*session, 3007);
  EXPECT_EQ(ShownTitles()[2], u"종목코드");
  EXPECT_EQ(grid->ColumnWidth(1), 130);
  EXPECT_TRUE(std::filesystem::exists(dir / "grid_0_3006.grd"));
}

TEST_F(GridLayoutTest, BlankOrBadFilesGiveDefaultsOrColumnsAndUnwritableOnesAreLeft) {
  // Only blank lines: the defaults.
  ASSERT_TRUE(WriteTextFile(dir / "grid_0_3004.grd", {u"", u"   ", u"\t"}));
  Show(3004);
  grid->Refresh(*session, 3004);
  EXPECT_EQ(grid->ColumnCount(), 10);
  EXPECT_EQ(grid->header().Item(5)->title, u"포착가");

  // A line that is no descriptor is still a column, with nothing to show.
  ASSERT_TRUE(WriteTextFile(dir / "grid_0_3005.grd",
                            {u"<PKT><GBN>0</GBN><TXT>거래량</TXT><WIDTH>90</WIDTH></PKT>",
                             u"not a packet", u"<PKT><TXT>알람가2</TXT><WIDTH>70</WIDTH></PKT>"}));
  Show(3005);
  grid->Refresh(*session, 3005);
  EXPECT_THAT(Titles(), ElementsAre(u"거래량", u"", u"알람가2"));
  EXPECT_EQ(grid->ColumnWidth(0), 90);
  EXPECT_EQ(grid->ColumnWidth(1), 0);
  EXPECT_EQ(grid->CellOfColumn(2), GridCell::kAlarm2);

  // Bytes that are not text: the columns it has, and the file kept aside
  // before the first save replaces it.
  std::string noise("\xFF\xFE<\0P\0K\0T\0>\0<\0/\0P\0K\0T\0>\0\r\0\n\0\x41", 29);
  ASSERT_TRUE(ReplaceFileContents(dir / "grid_0_3009.grd", noise));
  Show(3009);
  grid->Refresh(*session, 3009);
  EXPECT_EQ(grid->ColumnCount(), 10);  // it names no column: the defaults
  Show(3004);
  grid->Refresh(*session, 3004);
  EXPECT_TRUE(std::filesystem::exists(dir / "grid_0_3009.grd.bad"));

  // A directory in the file's place: nothing saved, nothing said.
  std::filesystem::create_directories(dir / "grid_0_3010.grd");
  Show(3010);
  grid->Refresh(*session, 3010);
  EXPECT_EQ(grid->ColumnCount(), 10);
  grid->SaveColumns();
  EXPECT_TRUE(std::filesystem::is_directory(dir / "grid_0_3010.grd"));
}

}  // namespace
}  // namespace velloran
