#pragma once
// A pane's stand-in until its view is built: it paints its background and
// the name of the view that will take its place, so the frame's layout is
// the real one.

#include <string>

#include "platform/window.h"

namespace velloran {

class CPlaceholderView : public Window {
 public:
  static constexpr Color kBackground = Rgb(32, 32, 32);
  static constexpr Color kCaption = Rgb(120, 120, 120);

  explicit CPlaceholderView(std::u16string class_name);
  [[nodiscard]] const std::u16string& class_name() const { return class_name_; }

 protected:
  void OnPaint(DrawContext& dc) override;

 private:
  const std::u16string class_name_;
};

}  // namespace velloran
