#pragma once
// A small gallery of windows built with the window layer, shared by the
// window tests and the gallery program that runs in a real X display.

#include <memory>
#include <string>
#include <vector>

#include "platform/window.h"

namespace velloran::gallery {

// What a window was given, in order.
struct Seen {
  std::uint32_t message;
  Point point;
  WParam wparam;
  LParam lparam;
};

// A child painting known shapes at known places, and noting its mouse input.
class ColourPanel : public Window {
 public:
  static constexpr Rect kRed{10, 10, 60, 40};
  static constexpr Rect kGreenFrame{70, 10, 120, 40};
  static constexpr Rect kKoreanBox{10, 50, 110, 80};
  static constexpr Color kBackground = Rgb(240, 240, 240);

  ColourPanel() { SetBackgroundColor(kBackground); }
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam f) override { seen.push_back({sys::kLButtonDown, p, f, 0}); }
  void OnLButtonUp(Point p, WParam f) override { seen.push_back({sys::kLButtonUp, p, f, 0}); }
  void OnRButtonDown(Point p, WParam f) override { seen.push_back({sys::kRButtonDown, p, f, 0}); }
  void OnLButtonDblClk(Point p, WParam f) override {
    seen.push_back({sys::kLButtonDblClk, p, f, 0});
  }
  int paints = 0;
  std::vector<Seen> seen;
};

// A child whose timer repaints it; it kills the timer inside its last tick.
class TickerPanel : public Window {
 public:
  static constexpr int kTimerId = 7001;
  int ticks_wanted = 3;
  int ticks = 0;
  void OnPaint(DrawContext& dc) override;
  void OnTimer(int id) override;
};

// A child that keeps the application messages it was posted or sent.
class MessageLog : public Window {
 public:
  LResult WindowProc(WindowMessage& m) override;
  std::vector<Seen> received;
  int values_taken = 0;
};

// A frameless top-level window with its own frame, caption and rounded mask.
class GalleryFrame : public Window {
 public:
  static constexpr int kCaption = 24;
  static constexpr int kBorder = 4;
  static constexpr Color kFrameColour = Rgb(58, 58, 58);
  GalleryFrame() { SetBackgroundColor(Rgb(200, 200, 200)); }
  int OnCreate() override;
  void OnSize(int width, int height) override;
  void OnPaint(DrawContext& dc) override;
  HitCode HitTest(Point p) override;
  bool OnCommand(int id, int code, const WindowHandle&) override {
    commands.push_back({static_cast<std::uint32_t>(id), {}, static_cast<WParam>(code), 0});
    return true;
  }

  ColourPanel colours;
  TickerPanel ticker;
  MessageLog log;
  std::vector<Seen> commands;
};

// An always-on-top pop-up shown without activation.
class GalleryPopup : public Window {
 public:
  GalleryPopup() { SetBackgroundColor(Rgb(255, 223, 114)); }
  void OnPaint(DrawContext& dc) override;
};

// Creates the frame at (x, y), 400 x 300, with its children.
[[nodiscard]] bool BuildGallery(GalleryFrame& frame, GalleryPopup& popup, int x, int y);

}  // namespace velloran::gallery
