// The window layer under QT_QPA_PLATFORM=offscreen: what the gallery windows
// paint, how messages, timers, input and hooks reach them.

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include "platform/application.h"
#include "platform/bitmap_resources.h"
#include "platform/input_simulation.h"
#include "platform/text_pictures.h"
#include "tests/platform/control_host.h"
#include "tests/platform/gallery.h"

namespace velloran {
namespace {

using std::chrono::milliseconds;
using namespace gallery;

using testing_host::App;
using testing_host::RunUntil;

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(BuildGallery(frame, popup, 100, 100)); }
  void TearDown() override { App().loop().ProcessEvents(milliseconds(0)); }
  Application& app_ = App();  // before the windows
  GalleryFrame frame;
  GalleryPopup popup;
};

TEST_F(WindowTest, PaintedPixelsAreExact) {
  const Bitmap shot = frame.colours.Render();
  ASSERT_EQ(shot.width(), 200);
  ASSERT_EQ(shot.height(), 120);
  EXPECT_GE(frame.colours.paints, 1);
  EXPECT_EQ(shot.PixelAt(10, 10), Rgb(255, 0, 0));
  EXPECT_EQ(shot.PixelAt(59, 39), Rgb(255, 0, 0));
  EXPECT_EQ(shot.PixelAt(60, 40), ColourPanel::kBackground);  // right and bottom excluded
  EXPECT_EQ(shot.PixelAt(70, 10), Rgb(0, 160, 0));
  EXPECT_EQ(shot.PixelAt(119, 39), Rgb(0, 160, 0));
  EXPECT_EQ(shot.PixelAt(95, 25), ColourPanel::kBackground);  // inside the frame
  EXPECT_EQ(shot.PixelAt(130, 10), Rgb(0, 0, 255));
  EXPECT_EQ(shot.PixelAt(179, 10), Rgb(0, 0, 255));
  EXPECT_EQ(shot.PixelAt(180, 10), ColourPanel::kBackground);  // the line's end point
  EXPECT_EQ(shot.PixelAt(150, 11), ColourPanel::kBackground);
  // Cyan at alpha 110 over RGB(240,240,240).
  const Color blend = shot.PixelAt(150, 60);
  EXPECT_NEAR(blend.r, 240 * 145 / 255, 2);
  EXPECT_NEAR(blend.g, 240 + (255 - 240) * 110 / 255, 2);
  // The 임박 mark bitmap: red face.
  EXPECT_EQ(shot.PixelAt(131, 85), Rgb(231, 17, 14));
}

TEST_F(WindowTest, KoreanTextLeavesVisibleGlyphPixels) {
  const Bitmap shot = frame.colours.Render();
  int inked = 0;
  const Rect box = ColourPanel::kKoreanBox;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x)
      if (shot.PixelAt(x, y) != ColourPanel::kBackground) ++inked;
  EXPECT_GT(inked, 40);  // a missing glyph would leave the box empty or a hollow box
  Bitmap b(60, 30);
  DrawContext dc(b);
  dc.SetFont(Font::Points(u"굴림", 9));
  const Size korean = dc.TextExtent(u"가나다");
  const Size latin = dc.TextExtent(u"abc");
  EXPECT_GT(korean.width, latin.width);
  EXPECT_GT(korean.height, 8);
}

TEST_F(WindowTest, ChildrenOfTheFramePaintIntoTheFramesPicture) {
  const Bitmap shot = frame.Render();
  ASSERT_EQ(shot.width(), 400);
  EXPECT_EQ(shot.PixelAt(200, 2), GalleryFrame::kFrameColour);  // caption
  EXPECT_EQ(shot.PixelAt(2, 150), GalleryFrame::kFrameColour);  // left border
  // The colour panel's red square at its place in the frame.
  EXPECT_EQ(shot.PixelAt(GalleryFrame::kBorder + 6 + 10, GalleryFrame::kCaption + 6 + 10),
            Rgb(255, 0, 0));
  EXPECT_TRUE(frame.SaveScreenshot(::testing::TempDir() + "gallery_offscreen.png"));
}

