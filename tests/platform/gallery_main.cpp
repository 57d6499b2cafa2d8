// The gallery in a real display: shows the windows, lets the timer run, and
// saves the window and the whole screen as PNG files.
//   platform_gallery WINDOW.png [SCREEN.png]

#include <cstdio>

#include "platform/application.h"
#include "tests/platform/gallery.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s WINDOW.png [SCREEN.png]\n", argv[0]);
    return 2;
  }
  velloran::Application app(argc, argv);
  velloran::gallery::GalleryFrame frame;
  velloran::gallery::GalleryPopup popup;
  if (!velloran::gallery::BuildGallery(frame, popup, 40, 40)) return 1;
  app.loop().RunUntil([&] { return frame.ticker.ticks >= 3; }, std::chrono::milliseconds(3000));
  app.loop().ProcessEvents(std::chrono::milliseconds(200));
  if (!frame.SaveScreenshot(argv[1])) return 1;
  if (argc > 2 && !velloran::GrabScreen().SavePng(argv[2])) return 1;
  return frame.ticker.ticks == 3 ? 0 : 1;
}
