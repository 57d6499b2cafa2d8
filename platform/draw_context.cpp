#include "platform/draw_context.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <cmath>
#include <cstdlib>

#include "platform/qt_text.h"

namespace velloran {

namespace {

QRectF ToQRectF(const Rect& r) {
  return QRectF(r.left, r.top, r.width(), r.height());
}

}  // namespace

// ---- Bitmap

Bitmap::Bitmap() : image_(std::make_unique<QImage>()) {}

Bitmap::Bitmap(int width, int height, Color fill)
    : image_(
          std::make_unique<QImage>(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32)) {
  image_->fill(ToQColor(fill));
}

Bitmap::Bitmap(const Bitmap& other) : image_(std::make_unique<QImage>(*other.image_)) {}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  *image_ = *other.image_;
  return *this;
}

Bitmap::~Bitmap() = default;

bool Bitmap::IsNull() const {
  return image_->isNull();
}
int Bitmap::width() const {
  return image_->width();
}
int Bitmap::height() const {
  return image_->height();
}

Color Bitmap::PixelAt(int x, int y) const {
  if (!image_->valid(x, y)) return Color{};
  const QRgb p = image_->pixel(x, y);
  return Rgb(qRed(p), qGreen(p), qBlue(p));
}

bool Bitmap::SavePng(const std::string& path) const {
  return image_->save(QString::fromStdString(path), "PNG");
}

Bitmap Bitmap::LoadPng(const std::string& path) {
  QImage loaded;
  if (!loaded.load(QString::fromStdString(path))) return {};
  Bitmap out;
  *out.image_ = loaded.convertToFormat(QImage::Format_RGB32);
  return out;
}

QImage& Bitmap::image() {
  return *image_;
}
const QImage& Bitmap::image() const {
  return *image_;
}

// ---- Fonts

QFont ToQFont(const Font& font) {
  const QString face = ToQString(font.face);
  QStringList families;
  if (face == QStringLiteral("굴림") ||
      face.compare(QStringLiteral("Gulim"), Qt::CaseInsensitive) == 0 ||
      face == QStringLiteral("굴림체") || face == QStringLiteral("돋움")) {
    families << QStringLiteral("NanumGothic");
  } else if (face.compare(QStringLiteral("Arial Black"), Qt::CaseInsensitive) == 0) {
    families << QStringLiteral("DejaVu Sans") << QStringLiteral("Liberation Sans");
  } else if (face.compare(QStringLiteral("Arial"), Qt::CaseInsensitive) == 0) {
    families << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans");
  } else {
    families << face;
  }
  families << QStringLiteral("NanumGothic");  // Korean glyphs in every face
  QFont q;
  q.setFamilies(families);
  const int pixels =
      font.pixel_height > 0
          ? font.pixel_height
          : static_cast<int>(std::lround(std::max(font.point_size, 1) * 96.0 / 72.0));
  q.setPixelSize(std::max(pixels, 1));
  int weight = std::clamp(font.weight, 100, 900);
  if (face.compare(QStringLiteral("Arial Black"), Qt::CaseInsensitive) == 0) weight = 900;
  q.setWeight(static_cast<QFont::Weight>(weight));
  q.setItalic(font.italic);
  return q;
}

// ---- DrawContext

struct DrawContext::State {
  explicit State(Bitmap& t) : target(t), painter(&t.image()) {}
  Bitmap& target;
  QPainter painter;
  Pen pen;
  bool has_brush = true;
  Color brush = Rgb(255, 255, 255);
  Color text = Rgb(0, 0, 0);
  Color background = Rgb(255, 255, 255);
  bool transparent = false;
  QFont font;
  Point position;
  bool clipped = false;
  QRegion clip;  // in pixels
  QPoint window_origin;
  QPoint viewport_origin;
  QSize window_extent{1, 1};
  QSize viewport_extent{1, 1};
  bool boxed = false;  // paint boxes were set
  std::vector<Rect> paint_boxes;
  Rect paint_box;  // encloses them
};

DrawContext::DrawContext(Bitmap& target) : state_(std::make_unique<State>(target)) {
  state_->painter.setRenderHint(QPainter::Antialiasing, false);
  state_->painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  state_->painter.setRenderHint(QPainter::TextAntialiasing, true);
  SetFont(Font{});
}

DrawContext::~DrawContext() = default;

void DrawContext::SetPaintBoxes(std::vector<Rect> boxes) {
  Rect all;
  for (const Rect& b : boxes) {
    if (b.IsEmpty()) continue;
    all = all.IsEmpty() ? b
                        : Rect{std::min(all.left, b.left), std::min(all.top, b.top),
                               std::max(all.right, b.right), std::max(all.bottom, b.bottom)};
  }
  state_->paint_boxes = std::move(boxes);
  state_->paint_box = all;
  state_->boxed = true;
}

