// The raster image model and the drawing operations of the imaging layer:
// blank images, fill, block and stretched transfers with the three raster
// modes, rotation, inversion, grey levels, resizing and depth conversions.
// No display is needed; a window or a printer draws an image from its rows.
//
// Pixel layout (what a PDF writer, a printer or a view reads directly):
//  - Rows are stored top row first; Riga(y) points at row y, Passo() bytes
//    apart. The first Byte_Riga() bytes of a row hold its pixels; bits and
//    bytes after them are padding of no meaning.
//  - 1 bit: 8 pixels per byte, the leftmost pixel in the most significant
//    bit. Bit value v shows Tavolozza()[v]. The palette is kept so that
//    entry 0 is the darker colour and entry 1 the lighter one; a
//    black-and-white image (the usual case) therefore has 0 = black and
//    1 = white, the sense of a PDF /DeviceGray image with 1 bit per
//    component, and ANDing black ink onto a white page keeps the ink.
//  - 4 bits: 2 pixels per byte, the leftmost in the high nibble; 8 bits:
//    one byte per pixel. Both are palette indexes (Tavolozza(), 16 or 256
//    entries); a grey image has the ramp entry i = (i, i, i) for 8 bits and
//    (17 i, 17 i, 17 i) for 4 bits.
//  - 24 bits: red, green, blue, one byte each (a PDF /DeviceRGB row).
//  - 32 bits: red, green, blue, alpha.
// Coordinates are pixels from the top-left corner; rectangles given as
// (x, y, width, height) never need to lie inside an image: every transfer
// and fill draws only where source and target overlap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qod::img {

// The outcome of an operation that can fail: a reason for the log when it did.
struct Esito {
  bool ok = true;
  std::string motivo;

  static Esito Bene() { return {}; }
  static Esito Errore(std::string testo) { return {false, std::move(testo)}; }
  explicit operator bool() const { return ok; }
};

struct Colore {
  uint8_t r = 0, g = 0, b = 0;

  // From and to the BASIC RGB value: red + green * 256 + blue * 65536.
  static constexpr Colore Da_RGB(uint32_t rgb) {
    return {static_cast<uint8_t>(rgb & 0xFF), static_cast<uint8_t>((rgb >> 8) & 0xFF),
            static_cast<uint8_t>((rgb >> 16) & 0xFF)};
  }
  constexpr uint32_t RGB() const { return r | (g << 8) | (uint32_t(b) << 16); }
  // 0.299 R + 0.587 G + 0.114 B, rounded; at least 128 counts as white when
  // a colour lands on a 1-bit image.
  constexpr int Luminanza() const { return (299 * r + 587 * g + 114 * b + 500) / 1000; }
  constexpr bool operator==(const Colore&) const = default;
};

inline constexpr Colore Nero{0, 0, 0};
inline constexpr Colore Bianco{255, 255, 255};

// Raster modes of the transfers: the source replaces the target, or is
// ANDed or ORed onto it. The operation works on the target's pixel values
// (bits of a 1-bit image, palette indexes, colour channels), after the
// source pixels were brought to the target's depth.
enum class Raster { SRCCOPY, SRCAND, SRCPAINT };

// The mode numbers of the settings and tags: 0 copy, 1 AND, 2 OR, any other
// value copy.
Raster Raster_Da_Modo(long modo);

// Largest pixel buffer one image may hold, in bytes (the cap of every
// allocation of this layer, including decoders' work buffers). The default
// is 256 MiB; tests and fuzzing may lower it.
size_t Limite_Memoria();
void Imposta_Limite_Memoria(size_t byte);

// Largest width or height of an image.
inline constexpr int Lato_Massimo = 1 << 20;

class Immagine {
 public:
  Immagine() = default;  // empty: width and height 0, no pixels

  // Blank image of the given size and depth (1, 4, 8, 24 or 32 bits), every
  // pixel `fondo` (the default palettes: black and white, grey for 4 and 8
  // bits). False, and the image left empty, for a size below 1 or past the
  // limits, or another depth. The memory the image holds is used again when
  // the new one fits in it (and needs at least half of it), so that an image
  // made page after page is not allocated again.
  bool Crea(int larghezza, int altezza, int bit, Colore fondo = Bianco);
  void Svuota();

  bool Vuota() const { return larghezza_ == 0; }
  int Larghezza() const { return larghezza_; }
  int Altezza() const { return altezza_; }
  int Bit() const { return bit_; }

  // Resolution in dots per inch; 0 = none.
  int Dpi_X() const { return dpi_x_; }
  int Dpi_Y() const { return dpi_y_; }
  void Imposta_Dpi(int x, int y) { dpi_x_ = x; dpi_y_ = y; }

  // Raw rows (see the layout above).
  uint8_t* Riga(int y) { return dati_.data() + static_cast<size_t>(y) * passo_; }
  const uint8_t* Riga(int y) const { return dati_.data() + static_cast<size_t>(y) * passo_; }
  size_t Passo() const { return passo_; }
  size_t Byte_Riga() const { return (static_cast<size_t>(larghezza_) * bit_ + 7) / 8; }

