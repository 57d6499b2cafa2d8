#pragma once
// A slider (track bar), painted by us: a channel with tick marks and a thumb.
// Unlike a scroll bar it moves itself: dragging the thumb, pressing the
// channel (a page toward the press, repeated while held) and the arrow,
// page, Home and End keys set the position and then tell the parent by
// kHScroll (kVScroll when vertical) with the ctl:: scroll codes, ending each
// gesture with ctl::kEndScroll. With tool tips, the position shows beside the
// thumb while it is dragged.

#include <memory>

#include "platform/auto_repeat.h"
#include "platform/control_codes.h"
#include "platform/tool_tip_control.h"
#include "platform/window.h"

namespace velloran {

struct SliderStyle {
  bool vertical = false;
  bool tool_tips = false;
  bool ticks = true;
};

class SliderControl : public Window {
 public:
  static constexpr int kThumbWidth = 11;

  SliderControl();
  ~SliderControl() override;

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, const SliderStyle& style = {},
                            const WindowStyle& window = {});

  void SetRange(int min, int max);
  void SetRangeMin(int min) { SetRange(min, max_); }
  void SetRangeMax(int max) { SetRange(min_, max); }
  [[nodiscard]] int GetRangeMin() const { return min_; }
  [[nodiscard]] int GetRangeMax() const { return max_; }
  // Kept within the range; no notification.
  void SetPos(int pos);
  [[nodiscard]] int GetPos() const { return pos_; }
  void SetPageSize(int page) { page_ = std::max(page, 1); }
  [[nodiscard]] int GetPageSize() const { return page_; }
  void SetLineSize(int line) { line_ = std::max(line, 1); }
  [[nodiscard]] int GetLineSize() const { return line_; }
  void SetTicFreq(int frequency) {
    tick_frequency_ = std::max(frequency, 1);
    Invalidate();
  }
  [[nodiscard]] int tick_frequency() const { return tick_frequency_; }
  // Null without the tool-tips style.
  [[nodiscard]] ToolTipControl* tool_tip() const { return tip_.get(); }

  [[nodiscard]] Rect ThumbRect() const;
  // The x (y when vertical) of the thumb's centre for a position.
  [[nodiscard]] int OffsetOf(int pos) const;

 protected:
  void OnPaint(DrawContext& dc) override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonUp(Point p, WParam flags) override;
  void OnMouseMove(Point p, WParam flags) override;
  void OnKeyDown(WParam key) override;
  void OnKeyUp(WParam key) override;
  void OnTimer(int id) override;

 private:
  [[nodiscard]] int Along(Point p) const { return style_.vertical ? p.y : p.x; }
  [[nodiscard]] int Length() const;
  [[nodiscard]] int PosAt(int along) const;
  void Change(int pos, int code);
  void Notify(int code, int pos);
  void PageTowardMouse();
  void ShowTip();

  SliderStyle style_;
  int min_ = 0;
  int max_ = 100;
  int pos_ = 0;
  int page_ = 10;
  int line_ = 1;
  int tick_frequency_ = 1;
  bool dragging_ = false;
  bool paging_ = false;
  AutoRepeat repeat_;
  bool key_held_ = false;
  int grab_offset_ = 0;
  Point mouse_{};
  std::unique_ptr<ToolTipControl> tip_;
};

}  // namespace velloran
