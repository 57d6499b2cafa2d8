#include "platform/bitmap_resources.h"

#include <map>
#include <memory>
#include <string>

namespace velloran {

namespace {

// The look: flat, on the dark frame colour.
constexpr Color kFrame = Rgb(58, 58, 58);
constexpr Color kFace = Rgb(78, 78, 78);
constexpr Color kFaceBorder = Rgb(104, 104, 104);
constexpr Color kPressedFace = Rgb(217, 198, 158);
constexpr Color kPressedBorder = Rgb(161, 131, 77);
constexpr Color kLightText = Rgb(240, 240, 240);
constexpr Color kDarkText = Rgb(50, 50, 50);
constexpr Color kAccent = Rgb(51, 153, 255);

struct Resource {
  Size size;
  BitmapArtist artist;
  std::unique_ptr<Bitmap> drawn;  // made on first load
};

void Caption(DrawContext& dc, Size s, const std::u16string& text, Color colour, int pixels,
             int weight = 700) {
  dc.SetFont(Font::Pixels(u"굴림", pixels, weight));
  dc.SetTextColor(colour);
  dc.SetTransparentBackground(true);
  dc.DrawText(
      text, {0, 0, s.width, s.height},
      text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix);
}

BitmapArtist Button(std::u16string text, bool pressed) {
  return [text = std::move(text), pressed](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, pressed ? kPressedFace : kFace);
    dc.FrameRect({0, 0, s.width, s.height}, pressed ? kPressedBorder : kFaceBorder);
    Caption(dc, s, text, pressed ? kDarkText : kLightText, std::min(12, s.height - 6));
  };
}

BitmapArtist AccentButton(std::u16string text) {
  return [text = std::move(text)](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, kAccent);
    Caption(dc, s, text, Rgb(255, 255, 255), std::min(16, s.height - 8));
  };
}

BitmapArtist Mark(std::u16string text, Color face) {
  return [text = std::move(text), face](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, face);
    Caption(dc, s, text, Rgb(255, 255, 255), s.height - 3);
  };
}

BitmapArtist CheckBox(std::u16string text, bool on) {
  return [text = std::move(text), on](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, Rgb(56, 56, 56));
    const int box = s.height - 6;
    const Rect r{2, 3, 2 + box, 3 + box};
    dc.FillRect(r, on ? kAccent : Rgb(44, 44, 44));
    dc.FrameRect(r, Rgb(150, 150, 150));
    if (on) {
      dc.SetPen({Rgb(255, 255, 255), 2, PenStyle::kSolid});
      dc.Line({r.left + 3, r.top + box / 2}, {r.left + box / 2, r.bottom - 4});
      dc.Line({r.left + box / 2, r.bottom - 4}, {r.right - 3, r.top + 3});
    }
    dc.SetFont(Font::Pixels(u"굴림", box, 400));
    dc.SetTextColor(kLightText);
    dc.SetTransparentBackground(true);
    dc.DrawText(text, {r.right + 5, 0, s.width, s.height},
                text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix);
  };
}

// Two images stacked: normal above, hovered below; glyph drawn in each.
BitmapArtist FrameButton(std::function<void(DrawContext&, Rect)> glyph) {
  return [glyph = std::move(glyph)](DrawContext& dc, Size s) {
    const int h = s.height / 2;
    dc.FillRect({0, 0, s.width, h}, kFrame);
    dc.FillRect({0, h, s.width, s.height}, Rgb(90, 90, 90));
    dc.SetPen({kLightText, 1, PenStyle::kSolid});
    dc.SetNullBrush();
    glyph(dc, {0, 0, s.width, h});
    glyph(dc, {0, h, s.width, s.height});
  };
}

void Triangle(DrawContext& dc, Rect r, bool right, Color c) {
  dc.SetPen({c, 1, PenStyle::kSolid});
  dc.SetBrush(c);
  const int mid = (r.top + r.bottom) / 2;
  if (right) {
    dc.Polygon({{r.left, r.top}, {r.right, mid}, {r.left, r.bottom}});
  } else {
    dc.Polygon({{r.right, r.top}, {r.left, mid}, {r.right, r.bottom}});
  }
}

