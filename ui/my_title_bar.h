#pragma once
// The caption strip at the top of a frame that draws its own frame: the title
// bitmap at the left, close, maximise/restore and minimise buttons at the
// right. A press anywhere else on the strip moves the frame.

#include "platform/window.h"
#include "ui/bit_button.h"

namespace velloran {

class CMyTitleBar : public Window {
 public:
  static constexpr int kHeight = 22;
  static constexpr Color kBackground = Rgb(58, 58, 58);
  static constexpr int kTitleBitmap = 313;
  static constexpr Point kTitleAt{3, 3};
  static constexpr int kCloseId = 143;
  static constexpr int kMaximizeId = 141;
  static constexpr int kMinimizeId = 142;
  static constexpr int kCloseBitmap = 324;
  static constexpr int kMaximizeBitmap = 325;
  static constexpr int kRestoreBitmap = 327;
  static constexpr int kMinimizeBitmap = 326;
  static constexpr int kButtonGap = 3;  // between buttons, and from the top and right edges
  static constexpr int kLayoutTimer = 1021;
  static constexpr int kLayoutDelayMs = 1000;

  CMyTitleBar() { SetBackgroundColor(kBackground); }

  // A child of frame along its top edge, kHeight high.
  [[nodiscard]] bool Create(Window* frame, int id);

  [[nodiscard]] CBitButton& close_button() { return close_; }
  [[nodiscard]] CBitButton& maximize_button() { return maximize_; }
  [[nodiscard]] CBitButton& minimize_button() { return minimize_; }

 protected:
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonDblClk(Point p, WParam flags) override { OnLButtonDown(p, flags); }
  bool OnCommand(int id, int code, const WindowHandle& child) override;

 private:
  // From the right edge leftwards: close, maximise/restore, minimise.
  void PlaceButtons();

  CBitButton close_;
  CBitButton maximize_;
  CBitButton minimize_;
};

}  // namespace velloran
