// BMP files: reading of 1, 4, 8, 24 and 32 bits per pixel, bottom-up and
// top-down, with the 12-byte and the 40-byte-or-longer information headers;
// writing with the 40-byte header.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qod/risorse_c.h"
#include "formati.h"
#include "interno.h"

namespace qod::img {

namespace {

inline uint32_t U16(const uint8_t* p) { return p[0] | (uint32_t(p[1]) << 8); }
inline uint32_t U32(const uint8_t* p) {
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

// One channel of a bit-field pixel, scaled to 8 bits.
struct Campo {
  uint32_t maschera = 0;
  int spostamento = 0;
  uint32_t massimo = 0;
  explicit Campo(uint32_t m = 0) : maschera(m) {
    if (!m) return;
    while (!((m >> spostamento) & 1)) ++spostamento;
    massimo = m >> spostamento;
  }
  uint8_t operator()(uint32_t px) const {
    if (!maschera) return 0;
    const uint32_t v = (px & maschera) >> spostamento;
    return static_cast<uint8_t>(massimo == 255 ? v : (uint64_t{v} * 255 + massimo / 2) / massimo);
  }
};

}  // namespace

Esito Carica_Bmp(const uint8_t* d, size_t n, Immagine& out) {
  if (n < 18 || d[0] != 'B' || d[1] != 'M') return Esito::Errore("not a BMP file");
  const uint32_t offset_pixel = U32(d + 10);
  const uint32_t dim_info = U32(d + 14);
  if (dim_info != 12 && (dim_info < 40 || dim_info > 4096)) return Esito::Errore("BMP: unknown information header");
  if (14 + uint64_t{dim_info} > n) return Esito::Errore("BMP: truncated header");
  const uint8_t* h = d + 14;
  int64_t larghezza, altezza;
  uint32_t bit, compressione = 0, colori_usati = 0, ppm_x = 0, ppm_y = 0;
  if (dim_info == 12) {
    larghezza = U16(h + 4);
    altezza = static_cast<int16_t>(U16(h + 6));
    bit = U16(h + 10);
  } else {
    larghezza = S32(h + 4);
    altezza = S32(h + 8);
    bit = U16(h + 14);
    compressione = U32(h + 16);
    ppm_x = U32(h + 24);
    ppm_y = U32(h + 28);
    colori_usati = U32(h + 32);
  }
  const bool dall_alto = altezza < 0;
  if (dall_alto) altezza = -altezza;
  if (larghezza < 1 || altezza < 1) return Esito::Errore("BMP: bad size");
  if (bit != 1 && bit != 4 && bit != 8 && bit != 24 && bit != 32)
    return Esito::Errore("BMP: " + std::to_string(bit) + " bits per pixel not handled");
  // Channel masks of 32-bit pixels: blue, green, red in the low three bytes
  // unless bit fields say otherwise.
  uint32_t mr = 0x00FF0000, mg = 0x0000FF00, mb = 0x000000FF, ma = 0;
  if (compressione == 3 || compressione == 6) {
    if (bit != 32) return Esito::Errore("BMP: bit fields need 32 bits per pixel");
    const uint8_t* m;
    if (dim_info >= 52) {
      m = h + 40;
    } else {
      if (14 + uint64_t{dim_info} + 12 > n) return Esito::Errore("BMP: truncated bit fields");
      m = h + dim_info;
    }
    mr = U32(m);
    mg = U32(m + 4);
    mb = U32(m + 8);
    if (dim_info >= 56) ma = U32(m + 12);
  } else if (compressione != 0) {
    return Esito::Errore("BMP: compressed pixel data not handled");
  }

  const uint64_t passo = ((static_cast<uint64_t>(larghezza) * bit + 31) / 32) * 4;
  const uint64_t byte_riga = (static_cast<uint64_t>(larghezza) * bit + 7) / 8;
  if (offset_pixel >= n) return Esito::Errore("BMP: pixel offset past the end of the file");
  const uint64_t disponibili = n - offset_pixel;
  if (passo * static_cast<uint64_t>(altezza - 1) + byte_riga > disponibili)
    return Esito::Errore("BMP: pixel data shorter than the image");

  std::vector<Colore> tavolozza;
  if (bit <= 8) {
    const uint32_t massimo = 1u << bit;
    const uint32_t voci = (colori_usati > 0 && colori_usati <= massimo) ? colori_usati : massimo;
    const uint32_t dim_voce = dim_info == 12 ? 3 : 4;
    const uint64_t inizio = 14 + uint64_t{dim_info};
    for (uint32_t i = 0; i < voci; ++i) {
      const uint64_t p = inizio + uint64_t{i} * dim_voce;
      if (p + 3 > n) break;  // a short palette leaves the missing entries black
      tavolozza.push_back({d[p + 2], d[p + 1], d[p]});
    }
    tavolozza.resize(massimo, Nero);
  }
  if (!Accesso_Interno::Alloca(out, static_cast<int>(std::min<int64_t>(larghezza, Lato_Massimo + 1)),
                               static_cast<int>(std::min<int64_t>(altezza, Lato_Massimo + 1)),
                               bit == 32 ? 32 : static_cast<int>(bit), tavolozza))
    return Esito::Errore("BMP: image too large");
  const Campo cr(mr), cg(mg), cb(mb), ca(ma);
  for (int64_t y = 0; y < altezza; ++y) {
    const uint8_t* s = d + offset_pixel + passo * static_cast<uint64_t>(y);
    uint8_t* o = out.Riga(static_cast<int>(dall_alto ? y : altezza - 1 - y));
    if (bit <= 8) {
      std::memcpy(o, s, static_cast<size_t>(byte_riga));
    } else if (bit == 24) {
      for (int64_t x = 0; x < larghezza; ++x) {
        o[3 * x] = s[3 * x + 2];
        o[3 * x + 1] = s[3 * x + 1];
        o[3 * x + 2] = s[3 * x];
      }
    } else {
      for (int64_t x = 0; x < larghezza; ++x) {
        const uint32_t px = U32(s + 4 * x);
        o[4 * x] = cr(px);
        o[4 * x + 1] = cg(px);
        o[4 * x + 2] = cb(px);
        o[4 * x + 3] = ma ? ca(px) : 0xFF;
      }
    }
  }
  Accesso_Interno::Normalizza_1bit(out);
  out.Imposta_Dpi(Dpi_Da_Ppm(ppm_x), Dpi_Da_Ppm(ppm_y));
  return Esito::Bene();
}

namespace {

void Metti16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Metti32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Ppm_Standard(int dpi) { return dpi > 0 ? static_cast<uint32_t>(dpi / 0.0254 + 0.5) : 0; }

}  // namespace

Esito Salva_Bmp(const Immagine& im, const std::string& percorso) {
  const Immagine* sorgente = &im;
  Immagine copia;
  if (im.Bit() == 32) {
    copia = im;
    if (!copia.Converti_Bit(24)) return Esito::Errore("BMP: image too large");
    sorgente = &copia;
  }
  const Immagine& s = *sorgente;
  const uint32_t bit = static_cast<uint32_t>(s.Bit());
  const uint64_t passo = ((static_cast<uint64_t>(s.Larghezza()) * bit + 31) / 32) * 4;
  const uint32_t voci = bit <= 8 ? (1u << bit) : 0;
  const uint64_t offset = 14 + 40 + 4ull * voci;
  const uint64_t immagine = passo * static_cast<uint64_t>(s.Altezza());
  if (offset + immagine > 0xFFFFFFFFull) return Esito::Errore("BMP: image too large for the format");

  std::vector<uint8_t> testa;
  testa.reserve(static_cast<size_t>(offset));
  testa.push_back('B');
  testa.push_back('M');
  Metti32(testa, static_cast<uint32_t>(offset + immagine));
  Metti32(testa, 0);
  Metti32(testa, static_cast<uint32_t>(offset));
  Metti32(testa, 40);
  Metti32(testa, static_cast<uint32_t>(s.Larghezza()));
  Metti32(testa, static_cast<uint32_t>(s.Altezza()));
  Metti16(testa, 1);
  Metti16(testa, bit);
  Metti32(testa, 0);
  Metti32(testa, static_cast<uint32_t>(immagine));
  Metti32(testa, Ppm_Standard(s.Dpi_X()));
  Metti32(testa, Ppm_Standard(s.Dpi_Y()));
  Metti32(testa, 0);
  Metti32(testa, 0);
  for (uint32_t i = 0; i < voci; ++i) {
    const Colore c = s.Tavolozza()[i];
    testa.push_back(c.b);
    testa.push_back(c.g);
    testa.push_back(c.r);
    testa.push_back(0);
  }
  File_C f(percorso.c_str(), "wb");
  if (!f) return Esito::Errore("BMP: cannot write");
  bool ok = std::fwrite(testa.data(), 1, testa.size(), f.get()) == testa.size();
  std::vector<uint8_t> riga(static_cast<size_t>(passo), 0);
  for (int y = s.Altezza() - 1; ok && y >= 0; --y) {
    const uint8_t* r = s.Riga(y);
    if (bit <= 8) {
      std::memcpy(riga.data(), r, s.Byte_Riga());
      // Bits past the width are written as 0.
      const uint64_t bit_usati = static_cast<uint64_t>(s.Larghezza()) * bit;
      if (bit_usati % 8) riga[bit_usati / 8] &= static_cast<uint8_t>(0xFF00u >> (bit_usati % 8));
    } else {
      for (int x = 0; x < s.Larghezza(); ++x) {
        riga[3 * x] = r[3 * x + 2];
        riga[3 * x + 1] = r[3 * x + 1];
        riga[3 * x + 2] = r[3 * x];
      }
    }
    ok = std::fwrite(riga.data(), 1, riga.size(), f.get()) == riga.size();
  }
  if (!f.Chiudi()) ok = false;
  return ok ? Esito::Bene() : Esito::Errore("BMP: write error");
}

}  // namespace qod::img
