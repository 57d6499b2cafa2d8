#pragma once
// Off-screen bitmaps, fonts and the drawing context every window paints with.
// Lines and fills are pixel-exact (no smoothing), so what a window draws can
// be checked pixel by pixel; only text is smoothed. Coordinates are logical
// units, mapped to pixels by the context's mapping (identity by default).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/geometry.h"

class QImage;
class QPainter;
class QPolygon;

namespace velloran {

// An RGB image held in memory. Copies share pixels until one is drawn on.
class Bitmap {
 public:
  Bitmap();
  Bitmap(int width, int height, Color fill = Rgb(255, 255, 255));
  Bitmap(const Bitmap&);
  Bitmap& operator=(const Bitmap&);
  ~Bitmap();

  [[nodiscard]] bool IsNull() const;
  [[nodiscard]] int width() const;
  [[nodiscard]] int height() const;
  [[nodiscard]] Size size() const { return {width(), height()}; }
  // Black outside the bitmap.
  [[nodiscard]] Color PixelAt(int x, int y) const;
  [[nodiscard]] bool SavePng(const std::string& path) const;
  // A null bitmap when the file cannot be read as an image.
  [[nodiscard]] static Bitmap LoadPng(const std::string& path);

  // For the window layer.
  [[nodiscard]] QImage& image();
  [[nodiscard]] const QImage& image() const;

 private:
  std::unique_ptr<QImage> image_;
};

enum class FontWeight { kNormal = 400, kBold = 700, kBlack = 900 };

// A font by face name and either a point size (at 96 pixels per inch, so the
// result does not depend on the screen) or a pixel height. "굴림" becomes
// NanumGothic, "Arial" Liberation Sans (or DejaVu Sans); every font falls back
// to NanumGothic for Korean.
struct Font {
  std::u16string face = u"굴림";
  int point_size = 9;
  int pixel_height = 0;  // used instead of point_size when > 0
  int weight = static_cast<int>(FontWeight::kNormal);
  bool italic = false;

  [[nodiscard]] static Font Points(std::u16string face, int points, int weight = 400) {
    return Font{std::move(face), points, 0, weight, false};
  }
  [[nodiscard]] static Font Pixels(std::u16string face, int height, int weight = 400) {
    return Font{std::move(face), 0, height, weight, false};
  }
};

enum class PenStyle { kSolid, kDash, kDot, kDashDot, kNone };

struct Pen {
  Color color = Rgb(0, 0, 0);
  int width = 1;
  PenStyle style = PenStyle::kSolid;
};

// Flags of DrawText; combine with |.
namespace text_flag {
inline constexpr unsigned kLeft = 0x0000;
inline constexpr unsigned kTop = 0x0000;
inline constexpr unsigned kCenter = 0x0001;
inline constexpr unsigned kRight = 0x0002;
inline constexpr unsigned kVCenter = 0x0004;
inline constexpr unsigned kBottom = 0x0008;
inline constexpr unsigned kWordBreak = 0x0010;  // wrap long lines at word breaks
inline constexpr unsigned kSingleLine = 0x0020;
inline constexpr unsigned kNoClip = 0x0100;
inline constexpr unsigned kNoPrefix = 0x0800;  // "&" is drawn as it stands
inline constexpr unsigned kEndEllipsis = 0x8000;
}  // namespace text_flag

class DrawContext {
 public:
  // Draws on target, which must outlive the context.
  explicit DrawContext(Bitmap& target);
  ~DrawContext();
  DrawContext(const DrawContext&) = delete;
  DrawContext& operator=(const DrawContext&) = delete;

  [[nodiscard]] Size size() const;  // of the target, in pixels

  // Fills and frames, independent of the selected pen and brush.
  void FillRect(const Rect& r, Color c);
  void FrameRect(const Rect& r, Color c);  // 1 pixel inside r
  // Fills with the colour at alpha (0 transparent .. 255 opaque) over what is there.
  void AlphaFill(const Rect& r, Color c, int alpha);

  // Outlined shapes: the selected pen draws the outline, the brush (if any)
  // fills the inside.
  void SetPen(const Pen& pen);
  void SetBrush(Color c);
  void SetNullBrush();
  void Rectangle(const Rect& r);
  // Corners are quarter ellipses of ellipse_width x ellipse_height.
  void RoundRect(const Rect& r, int ellipse_width, int ellipse_height);
  void Ellipse(const Rect& r);
  void Polygon(const std::vector<Point>& points);
  void Polyline(const std::vector<Point>& points);
  // A line from the current position; the end point itself is not drawn.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Line(Point from, Point to) {
    MoveTo(from.x, from.y);
    LineTo(to.x, to.y);
  }
  void SetPixel(int x, int y, Color c);

  // Text. An opaque background fills the text's cell with the background colour.
  void SetFont(const Font& font);
  void SetTextColor(Color c);
  void SetBackgroundColor(Color c);
  void SetTransparentBackground(bool transparent);
  void TextOut(int x, int y, const std::u16string& text);
  // Lays the text out in r by the text_flag bits; returns the text's height.
  int DrawText(const std::u16string& text, const Rect& r, unsigned flags);
  [[nodiscard]] Size TextExtent(const std::u16string& text) const;

  // Bitmaps.
  void DrawBitmap(const Bitmap& bitmap, int x, int y);
  // The source part of bitmap stretched (or shrunk) onto dest.
  void StretchBitmap(const Bitmap& bitmap, const Rect& source, const Rect& dest);
  // As StretchBitmap, leaving out the source pixels of the transparent colour.
  void TransparentBitmap(const Bitmap& bitmap, const Rect& source, const Rect& dest,
                         Color transparent);

  // Clipping, in logical units at the time of the call.
  void IntersectClip(const Rect& r);
  void ExcludeClip(const Rect& r);
  void ResetClip();

  // Mapping: device = (logical - window origin) * viewport extent / window
  // extent + viewport origin. SetAnisotropic(window extent, viewport extent)
  // maps one extent onto the other; ResetMapping returns to pixels.
  void SetWindowOrigin(int x, int y);
  void SetViewportOrigin(int x, int y);
  void SetAnisotropic(Size window_extent, Size viewport_extent);
  void ResetMapping();

  // The parts of the target a window's paint must renew, in pixels: the
  // window layer sets them to what was invalidated, and the rest of the
  // target still holds what the last paint left there. A paint may skip what
  // lies wholly outside them. The whole target unless set.
  void SetPaintBoxes(std::vector<Rect> boxes);
  // What encloses them all.
  [[nodiscard]] Rect PaintBox() const;
  // True when r meets one of them.
  [[nodiscard]] bool MustPaint(const Rect& r) const;

  // Ends drawing: what was drawn is in the target from here on; nothing more
  // may be drawn with this context.
  void Finish();

  // For the window layer.
  [[nodiscard]] QPainter& painter();

 private:
  void ApplyTransform();
  void ApplyPen();
  // Device pixels in the pen's colour, past the mapping and clipped.
  void DrawDevicePixels(const QPolygon& pixels);
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velloran