TEST_F(WindowTest, MessagesFromThreeThreadsArriveInOrderWithTheirContent) {
  const WindowHandle target = frame.log.handle();
  constexpr int kPerThread = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([target, t] {
      for (int i = 0; i < kPerThread; ++i) {
        if (i % 50 == 0) {
          EXPECT_TRUE(PostOwned(target, 2132, std::make_unique<std::string>("3007"), true, t));
        } else {
          EXPECT_TRUE(PostMessage(target, 2027, static_cast<WParam>(i), t));
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  ASSERT_TRUE(RunUntil([&] { return frame.log.received.size() == 3 * kPerThread; }));
  int next[3] = {0, 0, 0};
  for (const auto& m : frame.log.received) {
    if (m.message == 2132) {
      const int t = static_cast<int>(m.lparam);
      ASSERT_EQ(next[t] % 50, 0);
      ++next[t];
      continue;
    }
    ASSERT_EQ(m.message, 2027u);
    const int t = static_cast<int>(m.lparam);
    ASSERT_GE(t, 0);
    ASSERT_LT(t, 3);
    EXPECT_EQ(m.wparam, static_cast<WParam>(next[t]));
    ++next[t];
  }
  EXPECT_EQ(frame.log.values_taken, 18);
  // Sent on the UI thread: at once, with the procedure's answer; from another
  // thread: nothing runs.
  EXPECT_EQ(SendMessage(target, 2142, 5, 0), static_cast<LResult>(3 * kPerThread + 1));
  LResult from_other = -1;
  std::thread([&] { from_other = SendMessage(target, 2142, 6, 0); }).join();
  EXPECT_EQ(from_other, 0);
  EXPECT_EQ(frame.log.received.size(), 3u * kPerThread + 1);
}

TEST_F(WindowTest, PostsToADestroyedWindowFailAndWaitingOnesAreDropped) {
  auto doomed = std::make_unique<MessageLog>();
  ASSERT_TRUE(doomed->Create(&frame, 77, {0, 0, 10, 10}, u""));
  const WindowHandle old = doomed->handle();
  EXPECT_TRUE(old.IsWindow());
  // Waiting when the window goes: dropped, its packet freed (the leak checker
  // of the sanitizer build would see it otherwise).
  EXPECT_TRUE(PostOwned(old, 2132, std::make_unique<std::string>("1"), false, 0));
  doomed->Destroy();
  EXPECT_FALSE(old.IsWindow());
  EXPECT_FALSE(old.IsVisible());
  EXPECT_FALSE(PostOwned(old, 2132, std::make_unique<std::string>("2"), false, 0));
  EXPECT_FALSE(PostMessage(old, 2027, 1, 0));
  EXPECT_EQ(Window::FromHandle(old), nullptr);
  App().loop().ProcessEvents(milliseconds(10));
  EXPECT_TRUE(doomed->received.empty());
  // The object can make a new window; the old handle still names none.
  ASSERT_TRUE(doomed->Create(&frame, 77, {0, 0, 10, 10}, u""));
  EXPECT_FALSE(old.IsWindow());
  EXPECT_EQ(Window::FromHandle(doomed->handle()), doomed.get());
  const WindowHandle second = doomed->handle();
  EXPECT_TRUE(PostMessage(second, 2027, 9, 0));
  doomed.reset();
  EXPECT_FALSE(PostMessage(second, 2027, 1, 0));
  App().loop().ProcessEvents(milliseconds(10));
}

TEST_F(WindowTest, TimerKilledInsideItsOwnTickFiresNoMore) {
  ASSERT_TRUE(RunUntil([&] { return frame.ticker.ticks >= 3; }));
  // However long the clock then runs.
  ManualClock clock;
  App().loop().SetClock(&clock);
  App().loop().Advance(clock, milliseconds(60000));
  App().loop().SetClock(nullptr);
  EXPECT_EQ(frame.ticker.ticks, 3);
  // The tick repainted: an odd count shows blue.
  EXPECT_EQ(frame.ticker.Render().PixelAt(1, 1), Rgb(30, 40, 235));
  // Started again, it runs again.
  frame.ticker.ticks_wanted = 5;
  frame.ticker.SetTimer(TickerPanel::kTimerId, 5);
  ASSERT_TRUE(RunUntil([&] { return frame.ticker.ticks >= 5; }));
}

TEST_F(WindowTest, SynthesisedPressesReachTheWindowUnderTheMouseInItsCoordinates) {
  const int ox = GalleryFrame::kBorder + 6, oy = GalleryFrame::kCaption + 6;
  SimulateMouse(frame, sys::kLButtonDown, {ox + 15, oy + 25});
  SimulateMouse(frame, sys::kLButtonUp, {ox + 15, oy + 25});
  SimulateMouse(frame, sys::kRButtonDown, {ox + 199, oy + 0});
  SimulateMouse(frame, sys::kRButtonUp, {ox + 199, oy + 0});
  ASSERT_EQ(frame.colours.seen.size(), 3u);
  EXPECT_EQ(frame.colours.seen[0].message, sys::kLButtonDown);
  EXPECT_EQ(frame.colours.seen[0].point, (Point{15, 25}));
  EXPECT_EQ(frame.colours.seen[0].wparam & sys::kLButtonFlag, sys::kLButtonFlag);
  EXPECT_EQ(frame.colours.seen[1].message, sys::kLButtonUp);
  EXPECT_EQ(frame.colours.seen[1].wparam & sys::kLButtonFlag, 0u);
  EXPECT_EQ(frame.colours.seen[2].message, sys::kRButtonDown);
  EXPECT_EQ(frame.colours.seen[2].point, (Point{199, 0}));
  // Just outside the panel: not its press.
  SimulateMouse(frame, sys::kLButtonDown, {ox + 200, oy + 10});
  SimulateMouse(frame, sys::kLButtonUp, {ox + 200, oy + 10});
  EXPECT_EQ(frame.colours.seen.size(), 3u);
}

TEST_F(WindowTest, APressOnTheCaptionMovesTheFramelessWindow) {
  const Rect before = frame.WindowRect();
  SimulateMouse(frame, sys::kLButtonDown, {100, 10});
  SimulateMouse(frame, sys::kMouseMove, {130, 25}, sys::kLButtonFlag);
  SimulateMouse(frame, sys::kLButtonUp, {130, 25});
  const Rect after = frame.WindowRect();
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, 15);
  EXPECT_EQ(frame.HitTest({1, 1}), HitCode::kTopLeft);
  EXPECT_EQ(frame.HitTest({399, 150}), HitCode::kRight);
}

TEST_F(WindowTest, PreTranslateHookSeesPressesOnOtherWindowsAndMaySwallowThem) {
  std::vector<std::pair<WindowHandle, Point>> seen;
  bool swallow = false;
  const int id = AddPreTranslateHook([&](const WindowHandle& target, const WindowMessage& m) {
    if (m.message == sys::kLButtonDown || m.message == sys::kRButtonDown)
      seen.emplace_back(target, sys::PointFromLParam(m.lparam));
    return swallow;
  });
  const int ox = GalleryFrame::kBorder + 216, oy = GalleryFrame::kCaption + 6;
  SimulateMouse(frame, sys::kRButtonDown, {ox + 3, oy + 4});  // the ticker
  SimulateMouse(frame, sys::kRButtonUp, {ox + 3, oy + 4});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, frame.ticker.handle());
  EXPECT_EQ(seen[0].second, (Point{3, 4}));
  swallow = true;
  SimulateMouse(frame, sys::kLButtonDown,
                {GalleryFrame::kBorder + 16, GalleryFrame::kCaption + 16});
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].first, frame.colours.handle());
  EXPECT_TRUE(frame.colours.seen.empty());  // swallowed before dispatch
  RemovePreTranslateHook(id);
  SimulateMouse(frame, sys::kLButtonUp, {GalleryFrame::kBorder + 16, GalleryFrame::kCaption + 16});
  SimulateMouse(frame, sys::kLButtonDown,
                {GalleryFrame::kBorder + 16, GalleryFrame::kCaption + 16});
  EXPECT_EQ(seen.size(), 2u);
  ASSERT_FALSE(frame.colours.seen.empty());
  EXPECT_EQ(frame.colours.seen.back().message, sys::kLButtonDown);
}

