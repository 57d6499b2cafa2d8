#pragma once
// Bitmap resources by number. Each number the windows load has generated
// artwork of its fixed size (buttons with their captions, backgrounds, the
// title, gradient strips, arrows), drawn once on first use, so that no binary
// art files are kept. New numbers are added to the table in
// bitmap_resources.cpp or registered at start-up.

#include <functional>
#include <vector>

#include "platform/draw_context.h"

namespace velloran {

using BitmapArtist = std::function<void(DrawContext& dc, Size size)>;

// The bitmap of a number; a null bitmap for an unknown number. The reference
// stays valid until the number is registered again. User-interface thread.
[[nodiscard]] const Bitmap& LoadBitmapResource(int id);
// Adds or replaces a number; the artist draws on a white bitmap of the size.
void RegisterBitmapResource(int id, Size size, BitmapArtist artist);
[[nodiscard]] std::vector<int> BitmapResourceIds();

}  // namespace velloran
