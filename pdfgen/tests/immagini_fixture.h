// Page image fixtures written in the tests with libtiff and libpng, with a
// known pixel pattern, and the comparison of a rendering with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qod::pdf::test {

// An image as the eye sees it: 1 (black or white), 8 (grey) or 24 (RGB)
// bits, one or three bytes a pixel, top row first.
struct Campione {
  int w = 0, h = 0, bit = 1;
  std::vector<uint8_t> px;  // 0..255 per channel
  int Canali() const { return bit == 24 ? 3 : 1; }
  const uint8_t* at(int x, int y) const { return &px[(size_t(y) * w + x) * Canali()]; }
  static Campione Motivo(int w, int h, int bit);  // a pattern that shows orientation and bit order
};

struct Opzioni_Tiff {
  int compressione = 1;      // COMPRESSION_* value
  int fotometria = 0;        // 0 min-is-white, 1 min-is-black, 2 RGB, 3 palette
  int riempimento = 1;       // FillOrder
  int righe_strip = 0;       // 0: one strip
  bool big_endian = false;
  bool g3_2d = false;        // T4Options bit 0
  bool senza_bit = false;    // leave BitsPerSample out (1-bit images)
  int predittore = 1;
  int planare = 1;
};
// Writes the image to a TIFF; 1-bit images honour the photometric sense.
void Scrivi_Tiff(const std::string& percorso, const Campione& c, const Opzioni_Tiff& o);

struct Opzioni_Png {
  int tipo = 0;          // colour type 0, 2, 3, 4, 6
  int profondita = 8;    // bit depth
  bool interlacciato = false;
  bool bianco_zero = false;  // type 3, 1 bit: palette index 0 is white
  int idat = 0;          // > 0: the image data split into chunks of this size
  bool alfa_tavolozza = false;  // type 3: a tRNS chunk with an alpha for each entry
};
// Writes the image to a PNG. Alpha types get a varying alpha composited
// (when read) onto white as the pattern; see Atteso_Png.
void Scrivi_Png(const std::string& percorso, const Campione& c, const Opzioni_Png& o);
// The image a reader should show for a PNG written with alpha (or palette
// alphas): the pattern composited on white.
Campione Atteso_Png(const Campione& c, const Opzioni_Png& o);

// Share of pixels that differ (1-bit: after thresholding at 128; others:
// by more than `tolleranza` in any channel), 0..1; 1 when the sizes differ.
double Differenza(const Campione& atteso, int w, int h, int canali, const std::vector<uint8_t>& resa,
                  int tolleranza = 0);

}  // namespace qod::pdf::test
