// Font strips drawn from an installed font: a bitmap of 256 glyph cells
// side by side in one row, the cell of code i at x = i * width, drawn
// through the text layer (a monospaced font by default). The font editor,
// the tests and the demo make their strips with it.
#pragma once

#include <filesystem>
#include <string>

#include "qod/imaging/immagine.h"

namespace qod {

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

}  // namespace qod