bool DrawContext::MustPaint(const Rect& r) const {
  if (!state_->boxed) return true;
  for (const Rect& b : state_->paint_boxes) {
    if (!b.Intersect(r).IsEmpty()) return true;
  }
  return false;
}

Rect DrawContext::PaintBox() const {
  const Size whole = state_->target.size();
  return state_->boxed ? state_->paint_box : Rect{0, 0, whole.width, whole.height};
}

void DrawContext::Finish() {
  if (painter().isActive()) painter().end();
}

QPainter& DrawContext::painter() {
  return state_->painter;
}

Size DrawContext::size() const {
  return state_->target.size();
}

void DrawContext::ApplyTransform() {
  auto& s = *state_;
  const double sx = double(s.viewport_extent.width()) / s.window_extent.width();
  const double sy = double(s.viewport_extent.height()) / s.window_extent.height();
  s.painter.setTransform(QTransform::fromTranslate(-s.window_origin.x(), -s.window_origin.y()) *
                         QTransform::fromScale(sx, sy) *
                         QTransform::fromTranslate(s.viewport_origin.x(), s.viewport_origin.y()));
}

void DrawContext::SetWindowOrigin(int x, int y) {
  state_->window_origin = QPoint(x, y);
  ApplyTransform();
}

void DrawContext::SetViewportOrigin(int x, int y) {
  state_->viewport_origin = QPoint(x, y);
  ApplyTransform();
}

void DrawContext::SetAnisotropic(Size window_extent, Size viewport_extent) {
  // A zero extent would collapse everything; keep the previous one instead.
  if (window_extent.width == 0 || window_extent.height == 0 || viewport_extent.width == 0 ||
      viewport_extent.height == 0)
    return;
  state_->window_extent = QSize(window_extent.width, window_extent.height);
  state_->viewport_extent = QSize(viewport_extent.width, viewport_extent.height);
  ApplyTransform();
}

void DrawContext::ResetMapping() {
  state_->window_origin = state_->viewport_origin = QPoint();
  state_->window_extent = state_->viewport_extent = QSize(1, 1);
  ApplyTransform();
}

void DrawContext::FillRect(const Rect& r, Color c) {
  if (r.IsEmpty()) return;
  state_->painter.fillRect(ToQRectF(r), ToQColor(c));
}

void DrawContext::FrameRect(const Rect& r, Color c) {
  if (r.IsEmpty()) return;
  FillRect({r.left, r.top, r.right, r.top + 1}, c);
  FillRect({r.left, r.bottom - 1, r.right, r.bottom}, c);
  FillRect({r.left, r.top, r.left + 1, r.bottom}, c);
  FillRect({r.right - 1, r.top, r.right, r.bottom}, c);
}

void DrawContext::AlphaFill(const Rect& r, Color c, int alpha) {
  if (r.IsEmpty()) return;
  state_->painter.fillRect(ToQRectF(r), ToQColor(c, std::clamp(alpha, 0, 255)));
}

void DrawContext::SetPen(const Pen& pen) {
  state_->pen = pen;
}
void DrawContext::SetBrush(Color c) {
  state_->has_brush = true;
  state_->brush = c;
}
void DrawContext::SetNullBrush() {
  state_->has_brush = false;
}

