// Block and stretched transfers between images of any two depths, with the
// three raster modes, clipped to both images. 1-bit rows are worked a byte
// at a time whatever the bit offsets of source and target (narrow spans, as
// glyph rows, in one 64-bit word).
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "interno.h"
#include "qod/imaging/immagine.h"

namespace qod::img {

namespace {

// Eight source bits from bit position `p` (p may be -7..-1 for the first
// byte of a row whose target starts inside a byte; those bits are masked).
inline uint8_t Prendi8(const uint8_t* s, int64_t p) {
  if (p < 0) return static_cast<uint8_t>(s[0] >> (-p));
  const int64_t i = p >> 3;
  const int sh = static_cast<int>(p & 7);
  if (sh == 0) return s[i];
  return static_cast<uint8_t>((s[i] << sh) | (s[i + 1] >> (8 - sh)));
}

inline uint8_t Op(uint8_t d, uint8_t v, Raster m) {
  switch (m) {
    case Raster::SRCAND: return d & v;
    case Raster::SRCPAINT: return d | v;
    default: return v;
  }
}

template <Raster M>
void Centro_1(uint8_t* d, const uint8_t* s, int64_t n, int sh) {
  if (sh == 0) {
    if constexpr (M == Raster::SRCCOPY) {
      std::memcpy(d, s, static_cast<size_t>(n));
    } else {
      for (int64_t k = 0; k < n; ++k) d[k] = M == Raster::SRCAND ? (d[k] & s[k]) : (d[k] | s[k]);
    }
    return;
  }
  for (int64_t k = 0; k < n; ++k) {
    const uint8_t v = static_cast<uint8_t>((s[k] << sh) | (s[k + 1] >> (8 - sh)));
    if constexpr (M == Raster::SRCCOPY) d[k] = v;
    else if constexpr (M == Raster::SRCAND) d[k] &= v;
    else d[k] |= v;
  }
}

// Eight bytes from p as one word, the first byte at the top.
inline uint64_t Parola(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}

inline void Metti_Parola(uint8_t* p, uint64_t v) {
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  std::memcpy(p, &v, 8);
}

// A span of at most 56 bits (a glyph row): source and target are read as one
// 64-bit word each, the first bit at the top, and the span is shifted,
// combined and masked in one step. Eight bytes from any byte of a row lie
// inside the image's memory (the spare bytes after the last row see to
// that); the target bytes past the span are written back as they were.
inline void Riga_1_Stretta(uint8_t* d, int64_t dx, const uint8_t* s, int64_t sx, int64_t w, Raster m) {
  const int dsh = static_cast<int>(dx & 7), ssh = static_cast<int>(sx & 7);
  uint8_t* dp = d + (dx >> 3);
  uint64_t sv = Parola(s + (sx >> 3)), dv = Parola(dp);
  // Source bits past the span land past it in the target too, under the mask.
  sv = ssh >= dsh ? sv << (ssh - dsh) : sv >> (dsh - ssh);
  const uint64_t maschera = (~uint64_t{0} >> dsh) & ~(~uint64_t{0} >> (dsh + w));
  const uint64_t v = m == Raster::SRCAND ? (dv & sv) : m == Raster::SRCPAINT ? (dv | sv) : sv;
  Metti_Parola(dp, (dv & ~maschera) | (v & maschera));
}

// Target bits [dx, dx + w) of row d take source bits [sx, sx + w) of row s.
void Riga_1(uint8_t* d, int64_t dx, const uint8_t* s, int64_t sx, int64_t w, Raster m) {
  if ((dx & 7) + w <= 56) {
    Riga_1_Stretta(d, dx, s, sx, w, m);
    return;
  }
  const int64_t fine = dx + w;
  const int64_t b0 = dx >> 3, b1 = (fine - 1) >> 3;
  const int64_t scarto = sx - dx;
  auto bordo = [&](int64_t b) {
    uint8_t maschera = 0xFF;
    if (b == b0) maschera &= static_cast<uint8_t>(0xFFu >> (dx & 7));
    if (b == b1) maschera &= static_cast<uint8_t>(0xFFu << (7 - ((fine - 1) & 7)));
    const uint8_t v = Prendi8(s, b * 8 + scarto);
    d[b] = static_cast<uint8_t>((d[b] & ~maschera) | (Op(d[b], v, m) & maschera));
  };
  bordo(b0);
  if (b1 == b0) return;
  const int64_t n = b1 - b0 - 1;
  if (n > 0) {
    const int64_t p = (b0 + 1) * 8 + scarto;  // >= 0
    const int sh = static_cast<int>(p & 7);
    const uint8_t* sp = s + (p >> 3);
    uint8_t* dp = d + b0 + 1;
    switch (m) {
      case Raster::SRCAND: Centro_1<Raster::SRCAND>(dp, sp, n, sh); break;
      case Raster::SRCPAINT: Centro_1<Raster::SRCPAINT>(dp, sp, n, sh); break;
      default: Centro_1<Raster::SRCCOPY>(dp, sp, n, sh); break;
    }
  }
  bordo(b1);
}

// One row of `w` pixels of the same depth (and palette) onto another.
void Applica_Riga(uint8_t* d, int64_t dx, const uint8_t* s, int64_t sx, int64_t w, int bit, Raster m) {
  if (bit == 1) {
    Riga_1(d, dx, s, sx, w, m);
    return;
  }
  if (bit == 4) {
    for (int64_t k = 0; k < w; ++k) {
      const uint32_t v = Leggi_Valore(s, sx + k, 4);
      const uint32_t o = Leggi_Valore(d, dx + k, 4);
      Scrivi_Valore(d, dx + k, 4, Op(static_cast<uint8_t>(o), static_cast<uint8_t>(v), m));
    }
    return;
  }
  const int64_t bpp = bit / 8;
  uint8_t* dp = d + dx * bpp;
  const uint8_t* sp = s + sx * bpp;
  const int64_t n = w * bpp;
  switch (m) {
    case Raster::SRCAND: for (int64_t k = 0; k < n; ++k) dp[k] &= sp[k]; break;
    case Raster::SRCPAINT: for (int64_t k = 0; k < n; ++k) dp[k] |= sp[k]; break;
    default: std::memmove(dp, sp, static_cast<size_t>(n)); break;
  }
}

// Brings source pixels to the target's depth and palette.
class Convertitore {
 public:
  Convertitore(const Immagine& src, const Immagine& dst)
      : sbit_(src.Bit()), dbit_(dst.Bit()), stav_(src.Tavolozza()), mappa_(dst.Bit(), dst.Tavolozza()) {
    if (sbit_ <= 8)
      for (const auto& c : stav_) lut_.push_back(mappa_(c));
  }

