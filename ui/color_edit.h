#pragma once
// An edit field that answers the colour request itself, with its own text
// and background colours (the login fields).

#include "platform/edit_control.h"

namespace velloran {

class CColorEdit : public EditControl {
 public:
  void SetTextColor(Color c);
  void SetBkColor(Color c);
  [[nodiscard]] const ControlColors& colors() const { return colors_; }

 protected:
  bool QueryColors(ControlColors& colors) override;

 private:
  ControlColors colors_;
};

}  // namespace velloran
