#pragma once
// Single-line texts as painted pictures, for views that repaint many cells of
// text many times a second (lists, grids, the order book): a text drawn in a
// colour over a background colour is kept as the pixels it left, so drawing
// it again copies them instead of laying out and blending glyphs. A number
// never drawn before (a new price, volume or rate) is put together from the
// pictures of its characters, kept per colour pair: a market brings new
// numbers all day, but only a dozen characters. Other texts are drawn the
// ordinary way the first time.

#include <cstddef>
#include <memory>
#include <string>

#include "platform/draw_context.h"

namespace velloran {

enum class TextAlign { kLeft, kCenter, kRight };

class TextPictures {
 public:
  // The most pixel bytes one generation of pictures holds; two are kept.
  static constexpr std::size_t kGenerationBytes = 1536 * 1024;

  TextPictures();
  ~TextPictures();
  TextPictures(const TextPictures&) = delete;
  TextPictures& operator=(const TextPictures&) = delete;

  // The text on one line in box, vertically centred, cut with an ellipsis
  // when it does not fit, in the context's font. The box must already be
  // filled with background.
  void Draw(DrawContext& dc, const std::u16string& text, const Rect& box, TextAlign align,
            Color color, Color background);
  // The pixel bytes of the pictures kept.
  [[nodiscard]] std::size_t held_bytes() const;

 private:
  struct Cache;
  std::unique_ptr<Cache> cache_;
};

}  // namespace velloran
