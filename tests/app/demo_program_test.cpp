// The real velloran program with --demo in a real X display (Xvfb): it
// starts the demo market, logs in, opens the session and writes a screenshot
// of its main window, which must show the frame and painted panes.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/main_frame.h"
#include "app/placeholder_view.h"
#include "hoga/hoga_canvas.h"
#include "grid/qz_view.h"
#include "platform/draw_context.h"
#include "tests/app/session_fixture.h"

namespace velloran {
namespace {

// Runs a command and returns its output; status gets the exit status.
std::string RunCommand(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return out;
  }
  std::array<char, 4096> buffer;
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) out += buffer.data();
  const int raw = pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

TEST(DemoProgramTest, RunsUnderXvfbAndPaintsItsWindow) {
  const auto dir = testing::FreshDirectory();
  const std::string shot = (dir / "main.png").string();
  int status = 0;
  const std::string out =
      RunCommand(std::string(XVFB_RUN) + " -a -s '-screen 0 1920x1080x24' " + VELLORAN_PROGRAM +
                     " --demo --auto-login --data-dir " + dir.string() + " --screenshot " + shot +
                     " --screenshot-after 4 --quit-after 5 2>&1",
                 status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("연결됨"), std::string::npos) << out;
  EXPECT_NE(out.find("main window painted"), std::string::npos) << out;

  const Bitmap png = Bitmap::LoadPng(shot);
  ASSERT_FALSE(png.IsNull()) << out;
  EXPECT_EQ(png.width(), 1282);
  EXPECT_EQ(png.height(), 952);
  // The frame ring at the left and right edges.
  EXPECT_EQ(png.PixelAt(2, 500), CMainFrame::kFrameColor);
  EXPECT_EQ(png.PixelAt(png.width() - 3, 500), CMainFrame::kFrameColor);
  // Every pane is painted: the work area its wall, header and tiles, the
  // order book its rows and totals, the rest their own backgrounds.
  int background = 0;
  int caption = 0;
  int book = 0;
  for (int y = 100; y < 900; y += 2) {
    for (int x = 10; x < 1270; x += 2) {
      const Color c = png.PixelAt(x, y);
      if (c == CPlaceholderView::kBackground || c == CQZTile::kBackground ||
          c == CQZView::kHeaderColor || c == CSTKItem::kBackground)
        ++background;
      if (c.r > 80 && c.r == c.g && c.g == c.b) ++caption;
      if (c == CHogaCanvas::kAskFar || c == CHogaCanvas::kBidFar || c == CHogaCanvas::kTotals)
        ++book;
    }
  }
  EXPECT_GT(background, 50000);
  EXPECT_GT(caption, 20);
  EXPECT_GT(book, 15000);
  // The settings file was written at exit.
  EXPECT_TRUE(std::filesystem::exists(dir / "qza.cfg"));
  std::filesystem::remove_all(dir);
}

// The client needs the decoder library only once it has started: without it
// beside the executable it says so (after the main window) and ends.
TEST(DemoProgramTest, WithoutTheDecoderLibraryItSaysSoAndEnds) {
  int status = 0;
  const std::string needed = RunCommand(std::string("readelf -d ") + VELLORAN_PROGRAM, status);
  ASSERT_EQ(status, 0) << needed;
  EXPECT_EQ(needed.find("QZCommDEC"), std::string::npos)
      << "the system loader must not need the decoder library:\n"
      << needed;
  const auto dir = testing::FreshDirectory();
  const auto program = dir / "velloran";
  std::filesystem::copy_file(VELLORAN_PROGRAM, program);
  const std::string out = RunCommand("QT_QPA_PLATFORM=offscreen " + program.string() +
                                         " --demo --data-dir " + dir.string() +
                                         " --quit-after 20 2>&1",
                                     status);
  EXPECT_NE(status, 0) << out;
  EXPECT_NE(out.find("libQZCommDEC.so 를 찾을수 없습니다."), std::string::npos) << out;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velloran
