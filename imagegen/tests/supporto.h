// What the generator's tests share besides the common test helpers: the
// fixture font strip, a page set up as the server sets a fax page, readers of the
// page images and the outside checkers (tiffinfo, pngcheck, zbarimg), and
// PNG renderings left in the build folder for a person to look at.
#pragma once

#include "qod/prova/strumenti.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qod/imagegen/qod_img.h"
#include "qod/imaging/immagine.h"

namespace qod::prova {

namespace fs = std::filesystem;

// The fixture strip: 256 cells of 20 x 32 drawn from Courier New, 1 bit;
// made once per test program.
inline constexpr int kCellaW = 20, kCellaH = 32;
const std::string& Striscia_Prova();
const img::Immagine& Striscia_Immagine();

// A page to draw on: its size, image type and resolution, a white
// background, upright, and a grid of `colonne` x `righe` cells of the
// fixture strip's size from (left, top); no text, tags, logos or strip.
struct Pagina_Prova {
  int larghezza, altezza, tipo, dpi_x, dpi_y, left, top, colonne, righe;
};
void Pagina_Imposta(Qod_IMG& g, const std::string& uscita, const Pagina_Prova& p);

// A fax page: 1728 x 2292, TIFF G4 at 204 x 196, an 80 x 66 grid of 20 x 32
// cells from (64, 80), the fixture strip, white background; no text, no
// tags, no logos.
void Pagina_Fax(Qod_IMG& g, const std::string& uscita);

// Lines joined with CR LF (each ended).
std::string Righe(const std::vector<std::string>& righe);

// The image in a file (page 1); an empty image when it cannot be read.
img::Immagine Carica(const std::string& file);

// True when the w x h rectangle of `pagina` at (x, y) has the pixels of the
// same rectangle of `sorgente` at (sx, sy) (dark against light).
bool Uguali(const img::Immagine& pagina, int x, int y, const img::Immagine& sorgente, int sx, int sy, int w, int h,
            std::string* dove = nullptr);
// Dark pixels in a rectangle (clipped to the image).
int Scuri(const img::Immagine& im, int x, int y, int w, int h);
// True when every pixel of the rectangle has colour c.
bool Tutto(const img::Immagine& im, int x, int y, int w, int h, img::Colore c);

// The glyph of byte b of the fixture strip at page position (x, y).
bool Glifo(const img::Immagine& pagina, int x, int y, unsigned char b);

// A 1-bit or 24-bit test picture written as a BMP: a black frame, a black
// block in its top-left quarter, white elsewhere.
img::Immagine Logo_Prova(int w, int h, int bit = 1);
void Scrivi_Bmp(const img::Immagine& im, const std::string& file);

std::string Tiffinfo(const std::string& file);
bool Pngcheck(const std::string& file);
// What zbarimg reads in a file: "TYPE:data" lines.
std::string Zbar(const std::string& file);

// A page rendering under "rese/" in the test's working folder (the build
// folder), as PNG.
void Rendi(const img::Immagine& im, const std::string& nome);

}  // namespace qod::prova
