#include "platform/text_pictures.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/qt_text.h"

namespace velloran {

// A text seen for the first time is drawn as usual and its pixels are taken
// from the target, when nothing clipped or mapped them. Rows in view repeat
// their texts from one paint to the next. Pictures live in two generations of
// at most kLimit pictures and kGenerationBytes of pixels each: a full young
// one becomes the old one, whose pictures come back when used and go
// otherwise; a change of font starts afresh. A streaming market never stops
// bringing new numbers, so the bound in bytes is what the cache holds for
// good (a generation of 3,000 pictures of grid numbers was 4-5 MiB).
struct TextPictures::Cache {
  static constexpr std::size_t kLimit = 3000;
  using Images = std::unordered_map<std::u16string, QImage>;

  // The characters numbers are written with.
  static bool IsNumberText(std::u16string_view text) {
    for (const char16_t c : text) {
      if ((c < u'0' || c > u'9') && c != u',' && c != u'.' && c != u'-' && c != u'+' &&
          c != u'%' && c != u':' && c != u'/' && c != u' ')
        return false;
    }
    return true;
  }
  // A character's picture in a colour over a background: its advance wide
  // and a line high, drawn as the whole text would draw it.
  const QImage& Glyph(char16_t c, Color color, Color background, QImage::Format format) {
    const std::uint64_t key = std::uint64_t{c} << 48 | std::uint64_t{color.r} << 40 |
                              std::uint64_t{color.g} << 32 | std::uint64_t{color.b} << 24 |
                              std::uint64_t{background.r} << 16 | std::uint64_t{background.g} << 8 |
                              background.b;
    auto it = glyphs.find(key);
    if (it != glyphs.end()) return it->second;
    const QString one(QChar(static_cast<ushort>(c)));
    QImage picture(std::max(1, metrics->horizontalAdvance(one)), metrics->height(), format);
    picture.fill(QColor(background.r, background.g, background.b));
    QPainter p(&picture);
    p.setFont(font);
    p.setPen(QColor(color.r, color.g, color.b));
    p.drawText(0, metrics->ascent(), one);
    p.end();
    return glyphs.emplace(key, std::move(picture)).first->second;
  }

  static std::size_t Bytes(const QImage& image) {
    return static_cast<std::size_t>(image.sizeInBytes());
  }

  // Before a picture of these bytes joins the young generation.
  void MakeRoom(std::size_t bytes) {
    if (images.size() < kLimit && young_bytes + bytes <= kGenerationBytes) return;
    old_images = std::move(images);
    old_bytes = young_bytes;
    images = Images();
    young_bytes = 0;
  }
  void Clear() {
    glyphs.clear();
    images.clear();
    old_images.clear();
    young_bytes = old_bytes = 0;
  }

  // The target image when spot lies on it whole, unmapped and unclipped.
  static QImage* Unclipped(QPainter& painter, const QRect& spot) {
    QPaintDevice* device = painter.device();
    if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
    if (!painter.deviceTransform().isIdentity()) return nullptr;
    auto* image = static_cast<QImage*>(device);
    if (!image->rect().contains(spot)) return nullptr;
    if (painter.hasClipping() && painter.clipRegion().intersected(spot) != QRegion(spot))
      return nullptr;
    return image;
  }

  QFont font;
  bool has_font = false;
  std::unique_ptr<QFontMetrics> metrics;
  Images images;
  Images old_images;
  std::unordered_map<std::uint64_t, QImage> glyphs;  // a few per colour pair
  std::vector<const QImage*> glyph_run;              // reused
  std::size_t young_bytes = 0;  // pixels of images
  std::size_t old_bytes = 0;    // pixels of old_images, and of those taken back from it
  std::u16string key;  // reused
};

TextPictures::TextPictures() : cache_(std::make_unique<Cache>()) {}
TextPictures::~TextPictures() = default;

std::size_t TextPictures::held_bytes() const { return cache_->young_bytes + cache_->old_bytes; }

void TextPictures::Draw(DrawContext& dc, const std::u16string& text, const Rect& box,
                        TextAlign align, Color color, Color background) {
  if (text.empty() || box.right <= box.left) return;
  Cache& c = *cache_;
  QPainter& painter = dc.painter();
  if (!c.has_font || painter.font() != c.font) {
    c.font = painter.font();
    c.has_font = true;
    c.metrics = std::make_unique<QFontMetrics>(c.font);
    c.Clear();
  }
  const int room = box.width();
  c.key.assign(text);
  c.key.push_back(u'\0');
  c.key.push_back(static_cast<char16_t>(std::clamp(room, 0, 0xFFFF)));
  c.key.push_back(static_cast<char16_t>(color.r << 8 | color.g));
  c.key.push_back(static_cast<char16_t>(color.b << 8 | background.r));
  c.key.push_back(static_cast<char16_t>(background.g << 8 | background.b));
  const int height = c.metrics->height();
  const int y = box.top + (box.height() - height) / 2;
  const auto place = [&](int width) {
    if (align == TextAlign::kRight) return box.right - width;
    if (align == TextAlign::kCenter) return box.left + (room - width) / 2;
    return box.left;
  };
  auto it = c.images.find(c.key);
  if (it == c.images.end()) {
    if (auto node = c.old_images.extract(c.key); !node.empty()) {
      const std::size_t bytes = Cache::Bytes(node.mapped());
      c.old_bytes -= bytes;
      c.MakeRoom(bytes);
      c.young_bytes += bytes;
      it = c.images.insert(std::move(node)).position;
    }
  }
  if (it != c.images.end()) {
    painter.drawImage(QPoint(place(it->second.width()), y), it->second);
    return;
  }
  QPaintDevice* device = painter.device();
  if (Cache::IsNumberText(text) && device != nullptr && device->devType() == QInternal::Image) {
    // A new number from its characters' pictures, when it fits whole and
    // lands on the target unclipped.
    const QImage::Format format = static_cast<QImage*>(device)->format();
    c.glyph_run.clear();
    int width = 0;
    for (const char16_t ch : text) {
      c.glyph_run.push_back(&c.Glyph(ch, color, background, format));
      width += c.glyph_run.back()->width();
    }
    const QRect spot(place(width), y, width, height);
    if (QImage* target = width <= room ? Cache::Unclipped(painter, spot) : nullptr) {
      int x = spot.left();
      for (const QImage* glyph : c.glyph_run) {
        painter.drawImage(QPoint(x, y), *glyph);
        x += glyph->width();
      }
      QImage picture = target->copy(spot);
      const std::size_t bytes = Cache::Bytes(picture);
      c.MakeRoom(bytes);
      c.young_bytes += bytes;
      c.images.emplace(c.key, std::move(picture));
      return;
    }
  }
  const QString shown = ElideRight(*c.metrics, ToQString(text), room);
  const int width = c.metrics->horizontalAdvance(shown);
  if (width <= 0) return;
  const QRect spot(place(width), y, width, height);
  painter.setPen(QColor(color.r, color.g, color.b));
  painter.drawText(spot.left(), y + c.metrics->ascent(), shown);
  if (QImage* target = Cache::Unclipped(painter, spot)) {
    QImage picture = target->copy(spot);
    const std::size_t bytes = Cache::Bytes(picture);
    c.MakeRoom(bytes);
    c.young_bytes += bytes;
    c.images.emplace(c.key, std::move(picture));
  }
}

}  // namespace velloran
