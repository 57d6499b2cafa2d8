#pragma once
// A button drawn from a numbered bitmap, sized to it. In hover mode the
// bitmap holds two images one above the other, the lower shown while the
// mouse is over the button. It can act as a toggle between two bitmaps or
// shift by a pixel while pressed.

#include <string>

#include "platform/button_control.h"

namespace velloran {

enum class BitButtonBehaviour { kPlain = 0, kToggle = 1, kPushOffset = 2 };

class CBitButton : public ButtonControl {
 public:
  // The face colour that light grey (192, 192, 192) in a bitmap becomes.
  static constexpr Color kFace = Rgb(240, 240, 240);

  [[nodiscard]] bool Create(const std::u16string& caption, const WindowStyle& style,
                            const Rect& rect, Window* parent, int id);

  // Loads the bitmap and resizes the button to it (half its height in hover
  // mode); false for an unknown number.
  bool LoadBitmap(int resource_id);
  void SetBehaviour(BitButtonBehaviour behaviour) { behaviour_ = behaviour; }
  [[nodiscard]] BitButtonBehaviour behaviour() const { return behaviour_; }
  void SetToggleBitmaps(int normal_id, int pressed_id);
  void SetHoverMode(bool hover);
  void SetHandCursor(bool hand);
  // With the link, setting a toggle by SetToggle also disables the button in
  // state 1 and enables it in state 0.
  void SetEnableLink(bool link) { enable_link_ = link; }

  // The owner's toggle: the state, its bitmap and (with the link) the enabled
  // state, repainted at once.
  void SetToggle(int state);
  [[nodiscard]] int state() const { return state_; }
  [[nodiscard]] int bitmap_id() const { return bitmap_id_; }

 protected:
  void DrawItem(const velloran::DrawItem& item) override;
  void OnClicked() override;
  void OnLButtonDown(Point p, WParam flags) override;
  void OnLButtonUp(Point p, WParam flags) override;

 private:
  void Resize();

  Bitmap bitmap_;
  int bitmap_id_ = 0;
  BitButtonBehaviour behaviour_ = BitButtonBehaviour::kPlain;
  int normal_id_ = 0;
  int pressed_id_ = 0;
  int state_ = 0;
  bool hover_mode_ = false;
  bool enable_link_ = false;
  bool offset_ = false;  // moved by the press of a push-offset button
};

// A bitmap resource with its light grey replaced by face.
[[nodiscard]] Bitmap LoadMappedBitmap(int resource_id, Color face);

}  // namespace velloran
