#pragma once
// Conversions between the system's wide text and Qt's, and the Qt font of a
// Font; used only inside the Qt-backed platform files.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <algorithm>
#include <string>

#include "platform/draw_context.h"

namespace velloran {

inline QColor ToQColor(Color c, int alpha = 255) {
  return QColor(c.r, c.g, c.b, alpha);
}

inline QString ToQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string FromQString(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

QFont ToQFont(const Font& font);

// The text as far as it fits in width pixels, ended by an ellipsis when cut.
inline QString ElideRight(const QFontMetrics& metrics, const QString& text, int width) {
  return metrics.elidedText(text, Qt::ElideRight, std::max(width, 0));
}

}  // namespace velloran
