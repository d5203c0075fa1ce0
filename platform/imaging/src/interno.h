// Helpers shared by the parts of the imaging layer; not for callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "qod/imaging/immagine.h"

namespace qod::img {

// Direct access to an image's fields for the loaders and the operations.
struct Accesso_Interno {
  // Allocates w x h at `bit` with every byte 0 and the given palette (the
  // default palette of the depth when empty). False past the limits.
  static bool Alloca(Immagine& im, int w, int h, int bit, std::vector<Colore> tavolozza = {});
  // The same in the memory `im` already holds when it is large enough and
  // not more than twice what is needed (every byte 0 all the same): for an
  // image made again and again, page after page.
  static bool Alloca_Riusando(Immagine& im, int w, int h, int bit, std::vector<Colore> tavolozza = {});
  // Whether the memory of `im` is used again for `byte` bytes.
  static bool Riusabile(const Immagine& im, size_t byte);
  // Size, depth, row step and palette (the default one of the depth when
  // empty); no resolution.
  static void Imposta_Forma(Immagine& im, int w, int h, int bit, size_t passo, std::vector<Colore> tavolozza);
  static std::vector<uint8_t>& Dati(Immagine& im) { return im.dati_; }
  static std::vector<Colore>& Tavolozza(Immagine& im) { return im.tavolozza_; }
  // Keeps the darker entry of a 1-bit palette at 0 (flipping the bits).
  static void Normalizza_1bit(Immagine& im);
};

// Bytes needed for w x h at `bit` (stride rounded to 8 bytes, plus spare
// bytes at the end), or 0 when the size is not allowed.
size_t Byte_Necessari(int64_t w, int64_t h, int bit, size_t* passo = nullptr);

std::vector<Colore> Tavolozza_Predefinita(int bit);

// Raw pixel values inside one row.
inline uint32_t Leggi_Valore(const uint8_t* riga, int64_t x, int bit) {
  switch (bit) {
    case 1: return (riga[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? (riga[x >> 1] & 0x0Fu) : (riga[x >> 1] >> 4);
    case 8: return riga[x];
    case 24: {
      const uint8_t* p = riga + x * 3;
      return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    default: {
      const uint8_t* p = riga + x * 4;
      return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
  }
}

inline void Scrivi_Valore(uint8_t* riga, int64_t x, int bit, uint32_t v) {
  switch (bit) {
    case 1: {
      uint8_t m = static_cast<uint8_t>(0x80u >> (x & 7));
      if (v & 1) riga[x >> 3] |= m; else riga[x >> 3] &= static_cast<uint8_t>(~m);
      break;
    }
    case 4: {
      uint8_t& b = riga[x >> 1];
      if (x & 1) b = static_cast<uint8_t>((b & 0xF0) | (v & 0x0F));
      else b = static_cast<uint8_t>((b & 0x0F) | ((v & 0x0F) << 4));
      break;
    }
    case 8: riga[x] = static_cast<uint8_t>(v); break;
    case 24: {
      uint8_t* p = riga + x * 3;
      p[0] = static_cast<uint8_t>(v >> 16); p[1] = static_cast<uint8_t>(v >> 8); p[2] = static_cast<uint8_t>(v);
      break;
    }
    default: {
      uint8_t* p = riga + x * 4;
      p[0] = static_cast<uint8_t>(v >> 24); p[1] = static_cast<uint8_t>(v >> 16);
      p[2] = static_cast<uint8_t>(v >> 8); p[3] = static_cast<uint8_t>(v);
      break;
    }
  }
}

// The colour of a raw value at a depth with a palette.
inline Colore Colore_Valore(uint32_t v, int bit, const std::vector<Colore>& tav) {
  if (bit <= 8) return v < tav.size() ? tav[v] : Nero;
  if (bit == 24) return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8)};
}

// Maps colours to the raw values of one target depth and palette: 1 bit by
// the luminance threshold, grey ramps by luminance, other palettes to the
// nearest entry (remembered), colour depths directly.
class Mappa_Colore {
 public:
  Mappa_Colore(int bit, const std::vector<Colore>& tavolozza);
  uint32_t operator()(Colore c);

 private:
  int bit_;
  const std::vector<Colore>& tav_;
  bool rampa_ = false;
  std::vector<uint32_t> memo_chiave_;
  std::vector<uint32_t> memo_valore_;
};

bool Rampa_Grigia(int bit, const std::vector<Colore>& tav);

// Temporary name in the folder of `destinazione` for a file being written;
// the file is created empty (so the name is reserved). Empty on failure.
std::string Nome_Temporaneo(const std::string& destinazione);

// Renames the finished temporary file onto the target (which keeps its
// permissions); the temporary file is removed when that fails.
Esito Rinomina_Su(const std::string& tmp, const std::string& destinazione);

}  // namespace qod::img
