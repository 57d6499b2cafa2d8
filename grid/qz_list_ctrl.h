#pragma once
// CQZListCtrl, the screening grid of the work area's grid mode: one row per
// screening record of the shown screen, with the column layout saved per
// list. A stand-in for now: the work area already shows, empties and
// refreshes it, and passes it every live quote.

#include <string>
#include <string_view>

#include "app/session_data.h"
#include "platform/list_ctrl.h"

namespace velloran {

class CQZListCtrl : public ListCtrl {
 public:
  [[nodiscard]] bool Create(Window* parent, int id, const Rect& rect);
  // Saves the layout of the list shown, empties it, loads the layout of
  // screen and adds one row per record; selection, sort and scroll stay when
  // the screen is the same.
  void Refresh(CSessionData& session, int screen);
  void Clear();
  // A live quote of the stock (2027/2002 in grid mode).
  void RedrawRecord(std::u16string_view code);
};

}  // namespace velloran
