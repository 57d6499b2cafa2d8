#pragma once
// The moving-average toggle of the chart window: a check box painted as a
// box in its average's colour, with a white tick while checked.

#include <string>

#include "platform/button_control.h"

namespace velloran {

class CMAButton : public ButtonControl {
 public:
  static constexpr Color kBorder = Rgb(50, 50, 50);

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, const std::u16string& caption,
                            Color colour);
  void SetColor(Color c);
  [[nodiscard]] Color color() const { return colour_; }

 protected:
  void DrawItem(const velloran::DrawItem& item) override;
  void OnClicked() override { SetCheck(!IsChecked()); }

 private:
  Color colour_ = Rgb(0, 0, 0);
};

}  // namespace velloran
