// Rotation (clockwise, any angle in hundredths of a degree) and resizing.
// Quarter turns of 1-bit images move 8 x 8 bit blocks at a time.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "interno.h"
#include "qod/imaging/immagine.h"

namespace qod::img {

namespace {

// 8 x 8 bit matrix, row 0 in the most significant byte, bit 7 of a byte the
// leftmost column: returns the transpose in the same layout.
inline uint64_t Trasponi8(uint64_t x) {
  uint64_t t;
  t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAULL;
  x = x ^ t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCULL;
  x = x ^ t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ULL;
  x = x ^ t ^ (t << 28);
  return x;
}

uint8_t Rovescia_Bit(uint8_t b) {
  b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  b = static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
  return b;
}

// Quarter turn of a 1-bit image. Clockwise (orario): target (x', y') takes
// source (y', H - 1 - x'); counter-clockwise: source (W - 1 - y', x').
void Quarto_1bit(const Immagine& s, Immagine& d, bool orario) {
  const int W = s.Larghezza(), H = s.Altezza();
  const int blocchi_righe = (H + 7) / 8;     // target byte columns
  const int blocchi_colonne = (W + 7) / 8;   // source byte columns
  for (int by = 0; by < blocchi_righe; ++by) {
    // Source rows of this block, in the order they fill a target byte from
    // its most significant bit.
    const uint8_t* righe[8];
    for (int k = 0; k < 8; ++k) {
      const int y = orario ? H - 1 - (by * 8 + k) : by * 8 + k;
      righe[k] = (y >= 0 && y < H) ? s.Riga(y) : nullptr;
    }
    for (int bx = 0; bx < blocchi_colonne; ++bx) {
      uint64_t m = 0;
      for (int k = 0; k < 8; ++k) m = (m << 8) | (righe[k] ? righe[k][bx] : 0u);
      if (m == 0 || m == ~uint64_t{0}) {
        // Uniform block: every target byte is the same.
        const uint8_t v = static_cast<uint8_t>(m);
        for (int c = 0; c < 8; ++c) {
          const int x = bx * 8 + c;
          if (x >= W) break;
          const int ty = orario ? x : W - 1 - x;
          d.Riga(ty)[by] = v;
        }
        continue;
      }
      const uint64_t t = Trasponi8(m);
      for (int c = 0; c < 8; ++c) {
        const int x = bx * 8 + c;
        if (x >= W) break;
        const int ty = orario ? x : W - 1 - x;
        d.Riga(ty)[by] = static_cast<uint8_t>(t >> (56 - 8 * c));
      }
    }
  }
}

void Mezzo_Giro_1bit(const Immagine& s, Immagine& d) {
  const int W = s.Larghezza(), H = s.Altezza();
  const size_t nb = s.Byte_Riga();
  const int pad = static_cast<int>(nb * 8 - static_cast<size_t>(W));
  static const auto tabella = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = Rovescia_Bit(static_cast<uint8_t>(i));
    return t;
  }();
  std::vector<uint8_t> tmp(nb + 1, 0);
  for (int y = 0; y < H; ++y) {
    const uint8_t* r = s.Riga(H - 1 - y);
    for (size_t i = 0; i < nb; ++i) tmp[i] = tabella[r[nb - 1 - i]];
    uint8_t* o = d.Riga(y);
    if (pad == 0) {
      std::memcpy(o, tmp.data(), nb);
    } else {
      // The reversed row starts with the `pad` padding bits: shift them out.
      for (size_t i = 0; i < nb; ++i)
        o[i] = static_cast<uint8_t>((tmp[i] << pad) | (tmp[i + 1] >> (8 - pad)));
    }
  }
}

// Quarter turns of whole-byte pixels, in tiles that keep both images' rows
// in the cache.
template <int BPP>
void Quarti_Byte(const Immagine& s, Immagine& d, int quarti) {
  const int W = s.Larghezza(), H = s.Altezza();
  constexpr int T = 64;
  for (int y0 = 0; y0 < H; y0 += T)
    for (int x0 = 0; x0 < W; x0 += T) {
      const int y1 = std::min(H, y0 + T), x1 = std::min(W, x0 + T);
      for (int y = y0; y < y1; ++y) {
        const uint8_t* r = s.Riga(y) + static_cast<size_t>(x0) * BPP;
        for (int x = x0; x < x1; ++x, r += BPP) {
          int tx, ty;
          if (quarti == 1) { tx = H - 1 - y; ty = x; }
          else if (quarti == 2) { tx = W - 1 - x; ty = H - 1 - y; }
          else { tx = y; ty = W - 1 - x; }
          uint8_t* o = d.Riga(ty) + static_cast<size_t>(tx) * BPP;
          for (int k = 0; k < BPP; ++k) o[k] = r[k];
        }
      }
    }
}

// The image `d` a turn or a resize is drawn into: `riserva` when given (its
// memory used again), else a new one.
Immagine& Destinazione(Immagine& propria, Immagine* riserva) { return riserva ? *riserva : propria; }

bool Quarti(Immagine& im, int quarti, Immagine* riserva) {
  const int W = im.Larghezza(), H = im.Altezza(), bit = im.Bit();
  Immagine propria;
  Immagine& d = Destinazione(propria, riserva);
  const bool scambia = quarti != 2;
  if (!Accesso_Interno::Alloca_Riusando(d, scambia ? H : W, scambia ? W : H, bit, im.Tavolozza())) return false;
  d.Imposta_Dpi(scambia ? im.Dpi_Y() : im.Dpi_X(), scambia ? im.Dpi_X() : im.Dpi_Y());
  if (bit == 1) {
    if (quarti == 2) Mezzo_Giro_1bit(im, d);
    else Quarto_1bit(im, d, quarti == 1);
  } else if (bit == 8) {
    Quarti_Byte<1>(im, d, quarti);
  } else if (bit == 24) {
    Quarti_Byte<3>(im, d, quarti);
  } else if (bit == 32) {
    Quarti_Byte<4>(im, d, quarti);
  } else {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        int tx, ty;
        if (quarti == 1) { tx = H - 1 - y; ty = x; }
        else if (quarti == 2) { tx = W - 1 - x; ty = H - 1 - y; }
        else { tx = y; ty = W - 1 - x; }
        Scrivi_Valore(d.Riga(ty), tx, bit, Leggi_Valore(im.Riga(y), x, bit));
      }
  }
  std::swap(im, d);
  return true;
}

}  // namespace