void DrawContext::ApplyPen() {
  auto& s = *state_;
  if (s.pen.style == PenStyle::kNone) {
    s.painter.setPen(Qt::NoPen);
  } else {
    QPen pen(ToQColor(s.pen.color));
    pen.setWidth(std::max(s.pen.width, 1));
    pen.setCapStyle(s.pen.width > 1 ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    switch (s.pen.style) {
      case PenStyle::kDash:
        pen.setStyle(Qt::DashLine);
        break;
      case PenStyle::kDot:
        pen.setStyle(Qt::DotLine);
        break;
      case PenStyle::kDashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
      default:
        pen.setStyle(Qt::SolidLine);
    }
    s.painter.setPen(pen);
  }
  s.painter.setBrush(s.has_brush ? QBrush(ToQColor(s.brush)) : QBrush(Qt::NoBrush));
}

bool SimplePen(const Pen& p) {
  return p.style == PenStyle::kSolid && p.width <= 1;
}

void DrawContext::Rectangle(const Rect& r) {
  if (r.IsEmpty()) return;
  auto& s = *state_;
  if (s.pen.style == PenStyle::kNone || SimplePen(s.pen)) {
    const bool outline = s.pen.style != PenStyle::kNone;
    if (s.has_brush) FillRect(outline ? r.Deflated(1, 1) : r, s.brush);
    if (outline) FrameRect(r, s.pen.color);
    return;
  }
  ApplyPen();
  s.painter.drawRect(QRectF(r.left + 0.5, r.top + 0.5, r.width() - 1, r.height() - 1));
}

void DrawContext::RoundRect(const Rect& r, int ellipse_width, int ellipse_height) {
  if (r.IsEmpty()) return;
  ApplyPen();
  state_->painter.drawRoundedRect(QRectF(r.left + 0.5, r.top + 0.5, r.width() - 1, r.height() - 1),
                                  ellipse_width / 2.0, ellipse_height / 2.0);
}

void DrawContext::Ellipse(const Rect& r) {
  if (r.IsEmpty()) return;
  ApplyPen();
  state_->painter.drawEllipse(QRectF(r.left + 0.5, r.top + 0.5, r.width() - 1, r.height() - 1));
}

void DrawContext::Polygon(const std::vector<Point>& points) {
  if (points.size() < 2) return;
  QPolygonF polygon;
  for (const auto& p : points) polygon << QPointF(p.x + 0.5, p.y + 0.5);
  ApplyPen();
  state_->painter.drawPolygon(polygon);
}

namespace {

// The pixels of a one-pixel line from a to b in device space, stepping from
// pixel to pixel and leaving out b, so that joined lines do not overlap.
void AppendLinePixels(QPolygon& pixels, QPoint a, QPoint b) {
  int x0 = a.x(), y0 = a.y();
  const int dx = std::abs(b.x() - x0), dy = -std::abs(b.y() - y0);
  const int step_x = x0 < b.x() ? 1 : -1, step_y = y0 < b.y() ? 1 : -1;
  int error = dx + dy;
  while (x0 != b.x() || y0 != b.y()) {
    pixels << QPoint(x0, y0);
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x0 += step_x;
    }
    if (e2 <= dx) {
      error += dx;
      y0 += step_y;
    }
  }
}

}  // namespace

void DrawContext::DrawDevicePixels(const QPolygon& pixels) {
  if (pixels.isEmpty()) return;
  auto& s = *state_;
  s.painter.save();
  s.painter.setTransform(QTransform());
  s.painter.setPen(QPen(ToQColor(s.pen.color), 0));
  s.painter.drawPoints(pixels);
  s.painter.restore();
}

void DrawContext::Polyline(const std::vector<Point>& points) {
  if (points.empty()) return;
  auto& s = *state_;
  if (points.size() < 2 || s.pen.style == PenStyle::kNone || !SimplePen(s.pen)) {
    MoveTo(points[0].x, points[0].y);
    for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].x, points[i].y);
    return;
  }
  // The pixels LineTo would set segment by segment, set in one go.
  const QTransform t = s.painter.transform();
  QPolygon pixels;
  QPoint from = t.map(QPointF(points[0].x, points[0].y)).toPoint();
  for (std::size_t i = 1; i < points.size(); ++i) {
    const QPoint to = t.map(QPointF(points[i].x, points[i].y)).toPoint();
    AppendLinePixels(pixels, from, to);
    from = to;
  }
  s.position = points.back();
  DrawDevicePixels(pixels);
}

void DrawContext::MoveTo(int x, int y) {
  state_->position = {x, y};
}

void DrawContext::LineTo(int x, int y) {
  auto& s = *state_;
  const Point from = s.position;
  s.position = {x, y};
  if (s.pen.style == PenStyle::kNone) return;
  if (!SimplePen(s.pen)) {
    ApplyPen();
    s.painter.drawLine(QPointF(from.x + 0.5, from.y + 0.5), QPointF(x + 0.5, y + 0.5));
    return;
  }
  const QTransform t = s.painter.transform();
  QPolygon pixels;
  AppendLinePixels(pixels, t.map(QPointF(from.x, from.y)).toPoint(),
                   t.map(QPointF(x, y)).toPoint());
  DrawDevicePixels(pixels);
}

void DrawContext::SetPixel(int x, int y, Color c) {
  FillRect({x, y, x + 1, y + 1}, c);
}

void DrawContext::SetFont(const Font& font) {
  state_->font = ToQFont(font);
  state_->painter.setFont(state_->font);
}
void DrawContext::SetTextColor(Color c) {
  state_->text = c;
}
void DrawContext::SetBackgroundColor(Color c) {
  state_->background = c;
}
void DrawContext::SetTransparentBackground(bool transparent) {
  state_->transparent = transparent;
}

void DrawContext::TextOut(int x, int y, const std::u16string& text) {
  auto& s = *state_;
  const QString q = ToQString(text);
  const QFontMetrics metrics(s.font);
  if (!s.transparent)
    s.painter.fillRect(QRect(x, y, metrics.horizontalAdvance(q), metrics.height()),
                       ToQColor(s.background));
  s.painter.setPen(ToQColor(s.text));
  s.painter.drawText(QPoint(x, y + metrics.ascent()), q);
}

