#pragma once
// The kit's drop-down list with a painted closed face: a frame in its frame
// colour, the arrow bitmap at the right and the selected item's text, cut
// with an ellipsis when it does not fit. The window's outer pixel rows and
// columns are the frame; the face lies inside them.

#include "platform/combo_box_control.h"

namespace velloran {

class CQZComboBox : public ComboBoxControl {
 public:
  static constexpr int kArrowBitmap = 337;

  CQZComboBox();
  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect, int drop_height = 100,
                            const WindowStyle& window = {});
  void SetFrameColor(Color c);
  [[nodiscard]] Color frame_color() const { return frame_; }
  void SetTextColor(Color c);

 protected:
  void DrawFace(const DrawItem& item) override;

 private:
  Color frame_ = Rgb(180, 180, 180);
  Color text_ = Rgb(50, 50, 50);
};

}  // namespace velloran