bool Immagine::Ruota(long centesimi, Colore riempimento, Immagine* riserva) {
  if (Vuota() || riserva == this) return false;
  long a = centesimi % 36000;
  if (a < 0) a += 36000;
  if (a == 0) return true;
  if (a % 9000 == 0) return Quarti(*this, static_cast<int>(a / 9000), riserva);

  const double t = static_cast<double>(a) / 100.0 * std::numbers::pi / 180.0;
  const double c = std::cos(t), s = std::sin(t);
  const double W = larghezza_, H = altezza_;
  const double nw = std::fabs(W * c) + std::fabs(H * s);
  const double nh = std::fabs(W * s) + std::fabs(H * c);
  const int64_t W2 = std::max<int64_t>(1, std::llround(nw));
  const int64_t H2 = std::max<int64_t>(1, std::llround(nh));
  if (W2 > Lato_Massimo || H2 > Lato_Massimo) return false;
  Immagine propria;
  Immagine& d = Destinazione(propria, riserva);
  if (!Accesso_Interno::Alloca_Riusando(d, static_cast<int>(W2), static_cast<int>(H2), bit_, tavolozza_)) return false;
  d.Imposta_Dpi(dpi_x_, dpi_y_);
  Mappa_Colore mappa(bit_, tavolozza_);
  const uint32_t fondo = mappa(riempimento);
  // Target pixel centre p' (relative to the target centre) comes from
  // source point (p'x cos + p'y sin, -p'x sin + p'y cos) relative to the
  // source centre: the inverse of a clockwise turn with y pointing down.
  const double cx = W / 2.0, cy = H / 2.0;
  const double cx2 = static_cast<double>(W2) / 2.0, cy2 = static_cast<double>(H2) / 2.0;
  for (int64_t y = 0; y < H2; ++y) {
    uint8_t* o = d.Riga(static_cast<int>(y));
    const double v = static_cast<double>(y) + 0.5 - cy2;
    for (int64_t x = 0; x < W2; ++x) {
      const double u = static_cast<double>(x) + 0.5 - cx2;
      const double px = cx + u * c + v * s;
      const double py = cy - u * s + v * c;
      uint32_t val = fondo;
      if (px >= 0.0 && py >= 0.0 && px < W && py < H) {
        const int64_t ix = static_cast<int64_t>(px), iy = static_cast<int64_t>(py);
        val = Leggi_Valore(Riga(static_cast<int>(iy)), ix, bit_);
      }
      Scrivi_Valore(o, x, bit_, val);
    }
  }
  std::swap(*this, d);
  return true;
}

bool Immagine::Ridimensiona(int larghezza, int altezza, Immagine* riserva) {
  if (Vuota()) return false;
  return Adatta(0, 0, larghezza_ - 1, altezza_ - 1, 0, 0, larghezza, altezza, riserva);
}

bool Immagine::Adatta(int src_sinistra, int src_alto, int src_destra, int src_basso,
                      int dst_sinistra, int dst_alto, int dst_destra, int dst_basso, Immagine* riserva) {
  if (Vuota() || riserva == this) return false;
  const int64_t sw = int64_t{src_destra} - src_sinistra + 1;
  const int64_t sh = int64_t{src_basso} - src_alto + 1;
  const int64_t dw = int64_t{dst_destra} - dst_sinistra;
  const int64_t dh = int64_t{dst_basso} - dst_alto;
  if (sw < 1 || sh < 1 || dw < 1 || dh < 1 || sw > Lato_Massimo || sh > Lato_Massimo) return false;
  if (dw == larghezza_ && dh == altezza_ && sw == larghezza_ && sh == altezza_ && src_sinistra == 0 &&
      src_alto == 0)
    return true;
  Immagine propria;
  Immagine& d = Destinazione(propria, riserva);
  if (!Accesso_Interno::Alloca_Riusando(d, static_cast<int>(std::min<int64_t>(dw, Lato_Massimo + 1)),
                                        static_cast<int>(std::min<int64_t>(dh, Lato_Massimo + 1)), bit_, tavolozza_))
    return false;
  d.Riempi(Bianco);
  d.Imposta_Dpi(dpi_x_, dpi_y_);
  Trasferisci_Adattato(d, 0, 0, static_cast<int>(dw), static_cast<int>(dh), *this, src_sinistra, src_alto,
                       static_cast<int>(sw), static_cast<int>(sh), Raster::SRCCOPY);
  std::swap(*this, d);
  return true;
}

}  // namespace qod::img
