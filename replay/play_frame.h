#pragma once
// CPlayFrame, the replay's own top-level window: a thin frame of its own, the
// title bar with its buttons, and the player under it. The order-book view
// opens it (PLAY); the stock to play (2026) and the session's replies for it
// (2027) pass through to the player, and closing it tells the view (2031).
// While it is the active window its keys (the key table's replay keys) go to
// the player, unless a text box has the focus.

#include <string>

#include "app/frame_geometry.h"
#include "platform/window.h"
#include "replay/player_wnd.h"
#include "ui/my_title_bar.h"

namespace velloran {

class CDecoder;
class CSessionData;

class CPlayFrame : public Window {
 public:
  static constexpr Color kFrameColor = Rgb(58, 58, 58);
  static constexpr int kTitleBarId = 103;
  static constexpr int kPlayerId = 0xE900;  // the first pane

  // See CPlayerWnd for what the arguments are; all outlive the frame.
  CPlayFrame(CSessionData& session, const CDecoder& decoder, std::string data_page,
             FrameMetrics metrics = {});
  // Its keys go with it, even when it is freed without being destroyed first.
  ~CPlayFrame() override;

  // Opens the frame where PlayFramePlacement puts it on desktop, titled for
  // the task bar; book hears 2031 when it closes.
  [[nodiscard]] bool Open(const WindowHandle& book, const std::u16string& title,
                          const Rect& desktop);

  [[nodiscard]] CPlayerWnd& player() { return player_; }
  [[nodiscard]] CMyTitleBar& title_bar() { return title_bar_; }

  LResult WindowProc(WindowMessage& m) override;

 protected:
  int OnCreate() override;
  void OnDestroy() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  HitCode HitTest(Point p) override;

 private:
  void Layout(int width, int height);
  bool OnKey(const KeyPressInfo& key);

  FrameMetrics metrics_;
  int key_hook_ = 0;
  WindowHandle book_;
  CMyTitleBar title_bar_;
  CPlayerWnd player_;
};

}  // namespace velloran
