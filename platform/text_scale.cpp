#include "platform/text_scale.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace velloran {

bool IsTextScale(int percent) {
  for (const int scale : kTextScales)
    if (scale == percent) return true;
  return false;
}

void ApplyTextScale(int percent) {
  if (percent == 100 || !IsTextScale(percent)) return;
  double factor = percent / 100.0;
  // A factor the user set for every Qt program is kept under ours.
  if (const char* given = std::getenv("QT_SCALE_FACTOR"); given != nullptr && *given != '\0') {
    const double base = std::strtod(given, nullptr);
    if (base > 0.1 && base < 10) factor *= base;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", factor);
  setenv("QT_SCALE_FACTOR", text, 1);
}

}  // namespace velloran