  // `w` pixels of row s from x = sx, written from x = 0 of `out`.
  void Span(const uint8_t* s, int64_t sx, int64_t w, uint8_t* out) {
    if (sbit_ <= 8) {
      for (int64_t k = 0; k < w; ++k) Scrivi_Valore(out, k, dbit_, lut_[Leggi_Valore(s, sx + k, sbit_)]);
      return;
    }
    const int64_t bpp = sbit_ / 8;
    const uint8_t* p = s + sx * bpp;
    if (dbit_ == 1) {
      // Onto 1 bit by the luminance threshold, packed a byte at a time.
      int64_t k = 0;
      for (; k < w; k += 8) {
        uint8_t byte = 0;
        const int64_t n = std::min<int64_t>(8, w - k);
        for (int64_t j = 0; j < n; ++j, p += bpp) {
          const int l = (299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000;
          if (l >= 128) byte |= static_cast<uint8_t>(0x80u >> j);
        }
        out[k >> 3] = byte;
      }
      return;
    }
    if (dbit_ == 24 && sbit_ == 32) {
      for (int64_t k = 0; k < w; ++k) std::memcpy(out + 3 * k, p + 4 * k, 3);
      return;
    }
    if (dbit_ == 32 && sbit_ == 24) {
      for (int64_t k = 0; k < w; ++k) {
        std::memcpy(out + 4 * k, p + 3 * k, 3);
        out[4 * k + 3] = 0xFF;
      }
      return;
    }
    for (int64_t k = 0; k < w; ++k, p += bpp) Scrivi_Valore(out, k, dbit_, mappa_(Colore{p[0], p[1], p[2]}));
  }

 private:
  int sbit_, dbit_;
  const std::vector<Colore>& stav_;
  Mappa_Colore mappa_;
  std::vector<uint32_t> lut_;
};

bool Stesso_Formato(const Immagine& a, const Immagine& b) {
  return a.Bit() == b.Bit() && (a.Bit() > 8 || a.Tavolozza() == b.Tavolozza());
}

size_t Byte_Span(int64_t w, int bit) { return static_cast<size_t>((w * bit + 7) / 8 + 16); }

// Copy of a rectangle of an image (same depth and palette).
Immagine Ritaglio(const Immagine& src, int64_t sx, int64_t sy, int64_t w, int64_t h) {
  Immagine r;
  if (!Accesso_Interno::Alloca(r, static_cast<int>(w), static_cast<int>(h), src.Bit(), src.Tavolozza())) return r;
  for (int64_t y = 0; y < h; ++y)
    Applica_Riga(r.Riga(static_cast<int>(y)), 0, src.Riga(static_cast<int>(sy + y)), sx, w, src.Bit(), Raster::SRCCOPY);
  return r;
}

}  // namespace

void Trasferisci(Immagine& dst, int dx_, int dy_, int larghezza, int altezza,
                 const Immagine& src, int sx_, int sy_, Raster modo) {
  if (dst.Vuota() || src.Vuota() || larghezza <= 0 || altezza <= 0) return;
  int64_t dx = dx_, dy = dy_, sx = sx_, sy = sy_, w = larghezza, h = altezza;
  if (sx < 0) { dx -= sx; w += sx; sx = 0; }
  if (sy < 0) { dy -= sy; h += sy; sy = 0; }
  if (dx < 0) { sx -= dx; w += dx; dx = 0; }
  if (dy < 0) { sy -= dy; h += dy; dy = 0; }
  w = std::min({w, int64_t{src.Larghezza()} - sx, int64_t{dst.Larghezza()} - dx});
  h = std::min({h, int64_t{src.Altezza()} - sy, int64_t{dst.Altezza()} - dy});
  if (w <= 0 || h <= 0) return;

  if (&dst == &src) {
    const Immagine copia = Ritaglio(src, sx, sy, w, h);
    if (copia.Vuota()) return;
    Trasferisci(dst, static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(w), static_cast<int>(h),
                copia, 0, 0, modo);
    return;
  }

  if (Stesso_Formato(src, dst)) {
    for (int64_t r = 0; r < h; ++r)
      Applica_Riga(dst.Riga(static_cast<int>(dy + r)), dx, src.Riga(static_cast<int>(sy + r)), sx, w, dst.Bit(), modo);
    return;
  }
  Convertitore conv(src, dst);
  std::vector<uint8_t> tmp(Byte_Span(w, dst.Bit()), 0);
  for (int64_t r = 0; r < h; ++r) {
    conv.Span(src.Riga(static_cast<int>(sy + r)), sx, w, tmp.data());
    Applica_Riga(dst.Riga(static_cast<int>(dy + r)), dx, tmp.data(), 0, w, dst.Bit(), modo);
  }
}

namespace {

// Source span [inizio, fine) of target position i when n source pixels map
// onto m target pixels.
inline void Span_Sorgente(int64_t i, int64_t n, int64_t m, int64_t& inizio, int64_t& fine) {
  inizio = i * n / m;
  fine = std::max((i + 1) * n / m, inizio + 1);
}

// The visible target positions [lo, hi) along one axis: inside the target
// and with their source start inside the source. The start grows with the
// position, so both limits are found by bisection.
void Intervallo(int64_t d0, int64_t dn, int64_t lato_dst, int64_t s0, int64_t sn, int64_t lato_src,
                int64_t& lo, int64_t& hi) {
  lo = std::max<int64_t>(0, -d0);
  hi = std::min<int64_t>(dn, lato_dst - d0);
  if (lo >= hi) { hi = lo; return; }
  auto inizio = [&](int64_t i) { return s0 + i * sn / dn; };
  // First position whose start is >= 0.
  int64_t a = lo, b = hi;
  while (a < b) {
    const int64_t c = a + (b - a) / 2;
    if (inizio(c) >= 0) b = c; else a = c + 1;
  }
  lo = a;
  // First position whose start is >= lato_src.
  a = lo; b = hi;
  while (a < b) {
    const int64_t c = a + (b - a) / 2;
    if (inizio(c) >= lato_src) b = c; else a = c + 1;
  }
  hi = a;
  if (lo > hi) hi = lo;
}

}  // namespace

void Trasferisci_Adattato(Immagine& dst, int dx, int dy, int dw, int dh,
                          const Immagine& src, int sx, int sy, int sw, int sh, Raster modo) {
  if (dst.Vuota() || src.Vuota() || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (dw == sw && dh == sh) {
    Trasferisci(dst, dx, dy, dw, dh, src, sx, sy, modo);
    return;
  }
  if (&dst == &src) {
    const Immagine copia = src;
    Trasferisci_Adattato(dst, dx, dy, dw, dh, copia, sx, sy, sw, sh, modo);
    return;
  }
  int64_t xlo, xhi, ylo, yhi;
  Intervallo(dx, dw, dst.Larghezza(), sx, sw, src.Larghezza(), xlo, xhi);
  Intervallo(dy, dh, dst.Altezza(), sy, sh, src.Altezza(), ylo, yhi);
  if (xlo >= xhi || ylo >= yhi) return;
  const int64_t n = xhi - xlo;

  std::vector<int64_t> x0(static_cast<size_t>(n)), x1(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    int64_t a, b;
    Span_Sorgente(xlo + i, sw, dw, a, b);
    x0[i] = sx + a;
    x1[i] = std::min<int64_t>(sx + b, src.Larghezza());
  }
  const bool restringe_1 = src.Bit() == 1 && (sw > dw || sh > dh);
  const int sbit = src.Bit();
  std::vector<uint8_t> riga_src(Byte_Span(n, sbit), 0);
  std::vector<uint8_t> accum;
  if (restringe_1) accum.assign(src.Passo() + 16, 0);
  const bool stesso = Stesso_Formato(src, dst);
  Convertitore conv(src, dst);
  std::vector<uint8_t> riga_dst(stesso ? 0 : Byte_Span(n, dst.Bit()), 0);

  for (int64_t j = ylo; j < yhi; ++j) {
    int64_t a, b;
    Span_Sorgente(j, sh, dh, a, b);
    const int64_t t0 = sy + a;
    const int64_t t1 = std::min<int64_t>(sy + b, src.Altezza());
    if (restringe_1) {
      // AND of the source rows under this target row, then of the columns
      // under each target pixel: any dark pixel keeps the result dark.
      const int64_t c0 = x0[0] >> 3, c1 = ((x1[n - 1] - 1) >> 3) + 1;
      std::memcpy(accum.data() + c0, src.Riga(static_cast<int>(t0)) + c0, static_cast<size_t>(c1 - c0));
      for (int64_t t = t0 + 1; t < t1; ++t) {
        const uint8_t* r = src.Riga(static_cast<int>(t));
        for (int64_t c = c0; c < c1; ++c) accum[c] &= r[c];
      }
      for (int64_t i = 0; i < n; ++i) {
        uint32_t v = 1;
        for (int64_t k = x0[i]; k < x1[i]; ++k) {
          if (!((accum[k >> 3] >> (7 - (k & 7))) & 1)) { v = 0; break; }
        }
        Scrivi_Valore(riga_src.data(), i, 1, v);
      }
    } else {
      const uint8_t* r = src.Riga(static_cast<int>(t0));
      for (int64_t i = 0; i < n; ++i) Scrivi_Valore(riga_src.data(), i, sbit, Leggi_Valore(r, x0[i], sbit));
    }
    uint8_t* d = dst.Riga(static_cast<int>(dy + j));
    if (stesso) {
      Applica_Riga(d, dx + xlo, riga_src.data(), 0, n, dst.Bit(), modo);
    } else {
      conv.Span(riga_src.data(), 0, n, riga_dst.data());
      Applica_Riga(d, dx + xlo, riga_dst.data(), 0, n, dst.Bit(), modo);
    }
  }
}

}  // namespace qod::img
