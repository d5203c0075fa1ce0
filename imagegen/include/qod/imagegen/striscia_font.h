// Font strips drawn from an installed font: a bitmap of 256 glyph cells
// side by side in one row, the cell of code i at x = i * width, drawn
// through the text layer (a monospaced font by default). The font editor,
// the tests and the demo make their strips with it.
#pragma once

#include <filesystem>
#include <string>

#include "qod/imaging/immagine.h"

namespace qod {

namespace text {
class Font;
}

struct Opzioni_Striscia {
  int cella_larghezza = 20;           // cell size in pixels
  int cella_altezza = 32;
  std::string font = "Courier New";   // face name (ANSI)
  int altezza_font = 0;               // cell height of the font; 0 = the cell's
  int bit = 1;                        // 1 or 24 bits per pixel
  bool grassetto = false;
};

// The strip: white cells, each glyph black and centred in its cell (clipped
// to it). Codes below 33, 127 and the codes Windows-1252 leaves undefined
// stay blank. False (with the reason) for a cell size outside 1..512, a
// depth other than 1 or 24, or a font that cannot be made.
bool Striscia_Font(const Opzioni_Striscia& o, img::Immagine& out, std::string* errore = nullptr);

// The strip written as a BMP file.
bool Scrivi_Striscia_Font(const std::filesystem::path& file, const Opzioni_Striscia& o, std::string* errore = nullptr);

// Whether code `c` gets a glyph in a strip: not the control codes 0-31 and
// 127, nor the codes Windows-1252 leaves undefined.
bool Codice_Con_Glifo(unsigned char c);

// Draws the glyph of ANSI code `c` in `font` onto `im`, the top-left corner
// of its character cell at (x, y), in `colore`, without smoothing (only ink
// or no ink, for 1- and 24-bit strips alike) and without a background.
// Clipped to the image. False (with the reason) when the font cannot render.
bool Glifo_Disegna(const text::Font& font, img::Immagine& im, int x, int y, unsigned char c, img::Colore colore,
                   std::string* errore = nullptr);

}  // namespace qod