TEST_F(WindowTest, MessageHookSeesDeliveredMessagesAfterTheProcedure) {
  std::vector<std::pair<WindowHandle, std::uint32_t>> seen;
  std::size_t presses_when_seen = 0;
  const int id = AddMessageHook([&](const WindowHandle& target, const WindowMessage& m) {
    seen.emplace_back(target, m.message);
    if (m.message == sys::kLButtonDown) presses_when_seen = frame.colours.seen.size();
  });
  SimulateMouse(frame, sys::kLButtonDown,
                {GalleryFrame::kBorder + 20, GalleryFrame::kCaption + 20});
  EXPECT_EQ(presses_when_seen, 1u);  // the procedure had run
  SimulateKey(frame.colours, sys::kVkEscape, 0x1B);
  frame.colours.CommandParent(5);
  auto child = std::make_unique<MessageLog>();
  ASSERT_TRUE(child->Create(&frame, 9, {0, 0, 5, 5}, u""));
  const WindowHandle gone = child->handle();
  child->Destroy();
  RemoveMessageHook(id);
  auto has = [&](const WindowHandle& h, std::uint32_t message) {
    for (const auto& [t, m] : seen)
      if (t == h && m == message) return true;
    return false;
  };
  EXPECT_TRUE(has(frame.colours.handle(), sys::kLButtonDown));
  EXPECT_TRUE(has(frame.colours.handle(), sys::kKeyDown));
  EXPECT_TRUE(has(frame.colours.handle(), sys::kChar));
  EXPECT_TRUE(has(frame.handle(), sys::kCommand));
  EXPECT_TRUE(has(gone, sys::kDestroy));
  ASSERT_EQ(frame.commands.size(), 1u);
  EXPECT_EQ(frame.commands[0].message, 1001u);
  EXPECT_EQ(frame.commands[0].wparam, 5u);
}

