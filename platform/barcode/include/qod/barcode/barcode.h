// The barcode control: a linear barcode of a numbered type drawn into a
// bitmap of exactly the size asked for, over libzint.
//
// Conventions
// - The picture is 8 bits per pixel, one byte per pixel, rows `stride` bytes
//   apart: kInk (0, black) for bars and text, kPaper (255, white) elsewhere.
//   No other value occurs.
// - Bars are scaled by whole modules: each module is the same whole number
//   of pixels wide, as many as fit in the width less the borders; the symbol
//   is centred in that width and fills the height less the borders (and less
//   the text line when the text is shown).
// - The text under the bars, when shown, is the symbol's readable text (with
//   its check digits), centred, in the font of the font members; its size is
//   the character height in pixels.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qod/text/text.h"

namespace qod::barcode {

inline constexpr uint8_t kInk = 0;
inline constexpr uint8_t kPaper = 255;

// The type that draws no code: a blank picture.
inline constexpr int32_t kNessunCodice = 99;

// The picture: a plane of one byte per pixel, as the text is drawn into.
using Bitmap = text::Plane;

// The name of a barcode type ("EAN 13", "CODE 39", ..., "NESSUN CODICE"), or
// an empty text for a number that is no type.
std::string_view Nome_Tipo(int32_t type);

class Barcode {
 public:
  // The members a caller sets before Generate.
  std::string text;            // the data, ANSI bytes
  bool show_text = false;      // draw the readable text under the bars
  int32_t type = 0;            // 0..25, or 99 for no code
  int32_t border_width = 0;    // blank margin left and right, pixels (below 0 counts as 0)
  int32_t border_height = 0;   // blank margin above and below, pixels
  std::string font_name = "Arial";  // ANSI bytes
  double font_size = 10;       // character height of the text, pixels
  bool font_italic = false;
  bool font_underline = false;
  int32_t font_weight = 400;

  // Draws the code into a width x height picture. Fails (with the reason in
  // Error(), and an empty picture) for a size below 1 or past 16384 pixels a
  // side (or 32 million in all), a type with no symbology, data the
  // symbology refuses, or a picture too small for one pixel per module.
  bool Generate(int32_t width, int32_t height);

  const Bitmap& Picture() const { return picture_; }
  const std::string& Error() const { return error_; }

 private:
  Bitmap picture_;
  std::string error_;
};

}  // namespace qod::barcode
