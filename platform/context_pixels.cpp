#include "platform/context_pixels.h"

#include <QImage>
#include <QPainter>

namespace velloran {

Bitmap CopyContextPixels(DrawContext& dc, const Rect& device_rect) {
  Bitmap copy(device_rect.width(), device_rect.height());
  auto* source = dynamic_cast<QImage*>(dc.painter().device());
  if (source == nullptr || copy.IsNull()) return copy;
  QPainter p(&copy.image());
  p.drawImage(QPoint(0, 0), *source,
              QRect(device_rect.left, device_rect.top, device_rect.width(), device_rect.height()));
  return copy;
}

}  // namespace velloran