TEST_F(WindowTest, PopupStaysOnTopWithoutTakingTheFocusAndGeometryConverts) {
  EXPECT_TRUE(popup.IsVisible());
  EXPECT_TRUE(popup.handle().IsVisible());
  EXPECT_EQ(popup.WindowRect(), (Rect{350, 300, 480, 330}));
  EXPECT_FALSE(popup.HasFocus());
  popup.Show(false);
  EXPECT_FALSE(popup.handle().IsVisible());
  const Point screen = frame.colours.ClientToScreen({0, 0});
  EXPECT_EQ(frame.colours.ScreenToClient(screen), (Point{0, 0}));
  EXPECT_EQ(screen.x - frame.ClientToScreen({0, 0}).x, GalleryFrame::kBorder + 6);
  frame.colours.Move({20, 40, 120, 90});
  EXPECT_EQ(frame.colours.ClientRect(), (Rect{0, 0, 100, 50}));
  frame.SetText(u"새 제목");
  EXPECT_EQ(frame.Text(), u"새 제목");
}

TEST(DrawContext, ClippingMappingAndTransparentBitmaps) {
  App();
  Bitmap b(100, 100, Rgb(255, 255, 255));
  {
    DrawContext dc(b);
    dc.ExcludeClip({10, 10, 20, 20});
    dc.FillRect({0, 0, 30, 30}, Rgb(0, 0, 0));
    dc.ResetClip();
    dc.IntersectClip({40, 40, 50, 50});
    dc.FillRect({30, 30, 60, 60}, Rgb(255, 0, 0));
    dc.ResetClip();
    // 200 x 200 logical units onto the 50 x 50 pixels starting at (50, 50).
    dc.SetViewportOrigin(50, 50);
    dc.SetAnisotropic({200, 200}, {50, 50});
    dc.FillRect({0, 0, 100, 20}, Rgb(0, 0, 255));
    dc.ResetMapping();
    Bitmap sprite(4, 4, Rgb(255, 255, 255));
    {
      DrawContext s(sprite);
      s.FillRect({1, 1, 3, 3}, Rgb(0, 200, 0));
    }
    dc.TransparentBitmap(sprite, {0, 0, 4, 4}, {0, 90, 8, 98}, Rgb(255, 255, 255));
    dc.SetPen({Rgb(9, 9, 9), 1, PenStyle::kSolid});
    dc.SetBrush(Rgb(200, 200, 0));
    dc.Rectangle({60, 0, 70, 10});
  }
  EXPECT_EQ(b.PixelAt(5, 5), Rgb(0, 0, 0));
  EXPECT_EQ(b.PixelAt(15, 15), Rgb(255, 255, 255));  // excluded
  EXPECT_EQ(b.PixelAt(45, 45), Rgb(255, 0, 0));
  EXPECT_EQ(b.PixelAt(35, 35), Rgb(255, 255, 255));  // outside the clip
  EXPECT_EQ(b.PixelAt(50, 50), Rgb(0, 0, 255));
  EXPECT_EQ(b.PixelAt(74, 54), Rgb(0, 0, 255));
  EXPECT_EQ(b.PixelAt(75, 54), Rgb(255, 255, 255));  // 100 units are 25 pixels
  EXPECT_EQ(b.PixelAt(74, 55), Rgb(255, 255, 255));
  EXPECT_EQ(b.PixelAt(0, 90), Rgb(255, 255, 255));  // transparent colour left out
  EXPECT_EQ(b.PixelAt(3, 93), Rgb(0, 200, 0));
  EXPECT_EQ(b.PixelAt(60, 0), Rgb(9, 9, 9));  // outline
  EXPECT_EQ(b.PixelAt(69, 9), Rgb(9, 9, 9));
  EXPECT_EQ(b.PixelAt(65, 5), Rgb(200, 200, 0));  // inside
  EXPECT_EQ(b.PixelAt(70, 10), Rgb(255, 255, 255));
}

