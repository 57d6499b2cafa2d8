#include "app/key_list_wnd.h"

#include <string>

#include "app/key_map.h"

namespace velloran {
namespace {
constexpr unsigned kLineText = text_flag::kSingleLine | text_flag::kVCenter |
                               text_flag::kNoPrefix | text_flag::kEndEllipsis;
constexpr int kFootHeight = 24;
}  // namespace

int CKeyListWnd::Height() {
  return kTitleHeight + static_cast<int>(KeyTable().size()) * kRowHeight + kFootHeight;
}

void CKeyListWnd::OnPaint(DrawContext& dc) {
  const Rect r = ClientRect();
  dc.FillRect(r, Rgb(255, 255, 255));
  dc.FillRect({1, 1, r.right - 1, kTitleHeight}, kTitleBack);
  dc.SetTransparentBackground(true);
  dc.SetTextColor(kText);
  dc.SetFont(Font::Points(u"굴림", 9, 700));
  dc.DrawText(u"키 목록", {10, 0, r.right - 10, kTitleHeight}, kLineText);
  dc.SetFont(Font::Points(u"굴림", 9));
  int y = kTitleHeight;
  for (const KeyBinding& b : KeyTable()) {
    dc.FillRect({1, y, kKeyColumn, y + kRowHeight}, kKeyBack);
    dc.FillRect({1, y + kRowHeight - 1, r.right - 1, y + kRowHeight}, kLine);
    dc.DrawText(std::u16string(b.key_name), {10, y, kKeyColumn - 6, y + kRowHeight}, kLineText);
    dc.DrawText(std::u16string(b.what), {kKeyColumn + 10, y, r.right - 8, y + kRowHeight},
                kLineText);
    y += kRowHeight;
  }
  dc.SetTextColor(Rgb(128, 128, 128));
  dc.DrawText(u"입력칸에서는 F키만 동작합니다 · Esc 닫기", {10, y, r.right - 10, r.bottom - 1},
              kLineText);
  dc.FrameRect(r, kFrame);
}

}  // namespace velloran
