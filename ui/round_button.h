#pragma once
// The period buttons of the chart window: a rounded rectangle with its
// caption centred on one line, in a checked and an unchecked colour set. The
// underlined style adds a line along the bottom inside the border.

#include <string>

#include "platform/button_control.h"

namespace velloran {

enum class RoundButtonStyle { kPlain, kUnderlined };

class CRoundButton : public ButtonControl {
 public:
  static constexpr Color kFace = Rgb(238, 227, 197);  // border too, unchecked
  static constexpr Color kCheckedFace = Rgb(217, 198, 158);
  static constexpr Color kCheckedBorder = Rgb(161, 131, 77);
  static constexpr Color kText = Rgb(50, 50, 50);

  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, const std::u16string& caption,
                            RoundButtonStyle style = RoundButtonStyle::kPlain);

 protected:
  void DrawItem(const velloran::DrawItem& item) override;

 private:
  RoundButtonStyle round_style_ = RoundButtonStyle::kPlain;
};

}  // namespace velloran