BitmapArtist Transport(int kind) {  // 0 FF, 1 PLAY, 2 PAUSE, 3 RF
  return [kind](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, kFace);
    dc.FrameRect({0, 0, s.width, s.height}, kFaceBorder);
    const int cx = s.width / 2, cy = s.height / 2;
    switch (kind) {
      case 0:
        Triangle(dc, {cx - 9, cy - 6, cx, cy + 6}, true, kLightText);
        Triangle(dc, {cx, cy - 6, cx + 9, cy + 6}, true, kLightText);
        break;
      case 1:
        Triangle(dc, {cx - 5, cy - 7, cx + 7, cy + 7}, true, kLightText);
        break;
      case 2:
        dc.FillRect({cx - 6, cy - 7, cx - 2, cy + 7}, kLightText);
        dc.FillRect({cx + 2, cy - 7, cx + 6, cy + 7}, kLightText);
        break;
      default:
        Triangle(dc, {cx - 9, cy - 6, cx, cy + 6}, false, kLightText);
        Triangle(dc, {cx, cy - 6, cx + 9, cy + 6}, false, kLightText);
    }
  };
}

BitmapArtist ModeIcon(bool tiles, bool pressed) {
  return [tiles, pressed](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, pressed ? kPressedFace : kFace);
    dc.FrameRect({0, 0, s.width, s.height}, pressed ? kPressedBorder : kFaceBorder);
    const Color ink = pressed ? kDarkText : kLightText;
    const int x = (s.width - 16) / 2, y = (s.height - 12) / 2;
    if (tiles) {
      for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
          dc.FillRect({x + i * 9, y + j * 7, x + i * 9 + 7, y + j * 7 + 5}, ink);
    } else {
      for (int j = 0; j < 4; ++j) dc.FillRect({x, y + j * 3, x + 16, y + j * 3 + 2}, ink);
    }
  };
}