TEST(DrawContext, TextFlagsPlaceAndShortenText) {
  App();
  Bitmap b(200, 40, Rgb(255, 255, 255));
  DrawContext dc(b);
  dc.SetFont(Font::Points(u"Arial", 9));
  dc.SetTransparentBackground(true);
  const std::u16string text = u"A very long caption that cannot fit";
  const int wide = dc.TextExtent(text).width;
  ASSERT_GT(wide, 60);
  dc.DrawText(text, {0, 0, 60, 20}, text_flag::kSingleLine | text_flag::kEndEllipsis);
  int rightmost = -1;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (b.PixelAt(x, y) != Rgb(255, 255, 255)) rightmost = std::max(rightmost, x);
  EXPECT_GE(rightmost, 30);
  EXPECT_LT(rightmost, 60);  // shortened with an ellipsis, nothing beyond the box
  // Right alignment ends at the box's right edge.
  Bitmap r(100, 20, Rgb(255, 255, 255));
  DrawContext dr(r);
  dr.SetTransparentBackground(true);
  dr.DrawText(u"12,345", {0, 0, 100, 20},
              text_flag::kRight | text_flag::kVCenter | text_flag::kSingleLine);
  int first = 100;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 100; ++x)
      if (r.PixelAt(x, y) != Rgb(255, 255, 255)) first = std::min(first, x);
  EXPECT_GT(first, 50);
  EXPECT_EQ(dc.TextExtent(u"&x").width, dc.TextExtent(u"&x").width);
}

// A streaming grid never stops bringing new numbers: what the painted texts
// keep is bounded in bytes, and a text seen again is still copied as drawn.
TEST(TextPictures, HoldAtMostTwoGenerationsOfPixelsAndRepaintAlike) {
  App();
  Bitmap b(400, 40, Rgb(255, 255, 255));
  DrawContext dc(b);
  dc.SetFont(Font::Points(u"Arial", 12));
  TextPictures pictures;
  const Rect box{0, 0, 400, 40};
  const auto draw = [&](const std::u16string& text) {
    dc.FillRect(box, Rgb(255, 255, 255));
    pictures.Draw(dc, text, box, TextAlign::kRight, Rgb(231, 17, 14), Rgb(255, 255, 255));
  };
  draw(u"1,234,567");
  const Bitmap first = b;
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string(1000000 + i * 7);
    draw(std::u16string(n.begin(), n.end()));
  }
  EXPECT_GT(pictures.held_bytes(), 0u);
  EXPECT_LE(pictures.held_bytes(), 2 * TextPictures::kGenerationBytes);
  draw(u"1,234,567");
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 400; ++x) ASSERT_EQ(b.PixelAt(x, y), first.PixelAt(x, y)) << x << "," << y;
}

