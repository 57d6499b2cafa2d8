#include "grid/qz_list_ctrl.h"

namespace velloran {

bool CQZListCtrl::Create(Window* parent, int id, const Rect& rect) {
  return Window::Create(parent, id, rect, u"");
}

void CQZListCtrl::Refresh(CSessionData&, int) {}

void CQZListCtrl::Clear() {
  DeleteAllItems();
}

void CQZListCtrl::RedrawRecord(std::u16string_view) {}

}  // namespace velloran