std::map<int, Resource> MakeTable() {
  std::map<int, Resource> t;
  auto add = [&t](int id, Size size, BitmapArtist artist) {
    t[id] = Resource{size, std::move(artist), nullptr};
  };
  // The top bar's background and the replay quote strip.
  add(311, {5, 37}, [](DrawContext& dc, Size s) {
    for (int y = 0; y < s.height; ++y) {
      const int v = 252 - (y * 30) / std::max(s.height - 1, 1);
      dc.FillRect({0, y, s.width, y + 1}, Rgb(v, v, v));
    }
  });
  // The login window's background.
  add(312, {441, 414}, [](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, Rgb(56, 56, 56));
    dc.SetFont(Font::Pixels(u"Arial", 34, 700));
    dc.SetTextColor(Rgb(255, 255, 255));
    dc.SetTransparentBackground(true);
    dc.DrawText(u"Velloran", {0, 40, s.width, 84},
                text_flag::kCenter | text_flag::kSingleLine | text_flag::kVCenter);
    dc.SetFont(Font::Pixels(u"굴림", 13, 400));
    dc.SetTextColor(Rgb(170, 170, 170));
    dc.DrawText(u"실시간 종목 검색", {0, 88, s.width, 108},
                text_flag::kCenter | text_flag::kSingleLine | text_flag::kVCenter);
    dc.FillRect({90, 128, 422, 129}, Rgb(90, 90, 90));
  });
  add(313, {82, 15}, [](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, kFrame);
    dc.SetFont(Font::Pixels(u"Arial", 13, 700));
    dc.SetTextColor(Rgb(255, 255, 255));
    dc.SetTransparentBackground(true);
    dc.DrawText(u"Velloran", {0, 0, s.width, s.height},
                text_flag::kLeft | text_flag::kVCenter | text_flag::kSingleLine);
  });
  add(314, {30, 20}, ModeIcon(true, true));
  add(315, {30, 20}, ModeIcon(true, false));
  add(316, {30, 20}, ModeIcon(false, true));
  add(317, {30, 20}, ModeIcon(false, false));
  add(318, {110, 24}, Button(u"비밀번호 찾기", false));
  add(319, {100, 20}, CheckBox(u"아이디 저장", false));
  add(320, {100, 20}, CheckBox(u"아이디 저장", true));
  add(321, {332, 40}, AccentButton(u"로그인"));
  add(322, {28, 14}, Mark(u"임박", Rgb(231, 17, 14)));
  add(323, {28, 14}, Mark(u"역상", Rgb(30, 40, 235)));
  add(324, {16, 32}, FrameButton([](DrawContext& dc, Rect r) {
        dc.Line({r.left + 4, r.top + 4}, {r.right - 3, r.bottom - 3});
        dc.Line({r.right - 5, r.top + 4}, {r.left + 2, r.bottom - 3});
      }));
  add(325, {16, 32}, FrameButton([](DrawContext& dc, Rect r) {
        dc.Rectangle({r.left + 3, r.top + 3, r.right - 3, r.bottom - 3});
        dc.FillRect({r.left + 3, r.top + 4, r.right - 3, r.top + 5}, kLightText);
      }));
  add(326, {16, 32}, FrameButton([](DrawContext& dc, Rect r) {
        dc.FillRect({r.left + 3, r.bottom - 5, r.right - 3, r.bottom - 4}, kLightText);
      }));
  add(327, {16, 32}, FrameButton([](DrawContext& dc, Rect r) {
        dc.Rectangle({r.left + 5, r.top + 3, r.right - 3, r.bottom - 5});
        dc.Rectangle({r.left + 3, r.top + 5, r.right - 5, r.bottom - 3});
      }));
  add(328, {66, 22}, Button(u"박스권", false));
  add(329, {66, 22}, Button(u"박스권", true));
  add(330, {66, 22}, Button(u"현재역상", false));
  add(331, {66, 22}, Button(u"현재역상", true));
  add(332, {66, 22}, Button(u"급등주", false));
  add(333, {66, 22}, Button(u"급등주", true));
  add(334, {66, 22}, Button(u"재료주", false));
  add(335, {66, 22}, Button(u"재료주", true));
  add(336, {70, 18}, Button(u"PLAY", false));
  // The drop-down arrow and the search glass.
  add(337, {18, 18}, [](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, Rgb(240, 240, 240));
    dc.FrameRect({0, 0, s.width, s.height}, Rgb(180, 180, 180));
    dc.SetPen({kDarkText, 1, PenStyle::kSolid});
    dc.SetBrush(kDarkText);
    dc.Polygon({{5, 7}, {12, 7}, {8, 11}});
  });
  add(338, {18, 18}, [](DrawContext& dc, Size s) {
    dc.FillRect({0, 0, s.width, s.height}, Rgb(240, 240, 240));
    dc.FrameRect({0, 0, s.width, s.height}, Rgb(180, 180, 180));
    dc.SetPen({kDarkText, 2, PenStyle::kSolid});
    dc.SetNullBrush();
    dc.Ellipse({4, 3, 12, 11});
    dc.Line({11, 10}, {14, 14});
  });
  // The grid's image list: 14 marks of 30 x 16 on white (white is transparent).
  add(340, {420, 16}, [](DrawContext& dc, Size) {
    const Color colours[] = {
        Rgb(231, 17, 14),  Rgb(30, 40, 235), Rgb(245, 176, 0), Rgb(206, 32, 183), Rgb(20, 150, 60),
        Rgb(241, 100, 21), Rgb(90, 90, 90),  Rgb(0, 160, 200), Rgb(160, 1, 35),   Rgb(120, 80, 200),
        Rgb(200, 150, 0),  Rgb(0, 120, 120), Rgb(180, 60, 60), Rgb(60, 60, 180)};
    for (int i = 0; i < 14; ++i) {
      if (i == 11 || i == 13) continue;
      dc.FillRect({i * 30 + 9, 3, i * 30 + 21, 13}, colours[i]);
    }
    // The grid's two marks: 임박 (image 11) and 역상 (image 13) as labelled
    // badges. The label is not pure white, which would be transparent.
    const auto badge = [&dc](int image, const std::u16string& label, Color face) {
      const Rect r{image * 30 + 1, 1, image * 30 + 29, 15};
      dc.SetPen({face, 1, PenStyle::kSolid});
      dc.SetBrush(face);
      dc.RoundRect(r, 4, 4);
      dc.SetFont(Font::Pixels(u"굴림", 11, 700));
      dc.SetTextColor(Rgb(255, 255, 254));
      dc.SetTransparentBackground(true);
      dc.DrawText(
          label, r,
          text_flag::kCenter | text_flag::kVCenter | text_flag::kSingleLine | text_flag::kNoPrefix);
    };
    badge(11, u"임박", Rgb(241, 100, 21));
    badge(13, u"역상", Rgb(60, 60, 180));
  });
  add(344, {40, 24}, Transport(0));
  add(345, {40, 24}, Transport(1));
  add(346, {40, 24}, Transport(2));
  add(347, {40, 24}, Transport(3));
  return t;
}

std::map<int, Resource>& Table() {
  static std::map<int, Resource> table = MakeTable();
  return table;
}

}  // namespace

const Bitmap& LoadBitmapResource(int id) {
  static const Bitmap null_bitmap;
  const auto it = Table().find(id);
  if (it == Table().end()) return null_bitmap;
  Resource& r = it->second;
  if (!r.drawn) {
    r.drawn = std::make_unique<Bitmap>(r.size.width, r.size.height);
    DrawContext dc(*r.drawn);
    r.artist(dc, r.size);
  }
  return *r.drawn;
}

void RegisterBitmapResource(int id, Size size, BitmapArtist artist) {
  Table()[id] = Resource{size, std::move(artist), nullptr};
}

std::vector<int> BitmapResourceIds() {
  std::vector<int> ids;
  for (const auto& [id, r] : Table()) ids.push_back(id);
  return ids;
}

}  // namespace velloran