namespace {

// "&x" shows x, "&&" shows "&".
QString WithoutPrefixes(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

}  // namespace

int DrawContext::DrawText(const std::u16string& text, const Rect& r, unsigned flags) {
  auto& s = *state_;
  QString q = ToQString(text);
  if (!(flags & text_flag::kNoPrefix)) q = WithoutPrefixes(q);
  q.remove(QLatin1Char('\r'));
  if (flags & text_flag::kSingleLine) q.replace(QLatin1Char('\n'), QLatin1Char(' '));
  const QFontMetrics metrics(s.font);
  if (flags & text_flag::kEndEllipsis) {
    QStringList lines = q.split(QLatin1Char('\n'));
    for (auto& line : lines) line = ElideRight(metrics, line, r.width());
    q = lines.join(QLatin1Char('\n'));
  }
  int align = Qt::AlignLeft;
  if (flags & text_flag::kCenter) align = Qt::AlignHCenter;
  if (flags & text_flag::kRight) align = Qt::AlignRight;
  int valign = Qt::AlignTop;
  if (flags & text_flag::kSingleLine) {
    if (flags & text_flag::kVCenter) valign = Qt::AlignVCenter;
    if (flags & text_flag::kBottom) valign = Qt::AlignBottom;
  }
  int qt_flags = align | valign;
  if (flags & text_flag::kWordBreak) qt_flags |= Qt::TextWordWrap;
  const QRect box(r.left, r.top, r.width(), r.height());
  const QRect bounds = s.painter.boundingRect(box, qt_flags, q);
  const bool clip = !(flags & text_flag::kNoClip);
  if (clip) {
    s.painter.save();
    s.painter.setClipRect(
        box, s.clipped || s.painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  if (!s.transparent) s.painter.fillRect(bounds, ToQColor(s.background));
  s.painter.setPen(ToQColor(s.text));
  s.painter.drawText(box, qt_flags, q);
  if (clip) s.painter.restore();
  return bounds.height();
}

Size DrawContext::TextExtent(const std::u16string& text) const {
  const QFontMetrics metrics(state_->font);
  const QString q = ToQString(text);
  return {metrics.horizontalAdvance(q), metrics.height()};
}

void DrawContext::DrawBitmap(const Bitmap& bitmap, int x, int y) {
  if (bitmap.IsNull()) return;
  state_->painter.drawImage(QPoint(x, y), bitmap.image());
}

void DrawContext::StretchBitmap(const Bitmap& bitmap, const Rect& source, const Rect& dest) {
  if (bitmap.IsNull() || source.IsEmpty() || dest.IsEmpty()) return;
  state_->painter.drawImage(ToQRectF(dest), bitmap.image(), ToQRectF(source));
}

void DrawContext::TransparentBitmap(const Bitmap& bitmap, const Rect& source, const Rect& dest,
                                    Color transparent) {
  if (bitmap.IsNull() || source.IsEmpty() || dest.IsEmpty()) return;
  QImage part = bitmap.image()
                    .copy(source.left, source.top, source.width(), source.height())
                    .convertToFormat(QImage::Format_ARGB32);
  const QRgb key = qRgb(transparent.r, transparent.g, transparent.b);
  for (int y = 0; y < part.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
    for (int x = 0; x < part.width(); ++x)
      if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
  }
  state_->painter.drawImage(ToQRectF(dest), part);
}

void DrawContext::IntersectClip(const Rect& r) {
  auto& s = *state_;
  const QRegion device(s.painter.transform().mapRect(ToQRectF(r)).toRect());
  s.clip = s.clipped ? s.clip.intersected(device) : device;
  s.clipped = true;
  const QTransform t = s.painter.transform();
  s.painter.setTransform(QTransform());
  s.painter.setClipRegion(s.clip);
  s.painter.setTransform(t);
}

void DrawContext::ExcludeClip(const Rect& r) {
  auto& s = *state_;
  const QRegion device(s.painter.transform().mapRect(ToQRectF(r)).toRect());
  const QRegion base = s.clipped ? s.clip : QRegion(0, 0, s.target.width(), s.target.height());
  s.clip = base.subtracted(device);
  s.clipped = true;
  const QTransform t = s.painter.transform();
  s.painter.setTransform(QTransform());
  s.painter.setClipRegion(s.clip);
  s.painter.setTransform(t);
}

void DrawContext::ResetClip() {
  state_->clipped = false;
  state_->clip = QRegion();
  state_->painter.setClipping(false);
}

}  // namespace velloran