TEST(BitmapResources, NamedNumbersHaveTheirSizesAndArtwork) {
  App();
  const std::pair<int, Size> sizes[] = {{311, {5, 37}},  {312, {441, 414}}, {313, {82, 15}},
                                        {337, {18, 18}}, {322, {28, 14}},   {324, {16, 32}},
                                        {332, {66, 22}}, {340, {420, 16}}};
  for (const auto& [id, size] : sizes) {
    const Bitmap& b = LoadBitmapResource(id);
    EXPECT_EQ(b.size(), size) << id;
  }
  for (const int id : BitmapResourceIds()) {
    const Bitmap& b = LoadBitmapResource(id);
    ASSERT_FALSE(b.IsNull()) << id;
    // Artwork, not a blank: more than one colour.
    bool varied = false;
    const Color first = b.PixelAt(0, 0);
    for (int y = 0; y < b.height() && !varied; ++y)
      for (int x = 0; x < b.width() && !varied; ++x) varied = b.PixelAt(x, y) != first;
    EXPECT_TRUE(varied) << id;
  }
  EXPECT_TRUE(LoadBitmapResource(9999).IsNull());
  RegisterBitmapResource(9999, {3, 2}, [](DrawContext& dc, Size) {
    dc.FillRect({0, 0, 1, 1}, Rgb(1, 2, 3));
  });
  EXPECT_EQ(LoadBitmapResource(9999).PixelAt(0, 0), Rgb(1, 2, 3));
}

TEST(QtEventLoop, WatchesDescriptorsRunsTasksAndStopsTimers) {
  EventLoop& loop = App().loop();
  EXPECT_EQ(EventLoop::Current(), &loop);
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds), 0);
  std::string got;
  int writable = 0;
  loop.WatchFd(fds[0], fd_event::kReadable | fd_event::kWritable, [&](int fd, unsigned ready) {
    if (ready & fd_event::kWritable) {
      ++writable;
      loop.SetFdInterest(fd, fd_event::kReadable);
    }
    if (ready & fd_event::kReadable) {
      char buffer[8];
      const auto n = read(fd, buffer, sizeof buffer);
      if (n > 0) got.append(buffer, n);
      if (n == 0) loop.UnwatchFd(fd);  // hung up
    }
  });
  ASSERT_TRUE(loop.RunUntil([&] { return writable == 1; }, milliseconds(2000)));
  ASSERT_EQ(write(fds[1], "hello", 5), 5);
  ASSERT_TRUE(loop.RunUntil([&] { return got == "hello"; }, milliseconds(2000)));
  close(fds[1]);
  loop.ProcessEvents(milliseconds(20));
  loop.UnwatchFd(fds[0]);
  close(fds[0]);
  EXPECT_EQ(writable, 1);

  std::atomic<bool> ran{false};
  std::thread([&] { loop.Post([&] { ran = true; }); }).join();
  ASSERT_TRUE(loop.RunUntil([&] { return ran.load(); }, milliseconds(2000)));

  int ticks = 0;
  int id = 0;
  id = loop.StartTimer(milliseconds(2), true, [&] {
    if (++ticks == 2) loop.StopTimer(id);
  });
  ASSERT_TRUE(loop.RunUntil([&] { return ticks == 2; }, milliseconds(2000)));
  loop.ProcessEvents(milliseconds(30));
  EXPECT_EQ(ticks, 2);

  std::thread([&] { loop.Quit(); }).join();
  loop.Run();  // returns: the quit was already asked for
}

TEST(Application, DesktopServicesCanBeStoodInFor) {
  App();
  std::u16string shown, opened;
  SetMessageBoxHandler([&](const std::u16string& text) { shown = text; });
  SetOpenUrlHandler([&](const std::u16string& url) {
    opened = url;
    return true;
  });
  ShowMessageBox(nullptr, u"로그인 실패\n회사로 문의해 주세요");
  EXPECT_TRUE(OpenUrl(u"http://127.0.0.1/member/lost.aspx"));
  EXPECT_EQ(shown, u"로그인 실패\n회사로 문의해 주세요");
  EXPECT_EQ(opened, u"http://127.0.0.1/member/lost.aspx");
  SetMessageBoxHandler(nullptr);
  SetOpenUrlHandler(nullptr);
  // The box itself answers in Korean.
  QString button;
  App().loop().Post([&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr) return;
    for (const QPushButton* b : box->findChildren<QPushButton*>()) button += b->text();
    box->grab().save(QString::fromStdString(::testing::TempDir() + "message_box.png"));
    box->close();
  });
  ShowMessageBox(nullptr, u"로그인 실패\n회사로 문의해 주세요");
  EXPECT_EQ(button.toStdString(), "확인");
  EXPECT_FALSE(ExecutablePath().empty());
  EXPECT_EQ(ExecutablePath().rfind(ExecutableDirectory() + "/", 0), 0u);
}

}  // namespace
}  // namespace velloran
