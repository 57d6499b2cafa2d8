#pragma once
// Points, sizes, rectangles and colours as the windows and the drawing
// context use them. A rectangle runs from (left, top) up to but not including
// (right, bottom), so its width is right - left.

#include <algorithm>
#include <cstdint>

namespace velloran {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  [[nodiscard]] int width() const { return right - left; }
  [[nodiscard]] int height() const { return bottom - top; }
  [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
  [[nodiscard]] bool Contains(Point p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  [[nodiscard]] Rect Deflated(int dx, int dy) const {
    return {left + dx, top + dy, right - dx, bottom - dy};
  }
  [[nodiscard]] Rect Offset(int dx, int dy) const {
    return {left + dx, top + dy, right + dx, bottom + dy};
  }
  [[nodiscard]] Rect Intersect(const Rect& o) const {
    Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
           std::min(bottom, o.bottom)};
    return r.IsEmpty() ? Rect{} : r;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// An opaque colour; alpha appears only where a verb takes it.
struct Color {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

[[nodiscard]] constexpr Color Rgb(int r, int g, int b) {
  return Color{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
               static_cast<std::uint8_t>(b)};
}

}  // namespace velloran