  // Palette of a 1-, 4- or 8-bit image (2, 16 or 256 entries); empty above.
  const std::vector<Colore>& Tavolozza() const { return tavolozza_; }
  // Replaces the palette (as many entries as the depth has; missing ones
  // black). A 1-bit image keeps its darker entry at 0: when the new palette
  // has it the other way round, the entries are swapped and the bits
  // flipped, so every pixel keeps the colour asked for.
  void Imposta_Tavolozza(std::vector<Colore> tavolozza);
  // True when the palette is black and white (1 bit) or the grey ramp.
  bool Tavolozza_Grigia() const;

  // The colour of one pixel; black outside the image.
  Colore Pixel(int x, int y) const;
  // Sets one pixel (nothing outside the image). On a 1-bit image the colour
  // becomes the lighter entry when its luminance is at least 128, else the
  // darker; on 4 and 8 bits the nearest palette entry.
  void Imposta_Pixel(int x, int y, Colore c);
  // The stored value of a pixel: bit, palette index, or 0xRRGGBB(AA).
  uint32_t Valore(int x, int y) const;

  // Number of colours the depth can show: 2, 16, 256, 16777216, and
  // 4294967296 for 32 bits; 0 for an empty image.
  int64_t Numero_Colori() const;

  // ---- Drawing ---------------------------------------------------------

  void Riempi(Colore c);
  void Riempi(int x, int y, int larghezza, int altezza, Colore c);

  // Each pixel becomes its complement colour (255 - channel); alpha is kept.
  void Inverti();

  // Grey levels: 24 and 32 bits (and 4- and 8-bit colour palettes) become
  // 8-bit grey by luminance; a 1-bit image keeps its depth with its two
  // colours turned grey. Sizes and resolution stay. False (the image
  // unchanged) past the memory limit.
  bool Converti_Grigio();

  // Rotation clockwise by `centesimi` hundredths of a degree (27000 puts the
  // top edge on the left). 9000, 18000 and 27000 move pixels exactly; other
  // angles sample the nearest source pixel. The image becomes the rotated
  // bounding box (sizes rounded to whole pixels), the area no source pixel
  // covers takes `riempimento`. Negative angles and angles past a full turn
  // are taken modulo 36000. False (the image unchanged) past the limits.
  //
  // Here and in the resizing below, `riserva` (another image, or none) lends
  // its memory for the result when that fits in it, and receives the image
  // as it was before: a caller that turns page after page keeps it and
  // allocates nothing after the first pages.
  bool Ruota(long centesimi, Colore riempimento, Immagine* riserva = nullptr);

  // The image resized to larghezza x altezza. Enlarging repeats pixels;
  // shrinking a 1-bit image keeps a pixel dark when any source pixel under it
  // is dark, other depths take the nearest source pixel. Resolution stays.
  bool Ridimensiona(int larghezza, int altezza, Immagine* riserva = nullptr);

  // Source rectangle (inclusive edges) stretched to a new image of
  // (destra - sinistra) x (basso - alto) of the destination rectangle, as
  // the imaging control's source and destination members give them.
  bool Adatta(int src_sinistra, int src_alto, int src_destra, int src_basso,
              int dst_sinistra, int dst_alto, int dst_destra, int dst_basso, Immagine* riserva = nullptr);

  // To another depth: 1 (luminance threshold), 24 or 32 from any depth;
  // 4 and 8 keep an indexed image whose palette fits, and otherwise give
  // grey levels. False for another depth or past the limits.
  bool Converti_Bit(int bit);

  // Reduction of the number of colours: 2 gives a black-and-white 1-bit
  // image; 16 or 256 with `grigio` give 4- or 8-bit grey levels; 16777216
  // gives 24 bits. False for any other request.
  bool Riduci_Colori(int64_t colori, bool grigio);

 private:
  friend struct Accesso_Interno;
  int larghezza_ = 0, altezza_ = 0, bit_ = 0;
  int dpi_x_ = 0, dpi_y_ = 0;
  size_t passo_ = 0;
  std::vector<uint8_t> dati_;
  std::vector<Colore> tavolozza_;
};

// Block transfer: the larghezza x altezza rectangle of `src` at (sx, sy) onto
// `dst` at (dx, dy) in the raster mode. Parts of the rectangle outside the
// source or the target are not drawn. Any two depths may meet: source
// pixels are first brought to the target's depth (onto 1 bit by luminance).
void Trasferisci(Immagine& dst, int dx, int dy, int larghezza, int altezza,
                 const Immagine& src, int sx, int sy, Raster modo = Raster::SRCCOPY);

// Stretched transfer: the sw x sh source rectangle at (sx, sy) onto the
// dw x dh target rectangle at (dx, dy). Enlarging repeats pixels; shrinking a
// 1-bit source keeps a pixel dark when any pixel under it is dark. Target
// pixels whose source lies outside `src` are not drawn; a size below 1 draws
// nothing.
void Trasferisci_Adattato(Immagine& dst, int dx, int dy, int dw, int dh,
                          const Immagine& src, int sx, int sy, int sw, int sh,
                          Raster modo = Raster::SRCCOPY);

}  // namespace qod::img
